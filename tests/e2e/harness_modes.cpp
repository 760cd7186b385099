// Follows the program's output for the keyboard modes a terminal keeps: DECCKM
// (CSI ? 1 h/l), DECKPAM/DECKPNM (ESC = / ESC >), DECNKM (CSI ? 66 h/l), the
// resets DECSTR (CSI ! p) and RIS (ESC c), and the kitty stack (CSI ? u, > u, < u, = u).
#include <algorithm>
#include <string>
#include <vector>

#include "tests/e2e/harness.h"

namespace e2e {
namespace {

constexpr size_t maxKittyDepth = 16;
constexpr size_t maxParamBytes = 64;  // longer CSI sequences are not ours
constexpr int missing = -1;

// CSI parameters after the leader: "1;66" -> {1, 66}; sub-parameters after ':'
// are dropped, an empty parameter is `missing`.
std::vector<int> ParseParams(std::string_view text) {
  std::vector<int> params{missing};
  bool inSub = false;
  for (char c : text) {
    if (c == ';') params.push_back(missing), inSub = false;
    if (c == ':') inSub = true;
    if (c < '0' || c > '9' || inSub) continue;
    int& p = params.back();
    p = (p == missing ? 0 : p * 10) + (c - '0');
  }
  return params;
}

int Param(const std::vector<int>& params, size_t i, int fallback) {
  return i < params.size() && params[i] != missing ? params[i] : fallback;
}

}  // namespace

bool ModeTracker::Feed(unsigned char byte) {
  switch (state_) {
    case State::ground:
      if (byte == 0x1B) state_ = State::escape, escapeIntermediate_ = false;
      return false;
    case State::escape:
      return Escape(byte);
    case State::csi:
      if (byte >= 0x20 && byte <= 0x3F) {
        if (params_.size() < maxParamBytes) params_ += char(byte);
        return false;
      }
      if (byte >= 0x40 && byte <= 0x7E) return state_ = State::ground, Dispatch(byte);
      if (byte == 0x1B) state_ = State::escape, escapeIntermediate_ = false;
      if (byte == 0x18 || byte == 0x1A) state_ = State::ground;  // CAN, SUB abort
      return false;
    case State::string:  // OSC, DCS, APC, PM, SOS: ends with BEL or ST
      if (byte == 0x07) state_ = State::ground;
      if (byte == 0x1B) state_ = State::stringEscape;
      return false;
    case State::stringEscape:
      if (byte == '\\') return state_ = State::ground, false;
      state_ = State::escape, escapeIntermediate_ = false;
      return Escape(byte);
  }
  return false;
}

bool ModeTracker::Escape(unsigned char byte) {
  if (byte >= 0x20 && byte <= 0x2F) return escapeIntermediate_ = true, false;
  if (byte == 0x1B) return false;
  state_ = State::ground;
  if (escapeIntermediate_) return false;
  switch (byte) {
    case '[':
      state_ = State::csi, params_.clear();
      break;
    case ']':
    case 'P':
    case '_':
    case '^':
    case 'X':
      state_ = State::string;
      break;
    case '=':
      modes_.keypadApp = true;
      break;
    case '>':
      modes_.keypadApp = false;
      break;
    case 'c':
      modes_ = {}, kitty_.stack.clear(), kitty_.baseFlags = 0;
      break;
    default:
      break;
  }
  return false;
}

bool ModeTracker::Dispatch(unsigned char final) {
  const char leader = !params_.empty() && params_[0] >= '<' && params_[0] <= '?' ? params_[0] : 0;
  const std::vector<int> params = ParseParams(std::string_view(params_).substr(leader ? 1 : 0));
  if (final == 'p' && params_ == "!") {  // DECSTR
    modes_.cursorKeysApp = false;
    modes_.keypadApp = false;
  }
  if ((final == 'h' || final == 'l') && leader == '?') SetPrivateModes(params, final == 'h');
  return final == 'u' && leader != 0 && Kitty(leader, params);
}

void ModeTracker::SetPrivateModes(const std::vector<int>& params, bool on) {
  for (int mode : params) {
    if (mode == 1) modes_.cursorKeysApp = on;
    if (mode == 66) modes_.keypadApp = on;
  }
}

// Push evicts the oldest entry when the stack is full; a pop that empties the
// stack leaves no flags at all; CSI = changes the flags in force (mode 1 sets
// them, 2 adds bits, 3 removes bits).
bool ModeTracker::Kitty(char leader, const std::vector<int>& params) {
  std::vector<int>& stack = kitty_.stack;
  if (leader == '?') ++kitty_.queries;
  if (leader == '>') {
    if (stack.size() == maxKittyDepth) stack.erase(stack.begin());
    stack.push_back(Param(params, 0, 0));
    ++kitty_.pushes;
  }
  for (int n = std::max(1, Param(params, 0, 1)); leader == '<' && n > 0 && !stack.empty(); --n) {
    stack.pop_back();
    ++kitty_.pops;
    if (stack.empty()) kitty_.baseFlags = 0;
  }
  if (leader == '=') {
    int& flags = stack.empty() ? kitty_.baseFlags : stack.back();
    const int value = Param(params, 0, 0);
    const int mode = Param(params, 1, 1);
    flags = mode == 1 ? value : mode == 2 ? flags | value : mode == 3 ? flags & ~value : flags;
  }
  modes_.kittyFlags = kitty_.Flags();
  return leader == '?';
}

}  // namespace e2e
