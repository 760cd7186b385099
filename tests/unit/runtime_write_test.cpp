// Formatted writing: field widths, line ends, buffer hand-over, and the
// error numbers of writes with the skip-while-pending rule.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "runtime/text_stream.h"
#include "tests/fake/fake_platform.h"

namespace {

using namespace runtime;

class WriteTest : public testing::Test {
 protected:
  void SetUp() override {
    fake::Reset();
    ioResult = 0;
    BindStdStream(stream, modeOutput, fake::outputHandle);
  }
  void TearDown() override { ioResult = 0; }
  std::string Written() { return fake::state.handles[fake::outputHandle].written; }

  TextStream stream;
};

struct FieldCase {
  const char* name;
  void (*write)(TextStream&);
  const char* expected;
};

const FieldCase fieldCases[] = {
    {"text_width_26", [](TextStream& s) { WriteText(26, s, "Wrong SubNet mask "); },
     "        Wrong SubNet mask "},
    {"text_width_0", [](TextStream& s) { WriteText(0, s, "Wrong SubNet mask "); },
     "Wrong SubNet mask "},
    {"text_width_5", [](TextStream& s) { WriteText(5, s, "Wrong SubNet mask "); },
     "Wrong SubNet mask "},
    {"text_width_18", [](TextStream& s) { WriteText(18, s, "Wrong SubNet mask "); },
     "Wrong SubNet mask "},
    {"text_negative_width", [](TextStream& s) { WriteText(-3, s, "ab"); }, "ab"},
    {"text_empty_width_3", [](TextStream& s) { WriteText(3, s, ""); }, "   "},
    {"integer_zero", [](TextStream& s) { WriteInteger(0, s, 0); }, "0"},
    {"integer_255", [](TextStream& s) { WriteInteger(0, s, 255); }, "255"},
    {"integer_negative", [](TextStream& s) { WriteInteger(0, s, -5); }, "-5"},
    {"integer_most_negative", [](TextStream& s) { WriteInteger(0, s, INT32_MIN); }, "-2147483648"},
    {"integer_most_positive", [](TextStream& s) { WriteInteger(0, s, INT32_MAX); }, "2147483647"},
    {"integer_width_4", [](TextStream& s) { WriteInteger(4, s, 7); }, "   7"},
    {"integer_negative_width_4", [](TextStream& s) { WriteInteger(4, s, -7); }, "  -7"},
    {"char_width_0", [](TextStream& s) { WriteChar(0, s, '.'); }, "."},
    {"char_width_1", [](TextStream& s) { WriteChar(1, s, '.'); }, "."},
    {"char_width_3", [](TextStream& s) { WriteChar(3, s, '.'); }, "  ."},
    {"line_end", [](TextStream& s) { WriteLineEnd(s); }, "\r\n"},
};

TEST_F(WriteTest, FieldWidths) {
  for (const FieldCase& c : fieldCases) {
    SetUp();
    c.write(stream);
    WriteEnd(stream);
    EXPECT_EQ(Written(), c.expected) << c.name;
    EXPECT_EQ(ioResult, 0) << c.name;
  }
}

TEST_F(WriteTest, FieldWiderThanTheBufferIsHandedOnInPieces) {
  WriteText(300, stream, "x");
  WriteEnd(stream);
  EXPECT_EQ(Written(), std::string(299, ' ') + "x");
  EXPECT_EQ(fake::state.handles[fake::outputHandle].writeCalls, 2);
}

TEST_F(WriteTest, BufferMayFillExactlyBeforeTheDriverRuns) {
  const std::string full(streamBufferSize, 'a');
  WriteBlock(stream, full.data(), int(full.size()));
  EXPECT_EQ(fake::state.handles[fake::outputHandle].writeCalls, 0);
  EXPECT_EQ(stream.bufferPos, streamBufferSize);
  WriteBlock(stream, "b", 1);
  EXPECT_EQ(fake::state.handles[fake::outputHandle].writeCalls, 1);
  EXPECT_EQ(stream.bufferPos, 1);
}

TEST_F(WriteTest, CharacterHandsOnTheBufferWhenOneCellIsLeft) {
  const std::string almost(streamBufferSize - 1, 'a');
  WriteBlock(stream, almost.data(), int(almost.size()));
  WriteChar(0, stream, 'z');
  EXPECT_EQ(Written(), almost);
  EXPECT_EQ(stream.bufferPos, 1);
}

TEST_F(WriteTest, EveryStatementEndReachesTheHandle) {
  WriteText(0, stream, "ab");
  EXPECT_EQ(Written(), "");
  WriteEnd(stream);
  EXPECT_EQ(Written(), "ab");
  WriteInteger(0, stream, 12);
  WriteLineEnd(stream);
  EXPECT_EQ(Written(), "ab12\r\n");
}

struct ErrorCase {
  const char* name;
  void (*prepare)(TextStream&);
  void (*operation)(TextStream&);
  uint16_t error;
};

const ErrorCase errorCases[] = {
    {"write_fails", [](TextStream&) { fake::state.handles[fake::outputHandle].failWrites = true; },
     [](TextStream& s) { WriteLineEnd(s); }, 101},
    {"short_write", [](TextStream&) { fake::state.handles[fake::outputHandle].shortWriteBy = 1; },
     [](TextStream& s) { WriteLineEnd(s); }, 101},
    {"open_unassigned", [](TextStream& s) { s.mode = 0; }, [](TextStream& s) { OpenForOutput(s); },
     102},
    {"write_closed", [](TextStream& s) { s.mode = modeClosed; },
     [](TextStream& s) { WriteText(0, s, "x"); }, 103},
    {"close_closed", [](TextStream& s) { s.mode = modeClosed; },
     [](TextStream& s) { CloseStream(s); }, 103},
    {"read_closed", [](TextStream& s) { s.mode = modeClosed; },
     [](TextStream& s) { ReadLineEnd(s); }, 103},
    {"read_text_output", [](TextStream&) {},
     [](TextStream& s) {
       ShortText<4> t;
       ReadText(s, t, 4);
     },
     104},
    {"read_line_end_output", [](TextStream&) {}, [](TextStream& s) { ReadLineEnd(s); }, 104},
    {"text_to_input", [](TextStream& s) { s.mode = modeInput; },
     [](TextStream& s) { WriteText(0, s, "x"); }, 105},
    {"integer_to_input", [](TextStream& s) { s.mode = modeInput; },
     [](TextStream& s) { WriteInteger(0, s, 1); }, 105},
    {"char_to_input", [](TextStream& s) { s.mode = modeInput; },
     [](TextStream& s) { WriteChar(0, s, 'x'); }, 105},
    {"line_end_to_input", [](TextStream& s) { s.mode = modeInput; },
     [](TextStream& s) { WriteLineEnd(s); }, 105},
};

TEST_F(WriteTest, ErrorNumbers) {
  for (const ErrorCase& c : errorCases) {
    SetUp();
    c.prepare(stream);
    c.operation(stream);
    EXPECT_EQ(ioResult, c.error) << c.name;
  }
}

TEST_F(WriteTest, NothingHappensWhileAnErrorIsPending) {
  ioResult = 105;
  WriteText(0, stream, "x");
  WriteInteger(0, stream, 1);
  WriteChar(0, stream, 'y');
  WriteLineEnd(stream);
  stream.mode = modeInput;  // would be 105 again
  WriteText(0, stream, "x");
  stream.mode = modeClosed;  // would be 103
  CloseStream(stream);
  OpenForOutput(stream);
  EXPECT_EQ(ioResult, 105);
  EXPECT_EQ(Written(), "");
}

TEST_F(WriteTest, FailedWriteStillEmptiesTheBuffer) {
  fake::state.handles[fake::outputHandle].failWrites = true;
  WriteText(0, stream, "abc");
  WriteEnd(stream);
  EXPECT_EQ(ioResult, 101);
  EXPECT_EQ(stream.bufferPos, 0);
}

TEST_F(WriteTest, StandardHandlesAreNeverClosed) {
  TextStream other;
  BindStdStream(other, modeOutput, 42);
  CloseStream(other);
  EXPECT_TRUE(fake::state.handles[42].closed);
  EXPECT_EQ(other.mode, modeClosed);
  EXPECT_EQ(other.handle, platform::invalidHandle);

  TextStream device;
  fake::state.handles[43].characterDevice = true;
  BindStdStream(device, modeOutput, 43);
  CloseStream(device);
  EXPECT_FALSE(fake::state.handles[43].closed);
}

TEST(ShortText, AssignTruncatesToTheMaximum) {
  ShortText<3> three;
  AssignShortText(3, "1234", three);
  EXPECT_EQ(std::string(three.chars, three.length), "123");
  AssignShortText(3, "12", three);
  EXPECT_EQ(std::string(three.chars, three.length), "12");
  // A maximum above the variable's own is held to the variable's.
  AssignShortText(255, "abcdef", three);
  EXPECT_EQ(std::string(three.chars, three.length), "abc");
}

TEST(ShortText, AppendTruncatesAt255) {
  LongText text;
  const std::string base(250, 'a');
  AssignShortText(255, TextRef(base.data(), 250), text);
  AppendShortText(text, "0123456789");
  EXPECT_EQ(text.length, 255);
  EXPECT_EQ(std::string(text.chars + 250, 5), "01234");
  AppendShortText(text, "x");
  EXPECT_EQ(text.length, 255);
}

}  // namespace
