// The four result lines of a network, the navigation prompt, and the keys
// that step between networks of the same size.
#include "calc/network_view.h"

#include <bit>

#include "calc/statements.h"
#include "console/key_codes.h"
#include "console/keyboard.h"
#include "runtime/program.h"
#include "runtime/text_stream.h"

namespace calc {

using namespace runtime;

namespace {
constexpr uint8_t keyNext = '+';
constexpr uint8_t keyPrevious = '-';
}  // namespace

NetworkRange RangeOf(uint32_t address, uint32_t mask) {
  NetworkRange range;
  range.network = address & mask;
  range.broadcast = address | ~mask;
  switch (std::popcount(~mask)) {
    case 0:  // a single address
      range.firstHost = range.lastHost = address;
      break;
    case 1:  // a point-to-point link: both addresses are hosts
      range.firstHost = range.network;
      range.lastHost = range.broadcast;
      break;
    default:
      range.firstHost = range.network + 1;
      range.lastHost = range.broadcast - 1;
  }
  return range;
}

uint32_t StepAddress(uint32_t address, const NetworkRange& range, uint8_t key) {
  if (key == keyNext && range.broadcast != 0xFFFFFFFF) return range.broadcast + 1;
  if (key == keyPrevious && range.network != 0) return range.network - 1;
  return address;
}

void PrintAddress(uint32_t value, LineEndRoutine endLine) {
  for (int shift = 24; shift > 0; shift -= 8) {
    WriteInteger(0, standardOutput, int32_t((value >> shift) & 0xFF));
    WriteChar(0, standardOutput, '.');
    WriteEnd(standardOutput);
    CheckIo();
  }
  WriteInteger(0, standardOutput, int32_t(value & 0xFF));
  EndLineStatement(standardOutput, endLine);
}

static void WriteLabel(TextRef label) {
  WriteStatement(standardOutput, label);
}

static void EndLine() {
  EndLineStatement(standardOutput, WriteLineEnd);
}

void WriteRange(const NetworkRange& range, LineEndRoutine endLine) {
  const uint32_t addresses[] = {range.network, range.firstHost, range.lastHost, range.broadcast};
  for (int line = 0; line < 4; ++line) {
    WriteLabel(rangeLabels[line]);
    PrintAddress(addresses[line], endLine);
  }
}

// One pass: an empty line, the four result lines, two empty lines and the
// prompt, eight lines in all once the key's line end follows.
static void ShowRange(const NetworkRange& range) {
  EndLine();
  WriteRange(range, WriteLineEnd);
  EndLine();
  EndLine();
  WriteLabel("Enter (+) for next or (-) for previous network or (Esc) for EXIT");
}

void NetworkView(uint32_t address, uint32_t mask) {
  for (;;) {
    const NetworkRange range = RangeOf(address, mask);
    ShowRange(range);
    const uint8_t key = console::WaitKey();
    EndLine();
    if (key == console::keyEsc) return;
    address = StepAddress(address, range, key);
  }
}

}  // namespace calc
