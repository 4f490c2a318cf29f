// NSDsActiveAttService: the host's callback that refreshes the active colour of a tool context.
#pragma once

#include <afx.h>

class CVyrUiToolContext;

namespace NSDsActiveAttService {

// Stores the callback (null: none); it lasts until replaced.
AFX_EXT_API void SetColorFun(void (*function)(CVyrUiToolContext*));
// Calls the stored callback with `context`; nothing when none is stored.
AFX_EXT_API void UpdateActColor(CVyrUiToolContext* context);

}  // namespace NSDsActiveAttService
