// Start-up and end of the console layer, the fourth module of the program, and
// the binding of text streams to the console.
#pragma once

#include <cstdint>

#include "runtime/text_stream.h"

namespace console {

// Finds and measures the console and binds the standard output stream to the
// window and the standard input stream to the line editor. Without a console
// it writes why on the standard error stream and stops with exit code 1.
void ConsoleStartup();

// The console layer's finalisation: gives the console back (a terminal is
// shown what was drawn and restored to how it was found).
void ConsoleShutdown();

// The screen buffer's size, queried afresh: 80 and 25 when it cannot be.
int32_t QueryBufferWidth();
int32_t QueryBufferHeight();

// The platform identifier the operating system reports.
uint32_t QueryPlatformId();

// Resets a stream and makes ConsoleOpenHook its open hook.
void BindConsoleStream(runtime::TextStream& stream);

// Open hook of a console stream: output goes to the window through
// ConsoleWriteDriver, any other mode makes an input stream of the line editor.
int ConsoleOpenHook(runtime::TextStream& stream);

// In/out driver and flush hook of the standard output stream: puts the waiting
// characters into the window and moves the console's cursor once.
int ConsoleWriteDriver(runtime::TextStream& stream);

// Close hook of a console stream: the console handle stays open.
int ConsoleCloseHook(runtime::TextStream& stream);

}  // namespace console
