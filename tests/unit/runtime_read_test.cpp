// Line reading with a maximum of 16: line ends of every kind, long lines,
// lines split across refills, the end of input, and read errors.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/text_stream.h"
#include "tests/fake/fake_platform.h"

namespace {

using namespace runtime;

class ReadTest : public testing::Test {
 protected:
  void SetUp() override {
    fake::Reset();
    ioResult = 0;
    BindStdStream(stream, modeInput, fake::inputHandle);
  }
  void TearDown() override { ioResult = 0; }

  void Feed(std::vector<std::string> chunks) {
    for (auto& c : chunks) fake::state.handles[fake::inputHandle].reads.push_back(c);
  }

  // One read-line statement, as the calculator makes it.
  std::string ReadLine() {
    ShortText<16> text;
    ReadText(stream, text, 16);
    ReadLineEnd(stream);
    return std::string(text.chars, text.length);
  }

  TextStream stream;
};

struct LinesCase {
  const char* name;
  std::vector<std::string> chunks;
  std::vector<std::string> lines;
};

const LinesCase linesCases[] = {
    {"crlf", {"abc\r\ndef\r\n"}, {"abc", "def"}},
    {"lf", {"ab\ncd"}, {"ab", "cd"}},
    {"lone_cr_then_text", {"ab\rcd\n"}, {"ab", "cd"}},
    {"empty_line", {"\r\nx\r\n"}, {"", "x"}},
    {"longer_than_16", {"192.168.100.200.7\r\n10.0.0.1\r\n"}, {"192.168.100.200.", "10.0.0.1"}},
    {"much_longer_than_the_buffer",
     {std::string(300, 'a') + "\r\nb\r\n"},
     {std::string(16, 'a'), "b"}},
    {"split_across_refills", {"192.16", "8.1.1\r", "\nnext\n"}, {"192.168.1.1", "next"}},
    {"cr_and_lf_in_separate_refills", {"ab\r", "\ncd\r\n"}, {"ab", "cd"}},
    {"one_byte_at_a_time", {"1", "2", "\r", "\n", "3", "\n"}, {"12", "3"}},
    {"end_of_input_mid_line", {"abc"}, {"abc", ""}},
    {"nothing_at_all", {}, {"", ""}},
};

TEST_F(ReadTest, Lines) {
  for (const LinesCase& c : linesCases) {
    SetUp();
    Feed(c.chunks);
    for (const std::string& expected : c.lines) EXPECT_EQ(ReadLine(), expected) << c.name;
    EXPECT_EQ(ioResult, 0) << c.name;
  }
}

TEST_F(ReadTest, TextLeavesTheRestOfALongLineForTheLineEnd) {
  Feed({"192.168.100.200.7\r\n"});
  ShortText<16> text;
  ReadText(stream, text, 16);
  EXPECT_EQ(std::string(text.chars, text.length), "192.168.100.200.");
  EXPECT_EQ(stream.bufferRef[stream.bufferPos], '7');
  ReadLineEnd(stream);
  EXPECT_EQ(stream.bufferPos, stream.bufferEnd);
}

TEST_F(ReadTest, LineEndAtEndOfInputRunsTheFlushHook) {
  static int flushes;
  flushes = 0;
  stream.flushHook = [](TextStream&) {
    ++flushes;
    return 0;
  };
  ReadLineEnd(stream);
  EXPECT_EQ(flushes, 1);
}

TEST_F(ReadTest, FailedReadLeavesTheVariableEmpty) {
  ioResult = 103;
  Feed({"abc\r\n"});
  ShortText<16> text;
  text.length = 5;
  ReadText(stream, text, 16);
  EXPECT_EQ(text.length, 0);
  EXPECT_EQ(ioResult, 103);
}

struct ReadErrorCase {
  uint32_t platformError;
  uint16_t ioError;
};

TEST_F(ReadTest, PlatformErrorsBecomeIoErrors) {
  const ReadErrorCase cases[] = {{19, 150}, {31, 162}, {32, 5}, {6, 6}, {18, 18}, {33, 33}};
  for (const ReadErrorCase& c : cases) {
    SetUp();
    fake::state.handles[fake::inputHandle].readError = c.platformError;
    ShortText<16> text;
    ReadText(stream, text, 16);
    EXPECT_EQ(ioResult, c.ioError) << c.platformError;
  }
}

}  // namespace
