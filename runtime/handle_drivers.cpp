// Routine slots of streams bound to a process handle: one platform write per
// flush, one platform read per refill, and the close that spares devices.
#include "runtime/text_stream.h"

namespace runtime {

int HandleWriteDriver(TextStream& stream) {
  int32_t written = 0;
  const bool ok = platform::WriteBytes(stream.handle, stream.bufferRef, stream.bufferPos, written);
  if (!ok || written != stream.bufferPos) ioResult = errorWriteFailed;
  stream.bufferPos = 0;
  return 0;
}

uint16_t IoErrorOf(uint32_t platformError) {
  if (platformError >= 19 && platformError <= 31) return uint16_t(platformError + 131);
  if (platformError == platform::errorSharingViolation) return platform::errorAccessDenied;
  return uint16_t(platformError);
}

int HandleReadDriver(TextStream& stream) {
  int32_t read = 0;
  if (!platform::ReadBytes(stream.handle, stream.bufferRef, stream.bufferSize, read)) {
    ioResult = IoErrorOf(platform::LastError());
    read = 0;
  }
  stream.bufferEnd = read;
  stream.bufferPos = 0;
  return 0;
}

int HandleCloseHook(TextStream& stream) {
  if (!platform::IsCharacterDevice(stream.handle)) platform::CloseHandle(stream.handle);
  stream.handle = platform::invalidHandle;
  return 0;
}

}  // namespace runtime
