// What goes wrong, told on standard error, and the exit codes that go with
// it: a command line that is not understood (2), a bad address, mask, range,
// host plan or list line (1). A bad line of a list is named as GNU tools
// name a place in a file, "netstep: FILE:LINE: REASON", standard input as
// "-". Nothing here touches standard output.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace cli {

struct ListReader;

inline constexpr uint16_t exitInputError = 1;
inline constexpr uint16_t exitUsageError = 2;

// "netstep: REASON" and "Try 'netstep --help'"; exit code 2.
[[noreturn]] void RefuseCommandLine(std::string_view reason);

// "Error - REASON"; exit code 1.
[[noreturn]] void RefuseInput(std::string_view reason);

// "Error - REASON", and the program goes on.
void ReportInput(std::string_view reason);

// An input error code of the calculator (1 to 3) in its own words; exit code 1.
[[noreturn]] void RefuseInputCode(uint8_t code);

// "netstep: FILE:LINE: REASON" for the reader's line last taken.
void ReportLine(const ListReader& reader, std::string_view reason);

// "netstep: cannot read 'FILE': REASON"; exit code 1.
[[noreturn]] void RefuseList(const ListReader& reader);

// The same, and the program goes on.
void ReportUnreadable(const ListReader& reader);

// Why a file could not be read, in words, from the platform's error.
std::string ReadFailure(uint32_t error, bool standardInput);

}  // namespace cli
