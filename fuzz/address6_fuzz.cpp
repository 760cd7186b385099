// IPv6 text against the C library's: the bytes as text are an address to
// ReadAddress6 exactly when they are to inet_pton(AF_INET6), with the same 128
// bits; and an address (the text read, or the first 16 bytes) is written as
// inet_ntop writes it, and reads back. The C library also writes the
// deprecated IPv4-compatible form, ::/96 past ::ffff, with a dotted quad;
// RFC 5952 keeps dotted quads for IPv4-mapped addresses and writes these in hex.
#include <arpa/inet.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "calc/address6_text.h"

namespace {

calc::Address6 FromBytes(const uint8_t* bytes) {
  calc::Address6 address{0, 0};
  for (int i = 0; i < 8; ++i) address.high = address.high << 8 | bytes[i];
  for (int i = 8; i < 16; ++i) address.low = address.low << 8 | bytes[i];
  return address;
}

void Check(bool holds) {
  if (!holds) std::abort();
}

// The text RFC 5952 gives where the C library's differs, else the library's.
std::string ExpectedText(const uint8_t* bytes) {
  const calc::Address6 address = FromBytes(bytes);
  const bool compatible = address.high == 0 && address.low >> 32 == 0 && address.low > 0xFFFF;
  char text[INET6_ADDRSTRLEN];
  if (compatible) {
    std::snprintf(text, sizeof text, "::%x:%x", unsigned(address.low >> 16) & 0xFFFF,
                  unsigned(address.low) & 0xFFFF);
  } else {
    Check(inet_ntop(AF_INET6, bytes, text, sizeof text) != nullptr);
  }
  return text;
}

void CheckWritten(const uint8_t* bytes) {
  char text[calc::address6TextMaximum + 8];
  std::memset(text, '#', sizeof text);
  const calc::Address6 address = FromBytes(bytes);
  char* end = calc::PutAddress6(text, address);
  Check(end - text <= calc::address6TextMaximum);
  for (const char* past = end; past < text + sizeof text; ++past) Check(*past == '#');
  const std::string written(text, end);
  Check(written == ExpectedText(bytes));
  calc::Address6 read{};
  Check(calc::ReadAddress6(written, read) && read == address);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  calc::Address6 ours{};
  const bool oursRead = calc::ReadAddress6(text, ours);
  uint8_t theirs[16];
  // The library reads up to a NUL; no address holds one.
  const bool theirsRead =
      text.find('\0') == std::string::npos && inet_pton(AF_INET6, text.c_str(), theirs) == 1;
  Check(oursRead == theirsRead);
  if (oursRead) {
    Check(ours == FromBytes(theirs));
    CheckWritten(theirs);
  }
  if (size >= 16) CheckWritten(data);
  return 0;
}
