// The writer's block and its one way to the standard output handle.
#include "cli/writer.h"

#include "cli/text_put.h"
#include "runtime/program.h"
#include "runtime/text_stream.h"

namespace cli {

namespace {

// The errors of a pipe whose reader has gone, on each platform.
bool ReaderGone(uint32_t error) {
  return error == platform::errorBrokenPipe || error == platform::errorPipeClosing ||
         error == platform::errorPipeNotConnected;
}

void Hand(Writer& writer) {
  int32_t written = 0;
  const bool ok = platform::WriteBytes(writer.handle, writer.block, writer.used, written);
  if (!ok && ReaderGone(platform::LastError())) runtime::StopProgram(0);
  if (!ok || written != writer.used) runtime::RaiseRunError(runtime::errorWriteFailed);
  writer.used = 0;
}

}  // namespace

void StartWriter(Writer& writer) {
  writer.handle = platform::StdHandle(platform::StdHandleId::output);
  writer.lineEnd = platform::TextLineEnd();
  writer.used = 0;
}

char* Reserve(Writer& writer, int count) {
  if (writer.used + count > writerBlockSize) Hand(writer);
  return writer.block + writer.used;
}

void FinishWriter(Writer& writer) {
  if (writer.used > 0) Hand(writer);
}

void WriteLine(Writer& writer, std::string_view text) {
  constexpr size_t piece = reserveMaximum / 2;
  while (text.size() > piece) {
    Commit(writer, PutText(Reserve(writer, int(piece)), text.substr(0, piece)));
    text.remove_prefix(piece);
  }
  Commit(writer, PutLineEnd(writer, PutText(Reserve(writer, int(text.size()) + 2), text)));
}

}  // namespace cli
