// The usage text and the version, on standard output.
#pragma once

#include "cli/writer.h"

namespace cli {

// `nativeHelp` is the platform's own help spelling, named with --help; or null.
void WriteHelp(Writer& writer, const char* nativeHelp);
void WriteVersion(Writer& writer);

}  // namespace cli
