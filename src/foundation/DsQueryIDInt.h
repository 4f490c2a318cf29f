// CDsQueryIDInt, the replaceable service that answers a modeler entity's persistent id, component
// id and generation number.
#pragma once

#include <afx.h>

class ENTITY;

// The entity-id service. The library calls the active instance; the host may install a derived
// one. Until then, and again once an installed one is destroyed, the active instance is the
// library's default, which reads the modeler extension's attribute manager.
class AFX_EXT_CLASS CDsQueryIDInt {
public:
    // A service (installing it is up to the caller).
    constexpr CDsQueryIDInt() = default;
    // Nothing to copy.
    CDsQueryIDInt(const CDsQueryIDInt&) = default;
    // Nothing to copy.
    CDsQueryIDInt& operator=(const CDsQueryIDInt&) = default;
    // When this is the active service, the default one becomes active again.
    virtual ~CDsQueryIDInt();

    // The entity's persistent id; 0 when there is none (or no entity).
    virtual int QueryPID(ENTITY* entity);
    // The component id of the entity's assembly node, or of its top-level owner's (a face's
    // body) when the entity has no node of its own; 0 when neither has one.
    virtual int QueryComponentId(ENTITY* entity);
    // The generation number of the entity's own assembly node; 0 when it has none.
    virtual long QueryGenerationNumber(ENTITY* entity);

    // The active service; never null.
    static CDsQueryIDInt* StGetActiveQueryIDInt();
    // Installs a service (not owned); null brings back the default one.
    static void StSetActiveQueryIDInt(CDsQueryIDInt* query);

    // The active service.
    static CDsQueryIDInt* sActiveQueryIDInt;
    // The library's default service.
    static CDsQueryIDInt sDefaultQueryIDInt;
};
