// The Windows calls the display core makes, declared for Linux. The implementation
// runs over X11 and GLX; no X11 or GLX header is visible through these headers.
#pragma once

#include "vyrwin_types.h"
#include "vyrwin_user.h"
#include "vyrwin_msg.h"
#include "vyrwin_gdi.h"
#include "vyrwin_draw.h"
#include "vyrwin_text.h"
#include "vyrwin_wgl.h"
#include "vyrwin_reg.h"
#include "vyrwin_rpc.h"
