// Reading the command line with getopt_long. Its own messages are off: every
// refusal has netstep's own reason. Non-options come back in their places
// (the optstring's leading "-"), so the reading does not depend on the
// environment's POSIXLY_CORRECT; "--" ends the options.
#include "cli/options.h"

#include <getopt.h>

#include <bit>
#include <cstring>
#include <string_view>

#include "calc/network_blocks.h"
#include "cli/network_text.h"

namespace cli {

namespace {

// Options that may stand together or not, by the bit each one sets.
enum Given : uint32_t {
  givenCount = 1,
  givenSplit = 2,
  givenHosts = 4,
  givenAggregate = 8,
  givenFile = 16,
  givenAll = 32,
  givenExclude = 64,
  givenIntersect = 128,
  givenCountAddresses = 256,
  givenGrep = 512,
  givenInvertMatch = 1024,
  givenCountLines = 2048,
  givenQuiet = 4096,
  givenJson = 8192,
};
constexpr int givenKinds = 14;

constexpr char shortOptions[] = "-:hVn:s:H:Af:ajx:i:Cg:vcq";
const option longOptions[] = {
    {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, 'V'},
    {"count", required_argument, nullptr, 'n'},
    {"split", required_argument, nullptr, 's'},
    {"hosts", required_argument, nullptr, 'H'},
    {"aggregate", no_argument, nullptr, 'A'},
    {"file", required_argument, nullptr, 'f'},
    {"all", no_argument, nullptr, 'a'},
    {"json", no_argument, nullptr, 'j'},
    {"exclude", required_argument, nullptr, 'x'},
    {"intersect", required_argument, nullptr, 'i'},
    {"count-addresses", no_argument, nullptr, 'C'},
    {"grep", required_argument, nullptr, 'g'},
    {"invert-match", no_argument, nullptr, 'v'},
    {"count-lines", no_argument, nullptr, 'c'},
    {"quiet", no_argument, nullptr, 'q'},
    {nullptr, 0, nullptr, 0},
};

// The options that make a set of networks and work on it; any of them makes
// the form a set's.
constexpr uint32_t setOptions =
    givenAggregate | givenExclude | givenIntersect | givenCountAddresses;

// The grep mode's options; the others need -g.
constexpr uint32_t grepOptions = givenGrep | givenInvertMatch | givenCountLines | givenQuiet;

// Groups of options that mean nothing together: any option of the first
// with any of the second.
constexpr uint32_t conflicts[][2] = {
    {grepOptions,
     givenCount | givenSplit | givenHosts | givenFile | givenAll | setOptions | givenJson},
    {givenSplit, givenHosts | givenCount | givenAll | setOptions},
    {givenHosts, givenCount | givenFile | givenAll | setOptions},
    {setOptions, givenCount | givenAll},
};

// Options that take one value and may be given once.
constexpr uint32_t givenOnce = givenCount | givenSplit | givenHosts | givenGrep;

// What the reading has found so far.
struct Reading {
  Request request;
  std::vector<std::string> positional;
  uint32_t given = 0;
  std::string spelling[givenKinds];  // how each option of Given was written, by bit number
};

Request Of(Form form) {
  Request request;
  request.form = form;
  return request;
}

Request Refuse(std::string reason) {
  Request request = Of(Form::usageError);
  request.reason = std::move(reason);
  return request;
}

// An argument quoted whole, as it was written: it came from the user's own
// command line.
std::string QuotedWhole(const std::string& text) {
  return "'" + text + "'";
}

}  // namespace

std::string PrefixRefusal(uint8_t version, const std::string& text) {
  return "the prefix must be a whole number from 0 to " + std::to_string(PrefixMaximumOf(version)) +
         ", not '" + text + "'";
}

namespace {

// Surrounding blanks are no part of an operand: a script's stray space must
// not change the network it names.
std::string TrimmedText(const std::string& text) {
  return std::string(Trimmed(text));
}

// The value of a decimal text, saturated one past `limit`; false for an empty
// text or any character that is not a digit.
bool ReadNumber(const std::string& text, uint64_t limit, uint64_t& value) {
  if (text.empty()) return false;
  value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + uint64_t(c - '0');
    if (value > limit) value = limit + 1;  // stays out of range, never overflows
  }
  return true;
}

bool ReadPrefix(const std::string& text, uint8_t maximum, uint8_t& prefix) {
  uint64_t value = 0;
  if (!ReadNumber(text, maximum, value) || value > maximum) return false;
  prefix = uint8_t(value);
  return true;
}

bool ReadHostCounts(const std::string& text, std::vector<uint64_t>& counts) {
  counts.clear();
  size_t start = 0;
  for (;;) {
    const size_t comma = text.find(',', start);
    const std::string piece = text.substr(start, comma - start);
    uint64_t count = 0;
    if (!ReadNumber(piece, calc::hostCountLimit, count) || count == 0 ||
        count > calc::hostCountLimit) {
      return false;
    }
    counts.push_back(count);
    if (comma == std::string::npos) return true;
    start = comma + 1;
  }
}

// The option as the user wrote it: "-x", or the long spelling up to "=".
std::string Spelling(const char* argument, int shortOption) {
  if (argument != nullptr && argument[0] == '-' && argument[1] == '-') {
    const char* equals = std::strchr(argument, '=');
    return equals == nullptr ? std::string(argument) : std::string(argument, equals);
  }
  return std::string("-") + char(shortOption);
}

// Long options that start with `text` (after its "--", up to "=").
int LongMatches(const std::string& text) {
  int matches = 0;
  for (const option& entry : longOptions) {
    if (entry.name != nullptr && std::strncmp(entry.name, text.c_str() + 2, text.size() - 2) == 0)
      ++matches;
  }
  return matches;
}

// The reason for an option getopt_long did not take.
std::string Unknown(const char* argument, int shortOption) {
  if (argument != nullptr && argument[0] == '-' && argument[1] == '-') {
    const std::string name = Spelling(argument, 0);
    if (shortOption != 0) return "option " + QuotedWhole(name) + " takes no value";
    if (LongMatches(name) > 1) return "option " + QuotedWhole(name) + " is ambiguous";
    return "unknown option " + QuotedWhole(argument);
  }
  return "unknown option " + QuotedWhole(std::string("-") + char(shortOption));
}

std::string NeedsValue(const std::string& spelling, int shortOption) {
  switch (shortOption) {
    case 'n':
      return "option " + QuotedWhole(spelling) + " needs a count of networks";
    case 's':
      return "option " + QuotedWhole(spelling) + " needs a prefix length";
    case 'H':
      return "option " + QuotedWhole(spelling) + " needs host counts";
    case 'x':
    case 'i':
    case 'g':
      return "option " + QuotedWhole(spelling) + " needs a list of networks";
    default:
      return "option " + QuotedWhole(spelling) + " needs a file name";
  }
}

// False when the option may be given once and was given before.
bool Note(Reading& reading, Given bit, const std::string& spelling) {
  if ((reading.given & bit & givenOnce) != 0) {
    reading.request.reason = "option " + QuotedWhole(spelling) + " is given twice";
    return false;
  }
  reading.given |= bit;
  reading.spelling[std::countr_zero(uint32_t(bit))] = spelling;
  return true;
}

// Takes one option with its value; false with the reason when it is wrong.
bool TakeOption(Reading& reading, int option, const std::string& spelling, const char* text) {
  Request& request = reading.request;
  const std::string value = text != nullptr ? text : "";
  uint64_t count = 0;
  switch (option) {
    case 'n':
      if (!ReadNumber(value, countLimit, count) || count == 0) {
        request.reason =
            "the count of networks must be a whole number from 1 up, not " + QuotedWhole(value);
        return false;
      }
      request.count = count > countLimit ? countLimit : count;
      request.counted = true;
      return Note(reading, givenCount, spelling);
    case 's':
      // Read once the network's family is known (Resolve).
      request.split = true;
      request.splitText = value;
      return Note(reading, givenSplit, spelling);
    case 'H':
      if (!ReadHostCounts(value, request.hosts)) {
        request.reason = "the host counts must be whole numbers from 1 to " +
                         std::to_string(calc::hostCountLimit) + ", separated by commas, not " +
                         QuotedWhole(value);
        return false;
      }
      return Note(reading, givenHosts, spelling);
    case 'A':
      return Note(reading, givenAggregate, spelling);
    case 'x':
      request.exclusions.push_back({spelling, value});
      return Note(reading, givenExclude, spelling);
    case 'i':
      request.intersections.push_back({spelling, value});
      return Note(reading, givenIntersect, spelling);
    case 'C':
      request.countAddresses = true;
      return Note(reading, givenCountAddresses, spelling);
    case 'g':
      request.grep = {spelling, value};
      return Note(reading, givenGrep, spelling);
    case 'v':
      request.invertMatch = true;
      return Note(reading, givenInvertMatch, spelling);
    case 'c':
      request.countLines = true;
      return Note(reading, givenCountLines, spelling);
    case 'q':
      request.quiet = true;
      return Note(reading, givenQuiet, spelling);
    case 'f':
      request.files.push_back(value);
      return Note(reading, givenFile, spelling);
    case 'a':
      request.all = true;
      return Note(reading, givenAll, spelling);
    default:  // 'j'
      request.json = true;
      return Note(reading, givenJson, spelling);
  }
}

// ADDRESS/PREFIX, ADDRESS MASK or FIRST-LAST from the positional arguments.
Request Network(Request request, const std::vector<std::string>& positional) {
  if (positional.empty()) return Refuse("an address and a mask are needed");
  const std::string first = TrimmedText(positional[0]);
  const size_t slash = first.find('/');
  if (slash == std::string::npos) {
    const size_t dash = first.find('-');
    if (positional.size() == 1 && dash != std::string::npos && dash > 0) {
      request.form = Form::range;
      request.first = TrimmedText(first.substr(0, dash));
      request.last = TrimmedText(first.substr(dash + 1));
      return request;
    }
    if (positional.size() == 1)
      return Refuse("a mask is needed after the address " + QuotedWhole(first));
    if (positional.size() > 2) return Refuse("unexpected argument " + QuotedWhole(positional[2]));
    request.address = first;
    request.mask = TrimmedText(positional[1]);
    request.hasMask = true;
    return request;
  }
  const std::string prefixText = first.substr(slash + 1);
  // An address is IPv6 when it holds a colon.
  const uint8_t version = first.find(':') < slash ? 6 : 4;
  if (!ReadPrefix(prefixText, PrefixMaximumOf(version), request.prefix))
    return Refuse(PrefixRefusal(version, prefixText));
  if (positional.size() > 1) return Refuse("unexpected argument " + QuotedWhole(positional[1]));
  request.address = first.substr(0, slash);
  return request;
}

// The request with --split's prefix read for a network of `version`'s family.
Request WithSplitPrefix(Request request, uint8_t version) {
  if (!request.split) return request;
  const std::string& text = request.splitText;
  const std::string digits = !text.empty() && text[0] == '/' ? text.substr(1) : text;
  if (!ReadPrefix(digits, PrefixMaximumOf(version), request.splitPrefix))
    return Refuse(PrefixRefusal(version, text));
  return request;
}

// Standard input can be read once: a second reader would find it at its end
// and take an empty list for the list it was given.
Request OnceFromStandardInput(Request request) {
  if (request.form == Form::usageError) return request;
  int readers = 0;
  for (const std::string& file : request.files) readers += file == "-";
  for (const auto* lists : {&request.intersections, &request.exclusions}) {
    for (const ListArgument& list : *lists) readers += list.text == "@-";
  }
  if (request.form == Form::grep) {
    readers += request.grep.text == "@-";
    for (const std::string& file : request.operands) readers += file == "-";
    readers += request.operands.empty();
  }
  if (request.form == Form::set) readers += request.files.empty() && request.operands.empty();
  if (readers > 1) return Refuse("standard input is named more than once");
  return request;
}

// The form the options and arguments make together, or why they make none.
Request Resolve(Reading& reading) {
  for (const auto& group : conflicts) {
    const uint32_t first = reading.given & group[0], second = reading.given & group[1];
    if (first != 0 && second != 0) {
      return Refuse("options " + QuotedWhole(reading.spelling[std::countr_zero(first)]) + " and " +
                    QuotedWhole(reading.spelling[std::countr_zero(second)]) +
                    " do not go together");
    }
  }
  Request request = reading.request;
  if (reading.given & grepOptions) {
    if (!(reading.given & givenGrep)) {
      return Refuse("option " +
                    QuotedWhole(reading.spelling[std::countr_zero(reading.given & grepOptions)]) +
                    " goes with '-g'");
    }
    request.form = Form::grep;
    request.operands = reading.positional;  // the files
    return OnceFromStandardInput(request);
  }
  if (reading.given & setOptions) {
    request.form = Form::set;
    for (const std::string& operand : reading.positional)
      request.operands.push_back(TrimmedText(operand));
    return OnceFromStandardInput(request);
  }
  if (reading.given & givenFile) {
    if (!reading.positional.empty())
      return Refuse("unexpected argument " + QuotedWhole(reading.positional[0]));
    request.form = Form::list;
    return OnceFromStandardInput(WithSplitPrefix(request, 6));  // lines of either family
  }
  request = Network(request, reading.positional);
  if (request.form == Form::range) {
    for (Given bit : {givenCount, givenSplit, givenHosts, givenAll}) {
      if (reading.given & bit)
        return Refuse("option " + QuotedWhole(reading.spelling[std::countr_zero(uint32_t(bit))]) +
                      " does not go with a range");
    }
    return request;
  }
  if (request.form == Form::usageError) return request;
  request.form = (reading.given & givenSplit)   ? Form::split
                 : (reading.given & givenHosts) ? Form::hosts
                                                : Form::answer;
  return WithSplitPrefix(request, request.address.find(':') != std::string::npos ? 6 : 4);
}

}  // namespace

Request ReadOptions(int count, const char* const* arguments, const char* nativeHelp) {
  // getopt_long reads argv as main receives it: the program's path first.
  std::vector<char*> argv = {const_cast<char*>("netstep")};
  for (int i = 0; i < count; ++i) argv.push_back(const_cast<char*>(arguments[i]));
  argv.push_back(nullptr);
  Reading reading;
  reading.request.form = Form::answer;
  opterr = 0;
  optind = 0;  // a fresh reading, also of a later command line in the same process
  for (;;) {
    const int before = optind == 0 ? 1 : optind;
    const int option =
        getopt_long(int(argv.size() - 1), argv.data(), shortOptions, longOptions, nullptr);
    if (option == -1) break;
    // The argument the option stood in: a group of short options, or a long one.
    const char* argument = argv[size_t(before < int(argv.size()) - 1 ? before : 1)];
    if (option == 1) {
      if (nativeHelp != nullptr && std::strcmp(optarg, nativeHelp) == 0) return Of(Form::help);
      reading.positional.push_back(optarg);
    } else if (option == 'h') {
      return Of(Form::help);
    } else if (option == 'V') {
      return Of(Form::version);
    } else if (option == '?') {
      return Refuse(Unknown(argument, optopt));
    } else if (option == ':') {
      return Refuse(NeedsValue(Spelling(argument, optopt), optopt));
    } else if (!TakeOption(reading, option, Spelling(argument, option), optarg)) {
      return Refuse(reading.request.reason);
    }
  }
  for (int i = optind; i < int(argv.size()) - 1; ++i) reading.positional.push_back(argv[size_t(i)]);
  return Resolve(reading);
}

}  // namespace cli
