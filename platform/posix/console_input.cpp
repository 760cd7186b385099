// Console input on POSIX: the bytes of the key source (terminal_input.cpp) go
// through the key decoder into a queue of console key events. A terminal's
// bytes are keys and escape sequences; redirected input's bytes are one key
// each, and its end becomes an end-of-input event. A reader that holds no key
// sleeps in ppoll until input, the decoder's deadline or a screen signal.
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include "platform/platform.h"
#include "platform/posix/monotonic_clock.h"
#include "platform/posix/terminal.h"
#include "platform/posix/terminal_input.h"
#include "platform/posix/terminal_screen.h"
#include "platform/posix/terminal_signals.h"

namespace platform {

using posix::session;

namespace {

// The console layer reads keys through the standard input handle; the session
// reads them from its key source, which is the terminal when standard input
// is closed.
int KeySource(Handle input) {
  return int(input) == STDIN_FILENO ? session.inputFd : int(input);
}

// The end of redirected input, or input that can no longer be read: no key
// will ever come. The event takes the room the read had.
void EndInput() {
  session.inputEnded = true;
  InputEvent end = {};
  end.eventType = endOfInputEvent;
  posix::PushEvent(session.queue, end);
}

void TakeInput(int fd) {
  if (!session.inputEnded && posix::TakeKeyBytes(fd) == posix::KeyRead::ended) EndInput();
}

// How long a pause may last, in ppoll's terms: up to `milliseconds` (no limit
// for untilInput), and no later than the decoder's deadline.
bool PauseLimit(uint32_t milliseconds, timespec& limit) {
  uint64_t ms = milliseconds;
  uint64_t deadline;
  if (posix::NextDeadline(session.decoder, deadline)) {
    const uint64_t now = posix::NowMs();
    const uint64_t due = deadline > now ? deadline - now : 0;
    if (milliseconds == untilInput || due < ms) ms = due;
  } else if (milliseconds == untilInput) {
    return false;
  }
  limit = {time_t(ms / 1000), long(ms % 1000) * 1000000};
  return true;
}

}  // namespace

// The look lets the decoder's time pass only when it finds nothing to read.
uint32_t PendingInputEvents(Handle input) {
  TakeInput(KeySource(input));
  return uint32_t(session.queue.count);
}

void ReadInputEvent(Handle, InputEvent& event) {
  posix::PopEvent(session.queue, event);
}

// With events waiting there is no pause and no flush: keys typed ahead are
// answered in one write at the next wait.
void PauseForInput(Handle input, uint32_t milliseconds) {
  if (session.queue.count > 0 || session.inputEnded) return;
  const int fd = KeySource(input);
  sigset_t previous;
  posix::HoldScreenSignals(previous);
  posix::FlushScreen();
  timespec limit;
  const bool limited = PauseLimit(milliseconds, limit);
  pollfd waiting = {fd, POLLIN, 0};
  const bool ready = ppoll(&waiting, 1, limited ? &limit : nullptr, &previous) > 0;
  posix::ReleaseScreenSignals(previous);
  if (ready) TakeInput(fd);
}

}  // namespace platform
