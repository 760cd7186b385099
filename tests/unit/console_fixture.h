// A console started on the fake platform, for the console layer's tests.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "console/console_startup.h"
#include "console/console_state.h"
#include "runtime/program.h"
#include "runtime/text_stream.h"
#include "tests/fake/fake_platform.h"

class ConsoleTest : public testing::Test {
 protected:
  // A console of the given size with a distinctive attribute, started the way
  // the program starts it: the runtime's module, then the console layer's.
  void StartConsole(int16_t width, int16_t height, uint32_t platformId = 2,
                    platform::Coord cursor = {0, 0}) {
    fake::StartConsole(width, height, attribute, platformId, cursor);
  }
  void SetUp() override { StartConsole(10, 5); }

  // One write statement on the standard output stream.
  static void Write(const std::string& text) {
    runtime::WriteText(0, runtime::standardOutput, runtime::TextRef(text.data(), int(text.size())));
    runtime::WriteEnd(runtime::standardOutput);
  }

  static platform::Coord Cursor() { return fake::screen.cursor; }
  static const platform::ScreenCell& CellAt(int x, int y) {
    return platform::ScreenCellAt(fake::screen, x, y);
  }

  static constexpr uint8_t attribute = 0x1E;  // yellow on blue: not the default
};
