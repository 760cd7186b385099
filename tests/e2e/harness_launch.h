// Starting the child for a Session: the pty (openpty + login_tty, forkpty's two
// halves, so the modes the child starts with are known) or a new session with no
// terminal (setsid), the standard-stream redirections, environment and exec.
#pragma once

#include <sys/types.h>
#include <termios.h>

#include "tests/e2e/harness.h"

namespace e2e {

// What the parent keeps of a started child. Descriptors are close-on-exec,
// non-blocking where the harness polls them, and -1 where absent.
struct StartedChild {
  pid_t pid = -1;
  int master = -1;      // the pty's master; -1 without a terminal
  int stdinPipe = -1;   // write end when stdin is Stream::Pipe
  int stdoutPipe = -1;  // read end when stdout is Stream::Pipe
  termios modes{};      // the terminal's modes when the child started
  Clock::time_point startTime;
};

// Forks and execs; returns once exec has succeeded. Throws std::runtime_error
// when a redirect cannot be opened or the program cannot be started.
StartedChild StartChild(const LaunchOptions& options);

}  // namespace e2e
