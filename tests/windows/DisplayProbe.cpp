// A second process for the display tests: opens the X display that DISPLAY names through the
// Windows stand-in, as a program starting up would (the desktop window needs the connection and
// the frame-buffer configuration), and ends. Exit status: 0 when the display opened, 1 when not.
//
// SIGPIPE is ignored: what is measured is whether the display opened. Against a server that
// resets as the other programs come and go, a write made on the way out, after the program's last
// call, now and then met a connection the server had already closed, and the signal ended a probe
// whose display had opened. A connection lost before that still fails the probe: Xlib reports it
// and exits with 1.
#include "windows.h"

#include <csignal>

int main()
{
    std::signal(SIGPIPE, SIG_IGN);
    return GetDesktopWindow() ? 0 : 1;
}
