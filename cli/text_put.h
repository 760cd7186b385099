// Formatting into room the writer reserved (writer.h): dotted addresses and
// numbers from tables, text copied. Each returns the end of what it wrote.
// They are inline: a listing calls them for every line.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "calc/address6.h"

namespace cli {

// The longest dotted address, "255.255.255.255", and what PutDotted may write
// past its end (its octets are copied four bytes at a time).
inline constexpr int dottedMaximum = 15;
inline constexpr int dottedSlack = 3;

// The decimal text of every octet, padded to four bytes for fixed copies.
struct OctetText {
  char text[4];
  uint8_t length;
};

constexpr std::array<OctetText, 256> OctetTable() {
  std::array<OctetText, 256> octets{};
  for (int value = 0; value < 256; ++value) {
    OctetText& octet = octets[size_t(value)];
    if (value >= 100) octet.text[octet.length++] = char('0' + value / 100);
    if (value >= 10) octet.text[octet.length++] = char('0' + value / 10 % 10);
    octet.text[octet.length++] = char('0' + value % 10);
  }
  return octets;
}

inline constexpr std::array<OctetText, 256> octetTexts = OctetTable();

// A dotted address: dottedMaximum + dottedSlack bytes of room.
inline char* PutDotted(char* at, uint32_t address) {
  for (int shift = 24; shift >= 0; shift -= 8) {
    const OctetText& octet = octetTexts[(address >> shift) & 0xFF];
    std::memcpy(at, octet.text, 4);
    at += octet.length;
    *at = '.';
    at += shift > 0;
  }
  return at;
}

// Up to 20 digits.
char* PutDecimal(char* at, uint64_t value);

// An unsigned 128-bit value, up to 39 digits; with `twoTo128` the value is
// 2^128 itself (all addresses of IPv6), whatever `value` holds.
char* PutDecimal(char* at, calc::Address6 value, bool twoTo128 = false);

inline char* PutText(char* at, std::string_view text) {
  std::memcpy(at, text.data(), text.size());
  return at + text.size();
}

}  // namespace cli
