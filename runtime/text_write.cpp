// Formatted writing into a stream's buffer: texts, integers and characters
// right-aligned in a field, and the statement ends that hand them on.
#include <cstring>

#include "platform/platform.h"
#include "runtime/text_stream.h"

namespace runtime {

void WriteBlock(TextStream& stream, const char* chars, int count) {
  while (count > stream.bufferSize - stream.bufferPos) {
    const int room = stream.bufferSize - stream.bufferPos;
    std::memcpy(stream.bufferRef + stream.bufferPos, chars, std::size_t(room));
    stream.bufferPos += room;
    chars += room;
    count -= room;
    stream.inOutDriver(stream);
  }
  std::memcpy(stream.bufferRef + stream.bufferPos, chars, std::size_t(count));
  stream.bufferPos += count;
}

void WriteSpaces(TextStream& stream, int count) {
  static constexpr char spaces[32] = {' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ',
                                      ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ',
                                      ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '};
  while (count > 0) {
    const int chunk = count < int(sizeof spaces) ? count : int(sizeof spaces);
    WriteBlock(stream, spaces, chunk);
    count -= chunk;
  }
}

void WriteText(int width, TextStream& stream, TextRef text) {
  if (!ReadyFor(stream, modeOutput)) return;
  if (text.length < width) WriteSpaces(stream, width - text.length);
  WriteBlock(stream, text.chars, text.length);
}

void IntegerToText(int32_t value, ShortText<11>& text) {
  // Digits are produced from the magnitude as an unsigned value, so the most
  // negative value needs no special case.
  uint32_t magnitude = value < 0 ? 0u - uint32_t(value) : uint32_t(value);
  char digits[10];
  int count = 0;
  do {
    digits[count++] = char('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  text.length = 0;
  if (value < 0) text.chars[text.length++] = '-';
  while (count > 0) text.chars[text.length++] = digits[--count];
}

void WriteInteger(int width, TextStream& stream, int32_t value) {
  if (ioResult != 0) return;
  ShortText<11> text;
  IntegerToText(value, text);
  WriteText(width, stream, text);
}

void WriteChar(int width, TextStream& stream, char c) {
  if (!ReadyFor(stream, modeOutput)) return;
  if (width > 1) WriteSpaces(stream, width - 1);
  if (stream.bufferPos + 1 >= stream.bufferSize) stream.inOutDriver(stream);
  stream.bufferRef[stream.bufferPos++] = c;
}

void WriteEnd(TextStream& stream) {
  if (stream.flushHook != nullptr) stream.flushHook(stream);
}

void WriteLineEnd(TextStream& stream) {
  if (!ReadyFor(stream, modeOutput)) return;
  WriteBlock(stream, "\r\n", 2);
  if (stream.flushHook != nullptr) stream.flushHook(stream);
}

void WriteTextLineEnd(TextStream& stream) {
  if (!ReadyFor(stream, modeOutput)) return;
  const char* lineEnd = platform::TextLineEnd();
  WriteBlock(stream, lineEnd, int(std::strlen(lineEnd)));
  if (stream.flushHook != nullptr) stream.flushHook(stream);
}

void BufferOutput(TextStream& stream) {
  stream.flushHook = nullptr;
}

void FlushOutput(TextStream& stream) {
  if (ReadyFor(stream, modeOutput) && stream.bufferPos > 0) stream.inOutDriver(stream);
}

char* OutputRoom(TextStream& stream, int32_t count) {
  if (!ReadyFor(stream, modeOutput)) return nullptr;
  if (stream.bufferSize - stream.bufferPos < count) {
    stream.inOutDriver(stream);
    if (ioResult != 0) return nullptr;
  }
  return stream.bufferRef + stream.bufferPos;
}

}  // namespace runtime
