// The one seam between netstep and the operating system. Everything that
// differs per platform sits behind these procedures over plain value types.
#pragma once

#include <cstdint>

namespace platform {

// A process or console handle: a file descriptor on POSIX, a HANDLE on Windows.
using Handle = intptr_t;
inline constexpr Handle invalidHandle = -1;

}  // namespace platform
