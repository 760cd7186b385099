// Reading the command line's addresses: malformed text first, then the
// input error code the prompts would give.
#include "cli/arguments.h"

#include "calc/address.h"
#include "calc/network_blocks.h"
#include "cli/families.h"
#include "cli/network_text.h"
#include "cli/reports.h"

namespace cli {

namespace {

// The address a text holds, of either family; the error code it adds (1 for
// an IPv4 component above 255). A malformed text ends the program, named as
// `what`.
calc::Address6 AddressOf(const std::string& text, const char* what, uint8_t& version,
                         uint8_t& code) {
  calc::Address6 address{};
  const AddressFault fault = ReadAnyAddress(text, version, address);
  if (fault == AddressFault::zone)
    RefuseInput("an address with a zone names no network: " + Quoted(text));
  if (fault == AddressFault::malformed) RefuseInput(std::string(what) + " " + Quoted(text));
  if (fault == AddressFault::componentRange) code = calc::errorComponentRange;
  return address;
}

}  // namespace

ArgumentNetwork NetworkOf(const Request& request) {
  uint8_t code = 0;
  ArgumentNetwork network{};
  network.address = AddressOf(request.address, "not an address:", network.version, code);
  network.prefix = request.prefix;
  network.mask = calc::PrefixMask(request.prefix > 32 ? 32 : request.prefix);
  if (request.hasMask) {
    if (network.version == 6)
      RefuseInput("an IPv6 network takes a prefix, not a mask: " + Quoted(request.mask));
    uint8_t maskVersion = 4;
    const calc::Address6 mask = AddressOf(request.mask, "not a mask:", maskVersion, code);
    if (maskVersion == 6) RefuseInput("not a mask: " + Quoted(request.mask));
    network.mask = uint32_t(mask.low);
    if (!calc::IsOneRun(network.mask)) code = uint8_t(code + calc::errorMaskNotContiguous);
  }
  if (code != 0) RefuseInputCode(code);
  return network;
}

ArgumentRange RangeOf(const Request& request) {
  uint8_t code = 0, lastVersion = 4;
  ArgumentRange range{};
  range.first = AddressOf(request.first, "not an address:", range.version, code);
  range.last = AddressOf(request.last, "not an address:", lastVersion, code);
  if (code != 0) RefuseInputCode(code);
  if (range.version != lastVersion)
    RefuseInput("a range from one family to the other: " +
                Quoted(request.first + "-" + request.last));
  if (range.first > range.last)
    RefuseInput("The first address " + AddressText(range.version, range.first) +
                " is above the last " + AddressText(range.version, range.last));
  return range;
}

std::string AddressText(uint8_t version, calc::Address6 address) {
  char text[addressTextMaximum];
  const char* end =
      version == 6 ? PutAddress(text, address) : PutAddress(text, Narrow<uint32_t>(address));
  return std::string(static_cast<const char*>(text), end);
}

}  // namespace cli
