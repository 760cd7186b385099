// Reading the command line's addresses: malformed text first, then the
// input error code the prompts would give.
#include "cli/arguments.h"

#include "calc/address.h"
#include "calc/network_blocks.h"
#include "cli/network_text.h"
#include "cli/reports.h"
#include "cli/text_put.h"

namespace cli {

namespace {

// The address a text holds; the error code it adds (1 for a component
// above 255). A malformed text ends the program, naming it as `what`.
uint32_t AddressOf(const std::string& text, const char* what, uint8_t& code) {
  uint32_t address = 0;
  const AddressFault fault = ReadAddress4(text, address);
  if (fault == AddressFault::malformed) RefuseInput(std::string(what) + " " + Quoted(text));
  if (fault == AddressFault::componentRange) code = calc::errorComponentRange;
  return address;
}

}  // namespace

ArgumentNetwork NetworkOf(const Request& request) {
  uint8_t code = 0;
  const uint32_t address = AddressOf(request.address, "not an address:", code);
  uint32_t mask = calc::PrefixMask(request.prefix);
  if (request.hasMask) {
    mask = AddressOf(request.mask, "not a mask:", code);
    if (!calc::IsOneRun(mask)) code = uint8_t(code + calc::errorMaskNotContiguous);
  }
  if (code != 0) RefuseInputCode(code);
  return {address, mask};
}

ArgumentRange RangeOf(const Request& request) {
  uint8_t code = 0;
  const ArgumentRange range = {AddressOf(request.first, "not an address:", code),
                               AddressOf(request.last, "not an address:", code)};
  if (code != 0) RefuseInputCode(code);
  if (range.first > range.last)
    RefuseInput("The first address " + DottedText(range.first) + " is above the last " +
                DottedText(range.last));
  return range;
}

std::string DottedText(uint32_t address) {
  char text[dottedMaximum + dottedSlack];
  return std::string(text, PutDotted(text, address));
}

}  // namespace cli
