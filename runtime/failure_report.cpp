// Fatal failures raised by the program itself, and the report written for
// every fatal failure: "Runtime error N at 0xADDRESS", the address again, the
// back-trace and an empty line, each line ending in CR LF, on standard output
// or, when that cannot take it, on standard error.
#include "runtime/failure_report.h"

#include "platform/platform.h"
#include "runtime/program.h"
#include "runtime/runtime_state.h"

namespace runtime {

// Both take the failure's place from their own frame: the return address into
// the caller's statement, and the caller's frame, saved at this frame's base.
[[gnu::noinline]] void CheckIo() {
  if (ioResult == 0) return;
  const uint16_t number = ioResult;
  ioResult = 0;
  FailAt(number, reinterpret_cast<uintptr_t>(__builtin_return_address(0)),
         *static_cast<uintptr_t*>(__builtin_frame_address(0)));
}

[[gnu::noinline]] void RaiseRunError(uint16_t number) {
  FailAt(number, reinterpret_cast<uintptr_t>(__builtin_return_address(0)),
         *static_cast<uintptr_t*>(__builtin_frame_address(0)));
}

void HexDigits(uintptr_t value, int digits, ShortText<16>& text) {
  static constexpr char hex[] = "0123456789ABCDEF";
  if (digits > 16) digits = 16;
  text.length = uint8_t(digits);
  for (int k = 0; k < digits; ++k) {
    const int shift = 4 * k;
    const unsigned nibble = shift < int(8 * sizeof value) ? unsigned(value >> shift) & 0xF : 0;
    text.chars[digits - 1 - k] = hex[nibble];
  }
}

void FrameLine(TextStream& stream, uintptr_t address) {
  ShortText<16> digits;
  HexDigits(address, 8, digits);
  WriteText(0, stream, "  0x");
  WriteText(0, stream, digits);
}

// A frame is followed only while it lies inside the main thread's stack with
// room for its link and return address, and is aligned as the processor
// stores them: a corrupt chain ends the back-trace instead of faulting.
static bool IsPlausibleFrame(uintptr_t frame, const platform::StackRange& stack) {
  constexpr uintptr_t slot = sizeof(uintptr_t);
  return frame % slot == 0 && frame >= stack.low && frame + 2 * slot <= stack.high;
}

void DumpFrames(TextStream& stream, uintptr_t frame) {
  const bool toDevice = platform::IsCharacterDevice(stream.handle);
  const platform::StackRange stack = platform::StackBounds();
  int count = 0;
  intptr_t previous = intptr_t(frame) - 1;
  while (intptr_t(frame) > previous && IsPlausibleFrame(frame, stack)) {
    const uintptr_t* slots = reinterpret_cast<const uintptr_t*>(frame);
    if (slots[1] != 0) {
      FrameLine(stream, slots[1]);
      WriteLineEnd(stream);
    }
    ++count;
    if (count > traceDepthLimit && toDevice) break;
    if (count > traceDepthMaximum) break;
    previous = intptr_t(frame);
    frame = slots[0];
  }
}

static void WriteReportLines() {
  ShortText<16> digits;
  HexDigits(runState.errorAddress, 8, digits);
  WriteText(0, reportStream, "Runtime error ");
  WriteInteger(0, reportStream, runState.errorCode);
  WriteText(0, reportStream, " at 0x");
  WriteText(0, reportStream, digits);
  WriteLineEnd(reportStream);
  FrameLine(reportStream, runState.errorAddress);
  WriteLineEnd(reportStream);
  DumpFrames(reportStream, runState.errorFrame);
  WriteText(0, reportStream, "");
  WriteLineEnd(reportStream);
}

void WriteFailureReport() {
  // The report must get out: an error still pending from the failing
  // statement is dropped, and a failure before the runtime's start-up bound
  // the report stream binds it now.
  ioResult = 0;
  if (reportStream.mode != modeOutput) {
    BindStdStream(reportStream, modeOutput, platform::StdHandle(platform::StdHandleId::output));
  }
  WriteReportLines();
  if (ioResult == 0) return;
  // Standard output cannot take it (a closed pipe, a full disk: often the
  // failure itself), so the report goes to standard error rather than nowhere.
  ioResult = 0;
  BindStdStream(reportStream, modeOutput, platform::StdHandle(platform::StdHandleId::error));
  WriteReportLines();
}

}  // namespace runtime
