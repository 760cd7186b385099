// The calculator's statements on a text stream: each ends as a write or a
// write-line statement ends, and is followed by its I/O check.
#pragma once

#include "runtime/short_text.h"
#include "runtime/text_stream.h"

namespace calc {

// A write statement: `text` right-aligned in a field of `width`, then
// WriteEnd.
void WriteStatement(runtime::TextStream& stream, runtime::TextRef text, int width = 0);

// A write-line statement: `text` right-aligned in a field of `width`, then
// `endLine` (the console's CR LF, WriteLineEnd, or the platform's text line
// end, WriteTextLineEnd).
void WriteLineStatement(runtime::TextStream& stream, runtime::TextRef text,
                        runtime::LineEndRoutine endLine, int width = 0);

// A write-line statement of nothing but the line end.
void EndLineStatement(runtime::TextStream& stream, runtime::LineEndRoutine endLine);

}  // namespace calc
