// Standard output in blocks of 64 KiB through the runtime's stream, which
// keeps the write failure and its report; the caller formats straight into the
// stream's buffer.
#include "cli/output.h"

#include <array>
#include <cstring>

#include "platform/platform.h"
#include "runtime/program.h"
#include "runtime/text_stream.h"

namespace cli {

namespace {

using runtime::standardOutput;

constexpr int32_t blockSize = 64 * 1024;
char block[blockSize];

std::string_view lineEnd = "\n";

// The platform's error numbers of a pipe whose reader has gone: broken pipe
// (POSIX), "the pipe is being closed" (Windows), "no process is on the other
// end of the pipe" (Wine).
constexpr uint32_t readerGoneErrors[] = {109, 232, 233};

// The decimal text of every octet, padded to four bytes for fixed copies.
struct OctetText {
  char text[4];
  uint8_t length;
};

constexpr std::array<OctetText, 256> BuildOctets() {
  std::array<OctetText, 256> octets{};
  for (int value = 0; value < 256; ++value) {
    OctetText& octet = octets[size_t(value)];
    if (value >= 100) octet.text[octet.length++] = char('0' + value / 100);
    if (value >= 10) octet.text[octet.length++] = char('0' + value / 10 % 10);
    octet.text[octet.length++] = char('0' + value % 10);
  }
  return octets;
}

constexpr std::array<OctetText, 256> octets = BuildOctets();

// A failed write: quietly done when the reader went away, else the report.
[[noreturn]] void EndForFailedWrite() {
  const uint32_t error = platform::LastError();
  for (uint32_t gone : readerGoneErrors) {
    if (runtime::ioResult == runtime::errorWriteFailed && error == gone) runtime::StopProgram(0);
  }
  runtime::CheckIo();
  runtime::StopProgram(runtime::ioResult);  // not reached: CheckIo ends the program
}

}  // namespace

void StartOutput() {
  runtime::SetStreamBuffer(standardOutput, block, blockSize);
  runtime::BufferOutput(standardOutput);
  lineEnd = platform::TextLineEnd();
}

char* Reserve(int count) {
  char* room = runtime::OutputRoom(standardOutput, count);
  if (room == nullptr) EndForFailedWrite();
  return room;
}

void Commit(char* end) {
  standardOutput.bufferPos = int32_t(end - standardOutput.bufferRef);
}

void FinishOutput() {
  runtime::FlushOutput(standardOutput);
  if (runtime::ioResult != 0) EndForFailedWrite();
}

std::string_view LineEnd() {
  return lineEnd;
}

char* PutDotted(char* at, uint32_t address) {
  for (int shift = 24; shift >= 0; shift -= 8) {
    const OctetText& octet = octets[(address >> shift) & 0xFF];
    std::memcpy(at, octet.text, 4);
    at += octet.length;
    *at = '.';
    at += shift > 0;
  }
  return at;
}

char* PutDecimal(char* at, uint64_t value) {
  char digits[20];
  int count = 0;
  do {
    digits[count++] = char('0' + value % 10);
    value /= 10;
  } while (value != 0);
  while (count > 0) *at++ = digits[--count];
  return at;
}

char* PutText(char* at, std::string_view text) {
  std::memcpy(at, text.data(), text.size());
  return at + text.size();
}

char* PutLineEnd(char* at) {
  return PutText(at, lineEnd);
}

void WriteLine(std::string_view text) {
  while (text.size() > 2048) {
    Commit(PutText(Reserve(2048), text.substr(0, 2048)));
    text.remove_prefix(2048);
  }
  Commit(PutLineEnd(PutText(Reserve(int(text.size()) + 2), text)));
}

}  // namespace cli
