// A program built from the runtime alone, for the tests: the first argument
// names the failure to cause, and the tests check the report and exit code.
// Built with the console layer as its fourth module (NETSTEP_PROBE_CONSOLE),
// it fails with the terminal taken, for the tests of the terminal's restoration.
#include <unistd.h>

#include <cstring>

#include "runtime/program.h"
#include "runtime/text_stream.h"
#if NETSTEP_PROBE_CONSOLE
#include "console/console_startup.h"
#endif

namespace {

using namespace runtime;

const char* mode = "";
volatile double sink;  // results kept, so that the failing operations stay in the code

bool Is(const char* name) {
  return std::strcmp(mode, name) == 0;
}

void Mark(const char* text) {
  (void)!write(STDERR_FILENO, text, std::strlen(text));
}

[[gnu::noinline]] void ProbeWriteToInput() {
  WriteText(0, standardInput, "x");
  CheckIo();
}

[[gnu::noinline]] int ProbeDivide() {
  volatile int one = 1;
  volatile int zero = 0;
  return one / zero;
}

[[gnu::noinline]] double ProbeFloatDivide() {
  volatile double zero = 0.0;
  return 1.0 / zero;
}

[[gnu::noinline]] int ProbeNullRead() {
  int* volatile pointer = nullptr;
  return *pointer;
}

// Recursion without end; the limit test keeps the compiler from seeing that.
volatile int recursionLimit = -1;

[[gnu::noinline]] int ProbeRecurse(int depth) {
  volatile char pad[256];
  pad[0] = char(depth);
  if (depth == recursionLimit) return 0;
  return ProbeRecurse(depth + 1) + pad[0];
}

// Nests `depth` calls, then fails with an I/O error in the innermost one.
[[gnu::noinline]] int ProbeNest(int depth) {
  volatile int keep = depth;  // one real frame per level
  if (depth == 0) {
    ProbeWriteToInput();
    return 0;
  }
  return ProbeNest(depth - 1) + keep;
}

void ProbeMain() {
  InitModules();
#if NETSTEP_PROBE_CONSOLE
  WriteText(0, standardOutput, "probe running");
  WriteEnd(standardOutput);
  CheckIo();
#endif
  if (Is("write-input")) ProbeWriteToInput();
  if (Is("divide")) sink = ProbeDivide();
  if (Is("float-divide")) sink = ProbeFloatDivide();
  if (Is("null-read")) sink = ProbeNullRead();
  if (Is("recurse")) sink = ProbeRecurse(0);
  if (Is("nest")) sink = ProbeNest(300);
  if (Is("stop")) StopProgram(1);
  if (Is("raise")) RaiseRunError(204);
  ExitProgram();
}

const Module probeModules[moduleCount] = {
    {runtimeModule.initialize, [] { Mark("F1"); }},
    {[] { Mark("I2"); }, [] { Mark("F2"); }},
    {[] { Mark("I3"); }, [] { Mark("F3"); }},
    {[] {
       Mark("I4");
       if (Is("stop-in-module-4")) StopProgram(1);
#if NETSTEP_PROBE_CONSOLE
       console::ConsoleStartup();
#endif
     },
     [] { Mark("F4"); }},
};

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1) mode = argv[1];
  StartProgram(ProbeMain, probeModules);
}
