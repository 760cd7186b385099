// Write and write-line statements, each with its I/O check.
#include "calc/statements.h"

#include "runtime/program.h"

namespace calc {

using namespace runtime;

void WriteStatement(TextStream& stream, TextRef text, int width) {
  WriteText(width, stream, text);
  WriteEnd(stream);
  CheckIo();
}

void WriteLineStatement(TextStream& stream, TextRef text, LineEndRoutine endLine, int width) {
  WriteText(width, stream, text);
  endLine(stream);
  CheckIo();
}

void EndLineStatement(TextStream& stream, LineEndRoutine endLine) {
  endLine(stream);
  CheckIo();
}

}  // namespace calc
