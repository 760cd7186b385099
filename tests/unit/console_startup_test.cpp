// Start-up of the console layer: where it finds the console, what it measures,
// how the standard streams end up bound, and its two failure messages.
#include <gtest/gtest.h>

#include "runtime/runtime_state.h"
#include "tests/unit/console_fixture.h"

namespace {

using console::consoleState;

class StartupTest : public testing::Test {
 protected:
  void SetUp() override {
    fake::Reset();
    runtime::runState = {};  // a process of its own: not on its way out
    runtime::ioResult = 0;
    console::consoleState = {};
    runtime::runtimeModule.initialize();
  }
  std::string ErrorOutput() { return fake::state.handles[fake::errorHandle].written; }
};

TEST_F(StartupTest, MeasuresTheConsoleAndBindsBothStreams) {
  fake::UseConsole(80, 25, 0x1E, {5, 7});
  console::ConsoleStartup();
  EXPECT_EQ(consoleState.outputHandle, fake::outputHandle);
  EXPECT_EQ(consoleState.inputHandle, fake::inputHandle);
  EXPECT_EQ(consoleState.windowRight, 80);
  EXPECT_EQ(consoleState.windowBottom, 25);
  EXPECT_EQ(consoleState.cursorColumn, 5);
  EXPECT_EQ(consoleState.cursorRow, 7);
  EXPECT_EQ(consoleState.textAttribute, 0x1E);
  EXPECT_TRUE(consoleState.ntPlatform);
  EXPECT_EQ(runtime::standardOutput.mode, runtime::modeOutput);
  EXPECT_EQ(runtime::standardOutput.handle, fake::outputHandle);
  EXPECT_EQ(runtime::standardInput.mode, runtime::modeInput);
  EXPECT_EQ(runtime::standardInput.handle, fake::inputHandle);
  // The report and error streams stay on the runtime's handle drivers.
  EXPECT_EQ(runtime::reportStream.inOutDriver, runtime::HandleWriteDriver);
  EXPECT_EQ(runtime::standardError.inOutDriver, runtime::HandleWriteDriver);
}

TEST_F(StartupTest, FirstOutputBeginsAtTheCursorFoundAtStartUp) {
  fake::UseConsole(20, 5, 0x07, {4, 2});
  console::ConsoleStartup();
  runtime::WriteText(0, runtime::standardOutput, "hi");
  runtime::WriteEnd(runtime::standardOutput);
  EXPECT_EQ(fake::ScreenRow(2), "    hi              ");
}

TEST_F(StartupTest, RedirectedOutputGoesToTheConsoleDirectly) {
  fake::UseConsole(20, 5);
  fake::state.consoleHandles = {20};
  fake::state.consoleOutput = 20;
  console::ConsoleStartup();
  runtime::WriteText(0, runtime::standardOutput, "shown");
  runtime::WriteLineEnd(runtime::standardOutput);
  EXPECT_EQ(fake::ScreenRow(0), "shown               ");
  EXPECT_EQ(fake::state.handles[fake::outputHandle].written, "");
  EXPECT_EQ(fake::state.consoleCalls.back().handle, 20);
}

TEST_F(StartupTest, NoConsoleAtAll) {
  EXPECT_TRUE(fake::TakesExit([] { console::ConsoleStartup(); }));
  EXPECT_EQ(fake::state.exitCode, 1u);
  EXPECT_EQ(ErrorOutput(), "No way to get the console handle\r\n");
  EXPECT_EQ(fake::state.handles[fake::outputHandle].written, "");
}

TEST_F(StartupTest, ConsoleWhoseBufferCannotBeQueried) {
  fake::state.consoleOutput = 20;  // opens, but is no console the fake can query
  EXPECT_TRUE(fake::TakesExit([] { console::ConsoleStartup(); }));
  EXPECT_EQ(fake::state.exitCode, 1u);
  EXPECT_EQ(ErrorOutput(), "No way to get console screen buffer info\r\n");
}

TEST_F(StartupTest, MessageThatCannotBeWrittenEndsWithTheReport) {
  fake::state.handles[fake::errorHandle].failWrites = true;
  EXPECT_TRUE(fake::TakesExit([] { console::ConsoleStartup(); }));
  EXPECT_EQ(fake::state.exitCode, 101u);
  EXPECT_EQ(fake::state.handles[fake::outputHandle].written.rfind("Runtime error 101 at 0x", 0),
            0u);
}

}  // namespace
