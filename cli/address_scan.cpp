// The scan: a word at a time to the next dot or colon, since an address can
// start only within four bytes before one; there every place is asked whether
// an address starts, and a field that may hold one is read with a quick
// reader of its own (IPv4) or after cheap checks (IPv6).
#include "cli/address_scan.h"

#include <array>
#include <bit>
#include <cstring>

#include "calc/address6_text.h"

namespace cli {

namespace {

// Byte classes.
constexpr uint8_t digit = 1;
constexpr uint8_t hex = 2;
constexpr uint8_t letter = 4;
constexpr uint8_t dot = 8;
constexpr uint8_t colon = 16;
constexpr uint8_t otherLetter = 32;  // a letter that is no hex digit
constexpr uint8_t fourField = digit | letter | dot;
constexpr uint8_t sixField = fourField | colon;

constexpr std::array<uint8_t, 256> MakeClasses() {
  std::array<uint8_t, 256> classes{};
  for (int c = '0'; c <= '9'; ++c) classes[size_t(c)] = digit | hex;
  for (int c = 'a'; c <= 'z'; ++c) classes[size_t(c)] = letter | otherLetter;
  for (int c = 'A'; c <= 'Z'; ++c) classes[size_t(c)] = letter | otherLetter;
  for (int c = 'a'; c <= 'f'; ++c) classes[size_t(c)] = letter | hex;
  for (int c = 'A'; c <= 'F'; ++c) classes[size_t(c)] = letter | hex;
  classes['.'] = dot;
  classes[':'] = colon;
  return classes;
}

constexpr std::array<uint8_t, 256> classes = MakeClasses();

inline bool Is(char c, uint8_t kind) {
  return (classes[uint8_t(c)] & kind) != 0;
}

constexpr uint64_t ones = 0x0101010101010101;
constexpr uint64_t lowSeven = 0x7F7F7F7F7F7F7F7F;

// Eight bytes with the first in the low bits, whatever the processor's order.
inline uint64_t LoadWord(const char* p) {
  uint64_t word;
  std::memcpy(&word, p, 8);
  if constexpr (std::endian::native == std::endian::big) {
    uint64_t turned = 0;
    for (int i = 0; i < 8; ++i) turned |= (word >> (8 * i) & 0xFF) << (56 - 8 * i);
    word = turned;
  }
  return word;
}

// The high bit of each byte that is zero, exactly (no carry between bytes).
inline uint64_t ZeroBytes(uint64_t word) {
  return ~(((word & lowSeven) + lowSeven) | word | lowSeven);
}

// The bytes of [p, p + 8) or up to `end` that are `a` or `b`, as the high bit
// of their byte.
uint64_t MarksOf(const char* p, const char* end, char a, char b) {
  if (end - p >= 8) {
    const uint64_t word = LoadWord(p);
    return ZeroBytes(word ^ ones * uint8_t(a)) | ZeroBytes(word ^ ones * uint8_t(b));
  }
  uint64_t marks = 0;
  for (int i = 0; p + i < end; ++i) {
    if (p[i] == a || p[i] == b) marks |= uint64_t(0x80) << (8 * i);
  }
  return marks;
}

const char* FieldEnd(const char* p, const char* end, uint8_t field) {
  while (p < end && Is(*p, field)) ++p;
  return p;
}

// An IPv4 address starts at a digit with a dot among the three bytes after it.
bool FourStartsAt(const char* p, const char* end) {
  if (!Is(*p, digit)) return false;
  for (int i = 1; i <= 3 && p + i < end; ++i) {
    if (p[i] == '.') return true;
  }
  return false;
}

// The first place from `p` up to `mark` where an address starts, and its
// family; null when there is none. `mark` is the first dot or colon the scan
// looks for at or after `p`: a place that starts an address has a dot within
// three bytes after it or a colon within four, so only the last four places
// before `mark` can.
const char* StartUpTo(const char* p, const char* mark, const char* end, bool four, bool six,
                      uint8_t& version) {
  if (*mark == '.') {
    // IPv6 needs a colon after hex digits only: nothing before a dot.
    for (const char* q = mark - p > 3 ? mark - 3 : p; q < mark; ++q) {
      if (Is(*q, digit)) {
        version = 4;
        return q;
      }
    }
    return nullptr;
  }
  const char* sixStart = nullptr;
  if (six) {
    const char* q = mark;
    while (q > p && mark - q < 4 && Is(q[-1], hex)) --q;
    if (q < mark) {
      sixStart = q;
    } else if (end - mark >= 3 && mark[1] == ':' && Is(mark[2], hex)) {
      sixStart = mark;
    }
  }
  // IPv4 before a colon: a digit whose dot lies just past the colon, tried
  // first where both start.
  if (four) {
    for (const char* q = mark - p > 2 ? mark - 2 : p; q < mark; ++q) {
      if (sixStart != nullptr && q > sixStart) break;
      if (FourStartsAt(q, end)) {
        version = 4;
        return q;
      }
    }
  }
  version = 6;
  return sixStart;
}

// Four decimal parts 0 to 255, "0" or without leading zeros, the whole
// field. `fieldEnd` is set either way.
bool ReadFour(const char* p, const char* end, uint32_t& address, const char*& fieldEnd) {
  uint32_t value = 0;
  for (int part = 0; part < 4; ++part) {
    if (part > 0) {
      if (p == end || *p != '.') break;
      ++p;
    }
    if (p == end || !Is(*p, digit)) break;
    unsigned number = unsigned(*p++ - '0');
    for (int more = 0; number != 0 && more < 2 && p < end && Is(*p, digit); ++more)
      number = number * 10 + unsigned(*p++ - '0');
    if (number > 255) break;
    value = value << 8 | number;
    if (part == 3 && (p == end || !Is(*p, fourField))) {
      fieldEnd = p;
      address = value;
      return true;
    }
  }
  fieldEnd = FieldEnd(p, end, fourField);
  return false;
}

// The field read as IPv6 text, after checks that turn most other fields
// away cheaply: a letter past f, too long, too few colons without "::".
bool ReadSix(const char* p, const char* end, calc::Address6& address, const char*& fieldEnd) {
  const char* const start = p;
  uint8_t seen = 0;  // the classes of the field's bytes
  bool doubleColon = false;
  int colons = 0;
  for (; p < end; ++p) {
    const uint8_t kind = classes[uint8_t(*p)];
    if ((kind & sixField) == 0) break;
    seen |= kind;
    if (kind & colon) {
      doubleColon |= p > start && p[-1] == ':';
      ++colons;
    }
  }
  fieldEnd = p;
  if ((seen & otherLetter) != 0 || p - start > calc::address6TextMaximum ||
      (!doubleColon && colons < 6))
    return false;
  return calc::ReadAddress6(std::string_view(start, size_t(p - start)), address);
}

}  // namespace

bool NextAddress(LineScan& scan, FoundAddress& found) {
  const bool four = (uint8_t(scan.families) & uint8_t(ScanFamilies::four)) != 0;
  const bool six = (uint8_t(scan.families) & uint8_t(ScanFamilies::six)) != 0;
  const char* const end = scan.end;
  if (!four && !six) {
    scan.at = end;
    return false;
  }
  const char markA = four ? '.' : ':';
  const char markB = six ? ':' : '.';
  const char* p = scan.at;     // every place before it is settled
  const char* from = scan.at;  // where the search for dots and colons goes on
  while (from < end) {
    const char* const word = from;
    uint64_t marks = MarksOf(word, end, markA, markB);
    from = end - word >= 8 ? word + 8 : end;
    while (marks != 0) {
      const char* mark = word + std::countr_zero(marks) / 8;
      marks &= marks - 1;
      uint8_t version = 0;
      const char* start = StartUpTo(p, mark, end, four, six, version);
      if (start == nullptr) {
        p = mark + 1;
        continue;
      }
      // Whatever the field holds, it is not searched again.
      const bool read = version == 4 ? ReadFour(start, end, found.address4, p)
                                     : ReadSix(start, end, found.address6, p);
      if (read) {
        found.version = version;
        found.start = start;
        found.end = scan.at = p;
        return true;
      }
      from = p;
      break;
    }
  }
  scan.at = end;
  return false;
}

}  // namespace cli
