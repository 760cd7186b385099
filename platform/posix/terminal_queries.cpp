// The start-up queries, sent as one batch:
//   CSI 6n       cursor position report, answered CSI row ; column R
//   CSI ? u      kitty keyboard flags, answered CSI ? flags u by terminals that
//                speak the protocol
//   CSI c        primary device attributes, answered by every terminal: the
//                batch's end
// and the keyboard modes set after them:
//   CSI > 31 u   push the kitty flags 31 (every key as an escape code, with
//                its event type, alternate keys and text), only when CSI ? u
//                was answered; undone with CSI < u
//   ESC =        application keypad, so that the numeric pad is told apart;
//                undone with ESC >
// Answers come on the key source when it is the terminal, else on /dev/tty.
#include "platform/posix/terminal_queries.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cstdint>

#include "platform/posix/monotonic_clock.h"
#include "platform/posix/terminal.h"
#include "platform/posix/terminal_input.h"
#include "platform/posix/terminal_undo.h"
#include "platform/posix/write_all.h"

namespace platform::posix {

namespace {

constexpr uint64_t replyWaitMs = 1000;

constexpr char queries[] = "\x1b[6n\x1b[?u\x1b[c";
constexpr char kittyPush[] = "\x1b[>31u";
constexpr char kittyPop[] = "\x1b[<u";
constexpr char keypadApplication[] = "\x1b=";
constexpr char keypadNormal[] = "\x1b>";

// Where the terminal's answers arrive: the key source when it is the
// terminal, else the controlling terminal opened for reading.
int OpenReplyChannel() {
  if (session.inputIsTerminal) return session.inputFd;
  return OpenTerminalDevice(O_RDONLY);
}

// How long one wait for the answers may last: to the end of the batch's time,
// and no later than the decoder's deadline, when a look that finds nothing
// settles what is open. Without room there is no look, and no deadline.
int WaitLimit(uint64_t now, uint64_t deadline) {
  uint64_t until = deadline;
  uint64_t decoderDeadline;
  if (InputRoom(session.decoder, session.queue) > 0 &&
      NextDeadline(session.decoder, decoderDeadline) && decoderDeadline < until) {
    until = decoderDeadline > now ? decoderDeadline : now;
  }
  return int(until - now);
}

// Until the attributes' answer or the time is up. True when the wait ended
// for want of room in the event queue: keys typed ahead stand before the
// answers then, which are still to come. A wait that ends with nothing to read
// is followed by a look, which lets the decoder's time pass when it finds
// nothing: a lone Esc typed meanwhile is the Esc key, as in the session.
bool ReadReplies(int channel) {
  const uint64_t deadline = NowMs() + replyWaitMs;
  for (uint64_t now = NowMs(); !session.decoder.replies.attributesReceived && now < deadline;
       now = NowMs()) {
    pollfd waiting = {channel, POLLIN, 0};
    const int ready = poll(&waiting, 1, WaitLimit(now, deadline));
    if (ready == 0 && InputRoom(session.decoder, session.queue) > 0) TakeKeyBytes(channel);
    if (ready <= 0) continue;
    // On a channel of its own, the keys typed on the terminal are no input:
    // they make room for the answers behind them.
    if (channel != session.inputFd && InputRoom(session.decoder, session.queue) == 0) {
      ResetInputQueue(session.queue);
    }
    const KeyRead read = TakeKeyBytes(channel);
    if (read == KeyRead::ended) break;
    if (read == KeyRead::noRoom) return true;
  }
  return false;
}

void TakeCursorFromReply() {
  const TerminalReplies& replies = session.decoder.replies;
  if (!replies.positionReceived) return;
  const int16_t x = int16_t(replies.column - 1);
  const int16_t y = int16_t(replies.row - 1);
  if (x >= 0 && y >= 0 && x < session.model.width && y < session.model.height) {
    session.model.cursor = {x, y};
  }
}

}  // namespace

void AskTerminal() {
  const int channel = OpenReplyChannel();
  if (channel < 0) return;
  ExpectReplies(session.decoder, true);
  WriteAll(session.outputFd, queries, int(sizeof queries) - 1);
  // A position report that comes after its time collides with modified F3:
  // once the time is up it is no longer awaited. The other answers are still
  // recognised if they come after all, and so is the position report when
  // the keys typed ahead filled the queue before it, as the attributes'
  // answer that follows it ends the wait for it.
  if (!ReadReplies(channel)) session.decoder.replies.positionPending = false;
  if (channel != session.inputFd) close(channel);
  TakeCursorFromReply();
}

void SetUpKeyboard() {
  if (session.decoder.replies.kittyFlagsReceived) {
    SendTerminalMode(session.outputFd, kittyPush, kittyPop);
    SetKittyProtocol(session.decoder, true);
  }
  SendTerminalMode(session.outputFd, keypadApplication, keypadNormal);
}

}  // namespace platform::posix
