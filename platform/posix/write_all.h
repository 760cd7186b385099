// Writing every byte to a file descriptor, going on after interruptions by
// signals. Async-signal-safe: the signal handlers' restoration uses it.
#pragma once

#include <unistd.h>

#include <cerrno>

namespace platform::posix {

// Returns how many bytes went out: fewer than `count` when the descriptor
// takes no more, errno then telling why.
inline int WriteAll(int fd, const char* bytes, int count) {
  int written = 0;
  while (written < count) {
    const ssize_t n = write(fd, bytes + written, size_t(count - written));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    written += int(n);
  }
  return written;
}

}  // namespace platform::posix
