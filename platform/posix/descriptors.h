// Opening a file on a descriptor above the standard ones: one that netstep
// opens never takes the place of a closed standard input, output or error.
#pragma once

#include <fcntl.h>
#include <unistd.h>

namespace platform::posix {

// open(path, flags | O_CLOEXEC) moved above descriptor 2; -1 with errno when
// it cannot be had.
inline int OpenAboveStandard(const char* path, int flags) {
  const int fd = open(path, flags | O_CLOEXEC);
  if (fd < 0 || fd > STDERR_FILENO) return fd;
  const int above = fcntl(fd, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
  close(fd);
  return above;
}

}  // namespace platform::posix
