// Console input on POSIX: bytes read without blocking from standard input
// (poll, read) go through the key decoder into a queue of console key events.
// A terminal's bytes are keys and escape sequences; redirected input's bytes
// are one key each, and its end becomes an end-of-input event.
#include <poll.h>
#include <unistd.h>

#include <cerrno>

#include "platform/platform.h"
#include "platform/posix/monotonic_clock.h"
#include "platform/posix/terminal.h"
#include "platform/posix/terminal_screen.h"

namespace platform {

using posix::session;

namespace {

// A reader that has just found the queue empty is waiting for a key: its next
// pause may last until input arrives, since nothing else can give it one. Only
// a reader that found events asks again after the short pause it asked for
// (the second byte of an extended key is delivered without a new event).
bool readerIdle = false;
constexpr uint64_t idlePauseMs = 250;  // the longest idle pause, a safety net only

// The pause's wait found input: the reader's next look reads it without
// asking again (a key's echo waits for no more than one poll).
bool inputSeenReady = false;

bool InputReady(int fd, int timeoutMs) {
  pollfd waiting = {fd, POLLIN, 0};
  return poll(&waiting, 1, timeoutMs) > 0;
}

// Reads what is there without waiting and decodes it.
void TakeAvailableBytes(int fd) {
  const bool ready = inputSeenReady || InputReady(fd, 0);
  inputSeenReady = false;
  if (session.inputEnded || !ready) return;
  uint8_t bytes[256];
  const ssize_t n = read(fd, bytes, sizeof bytes);
  if (n > 0) {
    posix::FeedBytes(session.decoder, bytes, int(n), posix::NowMs(), session.queue);
  } else if (n == 0 || errno != EINTR) {
    // The end of redirected input, or input that can no longer be read: no
    // key will ever come.
    session.inputEnded = true;
    InputEvent end = {};
    end.eventType = endOfInputEvent;
    posix::PushEvent(session.queue, end);
  }
}

}  // namespace

uint32_t PendingInputEvents(Handle input) {
  TakeAvailableBytes(int(input));
  posix::FeedTime(session.decoder, posix::NowMs(), session.queue);
  readerIdle = session.queue.count == 0;
  return uint32_t(session.queue.count);
}

void ReadInputEvent(Handle, InputEvent& event) {
  posix::PopEvent(session.queue, event);
}

// Waits for input for about `milliseconds` (longer while the reader is idle),
// less when a lone ESC is due to become the Esc key sooner. What was drawn
// reaches the terminal first. With events already waiting there is no pause
// and no flush: keys typed ahead are answered in one write at the next wait.
void PauseForInput(Handle input, uint32_t milliseconds) {
  if (session.queue.count > 0 || session.inputEnded) return;
  posix::FlushScreen();
  uint64_t timeout = readerIdle ? idlePauseMs : milliseconds;
  uint64_t deadline;
  if (posix::NextDeadline(session.decoder, deadline)) {
    const uint64_t now = posix::NowMs();
    timeout = deadline <= now ? 0 : deadline - now < timeout ? deadline - now : timeout;
  }
  inputSeenReady = InputReady(int(input), int(timeout));
}

}  // namespace platform
