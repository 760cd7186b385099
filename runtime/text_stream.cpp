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

// The open hook of a stream assigned to a file name: the file opened for
// reading. Nothing here writes files; opening one for output fails as a file
// that is not there would.
static int NamedFileOpenHook(TextStream& stream) {
  if (stream.mode != modeInput) {
    ioResult = uint16_t(platform::errorFileNotFound);
    return 0;
  }
  stream.handle = platform::OpenFileForReading(stream.name);
  if (stream.handle == platform::invalidHandle) {
    ioResult = IoErrorOf(platform::LastError());
    return 0;
  }
  stream.inOutDriver = HandleReadDriver;
  stream.closeHook = HandleCloseHook;
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

void SetStreamBuffer(TextStream& stream, char* buffer, int32_t size) {
  if (stream.mode == modeOutput) FlushOutput(stream);
  const int32_t waiting = stream.mode == modeInput ? stream.bufferEnd - stream.bufferPos : 0;
  if (waiting > 0) std::memmove(buffer, stream.bufferRef + stream.bufferPos, std::size_t(waiting));
  stream.bufferRef = buffer;
  stream.bufferSize = size;
  stream.bufferPos = 0;
  stream.bufferEnd = waiting;
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
