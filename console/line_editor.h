// The line editor: the in/out driver of the console's input stream. One call
// edits one line with echo and hands it to the stream's buffer closed by CR LF.
#pragma once

#include "runtime/text_stream.h"

namespace console {

// Reads one edited line into the stream's buffer: at most bufferSize - 2
// typed bytes, then CR LF. Always returns 0 and never sets an I/O error.
int EditLine(runtime::TextStream& stream);

// Removes the line's last byte from the buffer and the screen, when the edit
// position stands at the line's end.
void EraseLastChar(runtime::TextStream& stream);

// Flush hook of the console's input stream: nothing to push out.
int ConsoleInputFlushHook(runtime::TextStream& stream);

}  // namespace console
