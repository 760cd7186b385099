// The line scanner on awkward lines: the addresses it finds and where, as
// grepcidr 2.0 finds them in the same lines (except NUL, see below), each
// address's value as the strict readers read its text, and a line's verdict.
#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "calc/address6_text.h"
#include "cli/address_scan.h"
#include "cli/network_text.h"

namespace {

using namespace std::string_view_literals;
using cli::ScanFamilies;

constexpr ScanFamilies both = ScanFamilies::both;

struct ScanCase {
  std::string_view line;
  ScanFamilies families;
  const char* found;  // "OFFSET:TEXT" of each address, in order
};

const ScanCase scanCases[] = {
    // IPv4: what stands before an address in its field, what ends it.
    {"host10.1.2.3 a1.2.3.4 a.1.2.3.4", both, "4:10.1.2.3 14:1.2.3.4 24:1.2.3.4"},
    {"1.2.3.4a 10.1.2.3.4 x 10.1.2.3. 1.2.3.4-", both, "32:1.2.3.4"},
    {"010.1.2.3 10.01.2.3 1000.1.2.3 256.1.2.3", both, ""},
    {"1234.1.2.3 12x34.1.2.3 1x2.1.2.3 1xyz.2.1.2.3", both, "1:234.1.2.3 14:34.1.2.3 38:2.1.2.3"},
    {"1a.1.2.3.4 1.1234.1.2.3 1.2.3.1234", both, ""},
    {"10.1.2.3/24 10.1.2.3:80 1.2.3.4-5.6.7.8,0.0.0.0_255.255.255.255", both,
     "0:10.1.2.3 12:10.1.2.3 24:1.2.3.4 32:5.6.7.8 40:0.0.0.0 48:255.255.255.255"},
    // IPv6: brackets, prefixes, zones, what ends it, what is no address.
    {"[2001:db8::1]:443 2001:db8::/32 fe80::1%eth0", both,
     "1:2001:db8::1 18:2001:db8:: 32:fe80::1"},
    {"2001:db8::1. 2001:db8::1g 2001:db8::1a", both, "26:2001:db8::1a"},
    {"dead:beef:: cafe: :: 12:34:56 00:11:22:33:44:55", both, "0:dead:beef::"},
    {"12345::1 gg::1 :::1 ::::1 a:::1", both, "1:2345::1 11:::1 16:::1 22:::1"},
    {"1g:h1::2 ab:cd:g::1 1:2:3:4:5:6:7:8:9", both, "4:1::2"},
    {"DEAD:BEEF::1 xABCDE::1 1:2:3:4:5:6:7:8 ::1.2.3.4", both,
     "0:DEAD:BEEF::1 15:BCDE::1 23:1:2:3:4:5:6:7:8 39:::1.2.3.4"},
    // The families asked for: with both, a field is read as one of them.
    {"::ffff:10.1.2.3", both, "0:::ffff:10.1.2.3"},
    {"::ffff:10.1.2.3", ScanFamilies::four, "7:10.1.2.3"},
    {"::ffff:10.1.2.3", ScanFamilies::six, "0:::ffff:10.1.2.3"},
    {"a:1.2.3.4 12:1.2.3.4 1:1.2.3.4", both, "23:1.2.3.4"},
    {"a:1.2.3.4 12:1.2.3.4 1:1.2.3.4", ScanFamilies::four, "2:1.2.3.4 13:1.2.3.4 23:1.2.3.4"},
    {"10.1.2.3:: 1.2.3.4:5::1", both, "0:10.1.2.3 11:1.2.3.4 19:5::1"},
    {"10.1.2.3:: 1.2.3.4:5::1", ScanFamilies::six, "7:3:: 17:4:5::1"},
    // Other bytes end fields: CR, bytes past ASCII, DEL. grepcidr reads a
    // line only up to a NUL (and drops it when a line end follows); here a
    // NUL is one more byte that ends a field.
    {"1.2.3.4\r", both, "0:1.2.3.4"},
    {"\xe9"
     "1.2.3.4\xff::1\x7f",
     both, "1:1.2.3.4 9:::1"},
    {"x\0 10.1.2.3\0::1"sv, both, "3:10.1.2.3 12:::1"},
};

// What the scan finds, written as the table writes it; every address's
// value checked against its text.
std::string Found(std::string_view line, ScanFamilies families) {
  std::string written;
  cli::LineScan scan = cli::StartScan(line, families);
  cli::FoundAddress found;
  while (cli::NextAddress(scan, found)) {
    const std::string_view text(found.start, size_t(found.end - found.start));
    if (found.version == 4) {
      uint32_t value = 0;
      EXPECT_EQ(cli::ReadAddress4(text, value), cli::AddressFault::none) << text;
      EXPECT_EQ(found.address4, value) << text;
    } else {
      calc::Address6 value{};
      EXPECT_TRUE(calc::ReadAddress6(text, value)) << text;
      EXPECT_EQ(found.address6, value) << text;
    }
    written += (written.empty() ? "" : " ") + std::to_string(found.start - line.data()) + ":";
    written += text;
  }
  EXPECT_EQ(scan.at, line.data() + line.size());
  return written;
}

TEST(AddressScan, FindsTheAddressesGrepcidrFinds) {
  for (const ScanCase& c : scanCases)
    EXPECT_EQ(Found(c.line, c.families), c.found) << c.line << " " << int(c.families);
}

TEST(AddressScan, ReadsLongLinesWholeAndLongFieldsAtTheirTail) {
  const std::string line = std::string(100000, 'x') + " " + std::string(5000, '1') + ".2.3.4 ::1";
  EXPECT_EQ(Found(line, both), "104998:111.2.3.4 105008:::1");
}

TEST(AddressScan, JudgesALineByItsAddresses) {
  const auto inTen = [](const cli::FoundAddress& a) {
    return a.version == 4 && a.address4 >> 24 == 10;
  };
  EXPECT_EQ(cli::JudgeLine("no address 10.1.2", both, inTen), cli::LineVerdict::noAddress);
  EXPECT_EQ(cli::JudgeLine("::1 192.0.2.1", both, inTen), cli::LineVerdict::noneInSet);
  EXPECT_EQ(cli::JudgeLine("192.0.2.1 10.9.9.9 ::1", both, inTen), cli::LineVerdict::someInSet);
  EXPECT_EQ(cli::JudgeLine("::ffff:10.1.2.3", both, inTen), cli::LineVerdict::noneInSet);
}

}  // namespace
