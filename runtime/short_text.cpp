// Assignment and concatenation of short texts, both truncating.
#include "runtime/short_text.h"

#include <cstring>

namespace runtime {

void AssignShortText(int maximum, TextRef source, TextSlot destination) {
  int count = source.length;
  if (count > maximum) count = maximum;
  if (count > destination.capacity) count = destination.capacity;
  if (count < 0) count = 0;
  // memmove: a text may be assigned to itself or to an overlapping variable.
  std::memmove(destination.chars, source.chars, std::size_t(count));
  *destination.length = uint8_t(count);
}

void AppendShortText(LongText& destination, TextRef source) {
  int count = source.length;
  const int room = shortTextLimit - destination.length;
  if (count > room) count = room;
  if (count <= 0) return;
  std::memmove(destination.chars + destination.length, source.chars, std::size_t(count));
  destination.length = uint8_t(destination.length + count);
}

}  // namespace runtime
