// Scanning terminal bytes into tokens: CSI / SS3 parameters ("1;5", "97:65;2:3")
// with their private marker and final byte, and UTF-8 without overlong forms,
// surrogates or code points above U+10FFFF.
#include "platform/posix/key_sequence.h"

#include <algorithm>

namespace platform::posix {

namespace {

constexpr uint32_t paramCeiling = 99999999;  // larger numbers stick here

void AddDigit(Sequence& seq, uint8_t digit) {
  if (seq.paramCount == 0) seq.paramCount = 1;
  int index = seq.paramCount - 1;
  if (index >= maxParams || seq.subIndex >= maxSubParams) return;
  uint32_t& value = seq.params[index][seq.subIndex];
  value = std::min(paramCeiling, value * 10 + (digit - '0'));
  seq.subCounts[index] = std::max(seq.subCounts[index], seq.subIndex + 1);
}

// Parameter and intermediate bytes; false for a byte that has no place in a sequence.
bool TakeParameterByte(Sequence& seq, uint8_t byte) {
  if (byte >= '0' && byte <= '9') {
    AddDigit(seq, byte);
  } else if (byte == ';' || byte == ':') {
    seq.paramCount = std::max(seq.paramCount, 1) + (byte == ';' ? 1 : 0);
    seq.subIndex = byte == ';' ? 0 : seq.subIndex + 1;
  } else if (byte >= 0x20 && byte <= 0x3F) {
    seq.odd = true;
  } else {
    return false;
  }
  return true;
}

// `bytes` starts with ESC and an introducer.
Scan ScanSequence(const uint8_t* bytes, int count, Sequence& seq, int& length) {
  seq = Sequence{};
  seq.introducer = bytes[1];
  int i = 2;
  bool linuxKey = i < count && seq.introducer == '[' && bytes[i] == '[';
  if (i < count && (linuxKey || IsMarker(bytes[i]))) seq.marker = bytes[i++];
  for (; i < count; ++i) {
    if (bytes[i] >= firstFinal && bytes[i] <= lastFinal) {
      seq.final = bytes[i];
      length = i + 1;
      return Scan::complete;
    }
    if (!TakeParameterByte(seq, bytes[i])) return Scan::invalid;
  }
  return Scan::incomplete;
}

// Lead bytes of UTF-8 with the sequence length and the range the second byte
// must fall in (no overlong forms, no surrogates, nothing above U+10FFFF).
struct Utf8Lead {
  uint8_t first;
  uint8_t last;
  uint8_t length;
  uint8_t secondLow;
  uint8_t secondHigh;
};
constexpr Utf8Lead utf8Leads[] = {
    {0xC2, 0xDF, 2, 0x80, 0xBF}, {0xE0, 0xE0, 3, 0xA0, 0xBF}, {0xE1, 0xEC, 3, 0x80, 0xBF},
    {0xED, 0xED, 3, 0x80, 0x9F}, {0xEE, 0xEF, 3, 0x80, 0xBF}, {0xF0, 0xF0, 4, 0x90, 0xBF},
    {0xF1, 0xF3, 4, 0x80, 0xBF}, {0xF4, 0xF4, 4, 0x80, 0x8F},
};

const Utf8Lead* FindUtf8Lead(uint8_t byte) {
  for (const Utf8Lead& lead : utf8Leads) {
    if (byte >= lead.first && byte <= lead.last) return &lead;
  }
  return nullptr;
}

Scan ScanUtf8(const uint8_t* bytes, int count, Token& token) {
  const Utf8Lead* lead = FindUtf8Lead(bytes[0]);
  if (lead == nullptr) return Scan::invalid;
  uint32_t codePoint = bytes[0] & (0x7F >> lead->length);
  for (int i = 1; i < lead->length; ++i) {
    if (i >= count) return Scan::incomplete;
    uint8_t low = i == 1 ? lead->secondLow : 0x80;
    uint8_t high = i == 1 ? lead->secondHigh : 0xBF;
    if (bytes[i] < low || bytes[i] > high) return Scan::invalid;
    codePoint = (codePoint << 6) | (bytes[i] & 0x3F);
  }
  token = Token{TokenKind::codePoint, lead->length, false, codePoint, {}};
  return Scan::complete;
}

Scan ScanText(const uint8_t* bytes, int count, Token& token) {
  if (bytes[0] >= 0x80) return ScanUtf8(bytes, count, token);
  token = Token{TokenKind::byte, 1, false, bytes[0], {}};
  return Scan::complete;
}

Scan ScanEscapeSequence(const uint8_t* bytes, int count, Token& token) {
  token.kind = TokenKind::sequence;
  return ScanSequence(bytes, count, token.sequence, token.length);
}

// ESC ESC: Alt with a sequence ("ESC ESC [ A" is Alt+Up), else Alt+Esc.
Scan ScanDoubleEscape(const uint8_t* bytes, int count, Token& token) {
  if (count == 2) return Scan::incomplete;
  if (!IsIntroducer(bytes[2])) {
    token = Token{TokenKind::escape, 2, true, escByte, {}};
    return Scan::complete;
  }
  Scan scan = ScanEscapeSequence(bytes + 1, count - 1, token);
  token.altPrefix = true;
  token.length += 1;
  return scan;
}

// ESC with text: Alt with that key. ESC before a broken UTF-8 byte is Esc alone.
Scan ScanAltText(const uint8_t* bytes, int count, Token& token) {
  Scan scan = ScanText(bytes + 1, count - 1, token);
  token.altPrefix = true;
  token.length += 1;
  if (scan == Scan::invalid) token = Token{TokenKind::escape, 1, false, escByte, {}};
  return scan == Scan::invalid ? Scan::complete : scan;
}

}  // namespace

uint32_t Param(const Sequence& seq, int index, int sub) {
  if (index < 0 || index >= maxParams || sub >= maxSubParams) return 0;
  return seq.params[index][sub];
}

bool IsIntroducer(uint8_t byte) {
  return byte == '[' || byte == 'O';
}

bool IsMarker(uint8_t byte) {
  return byte >= '<' && byte <= '?';
}

Scan ScanToken(const uint8_t* bytes, int count, Token& token) {
  token = Token{};
  if (bytes[0] != escByte) return ScanText(bytes, count, token);
  if (count == 1) return Scan::incomplete;
  if (IsIntroducer(bytes[1])) return ScanEscapeSequence(bytes, count, token);
  if (bytes[1] == escByte) return ScanDoubleEscape(bytes, count, token);
  return ScanAltText(bytes, count, token);
}

}  // namespace platform::posix
