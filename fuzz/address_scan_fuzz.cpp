// The line scanner against a slow and obvious one written here: every place
// of the line asked in turn whether an address starts there, its field read
// by the C library's inet_pton. For any bytes and each choice of families,
// both find the same addresses, at the same places, with the same values.
#include <arpa/inet.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "cli/address_scan.h"

namespace {

struct Address {
  size_t start, end;
  uint8_t version;
  uint8_t bytes[16];  // as inet_pton writes it: 4 or 16 bytes, first byte first
};

bool Letter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool Digit(char c) {
  return c >= '0' && c <= '9';
}
bool Hex(char c) {
  return Digit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

bool FourStarts(std::string_view line, size_t at) {
  if (!Digit(line[at])) return false;
  for (size_t i = at + 1; i <= at + 3 && i < line.size(); ++i) {
    if (line[i] == '.') return true;
  }
  return false;
}

bool SixStarts(std::string_view line, size_t at) {
  if (line.substr(at, 2) == "::") return at + 2 < line.size() && Hex(line[at + 2]);
  size_t digits = 0;
  while (at + digits < line.size() && Hex(line[at + digits])) ++digits;
  return digits >= 1 && digits <= 4 && at + digits < line.size() && line[at + digits] == ':';
}

std::vector<Address> SlowScan(std::string_view line, bool four, bool six) {
  std::vector<Address> found;
  size_t at = 0;
  while (at < line.size()) {
    const bool isFour = four && FourStarts(line, at);
    if (!isFour && !(six && SixStarts(line, at))) {
      ++at;
      continue;
    }
    size_t end = at;
    while (end < line.size() && (Letter(line[end]) || Digit(line[end]) || line[end] == '.' ||
                                 (!isFour && line[end] == ':')))
      ++end;
    Address address{at, end, uint8_t(isFour ? 4 : 6), {}};
    const std::string field(line.substr(at, end - at));
    if (inet_pton(isFour ? AF_INET : AF_INET6, field.c_str(), address.bytes) == 1)
      found.push_back(address);
    at = end;
  }
  return found;
}

void Check(bool holds) {
  if (!holds) std::abort();
}

void Compare(std::string_view line, cli::ScanFamilies families) {
  const std::vector<Address> expected =
      SlowScan(line, families != cli::ScanFamilies::six, families != cli::ScanFamilies::four);
  cli::LineScan scan = cli::StartScan(line, families);
  cli::FoundAddress found;
  size_t count = 0;
  while (cli::NextAddress(scan, found)) {
    Check(count < expected.size());
    const Address& slow = expected[count++];
    Check(size_t(found.start - line.data()) == slow.start);
    Check(size_t(found.end - line.data()) == slow.end);
    Check(found.version == slow.version);
    if (found.version == 4) {
      uint32_t value = 0;
      for (int i = 0; i < 4; ++i) value = value << 8 | slow.bytes[i];
      Check(found.address4 == value);
    } else {
      uint64_t high = 0, low = 0;
      for (int i = 0; i < 8; ++i) high = high << 8 | slow.bytes[i];
      for (int i = 8; i < 16; ++i) low = low << 8 | slow.bytes[i];
      Check(found.address6.high == high && found.address6.low == low);
    }
  }
  Check(count == expected.size());
  Check(scan.at == line.data() + line.size());
  Check(!cli::NextAddress(scan, found));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view line(reinterpret_cast<const char*>(data), size);
  Compare(line, cli::ScanFamilies::four);
  Compare(line, cli::ScanFamilies::six);
  Compare(line, cli::ScanFamilies::both);
  return 0;
}
