// Process handles on Win32: the standard handles, asked for once each, their
// reads and writes and the last error; CR LF ends a line of text, and /? asks
// for help.
#include <iterator>

#include "platform/platform.h"
#include "platform/win32/console_input.h"
#include "platform/win32/console_output.h"
#include "platform/win32/win32_api.h"

namespace platform {

using win32::NativeHandle;

namespace {

// Indexed by StdHandleId.
constexpr DWORD stdHandleIds[] = {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE};
static_assert(std::size(stdHandleIds) == 3);

struct StdHandles {
  bool known[3];      // the handle below has been asked for
  Handle handles[3];  // as GetStdHandle gave it: null when the process has none
};

StdHandles stdHandles;

}  // namespace

Handle StdHandle(StdHandleId which) {
  const int index = int(which);
  if (!stdHandles.known[index]) {
    stdHandles.handles[index] = win32::SeamHandle(GetStdHandle(stdHandleIds[index]));
    stdHandles.known[index] = true;
    if (which == StdHandleId::input) win32::StartInput(stdHandles.handles[index]);
  }
  return stdHandles.handles[index];
}

// Every byte or failure: a console, a file and a blocking pipe take the whole
// block in one call. Bytes written past the console (a report on standard
// output, say) come after what the program drew before them.
bool WriteBytes(Handle handle, const void* bytes, int32_t count, int32_t& written) {
  win32::FlushConsole();
  DWORD done = 0;
  const BOOL ok = WriteFile(NativeHandle(handle), bytes, DWORD(count), &done, nullptr);
  win32::NoteBytesWritten(handle);
  written = int32_t(done);
  return ok != FALSE;
}

bool ReadBytes(Handle handle, void* bytes, int32_t capacity, int32_t& read) {
  DWORD done = 0;
  const BOOL ok = ReadFile(NativeHandle(handle), bytes, DWORD(capacity), &done, nullptr);
  read = int32_t(done);
  // A pipe whose writer has gone reports it as an error: that is its end.
  return ok != FALSE || GetLastError() == ERROR_BROKEN_PIPE;
}

bool IsCharacterDevice(Handle handle) {
  return GetFileType(NativeHandle(handle)) == FILE_TYPE_CHAR;
}

bool CloseHandle(Handle handle) {
  return ::CloseHandle(NativeHandle(handle)) != FALSE;
}

// Windows refuses a folder as access denied: it is told as the folder it is.
Handle OpenFileForReading(const char* path) {
  const HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_ACCESS_DENIED) {
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
      SetLastError(errorIsDirectory);
    else
      SetLastError(ERROR_ACCESS_DENIED);
  }
  return win32::SeamHandle(file);
}

uint32_t LastError() {
  return GetLastError();
}

const char* TextLineEnd() {
  return "\r\n";
}

const char* NativeHelpOption() {
  return "/?";
}

}  // namespace platform
