// Standard output as the command-line program writes it: the forms format
// straight into the writer's block (text_put.h), which leaves in one write
// when it is full and at the end. A reader that has gone away (a closed pipe)
// ends the program quietly with exit code 0, as it is no failure of netstep's;
// any other failure to write ends it with the runtime's failure report.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/platform.h"

namespace cli {

inline constexpr int32_t writerBlockSize = 64 * 1024;

// The most one Reserve may ask for.
inline constexpr int reserveMaximum = 4096;

struct Writer {
  platform::Handle handle;   // standard output
  std::string_view lineEnd;  // the platform's line end for text: "\n" or "\r\n"
  int32_t used;              // bytes waiting in `block`, 0 .. writerBlockSize
  char block[writerBlockSize];
};

void StartWriter(Writer& writer);

// Room for `count` bytes (at most reserveMaximum) at the end of what waits.
// The caller writes there and then calls Commit with the end of what it wrote.
char* Reserve(Writer& writer, int count);

inline void Commit(Writer& writer, char* end) {
  writer.used = int32_t(end - writer.block);
}

// Hands on whatever waits; a failure ends the program as above.
void FinishWriter(Writer& writer);

// A whole line of text, ended.
void WriteLine(Writer& writer, std::string_view text);

inline char* PutLineEnd(const Writer& writer, char* at) {
  for (char c : writer.lineEnd) *at++ = c;
  return at;
}

}  // namespace cli
