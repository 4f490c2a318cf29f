// view_context: the default drawing state of a view.
#include "view_context.h"

view_context::view_context() : foreground(0.0, 0.0, 0.0), background(1.0, 1.0, 1.0) {}
