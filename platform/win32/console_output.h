// What the rest of the Win32 backend asks of the console output: that what
// was drawn be shown before the program waits, writes past the console or
// exits.
#pragma once

#include "platform/platform.h"

namespace platform::win32 {

// Brings the console to what the program drew; nothing when it has no
// console open or nothing changed. Safe from the console control handler's
// thread.
void FlushConsole();

// Bytes were written to `handle`: when it is a console they changed its
// cells and cursor, which are read again before the program next draws.
void NoteBytesWritten(Handle handle);

}  // namespace platform::win32
