// Process handles on POSIX: the standard file descriptors, their reads and
// writes, and errno told as the Win32 error number the runtime expects; LF
// ends a line of text.
#include <errno.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/platform.h"
#include "platform/posix/descriptors.h"
#include "platform/posix/terminal_screen.h"
#include "platform/posix/write_all.h"

namespace platform {

namespace {

uint32_t lastError = 0;

// errno as the seam's error number of the same meaning.
struct ErrnoError {
  int error;
  uint32_t number;
};

constexpr ErrnoError errnoErrors[] = {
    {ENOENT, errorFileNotFound}, {ENOTDIR, errorPathNotFound},     {EACCES, errorAccessDenied},
    {EPERM, errorAccessDenied},  {EBADF, errorInvalidHandle},      {EIO, errorReadFault},
    {EPIPE, errorBrokenPipe},    {ENOSPC, errorDiskFull},          {EINVAL, errorInvalidParameter},
    {EISDIR, errorIsDirectory},  {ENAMETOOLONG, errorNameTooLong},
};

uint32_t Win32ErrorOf(int error) {
  for (const ErrnoError& entry : errnoErrors) {
    if (entry.error == error) return entry.number;
  }
  return errorGeneralFailure;
}

void NoteError() {
  lastError = Win32ErrorOf(errno);
}

}  // namespace

Handle StdHandle(StdHandleId which) {
  switch (which) {
    case StdHandleId::input:
      return STDIN_FILENO;
    case StdHandleId::output:
      return STDOUT_FILENO;
    case StdHandleId::error:
      return STDERR_FILENO;
  }
  return invalidHandle;
}

bool WriteBytes(Handle handle, const void* bytes, int32_t count, int32_t& written) {
  // Bytes written past the console (to standard error on the same terminal,
  // say) come after what the program drew before them.
  posix::FlushScreen();
  written = posix::WriteAll(int(handle), static_cast<const char*>(bytes), count);
  if (written == count) return true;
  NoteError();
  return false;
}

bool ReadBytes(Handle handle, void* bytes, int32_t capacity, int32_t& read) {
  for (;;) {
    const ssize_t n = ::read(int(handle), bytes, size_t(capacity));
    if (n >= 0) {
      read = int32_t(n);
      return true;
    }
    if (errno != EINTR) break;
  }
  read = 0;
  NoteError();
  return false;
}

bool IsCharacterDevice(Handle handle) {
  struct stat status;
  return fstat(int(handle), &status) == 0 && S_ISCHR(status.st_mode);
}

bool CloseHandle(Handle handle) {
  if (close(int(handle)) == 0) return true;
  NoteError();
  return false;
}

// A folder opens for reading on POSIX and fails only at the first read: it
// is refused here, as Windows refuses it.
Handle OpenFileForReading(const char* path) {
  const int fd = posix::OpenAboveStandard(path, O_RDONLY);
  struct stat status;
  if (fd >= 0 && fstat(fd, &status) == 0 && S_ISDIR(status.st_mode)) {
    close(fd);
    lastError = errorIsDirectory;
    return invalidHandle;
  }
  if (fd < 0) NoteError();
  return fd < 0 ? invalidHandle : Handle(fd);
}

uint32_t LastError() {
  return lastError;
}

const char* TextLineEnd() {
  return "\n";
}

const char* NativeHelpOption() {
  return nullptr;
}

}  // namespace platform
