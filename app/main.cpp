// Process entry: chooses the program from the arguments and hands control to
// the runtime's start-up with that program's modules in their order. Without
// arguments: the interactive calculator, the console layer last; with any:
// the command-line program, which has no console module and needs no terminal.
#include "calc/task.h"
#include "cli/one_shot.h"
#include "console/console_startup.h"
#include "runtime/program.h"

namespace {

const runtime::Module interactiveModules[] = {
    runtime::runtimeModule,
    runtime::textsModule,
    runtime::diskSpaceModule,
    {console::ConsoleStartup, console::ConsoleShutdown},
};

const runtime::Module oneShotModules[] = {
    runtime::runtimeModule,
    runtime::textsModule,
    runtime::diskSpaceModule,
};

}  // namespace

int main(int argc, char** argv) {
  const runtime::CommandLine commandLine = {argc, argv};
  if (argc > 1) runtime::StartProgram(cli::AnswerOnce, oneShotModules, commandLine);
  runtime::StartProgram(calc::MainLoop, interactiveModules, commandLine);
}
