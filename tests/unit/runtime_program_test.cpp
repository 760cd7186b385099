// Module order, the way out of the process, and the failure report with its
// back-trace over a frame chain built in memory.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/failure_report.h"
#include "runtime/faults.h"
#include "runtime/program.h"
#include "runtime/runtime_state.h"
#include "runtime/text_stream.h"
#include "tests/fake/fake_platform.h"

namespace {

using namespace runtime;

std::string events;

class ProgramTest : public testing::Test {
 protected:
  void SetUp() override {
    fake::Reset();
    ioResult = 0;
    runState = RunState{};
    moduleTable = ModuleTable{};
    pendingFaults = PendingFaultTable{};
    events.clear();
  }
  void TearDown() override { ioResult = 0; }

  void UseModules(const Module (&modules)[moduleCount]) {
    moduleTable.count = moduleCount;
    for (int i = 0; i < moduleCount; ++i) moduleTable.modules[i] = modules[i];
  }
  std::string Report() { return fake::state.handles[fake::outputHandle].written; }
};

const Module recordingModules[moduleCount] = {
    {[] {
       runtimeModule.initialize();
       events += "I1 ";
     },
     [] { events += "F1 "; }},
    {[] { events += "I2 "; }, [] { events += "F2 "; }},
    {nullptr, [] { events += "F3 "; }},
    {[] {
       events += "I4 ";
       StopProgram(1);
     },
     [] { events += "F4 "; }},
};

TEST_F(ProgramTest, StopInsideTheLastModuleFinalisesOnlyTheOnesBefore) {
  UseModules(recordingModules);
  EXPECT_TRUE(fake::TakesExit([] { InitModules(); }));
  EXPECT_EQ(events, "I1 I2 I4 F3 F2 F1 ");
  EXPECT_EQ(fake::state.exitCode, 1u);
  EXPECT_EQ(Report(), "");  // a stop writes no report
}

TEST_F(ProgramTest, NormalEndExitsWithZeroAndNoReport) {
  const Module quiet[moduleCount] = {runtimeModule, textsModule, diskSpaceModule, {}};
  UseModules(quiet);
  EXPECT_TRUE(fake::TakesExit([] {
    InitModules();
    ExitProgram();
  }));
  EXPECT_EQ(fake::state.exitCode, 0u);
  EXPECT_EQ(Report(), "");
  EXPECT_EQ(fake::state.faultHandlerRemovals, 1);
}

TEST_F(ProgramTest, CheckIoRaisesThePendingErrorWithItsReport) {
  const Module quiet[moduleCount] = {runtimeModule, textsModule, diskSpaceModule, {}};
  UseModules(quiet);
  EXPECT_TRUE(fake::TakesExit([] {
    InitModules();
    WriteText(0, standardInput, "x");
    CheckIo();
  }));
  EXPECT_EQ(fake::state.exitCode, 105u);
  EXPECT_EQ(ioResult, 0);
  const std::string report = Report();
  ASSERT_EQ(report.rfind("Runtime error 105 at 0x", 0), 0u) << report;
  // The address line, the same address again, no frames (the fake's stack has
  // no bounds), and an empty line.
  const std::string address = report.substr(23, 8);
  EXPECT_EQ(report, "Runtime error 105 at 0x" + address + "\r\n  0x" + address + "\r\n\r\n");
  EXPECT_EQ(runState.errorAddress & 0xFFFFFFFF, std::stoul(address, nullptr, 16));
}

TEST_F(ProgramTest, FailureInsideTheReportEndsWithTheFirstNumber) {
  const Module quiet[moduleCount] = {runtimeModule, textsModule, diskSpaceModule, {}};
  UseModules(quiet);
  // Neither standard output nor standard error takes the report.
  fake::state.handles[fake::outputHandle].failWrites = true;
  fake::state.handles[fake::errorHandle].failWrites = true;
  EXPECT_TRUE(fake::TakesExit([] {
    InitModules();
    RaiseRunError(216);
  }));
  EXPECT_EQ(fake::state.exitCode, 216u);
}

TEST_F(ProgramTest, ReportThatStandardOutputCannotTakeGoesToStandardError) {
  const Module quiet[moduleCount] = {runtimeModule, textsModule, diskSpaceModule, {}};
  UseModules(quiet);
  fake::state.handles[fake::outputHandle].failWrites = true;
  EXPECT_TRUE(fake::TakesExit([] {
    InitModules();
    RaiseRunError(101);
  }));
  EXPECT_EQ(fake::state.exitCode, 101u);
  const std::string report = fake::state.handles[fake::errorHandle].written;
  EXPECT_EQ(report.rfind("Runtime error 101 at 0x", 0), 0u) << report;
  EXPECT_EQ(report.substr(report.size() - 4), "\r\n\r\n");
}

TEST_F(ProgramTest, FaultFilterTakesTableFaultsOnTheMainStackOnly) {
  const platform::FaultRecord divide = {0xC0000094, 0x401234, 0x7000, true};
  EXPECT_TRUE(FaultFilter(divide));
  ASSERT_EQ(pendingFaults.count, 1);
  EXPECT_EQ(pendingFaults.entries[0].errorNumber, 200);
  EXPECT_EQ(pendingFaults.entries[0].address, 0x401234u);

  platform::FaultRecord elsewhere = divide;
  elsewhere.onMainStack = false;
  EXPECT_FALSE(FaultFilter(elsewhere));
  const platform::FaultRecord breakpoint = {0x80000003, 0x401234, 0x7000, true};
  EXPECT_FALSE(FaultFilter(breakpoint));
  EXPECT_EQ(pendingFaults.count, 1);
}

// The report of a floating-point fault can only be made with the unit reset:
// every floating-point row resets it, no other row does, and the divisions by
// zero of both kinds are one run-time error.
TEST_F(ProgramTest, FloatingPointFaultsAndOnlyTheyResetTheUnit) {
  constexpr uint32_t firstFloat = 0xC000008D, lastFloat = 0xC0000093;
  int rows = 0;
  for (uint32_t code = 0xC0000000; code <= 0xC0000100; ++code) {
    const FaultRow* row = FindFault(code);
    if (row == nullptr) continue;
    ++rows;
    EXPECT_EQ(row->resetFloatingPoint, code >= firstFloat && code <= lastFloat) << std::hex << code;
  }
  EXPECT_GE(rows, 10);
  EXPECT_EQ(FindFault(0xC000008E)->errorNumber, FindFault(0xC0000094)->errorNumber);
}

TEST(HexDigits, ExactWidthUpperCaseZeroPadded) {
  const struct {
    uintptr_t value;
    int digits;
    const char* text;
  } cases[] = {{0x401511, 8, "00401511"},
               {0xABCDEF12, 8, "ABCDEF12"},
               {0, 8, "00000000"},
               {0x1234, 2, "34"},
               {0xF, 1, "F"},
               {0x1234, 0, ""}};
  for (const auto& c : cases) {
    ShortText<16> text;
    HexDigits(c.value, c.digits, text);
    EXPECT_EQ(std::string(text.chars, text.length), c.text);
  }
}

// A chain of frames laid out in memory the way the processor leaves them:
// each frame's first slot links to the next frame out, its second holds the
// return address.
class FrameChainTest : public testing::Test {
 protected:
  static constexpr int slotsPerFrame = 4;
  void SetUp() override {
    fake::Reset();
    ioResult = 0;
    BindStdStream(stream, modeOutput, fake::outputHandle);
    memory.assign(600 * slotsPerFrame, 0);
    fake::state.stack = {Address(0), Address(memory.size())};
  }
  uintptr_t Address(std::size_t slot) { return reinterpret_cast<uintptr_t>(&memory[slot]); }
  // Frames 0..count-1, frame i returning to 0x1000 + i, the last one linking to 0.
  uintptr_t BuildChain(int count) {
    for (int i = 0; i < count; ++i) {
      memory[i * slotsPerFrame] = i + 1 < count ? Address((i + 1) * slotsPerFrame) : 0;
      memory[i * slotsPerFrame + 1] = 0x1000 + i;
    }
    return Address(0);
  }
  int Lines() {
    const std::string& out = fake::state.handles[fake::outputHandle].written;
    int lines = 0;
    for (std::size_t at = 0; (at = out.find("\r\n", at)) != std::string::npos; at += 2) ++lines;
    return lines;
  }

  TextStream stream;
  std::vector<uintptr_t> memory;
};

TEST_F(FrameChainTest, WholeChainWhenShort) {
  DumpFrames(stream, BuildChain(3));
  EXPECT_EQ(fake::state.handles[fake::outputHandle].written,
            "  0x00001000\r\n  0x00001001\r\n  0x00001002\r\n");
}

TEST_F(FrameChainTest, NineLinesOnACharacterDevice) {
  fake::state.handles[fake::outputHandle].characterDevice = true;
  DumpFrames(stream, BuildChain(300));
  EXPECT_EQ(Lines(), 9);
}

TEST_F(FrameChainTest, TwoHundredFiftySevenLinesOtherwise) {
  DumpFrames(stream, BuildChain(300));
  EXPECT_EQ(Lines(), 257);
}

TEST_F(FrameChainTest, ZeroReturnAddressWritesNoLine) {
  const uintptr_t chain = BuildChain(3);
  memory[1 * slotsPerFrame + 1] = 0;
  DumpFrames(stream, chain);
  EXPECT_EQ(Lines(), 2);
}

TEST_F(FrameChainTest, CorruptChainsEndTheTrace) {
  // The second frame's link is broken in each way; only two lines come out.
  const struct {
    const char* name;
    std::size_t slot;      // the bad link points at this slot of the memory...
    uintptr_t offset;      // ...plus this many bytes
    bool outsideTheStack;  // ...or far outside the stack instead
  } cases[] = {{"outside_the_stack", 0, 0, true},
               {"misaligned", 3 * slotsPerFrame, 1, false},
               {"pointing_inward", 0, 0, false}};
  for (const auto& c : cases) {
    SetUp();
    const uintptr_t chain = BuildChain(5);
    memory[1 * slotsPerFrame] = c.outsideTheStack ? 0x10 : Address(c.slot) + c.offset;
    DumpFrames(stream, chain);
    EXPECT_EQ(Lines(), 2) << c.name;
  }
}

}  // namespace
