// Standard output in blocks of 64 KiB through the runtime's stream, which
// keeps the write failure and its report; the caller formats straight into the
// stream's buffer.
#include "cli/output.h"

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

char* PutDecimal(char* at, uint64_t value) {
  if (value < 256) {
    std::memcpy(at, octetTexts[value].text, 4);
    return at + octetTexts[value].length;
  }
  // Two digits at a time, from the right, from the octets' table.
  char digits[20];
  int start = 20;
  while (value >= 100) {
    std::memcpy(digits + (start -= 2), octetTexts[100 + value % 100].text + 1, 2);
    value /= 100;
  }
  if (value >= 10) {
    std::memcpy(digits + (start -= 2), octetTexts[100 + value].text + 1, 2);
  } else {
    digits[--start] = char('0' + value);
  }
  return PutText(at, std::string_view(digits + start, size_t(20 - start)));
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
