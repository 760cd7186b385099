// Lists of networks, one per line, read strictly: a line that is not exactly
// one network in one of the forms below is an error for that line, never a
// guess. Forms: ADDRESS/PREFIX, ADDRESS MASK, FIRST-LAST, with spaces or tabs
// around them; blank lines and lines starting with "#" say nothing. An address
// is four decimal components of one to three digits, each 0 to 255; a prefix
// is 0 to 32; a mask is leading one-bits.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "runtime/text_stream.h"

namespace cli {

enum class EntryKind : uint8_t { nothing, network, range, error };

struct ListEntry {
  EntryKind kind = EntryKind::nothing;
  uint32_t address = 0;  // network: the address as written
  uint8_t prefix = 0;    // network: its prefix, from PREFIX or MASK
  uint32_t first = 0;    // range: FIRST and LAST, first <= last
  uint32_t last = 0;
  std::string reason;  // error: what is wrong, with the text at fault
};

// One line, without its line end.
ListEntry ReadListLine(std::string_view line);

// The lines of a stream, from its start: 64 KiB at a time, any length of
// line, any line end (LF, CR LF).
struct LineSource {
  runtime::TextStream* stream;
  std::string carried;    // the start of a line that the last block cut off
  uint64_t number = 0;    // of the line last taken, from 1
  bool overlong = false;  // the line last taken was longer than lineLimit
  uint16_t failure = 0;   // the I/O error that ended the reading; 0 for its end
};

// The longest line kept; longer ones are read to their end and are errors.
inline constexpr size_t lineLimit = 4096;

// Reads `stream` in blocks of 64 KiB from now on. One source at a time.
void StartLines(LineSource& source, runtime::TextStream& stream);

// The next line; false at the end of input, or when it cannot be read
// (`failure` then holds the I/O error, and the error is no longer pending). `line` stays valid
// until the next call. An overlong line comes back cut to lineLimit with `overlong` set.
bool NextLine(LineSource& source, std::string_view& line);

}  // namespace cli
