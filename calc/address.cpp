// Lenient dotted-decimal parsing and the contiguity test of a mask.
#include "calc/address.h"

namespace calc {

using runtime::AppendShortText;
using runtime::AssignShortText;
using runtime::LongText;
using runtime::TextRef;

uint8_t inputErrorCode = 0;

uint8_t OctetValue(const OctetText& text) {
  uint16_t value = 0;  // modulo 65536; three digits never exceed 999
  for (int i = 0; i < text.length; ++i) {
    const char c = text.chars[i];
    if (c >= '0' && c <= '9') value = uint16_t(value * 10 + (c - '0'));
  }
  if (value > 255) {
    inputErrorCode = errorComponentRange;
    value = 0;
  }
  return uint8_t(value);
}

// Appends c to the component through a copy assigned back with maximum 3, so a
// fourth and any further character of a component is dropped.
static void AppendToOctet(OctetText& octet, char c) {
  LongText copy;
  AssignShortText(runtime::shortTextLimit, octet, copy);
  AppendShortText(copy, TextRef(&c, 1));
  AssignShortText(3, copy, octet);
}

uint32_t ParseDottedAddress(TextRef text) {
  uint32_t result = 0;
  OctetText octet;
  for (int i = 0; i < text.length; ++i) {
    if (text.chars[i] == '.') {
      result = (result << 8) + OctetValue(octet);
      octet.length = 0;
    } else {
      AppendToOctet(octet, text.chars[i]);
    }
  }
  return result;
}

uint32_t ParseLine(const LineText& line) {
  LongText text;
  AssignShortText(runtime::shortTextLimit, line, text);
  AppendShortText(text, ".");
  return ParseDottedAddress(text);
}

bool IsOneRun(uint32_t mask) {
  bool oneSeen = false;
  for (uint32_t rest = mask; rest != 0; rest >>= 1) {
    const bool bit = (rest & 1) != 0;
    if (oneSeen && !bit) return false;
    if (bit) oneSeen = true;
  }
  return true;
}

void CheckMask(uint32_t mask) {
  if (!IsOneRun(mask)) inputErrorCode = uint8_t(inputErrorCode + errorMaskNotContiguous);
}

}  // namespace calc
