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

}  // namespace cli
