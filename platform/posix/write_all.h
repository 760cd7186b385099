// Writing every byte to a file descriptor, going on after interruptions by
// signals. Async-signal-safe: the signal handlers' restoration uses it.
#pragma once

#include <unistd.h>

#include <cerrno>

namespace platform::posix {

// Gives up silently when the descriptor takes no more.
inline void WriteAll(int fd, const char* bytes, int count) {
  while (count > 0) {
    const ssize_t n = write(fd, bytes, size_t(count));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    bytes += n;
    count -= int(n);
  }
}

}  // namespace platform::posix
