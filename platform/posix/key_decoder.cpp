// Terminal bytes to console key events: text, ESC x as Alt+x, CSI / SS3 keys
// ("CSI 1;m A", "CSI n;m ~", "SS3 P", keypad "SS3 p".."SS3 y"), kitty's "CSI code;mods u",
// and the replies "CSI row;col R", "CSI ? flags u", "CSI ? ... c" to the start-up queries.
//
// Where a byte goes (FeedByte):
//
//   redirected input ── every byte is one key (LF and CR LF are Enter)
//
//   terminal ──> pending bytes ──ScanToken──> complete:   a key, a character or a
//                   ^   |                                 sequence: emitted, taken off
//                   |   +─────────────────>  incomplete: kept, waiting for more bytes
//                   |   +─────────────────>  invalid:    settled at once (below)
//                   |   +── 64 bytes and still open ──>  discarding up to the final byte
//                   +── the next byte
//
// Time ends what bytes cannot (FeedTime, NextDeadline): pending bytes that a
// look found without a follower 40 ms after them are settled; bytes that were
// waiting while the reader was late always continue them. A lone ESC becomes
// Esc, ESC ESC Alt+Esc, ESC [ and ESC O Alt+[ and Alt+O, and the rest is
// decoded afresh. While the start-up replies are due, an open ESC [ waits
// 500 ms instead, so a reply split by a slow line never turns into keys. The
// clock and the looks are the caller's: the decoder does no I/O.
#include "platform/posix/key_decoder.h"

#include <algorithm>

#include "platform/cp437.h"
#include "platform/posix/key_sequence.h"
#include "platform/posix/terminal_keys.h"
#include "platform/us_layout.h"

namespace platform::posix {

namespace {

constexpr uint32_t anyCtrl = leftCtrlPressed | rightCtrlPressed;

// ---- Events ---------------------------------------------------------------

void EmitKey(InputQueue& queue, const Key& key, bool down) {
  PushEvent(queue, InputEvent{keyEvent, down, 1, key.virtualKeyCode, key.scanCode, key.character,
                              key.state});
}

Key KeyOfByte(uint8_t byte, uint32_t extraState) {
  InputEvent event = UsKeyEvent(byte);
  return Key{static_cast<uint8_t>(event.virtualKeyCode),
             static_cast<uint8_t>(event.virtualScanCode), event.asciiChar,
             event.controlKeyState | extraState};
}

uint8_t Cp437OrNothing(uint32_t codePoint) {
  int byte = UnicodeToCp437(codePoint);
  return byte < 0 ? 0 : static_cast<uint8_t>(byte);
}

// A typed character without a key of the US layout; dropped where code page
// 437 has none.
void EmitCharacter(InputQueue& queue, uint32_t codePoint, uint32_t state) {
  uint8_t character = Cp437OrNothing(codePoint);
  if (character != 0) EmitKey(queue, Key{0, 0, character, state}, true);
}

// kitty event types: 1 press, 2 repeat, 3 release; omitted is a press.
bool IsKeyDown(uint32_t eventType) {
  return eventType != 3;
}

// Left or right: a side held per the modifier keys wins over the left default.
// A modifier the parameter does not report is not held any more.
uint32_t ResolveSide(KeyDecoder& decoder, uint32_t state, SidePair pair) {
  uint32_t both = pair.left | pair.right;
  if ((state & both) == 0) {
    decoder.heldModifiers &= ~both;
    return state;
  }
  uint32_t held = decoder.heldModifiers & both;
  return held != 0 ? (state & ~both) | held : state;
}

// The state bits of a modifier parameter (1 + bits; 0 or 1 for none).
uint32_t TakeModifierState(KeyDecoder& decoder, uint32_t parameter) {
  uint32_t bits = parameter > 1 ? parameter - 1 : 0;
  uint32_t state = ModifierState(bits, decoder.kittyProtocol);
  for (const SidePair& pair : sidePairs) state = ResolveSide(decoder, state, pair);
  return state;
}

// A named key whose modifiers and event type sit in parameter `modifierIndex`
// (-1: none).
bool EmitNamed(KeyDecoder& decoder, Named named, const Sequence& seq, int modifierIndex,
               uint32_t extraState, InputQueue& queue) {
  Key key = NamedKey(named);
  if (key.virtualKeyCode == 0) return false;
  key.state |= TakeModifierState(decoder, Param(seq, modifierIndex, 0)) | extraState;
  EmitKey(queue, key, IsKeyDown(Param(seq, modifierIndex, 1)));
  return true;
}

// A modifier key of its own (kitty): it sets its bit while down, whatever
// convention the terminal follows for the parameter of the modifier's own event.
bool EmitModifierKey(KeyDecoder& decoder, const ModifierKey& modifier, const Sequence& seq,
                     InputQueue& queue) {
  if (modifier.key.virtualKeyCode == 0) return false;
  bool down = IsKeyDown(Param(seq, 1, 1));
  if (down) decoder.heldModifiers |= modifier.held;
  uint32_t state = TakeModifierState(decoder, Param(seq, 1, 0));
  state = down ? state | modifier.held : state & ~modifier.held;
  decoder.heldModifiers =
      down ? decoder.heldModifiers | modifier.held : decoder.heldModifiers & ~modifier.held;
  Key key = modifier.key;
  key.state |= state;
  EmitKey(queue, key, down);
  return true;
}

// The shifted key the terminal reported, else the US layout's.
uint32_t ShiftedCode(uint32_t code, uint32_t shifted) {
  if (shifted != 0) return shifted;
  return code < 128 ? UsShiftedCharacter(static_cast<uint8_t>(code)) : code;
}

bool IsAsciiLetter(uint32_t c) {
  return (c | 0x20) >= 'a' && (c | 0x20) <= 'z';
}

// The character of a text key: Ctrl gives the control character (or none), else
// the associated text, else the key code with Shift and Caps Lock applied.
uint8_t TextKeyCharacter(const Sequence& seq, uint8_t virtualKeyCode, uint32_t state) {
  if (state & anyCtrl) {
    int control = UsControlCharacter(virtualKeyCode, (state & shiftPressed) != 0);
    return control < 0 ? 0 : static_cast<uint8_t>(control);
  }
  if (Param(seq, 2, 0) != 0) return Cp437OrNothing(Param(seq, 2, 0));
  uint32_t code = Param(seq, 0, 0);
  if (state & shiftPressed) code = ShiftedCode(code, Param(seq, 0, 1));
  if ((state & capsLockOn) && IsAsciiLetter(code)) code ^= 0x20;
  return code < 128 ? UsLayoutKey(static_cast<uint8_t>(code)).character : Cp437OrNothing(code);
}

// "CSI code:shifted:base ; mods:event ; text u" for a key with a character;
// code 0 is text without a key. Further code points of the text follow as
// characters of their own.
bool EmitTextKey(KeyDecoder& decoder, const Sequence& seq, uint32_t extraState, InputQueue& queue) {
  uint32_t base = Param(seq, 0, 2) != 0 ? Param(seq, 0, 2) : Param(seq, 0, 0);
  UsKey layoutKey = base != 0 && base < 128 ? UsLayoutKey(static_cast<uint8_t>(base)) : UsKey{};
  uint32_t state = TakeModifierState(decoder, Param(seq, 1, 0)) | extraState;
  Key key{layoutKey.virtualKeyCode, layoutKey.scanCode, 0, state};
  key.character = TextKeyCharacter(seq, key.virtualKeyCode, state);
  if (key.virtualKeyCode == 0 && key.character == 0) return false;
  bool down = IsKeyDown(Param(seq, 1, 1));
  EmitKey(queue, key, down);
  for (int i = 1; down && i < seq.subCounts[2]; ++i) EmitCharacter(queue, Param(seq, 2, i), 0);
  return true;
}

bool DecodeCsiU(KeyDecoder& decoder, const Sequence& seq, uint32_t extraState, InputQueue& queue) {
  uint32_t code = Param(seq, 0, 0);
  if (seq.paramCount > 3) return false;
  const ModifierKey* modifier = KittyModifierKey(code);
  if (modifier != nullptr) return EmitModifierKey(decoder, *modifier, seq, queue);
  Named named = KittyNamed(code);
  if (named != Named::none) return EmitNamed(decoder, named, seq, 1, extraState, queue);
  return EmitTextKey(decoder, seq, extraState, queue);
}

// "CSI 27 ; mods ; code ~" (xterm's modifyOtherKeys) is "CSI code ; mods u".
bool DecodeModifiedOtherKey(KeyDecoder& decoder, const Sequence& seq, uint32_t extraState,
                            InputQueue& queue) {
  Sequence asCsiU{};
  asCsiU.paramCount = 2;
  asCsiU.params[0][0] = Param(seq, 2, 0);
  asCsiU.params[1][0] = Param(seq, 1, 0);
  return EmitTextKey(decoder, asCsiU, extraState, queue);
}

bool DecodeTilde(KeyDecoder& decoder, const Sequence& seq, uint32_t extraState, InputQueue& queue) {
  uint32_t number = Param(seq, 0, 0);
  if (number == 27 && seq.paramCount == 3)
    return DecodeModifiedOtherKey(decoder, seq, extraState, queue);
  if (seq.paramCount > 2) return false;
  return EmitNamed(decoder, TildeKey(number), seq, 1, extraState, queue);
}

// Where a key named by its final byte keeps the modifier parameter: "CSI 1;m A"
// and "SS3 1;m P" at 1, "SS3 m P" at 0, none at -1; -2 when no key looks so.
int FinalModifierIndex(const Sequence& seq, uint8_t forms) {
  if (seq.introducer == 'O') {
    if ((forms & ss3Form) == 0 || seq.paramCount > 2) return -2;
    return seq.paramCount - 1;
  }
  if (seq.paramCount > 2 || Param(seq, 0, 0) > 1) return -2;
  if (seq.paramCount == 2) return (forms & csiModifiedForm) ? 1 : -2;
  return (forms & csiForm) ? -1 : -2;
}

bool DecodeFinal(KeyDecoder& decoder, const Sequence& seq, uint32_t extraState, InputQueue& queue) {
  const FinalKey entry = FinalByteKey(seq.final);
  int modifierIndex = FinalModifierIndex(seq, entry.forms);
  if (entry.key == Named::none || modifierIndex == -2) return false;
  return EmitNamed(decoder, entry.key, seq, modifierIndex, extraState, queue);
}

bool DecodeLinuxFunctionKey(KeyDecoder& decoder, const Sequence& seq, uint32_t extraState,
                            InputQueue& queue) {
  if (seq.paramCount != 0) return false;
  return EmitNamed(decoder, LinuxFunctionKey(seq.final), seq, -1, extraState, queue);
}

uint16_t Clamp16(uint32_t value) {
  return static_cast<uint16_t>(std::min<uint32_t>(value, 0xFFFF));
}

void NoteAttributes(TerminalReplies& replies, uint32_t deviceClass) {
  if (!replies.batchPending) return;
  replies.attributesReceived = true;
  replies.deviceClass = Clamp16(deviceClass);
  replies.batchPending = false;
  replies.positionPending = false;  // the terminal answers in order: no report is coming
}

// "CSI ? flags u" and "CSI ? class ; ... c"; outside a batch they mean nothing.
void TakePrivateReply(TerminalReplies& replies, const Sequence& seq) {
  if (!replies.batchPending || seq.introducer != '[') return;
  if (seq.final == 'u') {
    replies.kittyFlagsReceived = true;
    replies.kittyFlags = Param(seq, 0, 0);
  } else if (seq.final == 'c') {
    NoteAttributes(replies, Param(seq, 0, 0));
  }
}

bool IsPositionReport(const KeyDecoder& decoder, const Sequence& seq) {
  return decoder.replies.positionPending && seq.introducer == '[' && seq.final == 'R' &&
         seq.paramCount == 2;
}

void TakePositionReport(TerminalReplies& replies, const Sequence& seq) {
  replies.positionPending = false;
  replies.positionReceived = true;
  replies.row = Clamp16(Param(seq, 0, 0));
  replies.column = Clamp16(Param(seq, 1, 0));
}

// True when the sequence produced a key.
bool DispatchSequence(KeyDecoder& decoder, const Sequence& seq, uint32_t extraState,
                      InputQueue& queue) {
  if (seq.odd) return false;
  if (seq.marker == '?') TakePrivateReply(decoder.replies, seq);
  if (seq.marker == '[') return DecodeLinuxFunctionKey(decoder, seq, extraState, queue);
  if (seq.marker != 0) return false;
  if (IsPositionReport(decoder, seq)) {
    TakePositionReport(decoder.replies, seq);
    return false;
  }
  if (seq.introducer == '[' && seq.final == 'u') return DecodeCsiU(decoder, seq, extraState, queue);
  if (seq.introducer == '[' && seq.final == '~')
    return DecodeTilde(decoder, seq, extraState, queue);
  return DecodeFinal(decoder, seq, extraState, queue);
}

// Returns the bytes the token took.
int EmitToken(KeyDecoder& decoder, const Token& token, InputQueue& queue) {
  uint32_t alt = token.altPrefix ? leftAltPressed : 0;
  switch (token.kind) {
    case TokenKind::byte:
      EmitKey(queue, KeyOfByte(static_cast<uint8_t>(token.value), alt), true);
      break;
    case TokenKind::codePoint:
      EmitCharacter(queue, token.value, alt);
      break;
    case TokenKind::escape:
      EmitKey(queue, KeyOfByte(escByte, alt), true);
      break;
    case TokenKind::sequence:
      // ESC before a reply or an unknown sequence was the Esc key typed just before.
      if (!DispatchSequence(decoder, token.sequence, alt, queue) && token.altPrefix)
        EmitKey(queue, KeyOfByte(escByte, 0), true);
      break;
  }
  return token.length;
}

// Settles the start of bytes that are an unfinished or broken sequence: a lone
// ESC is Esc, ESC ESC Alt+Esc, ESC [ and ESC O are Alt+[ and Alt+O; a broken
// UTF-8 byte means nothing. Returns the bytes taken; the rest is decoded anew.
int SettleOpenStart(const uint8_t* bytes, int count, InputQueue& queue) {
  if (bytes[0] != escByte) return 1;
  if (count > 1 && bytes[1] == escByte) {
    EmitKey(queue, KeyOfByte(escByte, leftAltPressed), true);
    return 2;
  }
  if (count > 1 && IsIntroducer(bytes[1])) {
    EmitKey(queue, KeyOfByte(bytes[1], leftAltPressed), true);
    return 2;
  }
  EmitKey(queue, KeyOfByte(escByte, 0), true);
  return 1;
}

// Decodes the pending bytes up to an unfinished sequence; with `settle` the
// unfinished sequence is settled too and nothing stays pending.
void DecodePending(KeyDecoder& decoder, InputQueue& queue, bool settle) {
  int start = 0;
  while (start < decoder.pendingCount) {
    const uint8_t* bytes = decoder.pending + start;
    int count = decoder.pendingCount - start;
    Token token;
    Scan scan = ScanToken(bytes, count, token);
    if (scan == Scan::incomplete && !settle) break;
    start += scan == Scan::complete ? EmitToken(decoder, token, queue)
                                    : SettleOpenStart(bytes, count, queue);
  }
  std::copy(decoder.pending + start, decoder.pending + decoder.pendingCount, decoder.pending);
  decoder.pendingCount -= start;
}

// The pending buffer holds nothing but the open sequence (complete ones were
// decoded), so a full buffer is one sequence too long to keep: its marker is
// remembered and the rest dropped up to its final byte.
void StartDiscarding(KeyDecoder& decoder) {
  int markerIndex = decoder.pending[1] == escByte ? 3 : 2;
  uint8_t marker = decoder.pending[markerIndex];
  decoder.discardMarker = IsMarker(marker) ? marker : 0;
  decoder.discarding = true;
  decoder.pendingCount = 0;
}

// While discarding: true when the byte belonged to the overlong sequence. An
// overlong attributes reply still closes the batch.
bool DiscardByte(KeyDecoder& decoder, uint8_t byte) {
  if (byte >= 0x20 && byte < firstFinal) return true;
  decoder.discarding = false;
  if (byte < firstFinal || byte > lastFinal) return false;
  if (byte == 'c' && decoder.discardMarker == '?') NoteAttributes(decoder.replies, 0);
  return true;
}

// Standard input that is not a terminal: a byte is a key, LF and CR LF are Enter.
void FeedKeyByte(KeyDecoder& decoder, uint8_t byte, InputQueue& queue) {
  InputEvent event;
  if (RedirectedByteEvent(byte, decoder.afterReturn, event)) PushEvent(queue, event);
}

void FeedByte(KeyDecoder& decoder, uint8_t byte, InputQueue& queue) {
  if (decoder.bytesAreKeys) return FeedKeyByte(decoder, byte, queue);
  if (decoder.discarding && DiscardByte(decoder, byte)) return;
  decoder.pending[decoder.pendingCount++] = byte;
  DecodePending(decoder, queue, false);
  if (decoder.pendingCount == pendingCapacity) StartDiscarding(decoder);
}

}  // namespace

// ---- Queue ----------------------------------------------------------------

void ResetInputQueue(InputQueue& queue) {
  queue.head = 0;
  queue.count = 0;
}

bool PushEvent(InputQueue& queue, const InputEvent& event) {
  if (queue.count == inputQueueCapacity) return false;
  queue.events[(queue.head + queue.count) % inputQueueCapacity] = event;
  ++queue.count;
  return true;
}

bool PopEvent(InputQueue& queue, InputEvent& event) {
  if (queue.count == 0) return false;
  event = queue.events[queue.head];
  queue.head = (queue.head + 1) % inputQueueCapacity;
  --queue.count;
  return true;
}

// ---- Decoder ----------------------------------------------------------------

void ResetKeyDecoder(KeyDecoder& decoder, bool kittyProtocol, bool bytesAreKeys) {
  decoder = KeyDecoder{};
  decoder.kittyProtocol = kittyProtocol;
  decoder.bytesAreKeys = bytesAreKeys;
}

void SetKittyProtocol(KeyDecoder& decoder, bool kittyProtocol) {
  decoder.kittyProtocol = kittyProtocol;
  decoder.heldModifiers = 0;
}

void FeedBytes(KeyDecoder& decoder, const uint8_t* bytes, int count, uint64_t nowMs,
               InputQueue& queue) {
  if (count > 0) decoder.lastByteMs = nowMs;
  for (int i = 0; i < count; ++i) FeedByte(decoder, bytes[i], queue);
}

void FeedTime(KeyDecoder& decoder, uint64_t nowMs, InputQueue& queue) {
  uint64_t deadlineMs = 0;
  if (!NextDeadline(decoder, deadlineMs) || nowMs < deadlineMs) return;
  decoder.discarding = false;
  DecodePending(decoder, queue, true);
}

bool NextDeadline(const KeyDecoder& decoder, uint64_t& deadlineMs) {
  if (decoder.pendingCount == 0 && !decoder.discarding) return false;
  const bool replyMayBeOpen =
      decoder.replies.batchPending && decoder.pendingCount >= 2 && decoder.pending[1] == '[';
  deadlineMs = decoder.lastByteMs + (replyMayBeOpen ? replyTimeoutMs : escapeTimeoutMs);
  return true;
}

int InputRoom(const KeyDecoder& decoder, const InputQueue& queue) {
  const int room = inputQueueCapacity - queue.count - decoder.pendingCount;
  return room > 0 ? room : 0;
}

void ExpectReplies(KeyDecoder& decoder, bool positionReport) {
  decoder.replies = TerminalReplies{};
  decoder.replies.batchPending = true;
  decoder.replies.positionPending = positionReport;
}

}  // namespace platform::posix
