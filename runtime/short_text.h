// Short texts: a length byte followed by at most 255 characters, no terminator.
// Every variable has a declared maximum; assignment truncates to it and
// concatenation truncates at 255.
#pragma once

#include <cstddef>
#include <cstdint>

namespace runtime {

inline constexpr int shortTextLimit = 255;  // the longest text any variable can hold

// A read-only view of a text's characters: a string literal or any short text.
struct TextRef {
  const char* chars;
  int length;  // 0 to 255

  constexpr TextRef(const char* c, int n) : chars(c), length(n) {}
  template <std::size_t N>
  constexpr TextRef(const char (&literal)[N]) : chars(literal), length(int(N) - 1) {
    static_assert(N - 1 <= shortTextLimit);
  }
};

// A text variable declared with a maximum length of Maximum characters.
template <int Maximum>
struct ShortText {
  static_assert(Maximum >= 1 && Maximum <= shortTextLimit);
  uint8_t length = 0;
  char chars[Maximum] = {};

  constexpr operator TextRef() const { return {chars, length}; }
};

// The text type with the largest maximum: the target of every concatenation.
using LongText = ShortText<shortTextLimit>;

// The writable side of a text variable of any maximum, as routines that fill
// one receive it. `capacity` is the variable's declared maximum.
struct TextSlot {
  uint8_t* length;
  char* chars;
  int capacity;

  template <int Maximum>
  constexpr TextSlot(ShortText<Maximum>& text)
      : length(&text.length), chars(text.chars), capacity(Maximum) {}
};

// destination := the first min(maximum, source.length) characters of source.
// A maximum above the destination's capacity is held to the capacity.
void AssignShortText(int maximum, TextRef source, TextSlot destination);

// Appends min(source.length, 255 - destination.length) characters of source.
void AppendShortText(LongText& destination, TextRef source);

}  // namespace runtime
