// The command-line program's standard output: written straight into a large
// buffer that leaves in blocks, dotted addresses and numbers formatted from
// tables, lines ended as the platform ends text. A reader that has gone away
// (a closed pipe) ends the program quietly with exit code 0, as it is no
// failure of netstep's; any other failure to write ends it with the runtime's
// failure report.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace cli {

// The longest dotted address, "255.255.255.255", and what PutDotted may write
// past its end (its octets are copied four bytes at a time).
inline constexpr int dottedMaximum = 15;
inline constexpr int dottedSlack = 3;

// Gives standard output its large buffer. Before any other call here.
void StartOutput();

// Room for `count` bytes (at most 4096) at the end of standard output. The
// caller writes there and then calls Commit with the end of what it wrote.
char* Reserve(int count);
void Commit(char* end);

// Hands on whatever is buffered; a failure ends the program as above.
void FinishOutput();

// The platform's line end for text ("\n", or "\r\n" on Windows).
std::string_view LineEnd();

// Formatting into reserved room; each returns the end of what it wrote. They
// are inline: a listing calls them for every line.

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

inline char* PutText(char* at, std::string_view text) {
  std::memcpy(at, text.data(), text.size());
  return at + text.size();
}

char* PutLineEnd(char* at);

// A whole line of text, ended.
void WriteLine(std::string_view text);

}  // namespace cli
