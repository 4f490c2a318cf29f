// An entity-id service for tests that answers persistent ids 1, 2, 3... while it lives (the
// library's default service comes back when it goes). For tests that link the display core.
#pragma once

#include "DsQueryIDInt.h"

namespace vyrtest {

class CountingPids : public CDsQueryIDInt {
public:
    // Installs itself as the active service.
    CountingPids() { StSetActiveQueryIDInt(this); }
    // The next number, whatever the entity.
    int QueryPID(ENTITY*) override { return ++m_last; }

private:
    int m_last = 0;
};

}  // namespace vyrtest
