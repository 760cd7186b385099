// Key events from the bytes of a file or pipe on standard input: ReadFile,
// preceded on a pipe by PeekNamedPipe, whose broken-pipe failure (the writer
// has gone) is the end of input like a read of nothing.
#include "platform/win32/redirected_input.h"

#include "platform/us_layout.h"
#include "platform/win32/win32_api.h"

namespace platform::win32 {

namespace {

// How many bytes a read takes without waiting, 0 when none are there yet. A
// pipe whose writer has gone is at its end; a pipe that cannot be peeked (Wine
// on a Unix pipe) is read like a file from then on, waiting for its writer.
DWORD ReadableNow(ByteInput& input) {
  if (!input.peekFirst) return byteInputCapacity;
  DWORD available = 0;
  if (PeekNamedPipe(NativeHandle(input.handle), nullptr, 0, nullptr, &available, nullptr)) {
    return available < DWORD(byteInputCapacity) ? available : byteInputCapacity;
  }
  if (GetLastError() == ERROR_BROKEN_PIPE) {
    input.ended = true;
    return 0;
  }
  input.peekFirst = false;
  return byteInputCapacity;
}

// Reads what is there. False when nothing came and more may still come.
bool Refill(ByteInput& input) {
  const DWORD wanted = ReadableNow(input);
  if (input.ended) return true;
  if (wanted == 0) return false;
  DWORD read = 0;
  if (!ReadFile(NativeHandle(input.handle), input.bytes, wanted, &read, nullptr) || read == 0) {
    input.ended = true;
    return true;
  }
  input.next = 0;
  input.end = int(read);
  return true;
}

// False for the LF of a CR LF, which the CR's Enter already stands for.
bool TakeByte(ByteInput& input) {
  return RedirectedByteEvent(input.bytes[input.next++], input.afterReturn, input.event);
}

bool DeliverEnd(ByteInput& input) {
  if (input.endDelivered) return false;
  input.event = InputEvent{};
  input.event.eventType = endOfInputEvent;
  input.endDelivered = true;
  input.eventReady = true;
  return true;
}

}  // namespace

void StartByteInput(ByteInput& input, Handle handle) {
  input = ByteInput{};
  input.handle = handle;
  input.peekFirst = GetFileType(NativeHandle(handle)) == FILE_TYPE_PIPE;
}

bool PrepareByteEvent(ByteInput& input) {
  while (!input.eventReady) {
    if (input.next < input.end) {
      input.eventReady = TakeByte(input);
    } else if (input.ended) {
      return DeliverEnd(input);
    } else if (!Refill(input)) {
      return false;
    }
  }
  return true;
}

void TakeByteEvent(ByteInput& input, InputEvent& event) {
  event = input.eventReady ? input.event : InputEvent{};
  input.eventReady = false;
}

}  // namespace platform::win32
