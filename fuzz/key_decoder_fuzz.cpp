// The key decoder over arbitrary bytes arriving in chunks at arbitrary times,
// with or without a look that found nothing between them: every event it
// produces is in range, and once time passes nothing is left pending.
#include <cstdint>
#include <cstdlib>

#include "platform/posix/key_decoder.h"

using namespace platform;
using namespace platform::posix;

namespace {

void CheckEvents(InputQueue& queue) {
  InputEvent event;
  while (PopEvent(queue, event)) {
    if (event.eventType != keyEvent || event.repeatCount != 1) std::abort();
    if (event.virtualKeyCode > 0xFF || event.virtualScanCode > 0xFF) std::abort();
    if (event.controlKeyState & ~uint32_t(0x1FF)) std::abort();
  }
}

}  // namespace

// Byte 0 chooses the mode; then each chunk is a length byte, a gap byte (its
// low seven bits in milliseconds; its top bit a look that found nothing at the
// gap's end) and the chunk's bytes.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  static KeyDecoder decoder;
  static InputQueue queue;
  ResetKeyDecoder(decoder, data[0] & 1, data[0] & 2);
  ResetInputQueue(queue);
  if (data[0] & 4) ExpectReplies(decoder, data[0] & 8);
  uint64_t now = 1000;
  size_t at = 1;
  while (at + 2 <= size) {
    const size_t length = data[at] % 32;
    now += data[at + 1] & 0x7F;
    if (data[at + 1] & 0x80) FeedTime(decoder, now, queue);
    at += 2;
    const size_t count = length < size - at ? length : size - at;
    FeedBytes(decoder, data + at, int(count), now, queue);
    at += count;
    CheckEvents(queue);
  }
  FeedTime(decoder, now + replyTimeoutMs, queue);
  CheckEvents(queue);
  uint64_t deadline;
  if (NextDeadline(decoder, deadline)) std::abort();  // something still pending
  return 0;
}
