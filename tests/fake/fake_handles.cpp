// The fake's process handles and process life.
#include <cstdlib>
#include <cstring>

#include "tests/fake/fake_platform.h"

namespace fake {

FakeState state;

void Reset() {
  state = FakeState{};
  platform::ReleaseScreenBuffer(screen);
  state.handles[inputHandle];
  state.handles[outputHandle];
  state.handles[errorHandle];
}

}  // namespace fake

namespace platform {

using fake::state;

Handle StdHandle(StdHandleId which) {
  switch (which) {
    case StdHandleId::input:
      return fake::inputHandle;
    case StdHandleId::output:
      return fake::outputHandle;
    case StdHandleId::error:
      return fake::errorHandle;
  }
  return invalidHandle;
}

// A file the test scripted under its path in state.files; else none.
Handle OpenFileForReading(const char* path) {
  const auto file = state.files.find(path);
  if (file != state.files.end()) return file->second;
  state.lastError = platform::errorFileNotFound;
  return invalidHandle;
}

bool WriteBytes(Handle handle, const void* bytes, int32_t count, int32_t& written) {
  fake::HandleScript& script = state.handles[handle];
  ++script.writeCalls;
  written = 0;
  if (script.failWrites) {
    state.lastError = state.failedWriteError;
    return false;
  }
  if (script.readerLeavesAfter != 0 &&
      script.written.size() + size_t(count) > script.readerLeavesAfter) {
    state.lastError = platform::errorBrokenPipe;
    script.readerLeft = true;
    return false;
  }
  written = count > script.shortWriteBy ? count - script.shortWriteBy : 0;
  script.written.append(static_cast<const char*>(bytes), std::size_t(written));
  return true;
}

bool ReadBytes(Handle handle, void* bytes, int32_t capacity, int32_t& read) {
  fake::HandleScript& script = state.handles[handle];
  read = 0;
  if (script.readError != 0) {
    state.lastError = script.readError;
    return false;
  }
  if (script.reads.empty()) return true;
  std::string& next = script.reads.front();
  read = int32_t(next.size()) < capacity ? int32_t(next.size()) : capacity;
  std::memcpy(bytes, next.data(), std::size_t(read));
  next.erase(0, std::size_t(read));
  if (next.empty()) script.reads.pop_front();
  return true;
}

bool IsCharacterDevice(Handle handle) {
  return state.handles[handle].characterDevice;
}

bool CloseHandle(Handle handle) {
  state.handles[handle].closed = true;
  return true;
}

uint32_t LastError() {
  return state.lastError;
}

const char* TextLineEnd() {
  return state.textLineEnd;
}

const char* NativeHelpOption() {
  return state.nativeHelpOption;
}

void InstallFaultHandler(FaultFilter, ResumeRoutine) {
  ++state.faultHandlerInstalls;
}
void RemoveFaultHandler() {
  ++state.faultHandlerRemovals;
}
StackRange StackBounds() {
  return state.stack;
}
void ResetFloatingPoint(uint16_t) {}
void CallWithFrameChainEnd(void (*routine)()) {
  routine();
}

void ReadStartupInformation() {}
void OpenDiskSpaceQuery() {}
void CloseDiskSpaceQuery() {}

void ExitProcess(uint32_t code) {
  state.exited = true;
  state.exitCode = code;
  if (state.exitJump == nullptr) std::abort();
  std::longjmp(*state.exitJump, 1);
}

}  // namespace platform

// The fake's exit jumps back into the test over the frames of the program that
// took it. The command-line program keeps texts and lists on the heap in those
// frames, which the real exit takes down with the process: what the jump leaves
// behind is no leak of the program's.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:cli::\n";
}
