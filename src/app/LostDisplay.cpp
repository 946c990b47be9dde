#include "app/LostDisplay.h"

#include <X11/Xlib.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
constexpr int kLostDisplayStatus = 1;

// Written when the handler is installed: the handler itself may only do async-signal-safe
// work, since it can run on the library's input thread in the middle of any X call.
char message[256];
size_t messageLength = 0;

int onConnectionLost(Display*)
{
    ssize_t written = write(STDERR_FILENO, message, messageLength);
    (void)written;  // nothing more can be done about stderr
    _exit(kLostDisplayStatus);
}
}  // namespace

void exitWhenTheDisplayIsLost()
{
    const char* name = std::getenv("DISPLAY");
    std::snprintf(message, sizeof message, "battle: lost the connection to the X display %s\n",
                  name != nullptr && name[0] != '\0' ? name : "(unnamed)");
    messageLength = std::strlen(message);
    // A write to the dead connection can otherwise kill the process with SIGPIPE before Xlib
    // notices the broken connection and calls the handler.
    std::signal(SIGPIPE, SIG_IGN);
    XSetIOErrorHandler(onConnectionLost);
}
