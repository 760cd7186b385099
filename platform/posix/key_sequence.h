// The scanner under the key decoder: cuts one token off the front of terminal
// bytes: a byte, a UTF-8 code point, ESC x, ESC ESC, or a CSI / SS3 sequence
// ("CSI 1;5 A", "CSI 97:65;6 u", "CSI ? 1 u", "SS3 P", "CSI [ A") with its parameters.
#pragma once

#include <cstdint>

namespace platform::posix {

inline constexpr uint8_t escByte = 0x1B;

// The final bytes that close a CSI or SS3 sequence.
inline constexpr uint8_t firstFinal = 0x40;
inline constexpr uint8_t lastFinal = 0x7E;

inline constexpr int maxParams = 4;
inline constexpr int maxSubParams = 4;

// One CSI or SS3 sequence as it arrived.
struct Sequence {
  uint8_t introducer;  // '[' CSI, 'O' SS3
  uint8_t marker;      // private marker '?' '>' '<' '=', '[' for "CSI [ x", 0 for none
  bool odd;            // intermediate bytes or a misplaced marker: no key looks like this
  uint8_t final;       // 0x40 to 0x7E
  int paramCount;      // parameters written, empty ones included: "1;" has 2
  int subIndex;        // while scanning: the sub-parameter being written
  uint32_t params[maxParams][maxSubParams];  // 0 where omitted; beyond the bounds not kept
  int subCounts[maxParams];
};

// Sub-parameter `sub` of parameter `index`; 0 where omitted or out of bounds
// (a negative index included).
uint32_t Param(const Sequence& seq, int index, int sub);

enum class Scan : uint8_t { incomplete, complete, invalid };

enum class TokenKind : uint8_t { byte, codePoint, escape, sequence };

// One decoded unit at the start of the pending bytes.
struct Token {
  TokenKind kind;
  int length;      // bytes it takes
  bool altPrefix;  // an extra ESC came first: the key is reported with Alt
  uint32_t value;  // the byte, or the code point
  Sequence sequence;
};

// '[' (CSI) or 'O' (SS3) after ESC.
bool IsIntroducer(uint8_t byte);

// A private marker: '<' '=' '>' '?'.
bool IsMarker(uint8_t byte);

// Scans the token at the start of `bytes` (`count` >= 1). Incomplete: the bytes
// may still become a token. Invalid: they never will, and the caller settles
// them. `token` is meaningful only when complete.
Scan ScanToken(const uint8_t* bytes, int count, Token& token);

}  // namespace platform::posix
