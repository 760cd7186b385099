// The command-line program on arbitrary input: the first bytes, cut at NULs,
// are read as arguments; the rest is a list on standard input, aggregated or
// answered line by line, or made a set and worked on. Whatever comes: no
// crash and no read past the input; the exit code is 0, 1 or 2 and says what
// the output does; every bad line is reported once, in order, as
// "netstep: -:LINE: " and one line of printable text; a set with a bad line
// writes nothing, and one without lists only NETWORK/PREFIX lines.
// Standard output's reader leaves after a few MiB, as a pipe's may: a request
// for a huge listing ends there, and the target goes on looking for faults.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/one_shot.h"
#include "cli/options.h"
#include "tests/fake/fake_platform.h"

namespace {

// The modes the list is read in, chosen by the first byte.
const std::vector<std::string> listModes[] = {
    {"-A"},
    {"-A", "-j"},
    {"-f", "-"},
    {"-f", "-", "-s", "28"},
    {"-aj", "-f", "-"},
    {"-n2", "-f-"},
    {"-x", "@-", "0.0.0.0/0", "::/0"},
    {"-C", "-i", "@-", "10.0.0.0/8", "2000::/3"},
    {"-A", "-x", "10.0.0.0/9,2001:db8::/33", "-i", "0.0.0.0/1,::/1"},
    {"-g", "10.0.0.0/8,2001:db8::/32,0.0.0.0/2"},
    {"-vg", "::/1,128.0.0.0/1"},
};

// The modes that make a set: nothing partial is ever written.
bool MakesASet(const std::vector<std::string>& mode) {
  return mode[0] == "-A" || mode[0] == "-x" || mode[0] == "-C";
}

void Check(bool condition) {
  if (!condition) std::abort();
}

// The grep mode's: grep's exit status, and a line written exactly when one
// was selected, each of them a line of the input.
void CheckGrep(uint32_t code, const std::string& out, const std::string& input) {
  Check(code == 0 || code == 1);
  Check((code == 0) == !out.empty());
  for (size_t at = 0, end; at < out.size(); at = end + 1) {
    end = out.find('\n', at);
    if (end == std::string::npos) end = out.size() - 1;
    Check(input.find(out.substr(at, end - at + 1)) != std::string::npos);
  }
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t at = 0;
  for (size_t end; (end = text.find('\n', at)) != std::string::npos; at = end + 1)
    lines.push_back(text.substr(at, end - at));
  Check(at == text.size());  // every line ended
  return lines;
}

uint32_t RunProgram(const std::vector<std::string>& arguments, const std::string& input) {
  fake::Reset();
  fake::state.handles[fake::inputHandle].reads = {input};
  fake::state.handles[fake::outputHandle].readerLeavesAfter = size_t(4) << 20;
  Check(fake::RunWithArguments(cli::AnswerOnce, arguments));
  return fake::state.exitCode;
}

// Bad lines are reported as "netstep: -:N: ..." with N rising, each a line
// of the input.
void CheckReports(const std::string& err, size_t inputLines) {
  uint64_t last = 0;
  const std::string start = "netstep: -:";
  for (const std::string& report : Lines(err)) {
    Check(report.rfind(start, 0) == 0);
    const uint64_t number = std::strtoull(report.c_str() + start.size(), nullptr, 10);
    Check(number > last && number <= inputLines);
    last = number;
    for (char c : report) Check(c >= 0x20 && c < 0x7F);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  // Arguments: up to the first two NULs.
  const size_t cut = bytes.find('\0', bytes.find('\0') + 1);
  std::vector<std::string> arguments;
  for (size_t at = 0; at < cut && at < bytes.size();) {
    const size_t end = bytes.find('\0', at);
    arguments.push_back(bytes.substr(at, end - at));
    if (end == std::string::npos) break;
    at = end + 1;
  }
  std::vector<const char*> pointers;
  for (const std::string& argument : arguments) pointers.push_back(argument.c_str());
  const cli::Request request = cli::ReadOptions(int(pointers.size()), pointers.data(), "/?");

  const std::string input = cut == std::string::npos ? bytes : bytes.substr(cut + 1);
  // The arguments as given: any exit code of the three, a reason with each
  // refusal, and nothing on standard output with a usage error.
  const uint32_t given = RunProgram(arguments, input);
  Check(given <= 2);
  // A reason comes with every exit but 0 and the grep mode's 1 (no line selected).
  const bool quiet = given == 0 || (given == 1 && request.form == cli::Form::grep);
  Check(quiet == fake::state.handles[fake::errorHandle].written.empty());
  if (given == 2) Check(fake::state.handles[fake::outputHandle].written.empty());

  const std::vector<std::string>& mode = listModes[data[0] % std::size(listModes)];
  const uint32_t code = RunProgram(mode, input);
  const fake::HandleScript& output = fake::state.handles[fake::outputHandle];
  const std::string& out = output.written;
  const std::string& err = fake::state.handles[fake::errorHandle].written;
  if (mode[0] == "-g" || mode[0] == "-vg") {
    if (!output.readerLeft) CheckGrep(code, out, input);
    return 0;
  }
  Check(code == 0 || code == 1);
  Check((code == 1) == !err.empty() || output.readerLeft);
  size_t inputLines = 0;
  for (char c : input) inputLines += c == '\n';
  CheckReports(err, inputLines + 1);
  if (MakesASet(mode) && !output.readerLeft) {
    if (code == 1) Check(out.empty());
    if (code == 0 && mode.size() == 1) {
      for (const std::string& line : Lines(out)) Check(line.find('/') != std::string::npos);
    }
  }
  return 0;
}
