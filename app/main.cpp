// Process entry: hands control to the runtime's start-up, which runs the
// calculator's main loop and never returns.
#include "calc/task.h"
#include "runtime/program.h"

int main() { runtime::StartProgram(calc::MainLoop); }
