// NSDsActiveAttService: the host's active-colour callback.
#include "DsActiveAttService.h"

namespace {

void (*sColorFunction)(CVyrUiToolContext*) = nullptr;

}  // namespace

namespace NSDsActiveAttService {

void SetColorFun(void (*function)(CVyrUiToolContext*))
{
    sColorFunction = function;
}

void UpdateActColor(CVyrUiToolContext* context)
{
    if (sColorFunction) sColorFunction(context);
}

}  // namespace NSDsActiveAttService
