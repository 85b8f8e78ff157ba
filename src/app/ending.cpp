#include "app/ending.h"

#include <X11/Xlib.h>
#include <unistd.h>

#include <csignal>
#include <initializer_list>

// It is set from a signal handler, so it must be lock-free: always, or, as on
// armel, whose atomics the kernel assists, on the machine it runs on.
static_assert(ATOMIC_BOOL_LOCK_FREE > 0, "it is set from a signal handler");
std::atomic<bool> endRequested{false};

namespace {
void onEndSignal(int) {
  endRequested = true;
}

// Xlib calls this on the thread that found the connection gone, possibly
// holding its own locks, so nothing here may touch the library or X.
int onLostDisplay(Display*) {
  static const char message[] = "brivolt: lost the connection to the X display\n";
  const ssize_t written = write(STDERR_FILENO, message, sizeof message - 1);
  static_cast<void>(written);
  _exit(1);
}
}  // namespace

void catchEndSignals() {
  if (!endRequested.is_lock_free()) {
    return;  // the library's own handlers stay
  }
  struct sigaction action = {};
  action.sa_handler = onEndSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
    sigaction(signal, &action, nullptr);
  }
}

void exitOnLostDisplay() {
  // A write to a closed connection then fails as an I/O error, which ends up
  // in onLostDisplay, rather than killing the process with SIGPIPE.
  std::signal(SIGPIPE, SIG_IGN);
  XSetIOErrorHandler(onLostDisplay);
}
