// An IPv6 address as a value of netstep's own: two 64-bit halves, the most
// significant first. Every build has it, the 32-bit Windows program included,
// which has no 128-bit integer. It behaves as an unsigned integer of 128 bits:
// bitwise operators, comparison, and addition and subtraction that wrap
// modulo 2^128, so that code written once over an address type works for an
// IPv4 address (uint32_t) and this one alike.
#pragma once

#include <bit>
#include <compare>
#include <cstdint>

namespace calc {

struct Address6 {
  uint64_t high;  // bits 127..64: the first four groups of the text
  uint64_t low;   // bits 63..0: the last four

  friend constexpr bool operator==(const Address6&, const Address6&) = default;
  friend constexpr std::strong_ordering operator<=>(const Address6&, const Address6&) = default;
};

constexpr Address6 operator&(Address6 a, Address6 b) {
  return {a.high & b.high, a.low & b.low};
}

constexpr Address6 operator|(Address6 a, Address6 b) {
  return {a.high | b.high, a.low | b.low};
}

constexpr Address6 operator^(Address6 a, Address6 b) {
  return {a.high ^ b.high, a.low ^ b.low};
}

constexpr Address6 operator~(Address6 a) {
  return {~a.high, ~a.low};
}

constexpr Address6 operator+(Address6 a, uint64_t n) {
  const uint64_t low = a.low + n;
  return {a.high + (low < a.low ? 1 : 0), low};
}

constexpr Address6 operator-(Address6 a, uint64_t n) {
  const uint64_t low = a.low - n;
  return {a.high - (low > a.low ? 1 : 0), low};
}

constexpr Address6 operator+(Address6 a, Address6 b) {
  const uint64_t low = a.low + b.low;
  return {a.high + b.high + (low < a.low ? 1 : 0), low};
}

constexpr Address6 operator-(Address6 a, Address6 b) {
  return {a.high - b.high - (a.low < b.low ? 1 : 0), a.low - b.low};
}

// Shifts by 0 to 127 bits.
constexpr Address6 operator<<(Address6 a, int n) {
  if (n == 0) return a;
  if (n >= 64) return {a.low << (n - 64), 0};
  return {a.high << n | a.low >> (64 - n), a.low << n};
}

constexpr Address6 operator>>(Address6 a, int n) {
  if (n == 0) return a;
  if (n >= 64) return {0, a.high >> (n - 64)};
  return {a.high >> n, a.low >> n | a.high << (64 - n)};
}

// The same questions of both address types, for code written over either.

constexpr int CountTrailingZeros(uint32_t a) {
  return std::countr_zero(a);
}

constexpr int CountTrailingZeros(Address6 a) {
  return a.low != 0 ? std::countr_zero(a.low) : 64 + std::countr_zero(a.high);
}

constexpr int CountLeadingOnes(uint32_t a) {
  return std::countl_one(a);
}

constexpr int CountLeadingOnes(Address6 a) {
  return a.high != ~uint64_t(0) ? std::countl_one(a.high) : 64 + std::countl_one(a.low);
}

// The number of bits needed to hold the value: 0 for 0.
constexpr int BitWidth(uint32_t a) {
  return std::bit_width(a);
}

constexpr int BitWidth(Address6 a) {
  return a.high != 0 ? 64 + std::bit_width(a.high) : std::bit_width(a.low);
}

}  // namespace calc
