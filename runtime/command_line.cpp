// The command line as the start-up received it.
#include "runtime/command_line.h"

namespace runtime {

CommandLine commandLine;

int ArgumentCount() {
  return commandLine.count > 1 ? commandLine.count - 1 : 0;
}

const char* const* Arguments() {
  return commandLine.count > 1 ? commandLine.arguments + 1 : nullptr;
}

}  // namespace runtime
