// Parsing rules of dotted address lines and the mask check, table-driven.
#include <gtest/gtest.h>

#include <string>

#include "calc/address.h"
#include "tests/shared/network_cases.h"

namespace {

constexpr uint32_t Ip(uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
  return a << 24 | b << 16 | c << 8 | d;
}

// Parses a typed line as the task driver does: with one "." appended.
uint32_t ParseLine(const std::string& line) {
  const std::string text = line + ".";
  return calc::ParseDottedAddress(runtime::TextRef(text.data(), int(text.size())));
}

struct ParseCase {
  const char* line;
  uint32_t value;
  uint8_t code;
};

const ParseCase parseCases[] = {
    ParseCase{"192.168.1.10", Ip(192, 168, 1, 10), 0},
    ParseCase{"", 0, 0},
    ParseCase{"10.1", Ip(0, 0, 10, 1), 0},  // right-aligned
    ParseCase{"5", 5, 0},
    ParseCase{"1.2.3.4.5", Ip(2, 3, 4, 5), 0},     // last four count
    ParseCase{"10..1", Ip(0, 10, 0, 1), 0},        // empty component is 0
    ParseCase{"1.2.3.4.", Ip(2, 3, 4, 0), 0},      // trailing dot adds a 0
    ParseCase{"1000.0.0.1", Ip(100, 0, 0, 1), 0},  // three characters count
    ParseCase{"0001", 0, 0},
    ParseCase{"2560", 0, 1},                     // reads as 256
    ParseCase{"25a.0.0.1", Ip(25, 0, 0, 1), 0},  // non-digits skipped
    ParseCase{" 7", 7, 0},
    ParseCase{"-1", 1, 0},
    ParseCase{"1e2", 12, 0},
    ParseCase{"abc", 0, 0},
    ParseCase{"a1b2", Ip(0, 0, 0, 1), 0},  // only "a1b" counts
    ParseCase{"10.256.1.1", Ip(10, 0, 1, 1), 1},
    ParseCase{"999.999.999.999", 0, 1},  // code stays 1
    ParseCase{"255.255.255.255", 0xFFFFFFFF, 0},
    ParseCase{"192.168.100.200.", Ip(168, 100, 200, 0), 0}  // the 16-character cut
};

TEST(ParseDottedAddress, ValueAndCode) {
  for (const ParseCase& c : parseCases) {
    calc::inputErrorCode = 0;
    EXPECT_EQ(ParseLine(c.line), c.value) << '"' << c.line << '"';
    EXPECT_EQ(calc::inputErrorCode, c.code) << '"' << c.line << '"';
  }
}

// Several components above 255, in the address and in the mask, are still
// one error: the code stays 1 and the words are said once.
TEST(InputErrorCode, SeveralRangeErrorsAreOne) {
  calc::inputErrorCode = 0;
  calc::LineText address, mask;
  runtime::AssignShortText(calc::lineMaximum, "300.1.999.4", address);
  runtime::AssignShortText(calc::lineMaximum, "255.256.0.0", mask);
  calc::ParseLine(address);
  calc::CheckMask(calc::ParseLine(mask));
  EXPECT_EQ(calc::inputErrorCode, 1);
}

struct MaskCase {
  uint32_t mask;
  bool passes;
};

TEST(CheckMask, ContiguousRunPasses) {
  const MaskCase cases[] = {{0xFFFFFFFF, true}, {0xFFFFFF00, true},  {0x80000000, true},
                            {0, true},          {0x0000FF00, true},  {0x00FFFFFF, true},
                            {1, true},          {0xFF00FF00, false}, {0xFFFFFE01, false},
                            {5, false},         {0x80000001, false}};
  for (const MaskCase& c : cases) {
    calc::inputErrorCode = 0;
    calc::CheckMask(c.mask);
    EXPECT_EQ(calc::inputErrorCode, c.passes ? 0 : 2) << std::hex << c.mask;
  }
}

// The four codes a task can end with: the address is parsed, then the mask,
// then the mask is checked, all accumulating into one code.
TEST(InputErrorCode, CodesCombineOverATask) {
  for (const cases::InputCodeCase& c : cases::inputCodeCases) {
    calc::inputErrorCode = 0;
    ParseLine(c.address);
    calc::CheckMask(ParseLine(c.mask));
    EXPECT_EQ(calc::inputErrorCode, c.code) << c.address << " / " << c.mask;
  }
}

}  // namespace
