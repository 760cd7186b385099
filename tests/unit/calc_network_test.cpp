// Network range arithmetic and stepping, at both ends of the address space
// and for the masks with fewer than two host bits.
#include <gtest/gtest.h>

#include "calc/network_view.h"

namespace {

constexpr uint32_t Ip(uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
  return a << 24 | b << 16 | c << 8 | d;
}

struct RangeCase {
  uint32_t address, mask;
  calc::NetworkRange range;
};

const RangeCase rangeCases[] = {
    RangeCase{Ip(192, 168, 1, 10),
              Ip(255, 255, 255, 0),
              {Ip(192, 168, 1, 0), Ip(192, 168, 1, 1), Ip(192, 168, 1, 254), Ip(192, 168, 1, 255)}},
    RangeCase{0, 0, {0, 1, 0xFFFFFFFE, 0xFFFFFFFF}},
    // No host bit: one address, itself the only host, even at the very top.
    RangeCase{0xFFFFFFFF, 0xFFFFFFFF, {0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF}},
    RangeCase{0, 0xFFFFFFFF, {0, 0, 0, 0}},
    // One host bit: a point-to-point pair, both usable.
    RangeCase{Ip(10, 0, 0, 7),
              0xFFFFFFFE,
              {Ip(10, 0, 0, 6), Ip(10, 0, 0, 6), Ip(10, 0, 0, 7), Ip(10, 0, 0, 7)}},
    RangeCase{Ip(10, 0, 0, 1),
              0x7FFFFFFF,
              {Ip(10, 0, 0, 1), Ip(10, 0, 0, 1), Ip(138, 0, 0, 1), Ip(138, 0, 0, 1)}},
    // A run of ones that does not start at the top is used unchanged.
    RangeCase{Ip(10, 20, 30, 40),
              Ip(0, 0, 255, 0),
              {Ip(0, 0, 30, 0), Ip(0, 0, 30, 1), Ip(255, 255, 30, 254), Ip(255, 255, 30, 255)}},
    RangeCase{Ip(255, 255, 255, 200),
              Ip(255, 255, 255, 252),
              {Ip(255, 255, 255, 200), Ip(255, 255, 255, 201), Ip(255, 255, 255, 202),
               Ip(255, 255, 255, 203)}}};

TEST(RangeOf, FourAddresses) {
  for (const RangeCase& c : rangeCases) {
    const calc::NetworkRange got = calc::RangeOf(c.address, c.mask);
    SCOPED_TRACE(testing::Message() << std::hex << c.address << " / " << c.mask);
    EXPECT_EQ(got.network, c.range.network);
    EXPECT_EQ(got.firstHost, c.range.firstHost);
    EXPECT_EQ(got.lastHost, c.range.lastHost);
    EXPECT_EQ(got.broadcast, c.range.broadcast);
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
