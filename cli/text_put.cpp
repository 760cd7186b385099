// Decimal numbers two digits at a time, from the octets' table.
#include "cli/text_put.h"

namespace cli {

char* PutDecimal(char* at, uint64_t value) {
  if (value < 256) {
    std::memcpy(at, octetTexts[value].text, 4);
    return at + octetTexts[value].length;
  }
  char digits[20];
  int start = 20;
  while (value >= 100) {
    std::memcpy(digits + (start -= 2), octetTexts[100 + value % 100].text + 1, 2);
    value /= 100;
  }
  if (value >= 10) {
    std::memcpy(digits + (start -= 2), octetTexts[100 + value].text + 1, 2);
  } else {
    digits[--start] = char('0' + value);
  }
  return PutText(at, std::string_view(digits + start, size_t(20 - start)));
}

// Nine digits at a time from the right: the value as four 32-bit words
// divided by 10^9, each step's remainder below 2^30, so that no step needs
// more than 64 bits.
char* PutDecimal(char* at, calc::Address6 value, bool twoTo128) {
  if (twoTo128) return PutText(at, "340282366920938463463374607431768211456");
  if (value.high == 0) return PutDecimal(at, value.low);
  uint32_t words[4] = {uint32_t(value.high >> 32), uint32_t(value.high), uint32_t(value.low >> 32),
                       uint32_t(value.low)};
  uint32_t groups[5];  // of nine digits, the lowest first
  int count = 0;
  for (bool nonZero = true; nonZero;) {
    uint64_t remainder = 0;
    nonZero = false;
    for (uint32_t& word : words) {
      const uint64_t part = remainder << 32 | word;
      word = uint32_t(part / 1000000000);
      remainder = part % 1000000000;
      nonZero = nonZero || word != 0;
    }
    groups[count++] = uint32_t(remainder);
  }
  at = PutDecimal(at, uint64_t(groups[count - 1]));
  for (int i = count - 2; i >= 0; --i) {
    char digits[9];
    for (int d = 8, group = int(groups[i]); d >= 0; --d, group /= 10)
      digits[d] = char('0' + group % 10);
    at = PutText(at, std::string_view(digits, 9));
  }
  return at;
}

}  // namespace cli
