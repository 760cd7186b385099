// Key events to the bytes a terminal sends: xterm's legacy encodings (C0 bytes,
// ESC prefix for Alt, CSI 1;m X and CSI n;m ~ with modifier parameters, SS3 in
// cursor-key and application-keypad mode) and the kitty protocol's CSI u forms.
#include <array>
#include <iterator>
#include <string>

#include "tests/e2e/harness.h"

namespace e2e {
namespace {

constexpr int flagDisambiguate = 1;
constexpr int flagEventTypes = 2;
constexpr int flagAlternates = 4;
constexpr int flagAllKeys = 8;
constexpr int flagText = 16;

constexpr int Index(Key key) {
  return int(key);
}

// Cursor, editing and function keys: the legacy final byte (or '~' with a
// number), whether they use SS3 unmodified, and kitty's form where it differs
// (F3 is CSI 13 ~ there: CSI R would read as a cursor position report).
struct FunctionalCode {
  char final;
  uint8_t number;
  enum : uint8_t { csi, ss3, ss3InCursorMode } plain;
  char kittyFinal;
  uint8_t kittyNumber;
};

constexpr FunctionalCode functionalCodes[] = {
    {'A', 1, FunctionalCode::ss3InCursorMode, 'A', 1},  // up
    {'B', 1, FunctionalCode::ss3InCursorMode, 'B', 1},  // down
    {'C', 1, FunctionalCode::ss3InCursorMode, 'C', 1},  // right
    {'D', 1, FunctionalCode::ss3InCursorMode, 'D', 1},  // left
    {'H', 1, FunctionalCode::ss3InCursorMode, 'H', 1},  // home
    {'F', 1, FunctionalCode::ss3InCursorMode, 'F', 1},  // end
    {'~', 2, FunctionalCode::csi, '~', 2},              // insert
    {'~', 3, FunctionalCode::csi, '~', 3},              // delete
    {'~', 5, FunctionalCode::csi, '~', 5},              // page up
    {'~', 6, FunctionalCode::csi, '~', 6},              // page down
    {'P', 1, FunctionalCode::ss3, 'P', 1},              // F1
    {'Q', 1, FunctionalCode::ss3, 'Q', 1},              // F2
    {'R', 1, FunctionalCode::ss3, '~', 13},             // F3
    {'S', 1, FunctionalCode::ss3, 'S', 1},              // F4
    {'~', 15, FunctionalCode::csi, '~', 15},            // F5
    {'~', 17, FunctionalCode::csi, '~', 17},
    {'~', 18, FunctionalCode::csi, '~', 18},
    {'~', 19, FunctionalCode::csi, '~', 19},
    {'~', 20, FunctionalCode::csi, '~', 20},
    {'~', 21, FunctionalCode::csi, '~', 21},
    {'~', 23, FunctionalCode::csi, '~', 23},
    {'~', 24, FunctionalCode::csi, '~', 24},  // F12
};
static_assert(std::size(functionalCodes) == Index(Key::f12) - Index(Key::up) + 1);

// Numeric keypad: the character in numeric mode, SS3's final byte in
// application mode, kitty's private-use key number.
struct KeypadCode {
  char numeric;
  char application;
  int kitty;
};

constexpr KeypadCode keypadCodes[] = {
    {'0', 'p', 57399},  {'1', 'q', 57400}, {'2', 'r', 57401}, {'3', 's', 57402}, {'4', 't', 57403},
    {'5', 'u', 57404},  {'6', 'v', 57405}, {'7', 'w', 57406}, {'8', 'x', 57407}, {'9', 'y', 57408},
    {'.', 'n', 57409},  {'/', 'o', 57410}, {'*', 'j', 57411}, {'-', 'm', 57412}, {'+', 'k', 57413},
    {'\r', 'M', 57414}, {'=', 'X', 57415},
};
static_assert(std::size(keypadCodes) == Index(Key::kpEqual) - Index(Key::kp0) + 1);

struct ModifierCode {
  int kitty;
  uint8_t bit;
};

constexpr ModifierCode modifierCodes[] = {
    {57441, modShift}, {57442, modCtrl}, {57443, modAlt},
    {57447, modShift}, {57448, modCtrl}, {57449, modAlt},
};
static_assert(std::size(modifierCodes) == Index(Key::rightAlt) - Index(Key::leftShift) + 1);

// Enter, Escape, Backspace, Tab: the legacy byte and kitty's key number.
struct ControlCode {
  char legacy;
  int kitty;
};

constexpr ControlCode controlCodes[] = {{'\r', 13}, {'\x1b', 27}, {'\x7f', 127}, {'\t', 9}};
static_assert(std::size(controlCodes) == Index(Key::tab) - Index(Key::enter) + 1);

// US layout: the unshifted keys and what Shift makes of them.
constexpr std::string_view unshiftedKeys = "`1234567890-=[]\\;',./";
constexpr std::string_view shiftedKeys = "~!@#$%^&*()_+{}|:\"<>?";
static_assert(unshiftedKeys.size() == shiftedKeys.size());

// Ctrl with a printable ASCII character: the C0 byte xterm sends, -1 where
// Ctrl leaves the key alone (then the unshifted key is looked up).
constexpr std::array<int8_t, 128> MakeCtrlBytes() {
  std::array<int8_t, 128> bytes{};
  for (auto& b : bytes) b = -1;
  for (int c = 'a'; c <= 'z'; ++c) bytes[c] = int8_t(c - 'a' + 1);
  constexpr std::string_view keys = " /2345678[\\]`?@^_~";
  constexpr int8_t values[] = {0,  31, 0,  27, 28,  29, 30, 31, 127,
                               27, 28, 29, 0,  127, 0,  30, 31, 30};
  static_assert(std::size(values) == keys.size());
  for (size_t i = 0; i < keys.size(); ++i) bytes[size_t(keys[i])] = values[i];
  return bytes;
}
constexpr std::array<int8_t, 128> ctrlBytes = MakeCtrlBytes();

char32_t Unshifted(char32_t c, bool& shifted) {
  shifted = false;
  if (c >= 'A' && c <= 'Z') return shifted = true, c - 'A' + 'a';
  const size_t at = c < 128 ? shiftedKeys.find(char(c)) : std::string_view::npos;
  if (at == std::string_view::npos) return c;
  shifted = true;
  return char32_t(unshiftedKeys[at]);
}

char32_t Shifted(char32_t c) {
  if (c >= 'a' && c <= 'z') return c - 'a' + 'A';
  const size_t at = c < 128 ? unshiftedKeys.find(char(c)) : std::string_view::npos;
  return at == std::string_view::npos ? c : char32_t(shiftedKeys[at]);
}

// A text key resolved on the US layout.
struct TextKey {
  char32_t base;      // the unshifted key: kitty's key number
  char32_t produced;  // what the key types with the modifiers held
  uint8_t mods;
};

TextKey ResolveText(const KeyEvent& event) {
  bool impliedShift = false;
  const char32_t base = Unshifted(event.character, impliedShift);
  const uint8_t mods = event.mods | (impliedShift ? modShift : 0);
  return {base, (mods & modShift) ? Shifted(base) : base, mods};
}

int CtrlByte(const TextKey& text) {
  const int produced = text.produced < 128 ? ctrlBytes[text.produced] : -1;
  return produced >= 0 || text.base >= 128 ? produced : ctrlBytes[text.base];
}

std::string Csi(std::string_view body) {
  return "\x1b[" + std::string(body);
}

// CSI key ; mods:event ; text final, leaving out what kitty leaves out. An
// empty `key` stands for the letter forms' "1", dropped when nothing follows.
std::string KittyForm(const std::string& key, uint8_t mods, KeyAction action,
                      const std::string& text, char final) {
  std::string modField;
  if (mods != 0 || action != KeyAction::press) modField = std::to_string(1 + mods);
  if (action != KeyAction::press) modField += ":" + std::to_string(int(action));
  const std::string shownKey = key.empty() && !(modField.empty() && text.empty()) ? "1" : key;
  if (!text.empty()) return Csi(shownKey + ";" + modField + ";" + text + final);
  if (!modField.empty()) return Csi(shownKey + ";" + modField + final);
  return Csi(shownKey + final);
}

// Releases exist only with the event-type flag; repeats read as presses without it.
bool ReportedAction(KeyAction& action, int flags) {
  if (flags & flagEventTypes) return true;
  if (action == KeyAction::release) return false;
  action = KeyAction::press;
  return true;
}

std::string ModifierParam(uint8_t mods) {
  return std::to_string(1 + mods);
}

std::string LegacyText(const TextKey& text) {
  std::string out = (text.mods & modAlt) ? "\x1b" : "";
  const int ctrl = (text.mods & modCtrl) ? CtrlByte(text) : -1;
  if (ctrl >= 0) return out + char(ctrl);
  AppendUtf8(out, text.produced);
  return out;
}

std::string KittyText(const TextKey& text, KeyAction action, int flags) {
  std::string key = std::to_string(uint32_t(text.base));
  if ((flags & flagAlternates) && (text.mods & modShift) && text.produced != text.base)
    key += ":" + std::to_string(uint32_t(text.produced));
  const bool typesText = !(text.mods & (modCtrl | modAlt)) && action != KeyAction::release;
  const std::string shown =
      (flags & flagText) && typesText ? std::to_string(uint32_t(text.produced)) : "";
  return KittyForm(key, text.mods, action, shown, 'u');
}

std::string EncodeText(const KeyEvent& event, int flags) {
  const TextKey text = ResolveText(event);
  KeyAction action = event.action;
  const bool escapeForm =
      (flags & flagAllKeys) || ((flags & flagDisambiguate) && (text.mods & (modCtrl | modAlt)));
  if (escapeForm) return ReportedAction(action, flags) ? KittyText(text, action, flags) : "";
  return event.action == KeyAction::release ? "" : LegacyText(text);
}

std::string LegacyControl(Key key, uint8_t mods) {
  std::string out = (mods & modAlt) ? "\x1b" : "";
  if (key == Key::tab && (mods & modShift)) return out + Csi("Z");
  if (key == Key::backspace && (mods & modCtrl)) return out + '\b';
  return out + controlCodes[Index(key) - Index(Key::enter)].legacy;
}

// Enter, Tab and Backspace stay legacy bytes unless every key is reported or a
// modifier needs telling; Escape turns into CSI 27 u with disambiguation.
std::string EncodeControl(const KeyEvent& event, int flags) {
  const bool escapeForm = (flags & flagAllKeys) ||
                          ((flags & flagDisambiguate) && (event.key == Key::escape || event.mods));
  KeyAction action = event.action;
  if (!escapeForm) return action == KeyAction::release ? "" : LegacyControl(event.key, event.mods);
  if (!ReportedAction(action, flags)) return "";
  const int code = controlCodes[Index(event.key) - Index(Key::enter)].kitty;
  return KittyForm(std::to_string(code), event.mods, action, "", 'u');
}

std::string LegacyFunctional(const FunctionalCode& code, uint8_t mods, bool cursorKeysApp) {
  if (code.final == '~') {
    const std::string number = std::to_string(code.number);
    return Csi(mods ? number + ";" + ModifierParam(mods) + "~" : number + "~");
  }
  if (mods) return Csi("1;" + ModifierParam(mods) + code.final);
  const bool ss3 = code.plain == FunctionalCode::ss3 ||
                   (code.plain == FunctionalCode::ss3InCursorMode && cursorKeysApp);
  return ss3 ? std::string("\x1bO") + code.final : Csi(std::string(1, code.final));
}

std::string EncodeFunctional(const KeyEvent& event, const KeyboardModes& modes) {
  const FunctionalCode& code = functionalCodes[Index(event.key) - Index(Key::up)];
  KeyAction action = event.action;
  if (modes.kittyFlags == 0) {
    return action == KeyAction::release ? ""
                                        : LegacyFunctional(code, event.mods, modes.cursorKeysApp);
  }
  if (!ReportedAction(action, modes.kittyFlags)) return "";
  const std::string key = code.kittyFinal == '~' ? std::to_string(code.kittyNumber) : "";
  return KittyForm(key, event.mods, action, "", code.kittyFinal);
}

// Alt adds its ESC; Shift and Ctrl leave no trace on the legacy keypad.
std::string LegacyKeypad(const KeypadCode& code, uint8_t mods, bool keypadApp) {
  std::string out = (mods & modAlt) ? "\x1b" : "";
  if (keypadApp) return out + "\x1bO" + code.application;
  return out + code.numeric;
}

std::string EncodeKeypad(const KeyEvent& event, const KeyboardModes& modes) {
  const KeypadCode& code = keypadCodes[Index(event.key) - Index(Key::kp0)];
  const int flags = modes.kittyFlags;
  KeyAction action = event.action;
  if (!(flags & (flagDisambiguate | flagAllKeys))) {
    return action == KeyAction::release ? "" : LegacyKeypad(code, event.mods, modes.keypadApp);
  }
  if (!ReportedAction(action, flags)) return "";
  const bool typesText =
      code.numeric != '\r' && !(event.mods & (modCtrl | modAlt)) && action != KeyAction::release;
  const bool withText = (flags & flagText) && (flags & flagAllKeys) && typesText;
  const std::string text = withText ? std::to_string(int(code.numeric)) : "";
  return KittyForm(std::to_string(code.kitty), event.mods, action, text, 'u');
}

// Modifier keys exist as keys of their own only when every key is reported.
std::string EncodeModifier(const KeyEvent& event, int flags) {
  KeyAction action = event.action;
  if (!(flags & flagAllKeys) || !ReportedAction(action, flags)) return "";
  const int code = modifierCodes[Index(event.key) - Index(Key::leftShift)].kitty;
  return KittyForm(std::to_string(code), event.mods, action, "", 'u');
}

bool Within(Key key, Key first, Key last) {
  return Index(key) >= Index(first) && Index(key) <= Index(last);
}

}  // namespace

std::string EncodeKey(const KeyEvent& event, const KeyboardModes& modes) {
  const int flags = modes.kittyFlags;
  if (event.key == Key::character) return EncodeText(event, flags);
  if (Within(event.key, Key::enter, Key::tab)) return EncodeControl(event, flags);
  if (Within(event.key, Key::up, Key::f12)) return EncodeFunctional(event, modes);
  if (Within(event.key, Key::kp0, Key::kpEqual)) return EncodeKeypad(event, modes);
  if (Within(event.key, Key::leftShift, Key::rightAlt)) return EncodeModifier(event, flags);
  return "";
}

uint8_t ModifierBit(Key key) {
  return Within(key, Key::leftShift, Key::rightAlt)
             ? modifierCodes[Index(key) - Index(Key::leftShift)].bit
             : 0;
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += char(c);
  } else if (c < 0x800) {
    out += char(0xC0 | c >> 6);
    out += char(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += char(0xE0 | c >> 12);
    out += char(0x80 | (c >> 6 & 0x3F));
    out += char(0x80 | (c & 0x3F));
  } else {
    out += char(0xF0 | c >> 18);
    out += char(0x80 | (c >> 12 & 0x3F));
    out += char(0x80 | (c >> 6 & 0x3F));
    out += char(0x80 | (c & 0x3F));
  }
}

std::u32string DecodeUtf8(std::string_view text) {
  std::u32string out;
  for (size_t i = 0; i < text.size();) {
    const unsigned char lead = text[i];
    const int length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
    char32_t c = length == 1 ? lead : length == 0 ? 0 : lead & (0x7F >> length);
    bool good = length != 0 && i + length <= text.size();
    for (int k = 1; good && k < length; ++k) {
      const unsigned char next = text[i + k];
      good = (next & 0xC0) == 0x80;
      c = c << 6 | (next & 0x3F);
    }
    out += good ? c : U'\uFFFD';
    i += good ? length : 1;
  }
  return out;
}

}  // namespace e2e
