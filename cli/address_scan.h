// The addresses written in a line of a log, found left to right, for a grep
// by networks. Pure code: no heap, no system header; a scan is a pointer into
// the caller's line.
//
// The rule (it agrees with grepcidr's documented rule, and where that says
// nothing, with what grepcidr 2.0 does):
// - A field is a run of bytes that can belong to an address: ASCII letters,
//   digits and dots for IPv4; those and colons for IPv6. Every other byte
//   ends a field: blanks, CR, NUL, punctuation, bytes 0x80 and above.
// - An address may start, for IPv4, at a digit with a dot among the three
//   bytes after it; for IPv6, at one to four hex digits followed by a colon,
//   or at "::" followed by a hex digit. Where both may, IPv4 is tried.
// - At the first place where one may start, the text from there to the end
//   of its field is read strictly: IPv4 as four decimal parts 0 to 255
//   without leading zeros, IPv6 as RFC 4291 writes it (calc::ReadAddress6).
//   Whatever it holds, the scan goes on after that field: a field holds at
//   most one address, and a field that holds none is not searched again.
// So an address ends where its field ends, and what stands before it in its
// field counts only through where the scan first tried. Every address of the
// line is found. Examples, with what a scan for both families finds:
//   host10.1.2.3  a.1.2.3.4  12x34.1.2.3        10.1.2.3  1.2.3.4  34.1.2.3
//   1234.1.2.3                                  234.1.2.3 (the 1 is too far from the dot)
//   10.1.2.3:80  10.1.2.3/24  1.2.3.4-5.6.7.8   each address
//   10.1.2.3.4  1.2.3.4a  1x2.1.2.3  010.1.2.3  1.2.3.4.   nothing
//   [2001:db8::1]:443  2001:db8::/32  fe80::1%eth0   2001:db8::1  2001:db8::  fe80::1
//   12345::1  gg::1  :::1                       2345::1  ::1  ::1
//   2001:db8::1.  2001:db8::1g  cafe:  ::  12:34:56  00:11:22:33:44:55   nothing
// - Only the families asked for are looked for, and with both a field read
//   as one family is not read again as the other: ::ffff:10.1.2.3 is one
//   IPv6 address, though a scan for IPv4 alone finds 10.1.2.3 in it; a:1.2.3.4
//   holds 1.2.3.4 for IPv4 alone and nothing for both (the IPv6 field starts
//   first and is no address). A grep asks for the families of its networks.
#pragma once

#include <cstdint>
#include <string_view>

#include "calc/address6.h"

namespace cli {

enum class ScanFamilies : uint8_t { four = 1, six = 2, both = 3 };

struct FoundAddress {
  uint8_t version = 0;            // 4 or 6
  uint32_t address4 = 0;          // version 4
  calc::Address6 address6{0, 0};  // version 6
  const char* start = nullptr;    // its text in the line
  const char* end = nullptr;
};

// One line's scan in progress: where it goes on, the line's end, what it
// looks for. The line must outlive it.
struct LineScan {
  const char* at;
  const char* end;
  ScanFamilies families;
};

inline LineScan StartScan(std::string_view line, ScanFamilies families) {
  return {line.data(), line.data() + line.size(), families};
}

// The next address of the line, in order of position; false at the end.
bool NextAddress(LineScan& scan, FoundAddress& found);

enum class LineVerdict : uint8_t {
  noAddress,  // the line holds no address
  noneInSet,  // it holds some, none of them in the set (what -v selects)
  someInSet,  // one of them is in the set; the scan stopped there
};

// The line judged against a set: `inSet(const FoundAddress&)` says whether an
// address is in it.
template <class InSet>
LineVerdict JudgeLine(std::string_view line, ScanFamilies families, InSet&& inSet) {
  LineScan scan = StartScan(line, families);
  FoundAddress found;
  LineVerdict verdict = LineVerdict::noAddress;
  while (NextAddress(scan, found)) {
    if (inSet(found)) return LineVerdict::someInSet;
    verdict = LineVerdict::noneInSet;
  }
  return verdict;
}

}  // namespace cli
