// The command line read into a request (request.h). Options are read as GNU
// tools read them (getopt_long): combined short options, values joined or
// apart, unambiguous abbreviations of long options. Addresses are not read
// here, only placed: the forms read them strictly. Nothing is written here.
#pragma once

#include <cstdint>
#include <string>

#include "cli/request.h"

namespace cli {

// Reads the arguments after the program's path. --help and --version answer
// whatever follows; the first wrong option refuses the line. `nativeHelp` is
// the platform's own help spelling, or null.
Request ReadOptions(int count, const char* const* arguments, const char* nativeHelp);

// Why `text` is no prefix of the family of `version` (4 or 6).
std::string PrefixRefusal(uint8_t version, const std::string& text);

}  // namespace cli
