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

// errno as the Win32 error number of the same meaning.
uint32_t Win32ErrorOf(int error) {
  switch (error) {
    case ENOENT:
      return 2;  // file not found
    case ENOTDIR:
      return 3;  // path not found
    case EACCES:
    case EPERM:
    case EISDIR:
      return 5;  // access denied
    case EBADF:
      return 6;  // invalid handle
    case EIO:
      return 30;  // read fault
    case EPIPE:
      return 109;  // broken pipe
    case ENOSPC:
      return 112;  // disk full
    case EINVAL:
      return 87;  // invalid parameter
    default:
      return 31;  // a device attached to the system is not functioning
  }
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

Handle OpenFileForReading(const char* path) {
  const int fd = posix::OpenAboveStandard(path, O_RDONLY);
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
