// Line reading: at most a given number of characters of the current line into
// a text, then the rest of the line and its end. A line ends at LF, CR LF, a
// lone CR, or the end of input. And reading in blocks, line ends and all.
#include <cstring>

#include "runtime/text_stream.h"

namespace runtime {

// True when a character is waiting, refilling the buffer once if needed.
static bool Refill(TextStream& stream) {
  if (stream.bufferPos < stream.bufferEnd) return true;
  stream.inOutDriver(stream);
  return stream.bufferPos < stream.bufferEnd;
}

void ReadText(TextStream& stream, TextSlot variable, int maximum) {
  if (maximum > variable.capacity) maximum = variable.capacity;
  int count = 0;
  if (ReadyFor(stream, modeInput)) {
    while (count < maximum && Refill(stream)) {
      int limit = stream.bufferEnd;
      if (limit > stream.bufferPos + (maximum - count))
        limit = stream.bufferPos + (maximum - count);
      int end = stream.bufferPos;
      while (end < limit && stream.bufferRef[end] != '\r' && stream.bufferRef[end] != '\n') ++end;
      std::memcpy(variable.chars + count, stream.bufferRef + stream.bufferPos,
                  std::size_t(end - stream.bufferPos));
      count += end - stream.bufferPos;
      stream.bufferPos = end;
      if (end < limit) break;  // stopped before CR or LF
    }
  }
  *variable.length = uint8_t(count);
}

// The end of input ends the line: the flush hook runs and reading stops.
static bool RefillOrEnd(TextStream& stream) {
  if (Refill(stream)) return true;
  if (stream.flushHook != nullptr) stream.flushHook(stream);
  return false;
}

void ReadLineEnd(TextStream& stream) {
  if (!ReadyFor(stream, modeInput)) return;
  for (;;) {
    if (!RefillOrEnd(stream)) return;
    const char c = stream.bufferRef[stream.bufferPos++];
    if (c == '\n') return;
    if (c == '\r') {
      if (!RefillOrEnd(stream)) return;
      if (stream.bufferRef[stream.bufferPos] == '\n') ++stream.bufferPos;
      return;
    }
  }
}

int32_t ReadBlock(TextStream& stream, char* into, int32_t capacity) {
  if (!ReadyFor(stream, modeInput) || !Refill(stream)) return 0;
  int32_t count = stream.bufferEnd - stream.bufferPos;
  if (count > capacity) count = capacity;
  std::memcpy(into, stream.bufferRef + stream.bufferPos, std::size_t(count));
  stream.bufferPos += count;
  return count;
}

}  // namespace runtime
