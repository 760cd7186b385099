// Lines cut out of the blocks of a list. A line that lies whole inside a
// block is handed out where it lies; only one that a block's end cuts in two,
// or an overlong one, is copied.
#include "cli/list_reader.h"

#include <cstring>

namespace cli {

namespace {

constexpr int32_t blockSize = 64 * 1024;

// Keeps what fits of a piece of a long line.
void Carry(ListReader& reader, const char* piece, size_t length) {
  const size_t room = lineLimit - reader.carried.size();
  if (length > room) reader.overlong = true;
  reader.carried.append(piece, length < room ? length : room);
}

// The next block; false at the end of the list or when it cannot be read.
bool Refill(ListReader& reader) {
  reader.blockPos = 0;
  reader.blockEnd = 0;
  if (reader.block == nullptr) reader.block = std::make_unique<char[]>(blockSize);
  int32_t read = 0;
  if (!platform::ReadBytes(reader.handle, reader.block.get(), blockSize, read)) {
    reader.failure = platform::LastError();
    return false;
  }
  reader.blockEnd = read;
  return read > 0;
}

}  // namespace

bool OpenList(ListReader& reader, std::string_view name) {
  reader.name = name;
  reader.number = 0;
  reader.overlong = false;
  reader.failure = 0;
  reader.carried.clear();
  reader.blockPos = reader.blockEnd = 0;
  reader.ownsHandle = name != "-";
  if (!reader.ownsHandle) {
    reader.handle = platform::StdHandle(platform::StdHandleId::input);
  } else {
    // An empty name names no file, whatever a platform makes of it.
    reader.handle =
        name.empty() ? platform::invalidHandle : platform::OpenFileForReading(reader.name.c_str());
    if (reader.handle == platform::invalidHandle) {
      reader.failure = name.empty() ? platform::errorFileNotFound : platform::LastError();
      reader.ownsHandle = false;
      return false;
    }
  }
  return true;
}

bool NextLine(ListReader& reader, std::string_view& line) {
  reader.carried.clear();
  reader.overlong = false;
  bool started = false;
  for (;;) {
    if (reader.blockPos == reader.blockEnd && !Refill(reader)) {
      if (!started || reader.failure != 0) return false;
      ++reader.number;
      line = reader.carried;
      return true;
    }
    const char* start = reader.block.get() + reader.blockPos;
    const size_t length = size_t(reader.blockEnd - reader.blockPos);
    const char* end = static_cast<const char*>(std::memchr(start, '\n', length));
    if (end == nullptr) {
      Carry(reader, start, length);
      reader.blockPos = reader.blockEnd;
      started = true;
      continue;
    }
    reader.blockPos = int32_t(end + 1 - reader.block.get());
    ++reader.number;
    if (!started && size_t(end - start) <= lineLimit) {
      line = std::string_view(start, size_t(end - start));
      return true;
    }
    Carry(reader, start, size_t(end - start));
    line = reader.carried;
    return true;
  }
}

void CloseList(ListReader& reader) {
  if (reader.ownsHandle) platform::CloseHandle(reader.handle);
  reader.ownsHandle = false;
  reader.block.reset();
}

}  // namespace cli
