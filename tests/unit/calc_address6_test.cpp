// IPv6 text: RFC 5952's own examples read to their 128 bits and written back
// in the recommended form, and the texts that are not addresses.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <string_view>

#include "calc/address6_text.h"

namespace {

using calc::Address6;

struct TextCase {
  const char* text;
  Address6 value;
  const char* written;
};

const TextCase textCases[] = {
    // Leading zeros, either case, the longest zero run (RFC 5952, 2.1 to 2.3 and 4).
    {"2001:0db8::0001", {0x2001'0db8'0000'0000, 1}, "2001:db8::1"},
    {"2001:db8:aaaa:bbbb:cccc:dddd:eeee:001",
     {0x2001'0db8'aaaa'bbbb, 0xcccc'dddd'eeee'0001},
     "2001:db8:aaaa:bbbb:cccc:dddd:eeee:1"},
    {"2001:db8:aaaa:bbbb:cccc:dddd:eeee:AaAa",
     {0x2001'0db8'aaaa'bbbb, 0xcccc'dddd'eeee'aaaa},
     "2001:db8:aaaa:bbbb:cccc:dddd:eeee:aaaa"},
    {"2001:db8:0:0:0::1", {0x2001'0db8'0000'0000, 1}, "2001:db8::1"},
    {"2001:db8:aaaa:bbbb:cccc:dddd::1",
     {0x2001'0db8'aaaa'bbbb, 0xcccc'dddd'0000'0001},
     "2001:db8:aaaa:bbbb:cccc:dddd:0:1"},
    {"2001:db8:0:1:1:1:1:1",
     {0x2001'0db8'0000'0001, 0x0001'0001'0001'0001},
     "2001:db8:0:1:1:1:1:1"},
    {"2001:0:0:1:0:0:0:1", {0x2001'0000'0000'0001, 1}, "2001:0:0:1::1"},
    {"2001:DB8:0:0:1::1", {0x2001'0db8'0000'0000, 0x0001'0000'0000'0001}, "2001:db8::1:0:0:1"},
    {"2001:db8:0:0:aaaa::1",
     {0x2001'0db8'0000'0000, 0xaaaa'0000'0000'0001},
     "2001:db8::aaaa:0:0:1"},
    {"0:0:1:0:0:1:0:0", {0x0000'0000'0001'0000, 0x0000'0001'0000'0000}, "::1:0:0:1:0:0"},
    // The ends, "::" for one group, a lone zero group.
    {"::", {0, 0}, "::"},
    {"::1", {0, 1}, "::1"},
    {"1::", {0x0001'0000'0000'0000, 0}, "1::"},
    {"1:2:3:4:5:6:7::", {0x0001'0002'0003'0004, 0x0005'0006'0007'0000}, "1:2:3:4:5:6:7:0"},
    {"::2:3:4:5:6:7:8", {0x0000'0002'0003'0004, 0x0005'0006'0007'0008}, "0:2:3:4:5:6:7:8"},
    {"FFFF:ffff:ffff:ffff:ffff:ffff:ffff:ffff",
     {~0ull, ~0ull},
     "ffff:ffff:ffff:ffff:ffff:ffff:ffff:ffff"},
    // Dotted quads: only IPv4-mapped addresses are written with one (section 5).
    {"::ffff:192.0.2.1", {0, 0x0000'ffff'c000'0201}, "::ffff:192.0.2.1"},
    {"::ffff:c000:0201", {0, 0x0000'ffff'c000'0201}, "::ffff:192.0.2.1"},
    {"::ffff:0:0", {0, 0x0000'ffff'0000'0000}, "::ffff:0.0.0.0"},
    {"::FFFF:255.255.255.255", {0, 0x0000'ffff'ffff'ffff}, "::ffff:255.255.255.255"},
    {"64:ff9b::192.0.2.33", {0x0064'ff9b'0000'0000, 0xc000'0221}, "64:ff9b::c000:221"},
    {"::192.0.2.1", {0, 0xc000'0201}, "::c000:201"},
    {"1:2:3:4:5:6:1.2.3.4", {0x0001'0002'0003'0004, 0x0005'0006'0102'0304}, "1:2:3:4:5:6:102:304"},
    {"1::0.0.0.0", {0x0001'0000'0000'0000, 0}, "1::"},
};

TEST(Address6Text, ReadsAndWritesRfc5952Examples) {
  for (const TextCase& c : textCases) {
    Address6 value{};
    ASSERT_TRUE(calc::ReadAddress6(c.text, value)) << c.text;
    EXPECT_EQ(value, c.value) << c.text;
    // Exactly the text, with nothing written past it.
    char buffer[calc::address6TextMaximum + 8];
    std::memset(buffer, '#', sizeof buffer);
    char* end = calc::PutAddress6(buffer, value);
    EXPECT_EQ(std::string(buffer, end), c.written) << c.text;
    EXPECT_EQ(std::string(end, buffer + sizeof buffer).find_first_not_of('#'), std::string::npos);
  }
}

TEST(Address6Text, RefusesWhatIsNotAnAddress) {
  const std::string_view refused[] = {
      "", ":", ":::", "1::2::3", "1:2:3:4:5:6:7", "1:2:3:4:5:6:7:8:9",
      "1:2:3:4:5:6:7:8::", "::1:2:3:4:5:6:7:8", "1::2:3:4:5:6:7:8",
      "12345::", "g::", ":1::", "1::1:", "1:::2", " ::1", "::1 ", "::1%eth0", "[::1]", "::1/128",
      std::string_view("::1\0", 4),
      // Dotted quads: whole, last, in range, decimal without leading zeros.
      "1.2.3.4", "::1.2.3", "::1.2.3.4.5", "::1..3.4", "::256.0.0.1", "::1.2.3.04", "::01.2.3.4",
      "::1.2.3.4:1", "::1.2.3.4::", "::0x1.2.3.4", "::a.2.3.4", "::1.2.3.4a",
      "1:2:3:4:5:6:7:1.2.3.4", "1:2:3:4:5:6::1.2.3.4"};
  for (std::string_view text : refused) {
    Address6 value{7, 7};
    EXPECT_FALSE(calc::ReadAddress6(text, value)) << '"' << text << '"';
    EXPECT_EQ(value, (Address6{7, 7})) << '"' << text << '"';
  }
}

}  // namespace
