// The terminal key decoder: bytes from a terminal (text, UTF-8, ESC-prefixed
// Alt keys, CSI / SS3 keys with xterm modifiers, the kitty keyboard protocol's
// CSI u) become console key events. Pure code: no I/O, the caller's clock.
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace platform::posix {

// ---- Event queue ----------------------------------------------------------

inline constexpr int inputQueueCapacity = 256;

// The events waiting for ReadInputEvent, oldest first.
struct InputQueue {
  InputEvent events[inputQueueCapacity];
  int head;   // index of the oldest event, 0 .. inputQueueCapacity - 1
  int count;  // events waiting, 0 .. inputQueueCapacity
};

void ResetInputQueue(InputQueue& queue);

// Appends an event. A full queue keeps what it holds and drops the new event:
// false then. Readers never let it come to that: they feed the decoder no more
// bytes than InputRoom allows.
bool PushEvent(InputQueue& queue, const InputEvent& event);

// Takes the oldest event; false (and `event` untouched) when the queue is empty.
bool PopEvent(InputQueue& queue, InputEvent& event);

// ---- Decoder ----------------------------------------------------------------

// A lone ESC is the Esc key once this long passes without a following byte; an
// unfinished sequence is then taken apart the same way.
inline constexpr uint64_t escapeTimeoutMs = 40;

// While the start-up replies are awaited, an open control sequence (ESC [)
// waits this long for its end: a reply split by a slow line must not become keys.
inline constexpr uint64_t replyTimeoutMs = 500;

// The longest sequence kept whole. A longer one is discarded up to its final byte.
inline constexpr int pendingCapacity = 64;

// Answers to the start-up queries: cursor position (CSI 6n), kitty keyboard
// flags (CSI ? u) and primary device attributes (CSI c), which closes the batch.
struct TerminalReplies {
  bool positionPending;     // CSI row;col R is a position report, not modified F3
  bool batchPending;        // the attributes reply has not come; CSI ? ... u / c are replies
  bool positionReceived;    // row and column hold the report
  uint16_t row;             // from 1, as the terminal counts
  uint16_t column;          // from 1
  bool kittyFlagsReceived;  // the terminal knows the kitty protocol
  uint32_t kittyFlags;      // the flags it reported as active
  bool attributesReceived;  // the batch is complete
  uint16_t deviceClass;     // first parameter of the attributes reply (62, 64, ...); 0 unknown
};

struct KeyDecoder {
  bool kittyProtocol;  // modifier bit 8 is Super (kitty), not Meta (xterm)
  bool bytesAreKeys;   // standard input that is not a terminal: no sequences, LF is Enter
  uint8_t pending[pendingCapacity];  // the start of a sequence still open, from its first byte
  int pendingCount;                  // 0 .. pendingCapacity - 1 between calls
  uint64_t lastByteMs;               // arrival of the latest byte, caller's milliseconds
  bool discarding;         // dropping the rest of an overlong sequence up to its final byte
  uint8_t discardMarker;   // that sequence's private marker ('?' ...), 0 for none
  bool afterReturn;        // bytesAreKeys: the last byte was CR, so an LF now is its pair
  uint32_t heldModifiers;  // kitty: left/right Alt and Ctrl bits held per the modifier keys
  TerminalReplies replies;
};

void ResetKeyDecoder(KeyDecoder& decoder, bool kittyProtocol, bool bytesAreKeys);

// Switches the modifier reading once the terminal has taken (or dropped) the
// kitty flags; what is pending stays.
void SetKittyProtocol(KeyDecoder& decoder, bool kittyProtocol);

// Takes `count` bytes read at `nowMs`. Every byte is consumed: decoded into
// events, or kept as the open start of a sequence. The bytes continue whatever
// is open, however long ago it was read: bytes that were waiting to be read are
// no pause, so no deadline is applied before them (that is FeedTime's part).
void FeedBytes(KeyDecoder& decoder, const uint8_t* bytes, int count, uint64_t nowMs,
               InputQueue& queue);

// The reader looked at its source at `nowMs` (taken before the look) and found
// nothing to read: a sequence left open past its deadline (escapeTimeoutMs, or
// replyTimeoutMs for an open ESC [ while the start-up replies are awaited) is
// settled (a lone ESC is Esc, ESC [ is Alt+[, and so on) and the bytes after it
// decoded.
//
// The timeout counts idle time only. A reader calls FeedTime after a look that
// found nothing, and never in place of one: not when the program was merely
// late to look, not after an interrupted read, and not when InputRoom kept it
// from reading — an open sequence then waits, without a clock, until there is
// room for the bytes that finish it. As bytes stay in the source until read,
// a look at or past the deadline that finds nothing means none followed the
// open sequence for the timeout's length.
void FeedTime(KeyDecoder& decoder, uint64_t nowMs, InputQueue& queue);

// When FeedTime would next produce something; false when nothing is pending.
bool NextDeadline(const KeyDecoder& decoder, uint64_t& deadlineMs);

// How many bytes may be fed now without the queue overflowing. No byte and no
// settled sequence yields more events than it has bytes, so the events waiting
// plus the bytes held open never exceed the queue's capacity as long as every
// feed keeps to this room; FeedTime then always has room for what it settles.
// With no room the source is not read, so no look has found it empty: the
// open sequence keeps waiting for its bytes (see FeedTime).
int InputRoom(const KeyDecoder& decoder, const InputQueue& queue);

// The start-up queries went out: the attributes reply, the kitty flags reply
// and (when `positionReport`) the position report are now awaited.
void ExpectReplies(KeyDecoder& decoder, bool positionReport);

}  // namespace platform::posix
