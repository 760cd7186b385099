// Reading the one-shot program's arguments: -h/--help, -V/--version,
// -n N/--count N (also -nN and --count=N), "--", ADDRESS MASK or
// ADDRESS/PREFIX. Numbers are read strictly: decimal digits and nothing else.
#include "calc/command_line.h"

#include <cstring>

namespace calc {

namespace {

bool Is(const char* argument, const char* text) {
  return std::strcmp(argument, text) == 0;
}

bool StartsWith(const char* argument, const char* text) {
  return std::strncmp(argument, text, std::strlen(text)) == 0;
}

// An option: a leading "-", except "-" alone, which is an argument as it is.
bool IsOption(const char* argument) {
  return argument[0] == '-' && argument[1] != 0;
}

// The value of a decimal text of `length` characters, saturated at `limit`;
// false when the text is empty or holds anything but digits.
bool ReadNumber(const char* text, int length, uint64_t limit, uint64_t& value) {
  if (length == 0) return false;
  value = 0;
  for (int i = 0; i < length; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    value = value * 10 + uint64_t(text[i] - '0');
    if (value > limit) value = limit + 1;  // stays out of range, never overflows
  }
  return true;
}

Request Of(RequestKind kind) {
  Request request = {};
  request.kind = kind;
  request.count = 1;
  return request;
}

Request Fault(UsageError error, const char* culprit, int length) {
  Request request = Of(RequestKind::usageError);
  request.error = error;
  request.culprit = culprit;
  request.culpritLength = length;
  return request;
}

Request Fault(UsageError error, const char* culprit) {
  return Fault(error, culprit, culprit != nullptr ? int(std::strlen(culprit)) : 0);
}

// The count option, when `arguments[index]` is one: its value's text, taken
// from the same argument or the next one (then `index` moves on to it).
// `value` stays null when the next argument is missing.
bool IsCountOption(const char* const* arguments, int count, int& index, const char*& value) {
  const char* argument = arguments[index];
  value = nullptr;
  if (StartsWith(argument, "--count=")) {
    value = argument + std::strlen("--count=");
  } else if (StartsWith(argument, "-n") && argument[2] != 0) {
    value = argument + 2;
  } else if (Is(argument, "--count") || Is(argument, "-n")) {
    if (index + 1 < count) value = arguments[++index];
  } else {
    return false;
  }
  return true;
}

// ADDRESS/PREFIX, or ADDRESS MASK from the positional arguments.
Request Answer(const char* first, const char* second, uint64_t networks) {
  Request request = Of(RequestKind::answer);
  request.count = networks;
  request.address = first;
  const char* slash = std::strchr(first, '/');
  if (slash == nullptr) {
    if (second == nullptr) return Fault(UsageError::missingMask, first);
    request.addressLength = int(std::strlen(first));
    request.mask = second;
    return request;
  }
  const char* prefixText = slash + 1;
  const int prefixLength = int(std::strlen(prefixText));
  uint64_t prefix = 0;
  if (!ReadNumber(prefixText, prefixLength, prefixMaximum, prefix) || prefix > prefixMaximum) {
    return Fault(UsageError::badPrefix, prefixText, prefixLength);
  }
  if (second != nullptr) return Fault(UsageError::extraArgument, second);
  request.addressLength = int(slash - first);
  request.prefix = uint8_t(prefix);
  return request;
}

}  // namespace

Request ReadCommandLine(int count, const char* const* arguments, const char* nativeHelpOption) {
  const char* positional[2] = {nullptr, nullptr};
  int positionals = 0;
  const char* extra = nullptr;  // the first argument beyond two
  uint64_t networks = 1;
  bool optionsEnded = false;
  for (int i = 0; i < count; ++i) {
    const char* argument = arguments[i];
    const char* value = nullptr;
    const bool nativeHelp = nativeHelpOption != nullptr && Is(argument, nativeHelpOption);
    if (optionsEnded || (!IsOption(argument) && !nativeHelp)) {
      if (positionals < 2) {
        positional[positionals++] = argument;
      } else if (extra == nullptr) {
        extra = argument;
      }
    } else if (Is(argument, "--")) {
      optionsEnded = true;
    } else if (nativeHelp || Is(argument, "--help") || Is(argument, "-h")) {
      return Of(RequestKind::help);
    } else if (Is(argument, "--version") || Is(argument, "-V")) {
      return Of(RequestKind::version);
    } else if (IsCountOption(arguments, count, i, value)) {
      if (value == nullptr) return Fault(UsageError::missingCount, argument);
      const int length = int(std::strlen(value));
      if (!ReadNumber(value, length, countLimit, networks) || networks == 0) {
        return Fault(UsageError::badCount, value, length);
      }
      if (networks > countLimit) networks = countLimit;
    } else {
      return Fault(UsageError::unknownOption, argument);
    }
  }
  if (positionals == 0) return Fault(UsageError::missingAddress, nullptr);
  if (extra != nullptr) return Fault(UsageError::extraArgument, extra);
  return Answer(positional[0], positional[1], networks);
}

uint32_t PrefixMask(uint8_t prefix) {
  return prefix == 0 ? 0 : uint32_t(0xFFFFFFFF) << (prefixMaximum - prefix);
}

}  // namespace calc
