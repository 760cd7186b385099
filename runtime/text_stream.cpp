// The stream records, the pending I/O error, and the binding, opening and
// closing of streams.
#include "runtime/text_stream.h"

#include <cstring>

#include "runtime/runtime_state.h"

namespace runtime {

TextStream standardInput;
TextStream standardOutput;
TextStream reportStream;
TextStream standardError;
uint16_t ioResult = 0;

// The open hook of a stream assigned to a file name. This system reads and
// writes no files, so opening one fails as a file that is not there would.
static int NamedFileOpenHook(TextStream&) {
  constexpr uint16_t errorFileNotFound = 2;
  ioResult = errorFileNotFound;
  return 0;
}

bool ReadyFor(TextStream& stream, uint32_t mode) {
  if (ioResult != 0) return false;
  if (stream.mode == mode) return true;
  const bool open = stream.mode == modeInput || stream.mode == modeOutput;
  if (!open) {
    ioResult = errorNotOpen;
  } else {
    ioResult = mode == modeInput ? errorNotOpenForInput : errorNotOpenForOutput;
  }
  return false;
}

void AssignStream(TextStream& stream, TextRef name) {
  std::memset(&stream, 0, sizeof stream);
  stream.handle = platform::invalidHandle;
  stream.mode = modeClosed;
  stream.bufferSize = streamBufferSize;
  stream.bufferRef = stream.ownBuffer;
  stream.openHook = NamedFileOpenHook;
  // The zeroed record supplies the name's terminator.
  if (name.length > 0) std::memcpy(stream.name, name.chars, std::size_t(name.length));
}

void BindStdStream(TextStream& stream, uint32_t mode, platform::Handle handle) {
  AssignStream(stream, "");
  stream.handle = handle;
  stream.mode = mode;
  stream.closeHook = HandleCloseHook;
  if (mode == modeInput) {
    stream.inOutDriver = HandleReadDriver;
  } else {
    stream.inOutDriver = HandleWriteDriver;
    stream.flushHook = HandleWriteDriver;
  }
}

void OpenStream(TextStream& stream, uint32_t mode) {
  if (stream.mode == modeInput || stream.mode == modeOutput) {
    CloseStream(stream);
  } else if (stream.mode != modeClosed) {
    ioResult = errorNotAssigned;
    return;
  }
  stream.mode = mode;
  stream.bufferPos = 0;
  stream.bufferEnd = 0;
  stream.openHook(stream);
  if (ioResult != 0) stream.mode = modeClosed;
}

void OpenForOutput(TextStream& stream) {
  if (ioResult == 0) OpenStream(stream, modeOutput);
}

void OpenForInput(TextStream& stream) {
  if (ioResult == 0) OpenStream(stream, modeInput);
}

static bool IsStandardHandle(platform::Handle handle) {
  for (platform::Handle standard : runState.standardHandles) {
    if (handle == standard) return true;
  }
  return false;
}

void CloseStream(TextStream& stream) {
  if (ioResult != 0) return;
  if (stream.mode != modeInput && stream.mode != modeOutput) {
    ioResult = errorNotOpen;
    return;
  }
  if (stream.mode == modeOutput) stream.inOutDriver(stream);
  if (!IsStandardHandle(stream.handle)) stream.closeHook(stream);
  stream.mode = modeClosed;
  stream.bufferPos = 0;
  stream.bufferEnd = 0;
}

}  // namespace runtime
