#pragma once

#include <atomic>

// Set when the user or the desktop asks the program to end without Escape:
// the window's close button, or SIGINT, SIGTERM or SIGHUP. The main loop leaves
// at its next pass, so the library shuts down once, from the main thread, with
// its display still there.
extern std::atomic<bool> endRequested;

// Takes SIGINT, SIGTERM and SIGHUP over from the library, whose own handlers
// run its whole shutdown inside the signal handler, wherever the main loop was.
// Call it after allegro_init, which installs those handlers.
void catchEndSignals();

// A lost X display ends the process at once with one line on standard error
// and status 1. The library's shutdown is skipped: it needs the display.
void exitOnLostDisplay();
