// Process entry: hands control to the runtime's start-up with the program's
// modules in their order, the console layer last.
#include "calc/task.h"
#include "console/console_startup.h"
#include "runtime/program.h"

namespace {

const runtime::Module netstepModules[runtime::moduleCount] = {
    runtime::runtimeModule,
    runtime::textsModule,
    runtime::diskSpaceModule,
    {console::ConsoleStartup, console::ConsoleShutdown},
};

}  // namespace

int main() {
  runtime::StartProgram(calc::MainLoop, netstepModules);
}
