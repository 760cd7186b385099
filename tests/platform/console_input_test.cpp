// The POSIX console input at the seam: a flood of terminal bytes on a pipe,
// taken in while nobody reads the queue, then read to the end by a reader that
// is now and then late by more than the Esc timeout: every key arrives, in
// order, and what did not fit waited in the pipe without being split.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "platform/platform.h"
#include "platform/posix/terminal.h"

namespace platform {
namespace {

using posix::session;

struct Key {
  uint16_t virtualKeyCode;
  uint8_t character;
};

struct Token {
  std::string bytes;
  std::vector<Key> events;
};

// Keys of several shapes, one of them three events long.
const Token tokens[] = {
    {"a", {{0x41, 'a'}}},
    {"+", {{0xBB, '+'}}},
    {"\x1b[A", {{0x26, 0}}},                                // Up
    {"\x1b[1;5C", {{0x27, 0}}},                             // Ctrl+Right
    {"\x1bOP", {{0x70, 0}}},                                // F1
    {"\x1bx", {{0x58, 'x'}}},                               // Alt+x
    {"\xc3\xa9", {{0, 0x82}}},                              // e acute
    {"\x1b[0;;97:98:99u", {{0, 'a'}, {0, 'b'}, {0, 'c'}}},  // kitty text of three characters
    {"\x1b[6;3~", {{0x22, 0}}},                             // Alt+Page Down
};

TEST(ConsoleInput, FloodWaitsInThePipeAndEveryKeyArrivesInOrder) {
  std::mt19937 random(7);
  std::string flood;
  std::vector<Key> expected;
  while (flood.size() < 100000) {
    const Token& token = tokens[random() % std::size(tokens)];
    flood += token.bytes;
    expected.insert(expected.end(), token.events.begin(), token.events.end());
  }
  int ends[2];
  ASSERT_EQ(pipe(ends), 0);
  ASSERT_GE(fcntl(ends[1], F_SETPIPE_SZ, 1 << 20), int(flood.size()));
  ASSERT_EQ(write(ends[1], flood.data(), flood.size()), ssize_t(flood.size()));
  close(ends[1]);
  posix::ResetInputQueue(session.queue);
  posix::ResetKeyDecoder(session.decoder, true, false);
  session.inputEnded = false;
  session.inputFd = -1;
  const Handle input = ends[0];

  // A slow reader: a few times while a sequence is open, it looks again only
  // after more than the Esc timeout. The sequence's rest was waiting all along.
  int lateLooks = 0;
  const auto look = [&] {
    if (session.decoder.pendingCount > 0 && lateLooks < 10) {
      ++lateLooks;
      std::this_thread::sleep_for(std::chrono::milliseconds(posix::escapeTimeoutMs + 10));
    }
    return PendingInputEvents(input);
  };

  // Nobody reads: the queue fills, and the rest stays in the pipe. The flood
  // is cut within a sequence, and a late look then finds no room to read.
  for (int i = 0; i < 1000; ++i) PendingInputEvents(input);
  EXPECT_GT(session.decoder.pendingCount, 0);
  look();
  EXPECT_GT(session.queue.count, posix::inputQueueCapacity - posix::pendingCapacity);
  int waiting = 0;
  EXPECT_EQ(ioctl(ends[0], FIONREAD, &waiting), 0);
  EXPECT_GT(waiting, int(flood.size()) / 2);

  std::vector<InputEvent> events;
  while (look() > 0) {
    events.emplace_back();
    ReadInputEvent(input, events.back());
  }
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(events.back().eventType, endOfInputEvent);
  events.pop_back();
  ASSERT_EQ(events.size(), expected.size());
  for (size_t i = 0; i < events.size(); ++i) {
    ASSERT_EQ(events[i].virtualKeyCode, expected[i].virtualKeyCode) << "event " << i;
    ASSERT_EQ(events[i].asciiChar, expected[i].character) << "event " << i;
  }
  close(ends[0]);
}

}  // namespace
}  // namespace platform
