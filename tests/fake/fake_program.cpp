// A main program run on the fake as app/ starts the command-line program.
#include "runtime/program.h"
#include "runtime/runtime_state.h"
#include "runtime/text_stream.h"
#include "tests/fake/fake_platform.h"

namespace fake {

bool RunWithArguments(void (*mainProgram)(), const std::vector<std::string>& arguments) {
  static const runtime::Module modules[] = {runtime::runtimeModule, runtime::textsModule,
                                            runtime::diskSpaceModule};
  runtime::ioResult = 0;
  runtime::runState = runtime::RunState{};
  runtime::moduleTable = runtime::ModuleTable{};
  std::vector<std::string> texts = {"netstep"};
  texts.insert(texts.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& text : texts) argv.push_back(text.data());
  argv.push_back(nullptr);
  const runtime::CommandLine line = {int(texts.size()), argv.data()};
  return TakesExit([&] { runtime::StartProgram(mainProgram, modules, line); });
}

}  // namespace fake
