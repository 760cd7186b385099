// The arguments of the one-shot program read into a request: what to write,
// or what is wrong with them. Nothing is written here.
#pragma once

#include <cstdint>

namespace calc {

enum class RequestKind : uint8_t { answer, help, version, usageError };

// What is wrong with a command line; each has a one-line reason.
enum class UsageError : uint8_t {
  none,
  unknownOption,   // culprit: the option
  missingCount,    // culprit: the option that needs a count
  badCount,        // culprit: the count's text
  badPrefix,       // culprit: the text after the slash
  missingAddress,  // no culprit
  missingMask,     // culprit: the address
  extraArgument,   // culprit: the first argument too many
};

// No mask divides the address space into more networks than this.
inline constexpr uint64_t countLimit = uint64_t(1) << 32;

inline constexpr uint8_t prefixMaximum = 32;

struct Request {
  RequestKind kind;
  UsageError error;     // usageError: what is wrong; none otherwise
  const char* culprit;  // usageError: the text at fault; null when there is none
  int culpritLength;    // its characters
  const char* address;  // answer: ADDRESS, up to the slash when a prefix follows
  int addressLength;    // its characters
  const char* mask;     // answer: MASK, zero-terminated; null when a prefix was given
  uint8_t prefix;       // answer without MASK: the mask's leading one-bits, 0 to 32
  uint64_t count;       // answer: networks to write, 1 to countLimit (larger counts are cut)
};

// Reads the arguments after the program's path. Options stand anywhere before
// "--": the first --help or --version ends the reading, a wrong option is
// reported as soon as it is met; missing and extra arguments once all are read.
// `nativeHelpOption` is the platform's own help spelling, or null.
Request ReadCommandLine(int count, const char* const* arguments, const char* nativeHelpOption);

// The mask with `prefix` leading one-bits (0 to 32).
uint32_t PrefixMask(uint8_t prefix);

}  // namespace calc
