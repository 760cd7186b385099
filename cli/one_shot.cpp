// The command-line program: the request read from the arguments, answered in
// its form, and refused with its reason and exit code. Addresses and masks on
// the command line are read as the prompts read them; the lines of a list
// strictly (list_reader.h).
#include "cli/one_shot.h"

#include <string>
#include <string_view>
#include <vector>

#include "calc/address.h"
#include "calc/network_blocks.h"
#include "calc/network_view.h"
#include "calc/statements.h"
#include "calc/task.h"
#include "cli/aggregate.h"
#include "cli/answers.h"
#include "cli/help.h"
#include "cli/list_reader.h"
#include "cli/listing.h"
#include "cli/options.h"
#include "cli/output.h"
#include "cli/planning.h"
#include "runtime/command_line.h"
#include "runtime/program.h"
#include "runtime/text_stream.h"

namespace cli {

using runtime::standardError;

namespace {

constexpr uint16_t exitInputError = 1;
constexpr uint16_t exitUsageError = 2;

// Any length of text on standard error, in pieces a short text holds.
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

[[noreturn]] void RefuseCommandLine(const std::string& reason) {
  ErrorLine("netstep: " + reason);
  ErrorLine("Try 'netstep --help'");
  runtime::StopProgram(exitUsageError);
}

[[noreturn]] void RefuseInput(const std::string& reason) {
  ErrorLine("Error - " + reason);
  runtime::StopProgram(exitInputError);
}

// The input error code in the interactive program's words.
[[noreturn]] void RefuseInputCode() {
  calc::ReportInputErrors(standardError, runtime::WriteTextLineEnd);
  runtime::StopProgram(exitInputError);
}

std::string Dotted(uint32_t address) {
  char text[dottedMaximum + dottedSlack];
  return std::string(text, PutDotted(text, address));
}

// A text read as a line typed at a prompt: its first 16 characters.
uint32_t ValueOf(const std::string& text) {
  calc::LineText line;
  const int length = text.size() < size_t(calc::lineMaximum) ? int(text.size()) : calc::lineMaximum;
  runtime::AssignShortText(calc::lineMaximum, runtime::TextRef(text.data(), length), line);
  return calc::ParseLine(line);
}

struct Network {
  uint32_t address;
  uint32_t mask;
};

// The command line's network, or its input errors.
Network NetworkOf(const Request& request) {
  calc::inputErrorCode = 0;
  const Network network = {ValueOf(request.address), request.hasMask
                                                         ? ValueOf(request.mask)
                                                         : calc::PrefixMask(request.prefix)};
  calc::CheckMask(network.mask);
  if (calc::inputErrorCode != 0) RefuseInputCode();
  return network;
}

// The prefix of a network that is to be divided: its mask must be one.
uint8_t DividedPrefix(const Network& network) {
  const int prefix = calc::PrefixOfMask(network.mask);
  if (prefix < 0) RefuseInput("SubNet mask " + Dotted(network.mask) + " has no prefix length");
  return uint8_t(prefix);
}

std::string SplitRefusal(uint8_t prefix, uint8_t splitPrefix) {
  return "a /" + std::to_string(prefix) + " network cannot be split into /" +
         std::to_string(splitPrefix) + " networks";
}

void Answer(const Request& request) {
  const Network network = NetworkOf(request);
  StartAnswers(request.json, request.all);
  if (request.json && request.counted) {
    BeginListing(true);
    WriteAnswers(network.address, network.mask, request.count, true);
    EndListing();
  } else {
    WriteAnswers(network.address, network.mask, request.count, false);
  }
}

void Split(const Request& request) {
  const Network network = NetworkOf(request);
  const uint8_t prefix = DividedPrefix(network);
  if (request.splitPrefix < prefix) RefuseCommandLine(SplitRefusal(prefix, request.splitPrefix));
  BeginListing(request.json);
  ListRun(network.address & network.mask, request.splitPrefix,
          uint64_t(1) << (request.splitPrefix - prefix));
  EndListing();
}

void Hosts(const Request& request) {
  const Network network = NetworkOf(request);
  const uint8_t prefix = DividedPrefix(network);
  const uint32_t start = network.address & network.mask;
  std::vector<PlannedNetwork> plan;
  uint64_t needed = 0;
  if (!PlanHosts(start, prefix, request.hosts, plan, needed)) {
    RefuseInput("The host counts need " + std::to_string(needed) + " addresses; " + Dotted(start) +
                "/" + std::to_string(prefix) + " has " +
                std::to_string(calc::AddressCount(prefix)));
  }
  BeginListing(request.json);
  for (const PlannedNetwork& entry : plan) ListPlanned(entry.network, entry.prefix, entry.hosts);
  EndListing();
}

void Range(const Request& request) {
  calc::inputErrorCode = 0;
  const uint32_t first = ValueOf(request.first);
  const uint32_t last = ValueOf(request.last);
  if (calc::inputErrorCode != 0) RefuseInputCode();
  if (first > last)
    RefuseInput("The first address " + Dotted(first) + " is above the last " + Dotted(last));
  BeginListing(request.json);
  ListRange(first, last);
  EndListing();
}

// ---- Lists ------------------------------------------------------------------

runtime::TextStream listFile;

std::string OpenFailure(uint16_t error) {
  switch (error) {
    case 2:
      return "no such file";
    case 3:
      return "no such folder";
    case 5:
      return "access denied";
    default:
      return "I/O error " + std::to_string(error);
  }
}

[[noreturn]] void RefuseFile(const std::string& path, uint16_t error) {
  ErrorLine("netstep: cannot read '" + path + "': " + OpenFailure(error));
  runtime::StopProgram(exitInputError);
}

// Standard input for "-" or no file, else the file opened.
runtime::TextStream& ListStream(const std::string& path) {
  if (path.empty() || path == "-") return runtime::standardInput;
  if (path.size() > size_t(runtime::shortTextLimit)) RefuseFile(path, 3);
  runtime::AssignStream(listFile, runtime::TextRef(path.data(), int(path.size())));
  runtime::OpenForInput(listFile);
  const uint16_t error = runtime::ioResult;
  runtime::ioResult = 0;
  if (error != 0) RefuseFile(path, error);
  return listFile;
}

// Every entry of the list in turn; bad lines reported. False when any was.
template <typename Take>
bool ReadList(const Request& request, Take take) {
  LineSource source;
  StartLines(source, ListStream(request.file));
  bool allGood = true;
  std::string_view line;
  while (NextLine(source, line)) {
    ListEntry entry = ReadListLine(line);
    if (source.overlong) {
      entry.kind = EntryKind::error;
      entry.reason = "the line is longer than " + std::to_string(lineLimit) + " characters";
    }
    if (entry.kind == EntryKind::nothing) continue;
    if (entry.kind == EntryKind::network || entry.kind == EntryKind::range) {
      entry.reason = take(entry);
      if (entry.reason.empty()) continue;
    }
    ErrorLine("Error - Line " + std::to_string(source.number) + ": " + entry.reason);
    allGood = false;
  }
  if (source.failure != 0) RefuseFile(request.file.empty() ? "-" : request.file, source.failure);
  return allGood;
}

// Each line answered in its form; "" or why it cannot be.
std::string AnswerEntry(const Request& request, const ListEntry& entry) {
  const bool split = request.split;
  if (entry.kind == EntryKind::range) {
    if (split) return "a range is not split";
    ListRange(entry.first, entry.last);
    return "";
  }
  const uint32_t mask = calc::PrefixMask(entry.prefix);
  if (!split) {
    WriteAnswers(entry.address, mask, request.count, true);
    return "";
  }
  if (request.splitPrefix < entry.prefix) return SplitRefusal(entry.prefix, request.splitPrefix);
  ListRun(entry.address & mask, request.splitPrefix,
          uint64_t(1) << (request.splitPrefix - entry.prefix));
  return "";
}

bool AnswerList(const Request& request) {
  StartAnswers(request.json, request.all);
  BeginListing(request.json);
  const bool allGood =
      ReadList(request, [&](const ListEntry& entry) { return AnswerEntry(request, entry); });
  EndListing();
  return allGood;
}

bool Aggregate(const Request& request) {
  std::vector<uint64_t> ranges;
  const bool allGood = ReadList(request, [&](const ListEntry& entry) {
    if (entry.kind == EntryKind::range) {
      ranges.push_back(PackRange(entry.first, entry.last));
    } else {
      const uint32_t network = entry.address & calc::PrefixMask(entry.prefix);
      ranges.push_back(PackRange(network, calc::LastAddressOf({network, entry.prefix})));
    }
    return std::string();
  });
  if (!allGood) return false;  // a partial union would be a wrong answer
  BeginListing(request.json);
  ListUnion(ranges);
  EndListing();
  return true;
}

}  // namespace

void AnswerOnce() {
  runtime::InitModules();
  StartOutput();
  Request request =
      ReadOptions(runtime::ArgumentCount(), runtime::Arguments(), platform::NativeHelpOption());
  bool allGood = true;
  switch (request.form) {
    case Form::help:
      WriteHelp(platform::NativeHelpOption());
      break;
    case Form::version:
      WriteVersion();
      break;
    case Form::usageError:
      RefuseCommandLine(request.reason);
    case Form::answer:
      Answer(request);
      break;
    case Form::split:
      Split(request);
      break;
    case Form::hosts:
      Hosts(request);
      break;
    case Form::range:
      Range(request);
      break;
    case Form::aggregate:
      allGood = Aggregate(request);
      break;
    case Form::list:
      allGood = AnswerList(request);
      break;
  }
  FinishOutput();
  runtime::StopProgram(allGood ? 0 : exitInputError);
}

}  // namespace cli
