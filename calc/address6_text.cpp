// Reading IPv6 text group by group into eight 16-bit groups, and writing the
// groups back with the longest zero run left out.
#include "calc/address6_text.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

namespace calc {

namespace {

using GroupArray = std::array<uint16_t, 8>;

Address6 FromGroups(const GroupArray& groups) {
  uint64_t halves[2] = {0, 0};
  for (int i = 0; i < 8; ++i) halves[i / 4] = halves[i / 4] << 16 | groups[i];
  return {halves[0], halves[1]};
}

GroupArray ToGroups(Address6 address) {
  GroupArray groups;
  for (int i = 0; i < 4; ++i) {
    const int shift = 48 - 16 * i;
    groups[i] = uint16_t(address.high >> shift);
    groups[i + 4] = uint16_t(address.low >> shift);
  }
  return groups;
}

// ---- Reading

// The groups of a text as read, before "::" is widened to its zero groups.
struct ReadGroups {
  GroupArray values{};
  int count = 0;
  int gap = -1;  // how many groups stand before "::"; -1 without one
};

// The value of every byte as a hex digit, -1 for a byte that is none: a
// table, as digits of random addresses defeat the guesses of a chain of tests.
constexpr std::array<int8_t, 256> HexDigitTable() {
  std::array<int8_t, 256> values{};
  for (int c = 0; c < 256; ++c) {
    values[size_t(c)] = c >= '0' && c <= '9'   ? int8_t(c - '0')
                        : c >= 'a' && c <= 'f' ? int8_t(c - 'a' + 10)
                        : c >= 'A' && c <= 'F' ? int8_t(c - 'A' + 10)
                                               : int8_t(-1);
  }
  return values;
}
constexpr std::array<int8_t, 256> hexDigitValues = HexDigitTable();

int HexDigitValue(char c) {
  return hexDigitValues[static_cast<unsigned char>(c)];
}

// A whole field of one to four hex digits.
bool ReadHexGroup(std::string_view field, uint16_t& group) {
  if (field.empty() || field.size() > 4) return false;
  unsigned value = 0;
  for (char c : field) {
    const int digit = HexDigitValue(c);
    if (digit < 0) return false;
    value = value << 4 | unsigned(digit);
  }
  group = uint16_t(value);
  return true;
}

// A whole field of decimal 0 to 255: "0", or one to three digits without a
// leading zero.
bool ReadDecimalOctet(std::string_view field, uint32_t& octet) {
  if (field.empty() || field.size() > 3 || (field[0] == '0' && field.size() > 1)) return false;
  uint32_t value = 0;
  for (char c : field) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + uint32_t(c - '0');
  }
  octet = value;
  return value <= 255;
}

// A whole field of four decimal octets separated by dots.
bool ReadDottedQuad(std::string_view field, uint32_t& quad) {
  uint32_t value = 0;
  for (int i = 0; i < 4; ++i) {
    const size_t dot = i < 3 ? field.find('.') : field.size();
    uint32_t octet;
    if (dot == std::string_view::npos || !ReadDecimalOctet(field.substr(0, dot), octet)) {
      return false;
    }
    value = value << 8 | octet;
    field.remove_prefix(i < 3 ? dot + 1 : dot);
  }
  quad = value;
  return true;
}

bool AddGroup(ReadGroups& groups, uint16_t value) {
  if (groups.count == 8) return false;
  groups.values[groups.count++] = value;
  return true;
}

// The fields between the colons, each a hex group or, last, a dotted quad;
// "::" at most once. Says whether the text is made of them; the count of
// groups is checked by the caller.
bool ReadFields(std::string_view text, ReadGroups& groups) {
  size_t at = 0;
  if (text.starts_with("::")) {
    groups.gap = 0;
    at = 2;
    if (at == text.size()) return true;
  }
  for (;;) {
    const size_t end = std::min(text.find(':', at), text.size());
    const std::string_view field = text.substr(at, end - at);
    if (field.find('.') != std::string_view::npos) {
      uint32_t quad;
      return end == text.size() && ReadDottedQuad(field, quad) &&
             AddGroup(groups, uint16_t(quad >> 16)) && AddGroup(groups, uint16_t(quad));
    }
    uint16_t group;
    if (!ReadHexGroup(field, group) || !AddGroup(groups, group)) return false;
    if (end == text.size()) return true;
    at = end + 1;
    if (at < text.size() && text[at] == ':') {
      if (groups.gap >= 0) return false;
      groups.gap = groups.count;
      if (++at == text.size()) return true;
    }
  }
}

// The eight groups, the zero groups of "::" between those before and after it.
GroupArray Widened(const ReadGroups& groups) {
  const int after = groups.gap < 0 ? 0 : groups.count - groups.gap;
  const int before = groups.count - after;
  GroupArray values{};
  for (int i = 0; i < before; ++i) values[i] = groups.values[i];
  for (int i = 0; i < after; ++i) values[8 - after + i] = groups.values[before + i];
  return values;
}

// ---- Writing

constexpr char hexDigits[] = "0123456789abcdef";

char* PutGroup(char* at, uint16_t group) {
  const int digits = group == 0 ? 1 : (std::bit_width(group) + 3) / 4;
  for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4)
    *at++ = hexDigits[group >> shift & 0xF];
  return at;
}

struct OctetText {
  char text[3];
  uint8_t length;
};

constexpr std::array<OctetText, 256> OctetTable() {
  std::array<OctetText, 256> table{};
  for (int value = 0; value < 256; ++value) {
    OctetText& octet = table[value];
    if (value >= 100) octet.text[octet.length++] = char('0' + value / 100);
    if (value >= 10) octet.text[octet.length++] = char('0' + value / 10 % 10);
    octet.text[octet.length++] = char('0' + value % 10);
  }
  return table;
}

constexpr std::array<OctetText, 256> octetTexts = OctetTable();

char* PutDottedQuad(char* at, uint32_t quad) {
  for (int shift = 24; shift >= 0; shift -= 8) {
    const OctetText& octet = octetTexts[quad >> shift & 0xFF];
    std::memcpy(at, octet.text, octet.length);
    at += octet.length;
    if (shift > 0) *at++ = '.';
  }
  return at;
}

// The groups that "::" leaves out: the longest run of two or more zero
// groups, the first of equal runs; length 0 when there is none.
struct ZeroRun {
  int start = 8;
  int length = 0;
};

ZeroRun LongestZeroRun(const GroupArray& groups) {
  ZeroRun longest;
  for (int start = 0; start < 8;) {
    int end = start;
    while (end < 8 && groups[end] == 0) ++end;
    if (end - start >= 2 && end - start > longest.length) longest = {start, end - start};
    start = end == start ? start + 1 : end;
  }
  return longest;
}

char* PutGroups(char* at, const GroupArray& groups) {
  const ZeroRun run = LongestZeroRun(groups);
  for (int i = 0; i < 8;) {
    if (i == run.start) {
      *at++ = ':';
      *at++ = ':';
      i += run.length;
      continue;
    }
    at = PutGroup(at, groups[i++]);
    if (i < 8 && i != run.start) *at++ = ':';
  }
  return at;
}

constexpr bool IsIpv4Mapped(Address6 address) {
  return address.high == 0 && address.low >> 32 == 0xFFFF;
}

}  // namespace

// The common case in one pass: hex groups and colons, nothing else. A dot
// sends the text to ReadFields, which knows the dotted quad.
enum class HexRead { read, refused, dotted };

HexRead ReadHexFields(std::string_view text, ReadGroups& groups) {
  const size_t size = text.size();
  size_t at = 0;
  if (size >= 2 && text[0] == ':' && text[1] == ':') {
    groups.gap = 0;
    at = 2;
    if (at == size) return HexRead::read;
  }
  for (;;) {
    unsigned value = 0;
    const size_t start = at;
    for (int digit; at < size && (digit = HexDigitValue(text[at])) >= 0; ++at)
      value = value << 4 | unsigned(digit);
    if (at < size && text[at] == '.') return HexRead::dotted;
    if (at == start || at - start > 4 || !AddGroup(groups, uint16_t(value)))
      return HexRead::refused;
    if (at == size) return HexRead::read;
    if (text[at] != ':' || ++at == size) return HexRead::refused;
    if (text[at] == ':') {
      if (groups.gap >= 0) return HexRead::refused;
      groups.gap = groups.count;
      if (++at == size) return HexRead::read;
    }
  }
}

bool ReadAddress6(std::string_view text, Address6& address) {
  ReadGroups groups;
  const HexRead read = ReadHexFields(text, groups);
  if (read == HexRead::refused) return false;
  if (read == HexRead::dotted) {
    groups = ReadGroups{};
    if (!ReadFields(text, groups)) return false;
  }
  // "::" stands for at least one group.
  if (groups.gap < 0 ? groups.count != 8 : groups.count > 7) return false;
  address = FromGroups(Widened(groups));
  return true;
}

char* PutAddress6(char* at, Address6 address) {
  if (IsIpv4Mapped(address)) {
    std::memcpy(at, "::ffff:", 7);
    return PutDottedQuad(at + 7, uint32_t(address.low));
  }
  return PutGroups(at, ToGroups(address));
}

}  // namespace calc
