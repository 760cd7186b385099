// The usage text and the version, on standard output.
#pragma once

namespace cli {

// `nativeHelp` is the platform's own help spelling, named with --help; or null.
void WriteHelp(const char* nativeHelp);
void WriteVersion();

}  // namespace cli
