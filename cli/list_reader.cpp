// The strict reading of a list's lines, and the lines themselves cut out of
// the stream's blocks. A reason quotes the text at fault with every byte that
// is not printable ASCII shown as "?", and cut short: a list's bytes never
// reach the terminal as they are.
#include "cli/list_reader.h"

#include <cstring>

#include "calc/network_blocks.h"

namespace cli {

namespace {

constexpr int32_t blockSize = 64 * 1024;
char block[blockSize];        // the lines are cut out of this
char streamBlock[blockSize];  // the stream's own buffer
int32_t blockPos = 0;
int32_t blockEnd = 0;

constexpr size_t quoteLimit = 40;

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r';
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

std::string Quoted(std::string_view text) {
  std::string quoted = "'";
  for (size_t i = 0; i < text.size() && i < quoteLimit; ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    quoted += c >= 0x20 && c < 0x7F ? char(c) : '?';
  }
  return quoted + (text.size() > quoteLimit ? "...'" : "'");
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

// An address at the start of `text`, taken off it.
bool TakeAddress(std::string_view& text, uint32_t& address) {
  address = 0;
  for (int component = 0; component < 4; ++component) {
    if (component > 0) {
      if (text.empty() || text.front() != '.') return false;
      text.remove_prefix(1);
    }
    uint32_t value = 0;
    if (!TakeNumber(text, 3, value) || value > 255) return false;
    address = address << 8 | value;
  }
  return text.empty() || !IsDigit(text.front());
}

// The whole of `text` as one address.
bool WholeAddress(std::string_view text, uint32_t& address) {
  return TakeAddress(text, address) && text.empty();
}

ListEntry Network(uint32_t address, uint8_t prefix) {
  ListEntry entry;
  entry.kind = EntryKind::network;
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
  uint32_t value = 0;
  if (!WholeAddress(address, value)) return Fault("not an address:", address);
  uint32_t prefix = 0;
  std::string_view digits = prefixText;
  if (!TakeNumber(digits, 2, prefix) || !digits.empty() || prefix > calc::prefixMaximum)
    return Fault("not a prefix from 0 to 32:", prefixText);
  return Network(value, uint8_t(prefix));
}

ListEntry RangeForm(std::string_view firstText, std::string_view lastText) {
  ListEntry entry;
  if (!WholeAddress(firstText, entry.first)) return Fault("not an address:", firstText);
  if (!WholeAddress(lastText, entry.last)) return Fault("not an address:", lastText);
  if (entry.first > entry.last)
    return Fault("the first address is above the last:",
                 std::string(firstText) + "-" + std::string(lastText));
  entry.kind = EntryKind::range;
  return entry;
}

ListEntry MaskForm(std::string_view address, std::string_view maskText) {
  std::string_view rest;
  maskText = FirstWord(maskText, rest);
  if (!rest.empty()) return Fault("unexpected text:", rest);
  uint32_t value = 0;
  if (!WholeAddress(address, value)) return Fault("not an address:", address);
  uint32_t mask = 0;
  if (!WholeAddress(maskText, mask)) return Fault("not a mask:", maskText);
  const int prefix = calc::PrefixOfMask(mask);
  if (prefix < 0) return Fault("not a mask of leading one-bits:", maskText);
  return Network(value, uint8_t(prefix));
}

}  // namespace

ListEntry ReadListLine(std::string_view line) {
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
  uint32_t value = 0;
  if (WholeAddress(line, value)) return Fault("an address needs a prefix or a mask:", line);
  return Fault("not an address:", line);
}

void StartLines(LineSource& source, runtime::TextStream& stream) {
  source.stream = &stream;
  source.carried.clear();
  source.number = 0;
  source.failure = 0;
  runtime::SetStreamBuffer(stream, streamBlock, blockSize);
  blockPos = blockEnd = 0;
}

// Keeps what fits of a piece of a long line.
static void Carry(LineSource& source, const char* piece, size_t length) {
  const size_t room = lineLimit - source.carried.size();
  if (length > room) source.overlong = true;
  source.carried.append(piece, length < room ? length : room);
}

bool NextLine(LineSource& source, std::string_view& line) {
  source.carried.clear();
  source.overlong = false;
  bool started = false;
  for (;;) {
    if (blockPos == blockEnd) {
      blockPos = 0;
      blockEnd = runtime::ReadBlock(*source.stream, block, blockSize);
      if (runtime::ioResult != 0) {
        source.failure = runtime::ioResult;
        runtime::ioResult = 0;
        return false;
      }
      if (blockEnd == 0) {
        if (!started) return false;
        ++source.number;
        line = source.carried;
        return true;
      }
    }
    const char* start = block + blockPos;
    const char* end =
        static_cast<const char*>(std::memchr(start, '\n', size_t(blockEnd - blockPos)));
    if (end == nullptr) {
      Carry(source, start, size_t(blockEnd - blockPos));
      blockPos = blockEnd;
      started = true;
      continue;
    }
    blockPos = int32_t(end - block) + 1;
    ++source.number;
    if (!started && size_t(end - start) <= lineLimit) {
      line = std::string_view(start, size_t(end - start));
      return true;
    }
    Carry(source, start, size_t(end - start));
    line = source.carried;
    return true;
  }
}

}  // namespace cli
