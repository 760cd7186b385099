// Network range arithmetic and stepping, at both ends of the address space
// and for the masks with fewer than two host bits, from the shared table of
// typed texts.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "calc/address.h"
#include "calc/network_blocks.h"
#include "calc/network_view.h"
#include "tests/shared/network_cases.h"

namespace {

constexpr uint32_t Ip(uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
  return a << 24 | b << 16 | c << 8 | d;
}

// The dotted form the view prints.
std::string Dotted(uint32_t value) {
  return std::to_string(value >> 24) + "." + std::to_string(value >> 16 & 0xFF) + "." +
         std::to_string(value >> 8 & 0xFF) + "." + std::to_string(value & 0xFF);
}

uint32_t Parsed(const char* text) {
  calc::LineText line;
  runtime::AssignShortText(calc::lineMaximum, runtime::TextRef(text, int(std::strlen(text))), line);
  return calc::ParseLine(line);
}

TEST(RangeOf, FourAddresses) {
  for (const cases::NetworkCase& c : cases::networkCases) {
    SCOPED_TRACE(testing::Message() << '"' << c.address << "\" / \"" << c.mask << '"');
    calc::inputErrorCode = 0;
    const uint32_t mask = Parsed(c.mask);
    const calc::NetworkRange got = calc::RangeOf(Parsed(c.address), mask);
    EXPECT_EQ(calc::inputErrorCode, 0);
    EXPECT_EQ(Dotted(got.network), c.network);
    EXPECT_EQ(Dotted(got.firstHost), c.firstHost);
    EXPECT_EQ(Dotted(got.lastHost), c.lastHost);
    EXPECT_EQ(Dotted(got.broadcast), c.broadcast);
    if (c.prefix >= 0) {
      EXPECT_EQ(calc::PrefixMask(uint8_t(c.prefix)), mask);
    }
  }
}

struct StepCase {
  uint32_t address, mask;
  uint8_t key;
  uint32_t next;
};

const StepCase stepCases[] = {
    StepCase{Ip(192, 168, 1, 10), Ip(255, 255, 255, 0), '+', Ip(192, 168, 2, 0)},
    StepCase{Ip(192, 168, 1, 10), Ip(255, 255, 255, 0), '-', Ip(192, 168, 0, 255)},
    StepCase{Ip(192, 168, 1, 10), Ip(255, 255, 255, 0), 13, Ip(192, 168, 1, 10)},
    StepCase{Ip(192, 168, 1, 10), Ip(255, 255, 255, 0), 0, Ip(192, 168, 1, 10)},
    // Neither end of the address space wraps.
    StepCase{Ip(255, 255, 255, 1), Ip(255, 255, 255, 0), '+', Ip(255, 255, 255, 1)},
    StepCase{Ip(0, 0, 0, 9), Ip(255, 255, 255, 0), '-', Ip(0, 0, 0, 9)},
    StepCase{Ip(1, 2, 3, 4), 0, '+', Ip(1, 2, 3, 4)},
    StepCase{Ip(1, 2, 3, 4), 0, '-', Ip(1, 2, 3, 4)},
    StepCase{0xFFFFFFFF, 0xFFFFFFFF, '+', 0xFFFFFFFF},
    StepCase{0xFFFFFFFE, 0xFFFFFFFF, '+', 0xFFFFFFFF},
    StepCase{Ip(10, 20, 30, 40), Ip(0, 0, 255, 0), '+', Ip(255, 255, 31, 0)}};

TEST(StepAddress, NextAddress) {
  for (const StepCase& c : stepCases) {
    EXPECT_EQ(calc::StepAddress(c.address, calc::RangeOf(c.address, c.mask), c.key), c.next)
        << std::hex << c.address << " / " << c.mask << " key " << std::dec << int(c.key);
  }
}

}  // namespace
