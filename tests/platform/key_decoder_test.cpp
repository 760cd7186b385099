// The terminal key decoder: byte sequences against the console events they
// must produce, fed whole, byte by byte within and beyond the ESC timeout, in
// legacy, kitty and redirected-input modes, with the start-up replies.
#include "platform/posix/key_decoder.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace platform::posix {
namespace {

constexpr uint32_t shift = shiftPressed;
constexpr uint32_t ctrl = leftCtrlPressed;
constexpr uint32_t alt = leftAltPressed;
constexpr uint32_t enh = enhancedKey;

struct Expected {
  uint16_t virtualKeyCode;
  uint16_t scanCode;
  uint8_t character;
  uint32_t state;
  bool down = true;
};

struct Case {
  const char* name;
  std::string bytes;
  std::vector<Expected> events;
};

class KeyDecoderTest : public testing::Test {
 protected:
  void SetUp() override { Reset(false, false); }

  void Reset(bool kitty, bool bytesAreKeys) {
    ResetKeyDecoder(decoder_, kitty, bytesAreKeys);
    ResetInputQueue(queue_);
  }

  void Feed(const std::string& bytes, uint64_t nowMs) {
    FeedBytes(decoder_, reinterpret_cast<const uint8_t*>(bytes.data()),
              static_cast<int>(bytes.size()), nowMs, queue_);
  }

  // Each byte in its own call, `gapMs` apart with a look that found nothing
  // at the end of each gap, then time enough to settle.
  void FeedSplit(const std::string& bytes, uint64_t gapMs) {
    for (char byte : bytes) {
      Feed(std::string(1, byte), now_);
      now_ += gapMs;
      FeedTime(decoder_, now_, queue_);
    }
    Settle();
  }

  void Settle() {
    now_ += 1000;
    FeedTime(decoder_, now_, queue_);
  }

  std::vector<InputEvent> Drain() {
    std::vector<InputEvent> events;
    InputEvent event{};
    while (PopEvent(queue_, event)) events.push_back(event);
    return events;
  }

  void ExpectEvents(const std::vector<Expected>& expected) {
    std::vector<InputEvent> actual = Drain();
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < actual.size(); ++i) {
      SCOPED_TRACE(testing::Message() << "event " << i);
      EXPECT_EQ(actual[i].eventType, keyEvent);
      EXPECT_EQ(actual[i].repeatCount, 1);
      EXPECT_EQ(actual[i].virtualKeyCode, expected[i].virtualKeyCode);
      EXPECT_EQ(actual[i].virtualScanCode, expected[i].scanCode);
      EXPECT_EQ(actual[i].asciiChar, expected[i].character);
      EXPECT_EQ(actual[i].controlKeyState, expected[i].state);
      EXPECT_EQ(actual[i].keyDown, expected[i].down);
    }
  }

  // Whole, byte by byte within the timeout, and byte by byte at one instant.
  void ExpectEverySplit(const std::vector<Case>& cases, bool kitty) {
    for (const Case& c : cases) {
      SCOPED_TRACE(c.name);
      Reset(kitty, false);
      Feed(c.bytes, now_);
      Settle();
      ExpectEvents(c.events);
      FeedSplit(c.bytes, escapeTimeoutMs - 1);
      ExpectEvents(c.events);
      FeedSplit(c.bytes, 0);
      ExpectEvents(c.events);
    }
  }

  KeyDecoder decoder_;
  InputQueue queue_;
  uint64_t now_ = 5000;
};

const Expected escKey{0x1B, 0x01, 27, 0};
const Expected up{0x26, 72, 0, enh};

TEST_F(KeyDecoderTest, TextAndControlBytes) {
  ExpectEverySplit(
      {
          {"letters", "aA", {{0x41, 0x1E, 'a', 0}, {0x41, 0x1E, 'A', shift}}},
          {"plus and minus", "+-", {{0xBB, 0x0D, '+', shift}, {0xBD, 0x0C, '-', 0}}},
          {"DEL and BS are Backspace", "\x7f\b", {{0x08, 0x0E, 8, 0}, {0x08, 0x0E, 8, 0}}},
          {"Enter, Tab", "\r\t", {{0x0D, 0x1C, 13, 0}, {0x09, 0x0F, 9, 0}}},
          {"LF is Ctrl+J", "\n", {{0x4A, 0x24, 10, ctrl}}},
          {"Ctrl+C, Ctrl+]", "\x03\x1d", {{0x43, 0x2E, 3, ctrl}, {0xDD, 0x1B, 29, ctrl}}},
          {"Ctrl+Space", std::string(1, '\0'), {{0x32, 3, 0, ctrl}}},
          {"e acute", "\xc3\xa9", {{0, 0, 0x82, 0}}},
          {"euro sign has no byte", "\xe2\x82\xac!", {{0x31, 0x02, '!', shift}}},
          {"invalid UTF-8 dropped", "\xff\xc3(\xc0\x80\xe0\x81\x81", {{0x39, 0x0A, '(', shift}}},
      },
      false);
}

TEST_F(KeyDecoderTest, AltPrefix) {
  ExpectEverySplit(
      {
          {"ESC x", "\x1bx", {{0x58, 0x2D, 'x', alt}}},
          {"ESC X", "\x1bX", {{0x58, 0x2D, 'X', shift | alt}}},
          {"ESC Ctrl+A", "\x1b\x01", {{0x41, 0x1E, 1, ctrl | alt}}},
          {"ESC e acute", "\x1b\xc3\xa9", {{0, 0, 0x82, alt}}},
          {"ESC ESC [ A", "\x1b\x1b[A", {{0x26, 72, 0, enh | alt}}},
          {"ESC ESC x", "\x1b\x1bx", {{0x1B, 0x01, 27, alt}, {0x58, 0x2D, 'x', 0}}},
          {"ESC before an unknown sequence", "\x1b\x1b[I", {escKey}},
      },
      false);
}

TEST_F(KeyDecoderTest, CursorEditingAndFunctionKeys) {
  ExpectEverySplit(
      {
          {"arrows",
           "\x1b[A\x1bOB\x1b[C\x1bOD",
           {up, {0x28, 80, 0, enh}, {0x27, 77, 0, enh}, {0x25, 75, 0, enh}}},
          {"modified arrows",
           "\x1b[1;5A\x1b[1;2D\x1b[1;9A",
           {{0x26, 72, 0, enh | ctrl}, {0x25, 75, 0, enh | shift}, {0x26, 72, 0, enh | alt}}},
          {"home and end",
           "\x1b[H\x1bOF\x1b[1~\x1b[8~",
           {{0x24, 71, 0, enh}, {0x23, 79, 0, enh}, {0x24, 71, 0, enh}, {0x23, 79, 0, enh}}},
          {"editing block",
           "\x1b[2~\x1b[3;2~\x1b[5~\x1b[6;5~",
           {{0x2D, 82, 0, enh},
            {0x2E, 83, 0, enh | shift},
            {0x21, 73, 0, enh},
            {0x22, 81, 0, enh | ctrl}}},
          {"F1 to F4",
           "\x1bOP\x1b[12~\x1bOR\x1b[1;5P",
           {{0x70, 59, 0, 0}, {0x71, 60, 0, 0}, {0x72, 61, 0, 0}, {0x70, 59, 0, ctrl}}},
          {"F5 to F12",
           "\x1b[15;3~\x1b[17~\x1b[21~\x1b[23~\x1b[24;2~",
           {{0x74, 63, 0, alt},
            {0x75, 64, 0, 0},
            {0x79, 68, 0, 0},
            {0x7A, 87, 0, 0},
            {0x7B, 88, 0, shift}}},
          {"Linux console F1", "\x1b[[A", {{0x70, 59, 0, 0}}},
          {"Shift+Tab", "\x1b[Z", {{0x09, 0x0F, 9, shift}}},
          {"Ctrl+Enter (modifyOtherKeys)", "\x1b[27;5;13~", {{0x0D, 0x1C, 10, ctrl}}},
          {"unknown sequences dropped", "\x1b[99~\x1b[200~\x1b[Ix", {{0x58, 0x2D, 'x', 0}}},
      },
      false);
}

TEST_F(KeyDecoderTest, ApplicationKeypad) {
  ExpectEverySplit(
      {
          {"digits",
           "\x1bOp\x1bOt\x1bOy",
           {{0x60, 82, '0', 0}, {0x64, 75, '4', 0}, {0x69, 73, '9', 0}}},
          {"operators",
           "\x1bOk\x1bOm\x1bOj\x1bOo\x1bOn",
           {{0x6B, 78, '+', 0},
            {0x6D, 74, '-', 0},
            {0x6A, 55, '*', 0},
            {0x6F, 53, '/', enh},
            {0x6E, 83, '.', 0}}},
          {"Enter", "\x1bOM", {{0x0D, 28, 13, enh}}},
          {"with modifiers", "\x1bO3k\x1b[1;5k", {{0x6B, 78, '+', alt}, {0x6B, 78, '+', ctrl}}},
      },
      false);
}

TEST_F(KeyDecoderTest, KittyProtocol) {
  ExpectEverySplit(
      {
          {"Alt code on the pad",
           "\x1b[57443;3u\x1b[57405;3u\x1b[57404;3u\x1b[57443;1:3u",
           {{0x12, 0x38, 0, alt},
            {0x66, 77, '6', alt},
            {0x65, 76, '5', alt},
            {0x12, 0x38, 0, 0, false}}},
          {"Num Lock reported", "\x1b[57399;129u", {{0x60, 82, '0', numLockOn}}},
          {"right Alt held",
           "\x1b[57449;3u\x1b[120;3u\x1b[57449;1:3u",
           {{0x12, 0x38, 0, rightAltPressed | enh},
            {0x58, 0x2D, 'x', rightAltPressed},
            {0x12, 0x38, 0, enh, false}}},
          {"press, repeat, release",
           "\x1b[97:65;2;65u\x1b[97;1:2u\x1b[97;1:3u",
           {{0x41, 0x1E, 'A', shift}, {0x41, 0x1E, 'a', 0}, {0x41, 0x1E, 'a', 0, false}}},
          {"Ctrl+c and Ctrl+Shift+6",
           "\x1b[99;5u\x1b[54;6u",
           {{0x43, 0x2E, 3, ctrl}, {0x36, 0x07, 30, ctrl | shift}}},
          {"Enter, Esc, Backspace, Shift+Tab",
           "\x1b[13u\x1b[27u\x1b[127u\x1b[9;2u",
           {{0x0D, 0x1C, 13, 0}, escKey, {0x08, 0x0E, 8, 0}, {0x09, 0x0F, 9, shift}}},
          {"text beyond ASCII", "\x1b[233;;233u\x1b[0;;8364u", {{0, 0, 0x82, 0}}},
          {"base layout key", "\x1b[1089::99;5u", {{0x43, 0x2E, 3, ctrl}}},
          {"Super is no Alt", "\x1b[97;9u", {{0x41, 0x1E, 'a', 0}}},
          {"legacy forms with events",
           "\x1b[1;1:3A\x1b[5;5:2~\x1b[13~",
           {{0x26, 72, 0, enh, false}, {0x21, 73, 0, enh | ctrl}, {0x72, 61, 0, 0}}},
          {"pad keys",
           "\x1b[57414u\x1b[57417u\x1b[57410u",
           {{0x0D, 28, 13, enh}, {0x25, 75, 0, 0}, {0x6F, 53, '/', enh}}},
      },
      true);
}

TEST_F(KeyDecoderTest, LoneEscAfterTimeout) {
  Feed("\x1b", 100);
  uint64_t deadline = 0;
  ASSERT_TRUE(NextDeadline(decoder_, deadline));
  EXPECT_EQ(deadline, 100 + escapeTimeoutMs);
  FeedTime(decoder_, deadline - 1, queue_);
  ExpectEvents({});
  FeedTime(decoder_, deadline, queue_);
  ExpectEvents({escKey});
  EXPECT_FALSE(NextDeadline(decoder_, deadline));
}

TEST_F(KeyDecoderTest, TimeoutRestartsWithEveryByte) {
  Feed("\x1b", 100);
  Feed("[", 130);
  FeedTime(decoder_, 160, queue_);
  ExpectEvents({});
  FeedTime(decoder_, 170, queue_);
  ExpectEvents({{0xDB, 0x1A, '[', alt}});
}

TEST_F(KeyDecoderTest, GapsBeyondTheTimeoutSplitSequences) {
  const Case cases[] = {
      {"ESC then x", "\x1bx", {escKey, {0x58, 0x2D, 'x', 0}}},
      {"ESC [ A", "\x1b[A", {escKey, {0xDB, 0x1A, '[', 0}, {0x41, 0x1E, 'A', shift}}},
      {"ESC O", "\x1bO", {escKey, {0x4F, 0x18, 'O', shift}}},
      {"ESC ESC [ A",
       "\x1b\x1b[A",
       {escKey, escKey, {0xDB, 0x1A, '[', 0}, {0x41, 0x1E, 'A', shift}}},
      {"broken UTF-8", "\xc3z", {{0x5A, 0x2C, 'z', 0}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FeedSplit(c.bytes, escapeTimeoutMs + 10);
    ExpectEvents(c.events);
  }
}

// Only a look that found nothing lets time pass: the rest of a sequence read
// late, with no such look between, continues it however late it comes.
TEST_F(KeyDecoderTest, OnlyIdleTimeEndsASequence) {
  struct Step {
    uint64_t atMs;
    const char* bytes;  // nullptr: a look that found nothing
  };
  struct TimedCase {
    const char* name;
    std::vector<Step> steps;
    std::vector<Expected> events;
  };
  const Expected altBracket{0xDB, 0x1A, '[', alt};
  const Expected bracket{0xDB, 0x1A, '[', 0};
  const Expected capitalA{0x41, 0x1E, 'A', shift};
  const TimedCase cases[] = {
      {"ESC [ then A read late", {{0, "\x1b["}, {500, "A"}}, {up}},
      {"ESC then [A read late", {{0, "\x1b"}, {500, "[A"}}, {up}},
      {"a look before the deadline", {{0, "\x1b["}, {39, nullptr}, {500, "A"}}, {up}},
      {"ESC [ then an idle look",
       {{0, "\x1b["}, {40, nullptr}, {500, "A"}},
       {altBracket, capitalA}},
      {"ESC then an idle look",
       {{0, "\x1b"}, {40, nullptr}, {500, "[A"}},
       {escKey, bracket, capitalA}},
  };
  for (const TimedCase& c : cases) {
    SCOPED_TRACE(c.name);
    for (const Step& step : c.steps) {
      if (step.bytes != nullptr) {
        Feed(step.bytes, now_ + step.atMs);
      } else {
        FeedTime(decoder_, now_ + step.atMs, queue_);
      }
    }
    Settle();
    ExpectEvents(c.events);
  }
}

TEST_F(KeyDecoderTest, UnfinishedSequencesSettleWithoutLosingBytes) {
  const Case cases[] = {
      {"ESC [", "\x1b[", {{0xDB, 0x1A, '[', alt}}},
      {"ESC O", "\x1bO", {{0x4F, 0x18, 'O', shift | alt}}},
      {"ESC [ 1 ;",
       "\x1b[1;",
       {{0xDB, 0x1A, '[', alt}, {0x31, 0x02, '1', 0}, {0xBA, 0x27, ';', 0}}},
      {"ESC ESC", "\x1b\x1b", {{0x1B, 0x01, 27, alt}}},
      {"ESC [ then Ctrl+C", "\x1b[\x03", {{0xDB, 0x1A, '[', alt}, {0x43, 0x2E, 3, ctrl}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Feed(c.bytes, now_);
    Settle();
    ExpectEvents(c.events);
  }
}

TEST_F(KeyDecoderTest, RedirectedBytesAreKeys) {
  Reset(false, true);
  Feed("a\r\nb\n\r\r\x1b[A\x7f", 0);
  ExpectEvents({{0x41, 0x1E, 'a', 0},
                {0x0D, 0x1C, 13, 0},
                {0x42, 0x30, 'b', 0},
                {0x0D, 0x1C, 13, 0},
                {0x0D, 0x1C, 13, 0},
                {0x0D, 0x1C, 13, 0},
                escKey,
                {0xDB, 0x1A, '[', 0},
                {0x41, 0x1E, 'A', shift},
                {0x08, 0x0E, 8, 0}});
  uint64_t deadline = 0;
  EXPECT_FALSE(NextDeadline(decoder_, deadline));
  Feed("\r", 10);
  Feed("\n", 5000);
  Feed("\n", 5001);
  ExpectEvents({{0x0D, 0x1C, 13, 0}, {0x0D, 0x1C, 13, 0}});
}

TEST_F(KeyDecoderTest, StartUpRepliesAmidTypeAhead) {
  ExpectReplies(decoder_, true);
  FeedSplit("x\x1b[12;40R\x1b[?1uy\x1b[?62;22c", 1);
  ExpectEvents({{0x58, 0x2D, 'x', 0}, {0x59, 0x15, 'y', 0}});
  const TerminalReplies& replies = decoder_.replies;
  EXPECT_TRUE(replies.positionReceived);
  EXPECT_EQ(replies.row, 12);
  EXPECT_EQ(replies.column, 40);
  EXPECT_TRUE(replies.kittyFlagsReceived);
  EXPECT_EQ(replies.kittyFlags, 1u);
  EXPECT_TRUE(replies.attributesReceived);
  EXPECT_EQ(replies.deviceClass, 62);
  EXPECT_FALSE(replies.batchPending);
}

TEST_F(KeyDecoderTest, ReplySplitBySlowLineStaysAReply) {
  ExpectReplies(decoder_, true);
  Feed("\x1b[?6", now_);
  FeedTime(decoder_, now_ + 100, queue_);
  Feed("2c", now_ + 100);
  ExpectEvents({});
  EXPECT_TRUE(decoder_.replies.attributesReceived);
  // A lone ESC meanwhile is still the Esc key after the usual wait.
  ExpectReplies(decoder_, true);
  Feed("\x1b", now_ + 200);
  FeedTime(decoder_, now_ + 200 + escapeTimeoutMs, queue_);
  ExpectEvents({escKey});
}

TEST_F(KeyDecoderTest, PositionReportOnlyWhilePending) {
  const Expected ctrlF3{0x72, 61, 0, ctrl};
  Feed("\x1b[1;5R\x1b[12;40R", 0);
  ExpectEvents({ctrlF3});
  EXPECT_FALSE(decoder_.replies.positionReceived);

  ExpectReplies(decoder_, true);
  Feed("\x1b[1;5R\x1b[1;5R", 0);
  ExpectEvents({ctrlF3});
  EXPECT_TRUE(decoder_.replies.positionReceived);
  EXPECT_EQ(decoder_.replies.column, 5);

  ExpectReplies(decoder_, false);
  Feed("\x1b[1;5R\x1b[?31u", 0);
  ExpectEvents({ctrlF3});
  EXPECT_FALSE(decoder_.replies.positionReceived);
  EXPECT_EQ(decoder_.replies.kittyFlags, 31u);

  // Replies come in order: after the attributes no report is coming.
  ExpectReplies(decoder_, true);
  Feed("\x1b[?62c\x1b[1;5R", 0);
  ExpectEvents({ctrlF3});
  EXPECT_FALSE(decoder_.replies.positionReceived);
}

TEST_F(KeyDecoderTest, OverlongSequenceNeverWedges) {
  std::string digits(3 * pendingCapacity, '1');
  Feed("\x1b[" + digits + "~a", 0);
  ExpectEvents({{0x41, 0x1E, 'a', 0}});

  FeedSplit("\x1b[" + digits, 1);
  uint64_t deadline = 0;
  EXPECT_FALSE(NextDeadline(decoder_, deadline));
  Feed("b", now_);
  ExpectEvents({{0x42, 0x30, 'b', 0}});

  ExpectReplies(decoder_, false);
  std::string attributes;
  for (int i = 0; i < pendingCapacity; ++i) attributes += "1;";
  Feed("\x1b[?" + attributes + "c", now_);
  ExpectEvents({});
  EXPECT_TRUE(decoder_.replies.attributesReceived);
}

// Arbitrary bytes in arbitrary chunks at arbitrary times: every event is in
// range and nothing stays pending once time passes.
TEST_F(KeyDecoderTest, ArbitraryInputStaysInRange) {
  std::mt19937 random(12345);
  for (bool kitty : {false, true}) {
    Reset(kitty, false);
    for (int round = 0; round < 2000; ++round) {
      std::string chunk;
      int length = static_cast<int>(random() % 12);
      const char alphabet[] = "\x1b[O;:?1234567890u~ABPRkpZ\xc3\xa9\xe2\x82\xac\x7f\r\n";
      for (int i = 0; i < length; ++i) {
        chunk += random() % 4 == 0 ? static_cast<char>(random())
                                   : alphabet[random() % (sizeof alphabet - 1)];
      }
      now_ += random() % 60;
      if (random() % 2 == 0) FeedTime(decoder_, now_, queue_);
      Feed(chunk, now_);
      for (const InputEvent& event : Drain()) {
        ASSERT_EQ(event.eventType, keyEvent);
        ASSERT_EQ(event.repeatCount, 1);
        ASSERT_LT(event.virtualKeyCode, 256);
      }
      ASSERT_LT(decoder_.pendingCount, pendingCapacity);
    }
    Settle();
    uint64_t deadline = 0;
    EXPECT_FALSE(NextDeadline(decoder_, deadline));
    EXPECT_EQ(decoder_.pendingCount, 0);
  }
}

// Arbitrary bytes fed only as far as InputRoom allows, into a queue read only
// when no room is left: the same events, in the same order, as when every
// event is taken at once.
TEST_F(KeyDecoderTest, FeedingWithinTheRoomKeepsEveryEvent) {
  std::mt19937 random(4242);
  const char alphabet[] = "\x1b[O;:?1234567890u~ABPRkpZ\xc3\xa9\x7f\r";
  for (bool kitty : {false, true}) {
    std::string bytes;
    for (int i = 0; i < 50000; ++i) {
      bytes += random() % 4 == 0 ? static_cast<char>(random())
                                 : alphabet[random() % (sizeof alphabet - 1)];
    }
    Reset(kitty, false);
    std::vector<InputEvent> expected;
    for (char byte : bytes) {
      Feed(std::string(1, byte), now_);
      for (const InputEvent& event : Drain()) expected.push_back(event);
    }
    Settle();
    for (const InputEvent& event : Drain()) expected.push_back(event);

    Reset(kitty, false);
    std::vector<InputEvent> actual;
    for (size_t at = 0; at < bytes.size();) {
      const size_t room = size_t(InputRoom(decoder_, queue_));
      if (room == 0) {
        for (const InputEvent& event : Drain()) actual.push_back(event);
        continue;
      }
      const std::string chunk = bytes.substr(at, room);
      Feed(chunk, now_);
      at += chunk.size();
    }
    Settle();
    for (const InputEvent& event : Drain()) actual.push_back(event);
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < actual.size(); ++i) {
      ASSERT_EQ(actual[i].virtualKeyCode, expected[i].virtualKeyCode) << "event " << i;
      ASSERT_EQ(actual[i].asciiChar, expected[i].asciiChar) << "event " << i;
      ASSERT_EQ(actual[i].controlKeyState, expected[i].controlKeyState) << "event " << i;
    }
  }
}

TEST(InputQueue, FirstInFirstOutAndDropsTheNewestWhenFull) {
  static InputQueue queue;
  ResetInputQueue(queue);
  InputEvent event{};
  for (int i = 0; i < 100; ++i) PushEvent(queue, event), PopEvent(queue, event);
  for (int round = 0; round < 3; ++round) {  // the ring wraps
    for (int i = 0; i < inputQueueCapacity; ++i) {
      event.repeatCount = static_cast<uint16_t>(i);
      ASSERT_TRUE(PushEvent(queue, event));
    }
    event.repeatCount = 9999;
    EXPECT_FALSE(PushEvent(queue, event));
    for (int i = 0; i < inputQueueCapacity - 1; ++i) {
      ASSERT_TRUE(PopEvent(queue, event));
      ASSERT_EQ(event.repeatCount, i);
    }
    ASSERT_TRUE(PopEvent(queue, event));
    EXPECT_EQ(event.repeatCount, inputQueueCapacity - 1);
    EXPECT_FALSE(PopEvent(queue, event));
  }
}

}  // namespace
}  // namespace platform::posix
