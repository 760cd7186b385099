// The task loop and the screen layout of one task: prompts from column 1, the
// mask help table from column 50, and the input errors in words.
#include "calc/task.h"

#include <iterator>

#include "calc/address.h"
#include "calc/network_view.h"
#include "calc/statements.h"
#include "console/keyboard.h"
#include "console/window.h"
#include "runtime/program.h"
#include "runtime/text_stream.h"

namespace calc {

using namespace runtime;

namespace {

constexpr uint8_t helpColumn = 50;
constexpr TextRef maskHelpTable[] = {
    "10000000 - 128", "11000000 - 192", "11100000 - 224", "11110000 - 240",
    "11111000 - 248", "11111100 - 252", "11111110 - 254", "11111111 - 255",
};

constexpr uint8_t answerEnd = 'n';

void ReadLine(LineText& text) {
  ReadText(standardInput, text, lineMaximum);
  ReadLineEnd(standardInput);
  CheckIo();
}

void ShowMaskHelp() {
  for (uint8_t row = 1; row <= std::size(maskHelpTable); ++row) {
    console::PlaceCursor(helpColumn, row);
    WriteStatement(standardOutput, maskHelpTable[row - 1]);
  }
}

}  // namespace

void ReportInputErrors(uint8_t code, TextStream& stream, LineEndRoutine endLine) {
  constexpr TextRef rangeMessage = "Address value must be (0..255)";
  constexpr TextRef maskMessage = "Wrong SubNet mask ";
  constexpr int errorPrefixLength = 8;  // "Error - "
  WriteStatement(stream, "Error - ");
  switch (code) {
    case errorComponentRange:
      WriteLineStatement(stream, rangeMessage, endLine);
      break;
    case errorMaskNotContiguous:
      WriteLineStatement(stream, maskMessage, endLine);
      break;
    default:  // both: the second message stands under the first
      WriteLineStatement(stream, rangeMessage, endLine);
      WriteLineStatement(stream, maskMessage, endLine, errorPrefixLength + maskMessage.length);
  }
}

void RunTask() {
  console::ClearWindow();
  inputErrorCode = 0;
  ShowMaskHelp();
  console::PlaceCursor(1, 1);
  LineText addressText;
  LineText maskText;
  WriteStatement(standardOutput, "Enter IP address : ");
  ReadLine(addressText);
  WriteStatement(standardOutput, "Enter SubNet Mask : ");
  ReadLine(maskText);
  const uint32_t address = ParseLine(addressText);
  const uint32_t mask = ParseLine(maskText);
  CheckMask(mask);
  if (inputErrorCode == 0) {
    NetworkView(address, mask);
  } else {
    ReportInputErrors(inputErrorCode, standardOutput, WriteLineEnd);
  }
}

void MainLoop() {
  InitModules();
  uint8_t answer;
  do {
    RunTask();
    EndLineStatement(standardOutput, WriteLineEnd);
    WriteStatement(standardOutput, "New Task Y/N  -  Y");
    answer = console::WaitKey();
  } while (answer != answerEnd);
  ExitProgram();
}

}  // namespace calc
