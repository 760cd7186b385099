// The strict reading of networks, ranges and addresses.
#include "cli/network_text.h"

#include "calc/address6_text.h"
#include "calc/network_blocks.h"

namespace cli {

namespace {

constexpr size_t quoteLimit = 40;

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r';
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

ListEntry Fault(const std::string& what, std::string_view text) {
  ListEntry entry;
  entry.kind = EntryKind::error;
  entry.reason = what + " " + Quoted(text);
  return entry;
}

// Up to `maximum` digits; false when there is none.
bool TakeNumber(std::string_view& text, int maximum, uint32_t& value) {
  int digits = 0;
  value = 0;
  while (digits < maximum && digits < int(text.size()) && IsDigit(text[size_t(digits)])) {
    value = value * 10 + uint32_t(text[size_t(digits)] - '0');
    ++digits;
  }
  text.remove_prefix(size_t(digits));
  return digits > 0;
}

// The whole text as an address; an entry's error when it is none.
bool TakeAddress(std::string_view text, uint8_t& version, calc::Address6& address,
                 ListEntry& fault) {
  const AddressFault why = ReadAnyAddress(text, version, address);
  if (why == AddressFault::none) return true;
  fault = Fault(
      why == AddressFault::zone ? "an address with a zone names no network:" : "not an address:",
      text);
  return false;
}

ListEntry Network(uint8_t version, calc::Address6 address, uint8_t prefix) {
  ListEntry entry;
  entry.kind = EntryKind::network;
  entry.version = version;
  entry.address = address;
  entry.prefix = prefix;
  return entry;
}

// The first word of `text` and what follows it after blanks.
std::string_view FirstWord(std::string_view text, std::string_view& rest) {
  const size_t blank = text.find_first_of(" \t");
  rest = blank == std::string_view::npos ? std::string_view() : Trimmed(text.substr(blank));
  return text.substr(0, blank);
}

ListEntry PrefixForm(std::string_view address, std::string_view prefixText) {
  std::string_view rest;
  prefixText = FirstWord(prefixText, rest);
  if (!rest.empty()) return Fault("unexpected text:", rest);
  ListEntry entry;
  uint8_t version = 4;
  calc::Address6 value{};
  if (!TakeAddress(address, version, value, entry)) return entry;
  const uint8_t maximum = PrefixMaximumOf(version);
  uint32_t prefix = 0;
  std::string_view digits = prefixText;
  if (!TakeNumber(digits, 9, prefix) || !digits.empty() || prefix > maximum)
    return Fault("not a prefix from 0 to " + std::to_string(maximum) + ":", prefixText);
  return Network(version, value, uint8_t(prefix));
}

ListEntry RangeForm(std::string_view firstText, std::string_view lastText) {
  ListEntry entry;
  uint8_t lastVersion = 4;
  if (!TakeAddress(firstText, entry.version, entry.first, entry)) return entry;
  if (!TakeAddress(lastText, lastVersion, entry.last, entry)) return entry;
  const std::string range = std::string(firstText) + "-" + std::string(lastText);
  if (entry.version != lastVersion) return Fault("a range from one family to the other:", range);
  if (entry.first > entry.last) return Fault("the first address is above the last:", range);
  entry.kind = EntryKind::range;
  return entry;
}

ListEntry MaskForm(std::string_view address, std::string_view maskText) {
  std::string_view rest;
  maskText = FirstWord(maskText, rest);
  if (!rest.empty()) return Fault("unexpected text:", rest);
  ListEntry entry;
  uint8_t version = 4;
  calc::Address6 value{};
  if (!TakeAddress(address, version, value, entry)) return entry;
  if (version == 6) return Fault("an IPv6 network takes a prefix, not a mask:", maskText);
  uint32_t mask = 0;
  if (ReadAddress4(maskText, mask) != AddressFault::none) return Fault("not a mask:", maskText);
  const int prefix = calc::PrefixOfMask(mask);
  if (prefix < 0) return Fault("not a mask of leading one-bits:", maskText);
  return Network(4, value, uint8_t(prefix));
}

}  // namespace

AddressFault ReadAddress4(std::string_view text, uint32_t& address) {
  address = 0;
  bool inRange = true;
  for (int component = 0; component < 4; ++component) {
    if (component > 0) {
      if (text.empty() || text.front() != '.') return AddressFault::malformed;
      text.remove_prefix(1);
    }
    uint32_t value = 0;
    if (!TakeNumber(text, 3, value)) return AddressFault::malformed;
    inRange = inRange && value <= 255;
    address = address << 8 | (value <= 255 ? value : 0);  // as the prompts count it
  }
  if (!text.empty()) return AddressFault::malformed;
  return inRange ? AddressFault::none : AddressFault::componentRange;
}

// IPv4 is read first: its text holds no colon, so only what it refuses is
// looked at for one.
AddressFault ReadAnyAddress(std::string_view text, uint8_t& version, calc::Address6& address) {
  uint32_t value = 0;
  const AddressFault fault = ReadAddress4(text, value);
  if (fault != AddressFault::malformed || text.find(':') == std::string_view::npos) {
    version = 4;
    address = {0, value};
    return fault;
  }
  version = 6;
  if (calc::ReadAddress6(text, address)) return AddressFault::none;
  const size_t percent = text.find('%');
  if (percent != std::string_view::npos && calc::ReadAddress6(text.substr(0, percent), address))
    return AddressFault::zone;
  return AddressFault::malformed;
}

std::string Quoted(std::string_view text) {
  std::string quoted = "'";
  for (size_t i = 0; i < text.size() && i < quoteLimit; ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    quoted += c >= 0x20 && c < 0x7F ? char(c) : '?';
  }
  return quoted + (text.size() > quoteLimit ? "...'" : "'");
}

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

ListEntry ReadListLine(std::string_view line, bool addressAlone) {
  line = Trimmed(line);
  if (line.empty() || line.front() == '#') return {};
  const size_t slash = line.find('/');
  if (slash != std::string_view::npos)
    return PrefixForm(line.substr(0, slash), line.substr(slash + 1));
  const size_t dash = line.find('-');
  if (dash != std::string_view::npos)
    return RangeForm(Trimmed(line.substr(0, dash)), Trimmed(line.substr(dash + 1)));
  std::string_view mask;
  const std::string_view address = FirstWord(line, mask);
  if (!mask.empty()) return MaskForm(address, mask);
  ListEntry entry;
  uint8_t version = 4;
  calc::Address6 value{};
  if (!TakeAddress(line, version, value, entry)) return entry;
  if (addressAlone) return Network(version, value, PrefixMaximumOf(version));
  return Fault("an address needs a prefix or a mask:", line);
}

}  // namespace cli
