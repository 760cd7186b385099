// Messages on the runtime's standard error stream, any length, each line
// ended as the platform ends text.
#include "cli/reports.h"

#include <string>

#include "calc/statements.h"
#include "calc/task.h"
#include "cli/list_reader.h"
#include "cli/network_text.h"
#include "platform/platform.h"
#include "runtime/program.h"
#include "runtime/text_stream.h"

namespace cli {

using runtime::standardError;

namespace {

// Any length of text, in pieces a short text holds.
void ErrorText(std::string_view text) {
  while (!text.empty()) {
    const size_t piece = text.size() < size_t(runtime::shortTextLimit)
                             ? text.size()
                             : size_t(runtime::shortTextLimit);
    runtime::WriteText(0, standardError, runtime::TextRef(text.data(), int(piece)));
    text.remove_prefix(piece);
  }
}

void ErrorLine(std::string_view text) {
  ErrorText(text);
  calc::EndLineStatement(standardError, runtime::WriteTextLineEnd);
}

struct FailureText {
  uint32_t error;
  std::string_view reason;
};

// The reasons a list cannot be read, each said once.
constexpr FailureText failureTexts[] = {
    {platform::errorFileNotFound, "no such file"},
    {platform::errorPathNotFound, "no such folder"},
    {platform::errorAccessDenied, "access denied"},
    {platform::errorIsDirectory, "is a directory"},
    {platform::errorNameTooLong, "the name is too long"},
    {platform::errorReadFault, "read error"},
};

}  // namespace

void RefuseCommandLine(std::string_view reason) {
  ErrorLine(std::string("netstep: ").append(reason));
  ErrorLine("Try 'netstep --help'");
  runtime::StopProgram(exitUsageError);
}

void RefuseInput(std::string_view reason) {
  ErrorLine(std::string("Error - ").append(reason));
  runtime::StopProgram(exitInputError);
}

void ReportInput(std::string_view reason) {
  ErrorLine(std::string("Error - ").append(reason));
}

void RefuseInputCode(uint8_t code) {
  calc::ReportInputErrors(code, standardError, runtime::WriteTextLineEnd);
  runtime::StopProgram(exitInputError);
}

void ReportLine(const ListReader& reader, std::string_view reason) {
  ErrorLine("netstep: " + reader.name + ":" + std::to_string(reader.number) + ": " +
            std::string(reason));
}

void ReportUnreadable(const ListReader& reader) {
  ErrorLine("netstep: cannot read '" + reader.name +
            "': " + ReadFailure(reader.failure, reader.name == "-"));
}

void RefuseList(const ListReader& reader) {
  ReportUnreadable(reader);
  runtime::StopProgram(exitInputError);
}

std::string ReadFailure(uint32_t error, bool standardInput) {
  if (standardInput && error == platform::errorInvalidHandle) return "standard input is closed";
  for (const FailureText& text : failureTexts) {
    if (text.error == error) return std::string(text.reason);
  }
  return "I/O error " + std::to_string(error);
}

}  // namespace cli
