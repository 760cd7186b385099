// The one-shot program's answers: the usage text, the version, the four
// result lines of one network or of several in a row, and the reasons for
// refusing a command line, every line ended as the platform ends text lines.
#include "calc/one_shot.h"

#include <cstring>
#include <iterator>

#include "calc/address.h"
#include "calc/command_line.h"
#include "calc/network_view.h"
#include "calc/statements.h"
#include "calc/task.h"
#include "runtime/command_line.h"
#include "runtime/program.h"
#include "runtime/text_stream.h"

namespace calc {

using namespace runtime;

namespace {

constexpr uint16_t exitInputError = 1;
constexpr uint16_t exitUsageError = 2;

// The help option's line names the platform's own spelling too, where it has
// one; its words start in the column of the other options' words.
constexpr TextRef helpOptionLine = "  -h, --help";
constexpr int helpTextColumn = 18;

constexpr TextRef helpBefore[] = {
    "Usage: netstep",
    "       netstep [-n N] ADDRESS MASK",
    "       netstep [-n N] ADDRESS/PREFIX",
    "Without arguments netstep is the interactive calculator. With an address",
    "and a mask it writes the network address, the first and the last host and",
    "the broadcast address of the network the address belongs to, and exits.",
    "  ADDRESS, MASK   dotted decimal, read as the interactive prompts read them",
    "  PREFIX          the mask as its number of leading one-bits, 0 to 32",
    "  -n, --count N   N networks of the same size one after the other, starting",
    "                  with the one ADDRESS belongs to",
};
constexpr TextRef helpAfter[] = {
    "  -V, --version   the version",
    "Exit status: 0 answered, 1 bad address or mask, 2 bad command line.",
};

// The project's version, from the build.
constexpr TextRef versionText = NETSTEP_VERSION;

void EndLine(TextStream& stream) {
  EndLineStatement(stream, WriteTextLineEnd);
}

void Line(TextStream& stream, TextRef text) {
  WriteLineStatement(stream, text, WriteTextLineEnd);
}

// Any number of characters, in pieces a short text can hold.
void WriteLong(TextStream& stream, const char* chars, int length) {
  while (length > 0) {
    const int piece = length < shortTextLimit ? length : shortTextLimit;
    WriteText(0, stream, TextRef(chars, piece));
    chars += piece;
    length -= piece;
  }
}

void WriteHelp() {
  for (TextRef line : helpBefore) Line(standardOutput, line);
  WriteText(0, standardOutput, helpOptionLine);
  int column = helpOptionLine.length;
  if (const char* native = platform::NativeHelpOption(); native != nullptr) {
    const int length = int(std::strlen(native));
    WriteText(0, standardOutput, ", ");
    WriteLong(standardOutput, native, length);
    column += 2 + length;
  }
  WriteText(column < helpTextColumn ? helpTextColumn - column : 1, standardOutput, "");
  Line(standardOutput, "this help");
  for (TextRef line : helpAfter) Line(standardOutput, line);
}

void WriteVersion() {
  WriteText(0, standardOutput, "netstep ");
  Line(standardOutput, versionText);
}

// The reason's words around the culprit, which stands between quotes.
struct Reason {
  TextRef before;
  TextRef after;
};

// Indexed by UsageError.
constexpr Reason reasons[] = {
    {"", ""},
    {"unknown option '", "'"},
    {"option '", "' needs a count of networks"},
    {"the count of networks must be a whole number from 1 up, not '", "'"},
    {"the prefix must be a whole number from 0 to 32, not '", "'"},
    {"an address and a mask are needed", ""},
    {"a mask is needed after the address '", "'"},
    {"unexpected argument '", "'"},
};
static_assert(std::size(reasons) == size_t(UsageError::extraArgument) + 1);

[[noreturn]] void RefuseCommandLine(const Request& request) {
  const Reason& reason = reasons[size_t(request.error)];
  WriteText(0, standardError, "netstep: ");
  WriteText(0, standardError, reason.before);
  WriteLong(standardError, request.culprit, request.culprit != nullptr ? request.culpritLength : 0);
  WriteText(0, standardError, reason.after);
  EndLine(standardError);
  Line(standardError, "Try 'netstep --help'");
  StopProgram(exitUsageError);
}

// An argument read as a line typed at a prompt: its first 16 characters.
uint32_t ValueOf(const char* text, int length) {
  LineText line;
  AssignShortText(lineMaximum, TextRef(text, length < lineMaximum ? length : lineMaximum), line);
  return ParseLine(line);
}

// `count` networks from the one `address` belongs to, as "+" steps, with an
// empty line between two; the end of the address space ends them early.
void WriteNetworks(uint32_t address, uint32_t mask, uint64_t count) {
  constexpr uint8_t next = '+';
  for (uint64_t written = 0; written < count; ++written) {
    if (written > 0) EndLine(standardOutput);
    const NetworkRange range = RangeOf(address, mask);
    WriteRange(range, WriteTextLineEnd);
    if (range.broadcast == 0xFFFFFFFF) break;
    address = StepAddress(address, range, next);
  }
}

void Answer(const Request& request) {
  inputErrorCode = 0;
  const uint32_t address = ValueOf(request.address, request.addressLength);
  const uint32_t mask = request.mask != nullptr
                            ? ValueOf(request.mask, int(std::strlen(request.mask)))
                            : PrefixMask(request.prefix);
  CheckMask(mask);
  if (inputErrorCode != 0) {
    ReportInputErrors(standardError, WriteTextLineEnd);
    StopProgram(exitInputError);
  }
  WriteNetworks(address, mask, request.count);
}

}  // namespace

void AnswerOnce() {
  InitModules();
  // Standard output leaves in one piece at the end (or one per full buffer);
  // the reasons on standard error leave line by line.
  BufferOutput(standardOutput);
  const Request request =
      ReadCommandLine(ArgumentCount(), Arguments(), platform::NativeHelpOption());
  switch (request.kind) {
    case RequestKind::help:
      WriteHelp();
      break;
    case RequestKind::version:
      WriteVersion();
      break;
    case RequestKind::usageError:
      RefuseCommandLine(request);
    case RequestKind::answer:
      Answer(request);
      break;
  }
  FlushOutput(standardOutput);
  CheckIo();
  ExitProgram();
}

}  // namespace calc
