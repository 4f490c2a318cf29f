// A second process for the display tests: opens the X display that DISPLAY names through the
// Windows stand-in, as a program starting up would (the desktop window needs the connection and
// the frame-buffer configuration), and ends. Exit status: 0 when the display opened, 1 when not.
#include "windows.h"

int main() { return GetDesktopWindow() ? 0 : 1; }
