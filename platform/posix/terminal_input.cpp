// The session's key source and its reader. Every path that feeds the key
// decoder (the keys typed before raw mode, the start-up replies, the keys of
// the session, redirected input) reads through TakeKeyBytes, which keeps each
// read within InputRoom: the bytes beyond wait in the terminal's buffer. It is
// also the one place that lets the decoder's time pass (FeedTime), and only
// after a look that found nothing to read.
#include "platform/posix/terminal_input.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

#include "platform/posix/monotonic_clock.h"
#include "platform/posix/terminal.h"

namespace platform::posix {

namespace {

constexpr int readLimit = 256;  // bytes taken in by one read at most

bool IsOpen(int fd) {
  return fcntl(fd, F_GETFD) != -1 || errno != EBADF;
}

// What a look without waiting found. Only a clean answer of "nothing" lets the
// decoder's time pass: an interrupted look has seen nothing yet.
enum class Look { readable, nothing, interrupted };

Look LookAt(int fd) {
  pollfd waiting = {fd, POLLIN, 0};
  const int ready = poll(&waiting, 1, 0);
  if (ready > 0) return Look::readable;
  return ready == 0 ? Look::nothing : Look::interrupted;
}

// Nothing more will ever be read: what is open is settled now, before the end.
void SettleAtEnd() {
  uint64_t deadline;
  if (NextDeadline(session.decoder, deadline)) FeedTime(session.decoder, deadline, session.queue);
}

// The keys typed before raw mode went through the line discipline, which
// turned Enter's CR into LF: those LFs are Enter again.
void UndoCookedReturns(int fd, uint8_t* bytes, int count) {
  if (fd != session.inputFd) return;
  for (int i = 0; i < count && session.cookedBytes > 0; ++i, --session.cookedBytes) {
    if (bytes[i] == '\n') bytes[i] = '\r';
  }
}

}  // namespace

void OpenKeySource() {
  session.inputFd = STDIN_FILENO;
  session.ownsInputFd = false;
  session.inputIsTerminal = isatty(STDIN_FILENO) == 1;
  if (IsOpen(STDIN_FILENO)) return;
  const int terminal = OpenTerminalDevice(O_RDONLY);
  if (terminal < 0) return;
  session.inputFd = terminal;
  session.ownsInputFd = true;
  session.inputIsTerminal = true;
}

void CloseKeySource() {
  if (session.ownsInputFd) close(session.inputFd);
  session.ownsInputFd = false;
  session.inputFd = STDIN_FILENO;
}

void NoteCookedTypeAhead() {
  int waiting = 0;
  session.cookedBytes = 0;
  if (session.inputIsTerminal && ioctl(session.inputFd, FIONREAD, &waiting) == 0) {
    session.cookedBytes = waiting;
  }
}

// The clock is read before the look, so that a look that finds nothing vouches
// for the time up to it: the decoder's time passes only by such a look.
KeyRead TakeKeyBytes(int fd) {
  const int room = InputRoom(session.decoder, session.queue);
  if (room == 0) return KeyRead::noRoom;
  const uint64_t lookedAt = NowMs();
  const Look look = LookAt(fd);
  if (look == Look::nothing) FeedTime(session.decoder, lookedAt, session.queue);
  if (look != Look::readable) return KeyRead::nothing;
  uint8_t bytes[readLimit];
  const ssize_t n = read(fd, bytes, size_t(room < readLimit ? room : readLimit));
  if (n < 0 && (errno == EINTR || errno == EAGAIN)) return KeyRead::nothing;
  if (n <= 0) {
    SettleAtEnd();
    return KeyRead::ended;
  }
  UndoCookedReturns(fd, bytes, int(n));
  FeedBytes(session.decoder, bytes, int(n), NowMs(), session.queue);
  return KeyRead::bytes;
}

}  // namespace platform::posix
