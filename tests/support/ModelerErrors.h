// The modeler error a call raises, for tests that expect failures to be reported.
#pragma once

#include "SpaErrors.h"

namespace vyrtest {

// The modeler error number `call` raises, or 0 when it returns normally.
template <class Call>
err_mess_type RaisedError(Call call)
{
    try {
        call();
    } catch (const acis_exception& e) {
        return e.error_number();
    }
    return 0;
}

}  // namespace vyrtest
