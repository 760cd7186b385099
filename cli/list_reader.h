// The lines of a list: a file, or standard input for "-", read in blocks of
// 64 KiB straight from its handle. Any length of line, any line end (LF,
// CR LF); a last line without an end is a line. The reader knows the list's
// name and the number of the line last taken, for the messages that name
// them as FILE:LINE.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace cli {

// The longest line kept; longer ones are read to their end and are errors.
inline constexpr size_t lineLimit = 4096;

struct ListReader {
  std::string name;               // as it was given; "-" is standard input
  platform::Handle handle;        // the list's handle
  bool ownsHandle;                // opened here, closed by CloseList
  uint64_t number;                // of the line last taken, from 1
  bool overlong;                  // the line last taken was longer than lineLimit
  uint32_t failure;               // the error that ended the reading early; 0 for none
  std::string carried;            // a line that the end of a block cut in two
  std::unique_ptr<char[]> block;  // what the last read brought; had at the first read
  int32_t blockPos;               // the next byte of `block` to take
  int32_t blockEnd;               // the bytes the last read brought
};

// Opens the list named `name`. False when it cannot be opened; `failure`
// then holds the platform's error.
bool OpenList(ListReader& reader, std::string_view name);

// The next line, without its end; false at the end of the list, or when it
// cannot be read (`failure` then holds the platform's error). `line` stays
// valid until the next call. An overlong line comes back cut to lineLimit
// with `overlong` set.
bool NextLine(ListReader& reader, std::string_view& line);

void CloseList(ListReader& reader);

}  // namespace cli
