// End-to-end harness: runs a program on a pseudo-terminal (openpty + login_tty,
// forkpty's two halves) with libvterm as the terminal, answers its queries (DA1,
// CPR, optionally the kitty flags query CSI ? u), types keys the way xterm or a
// kitty-protocol terminal encodes them and waits for screen conditions.
#pragma once

#include <sys/types.h>
#include <termios.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace e2e {

using Clock = std::chrono::steady_clock;
using Millis = std::chrono::milliseconds;

// ---- Keys -------------------------------------------------------------------

// clang-format off
enum class Key : uint8_t {
  character,  // a text key: KeyEvent::character says which
  enter, escape, backspace, tab,
  up, down, right, left, home, end, insert, del, pageUp, pageDown,
  f1, f2, f3, f4, f5, f6, f7, f8, f9, f10, f11, f12,
  kp0, kp1, kp2, kp3, kp4, kp5, kp6, kp7, kp8, kp9,
  kpDecimal, kpDivide, kpMultiply, kpSubtract, kpAdd, kpEnter, kpEqual,
  leftShift, leftCtrl, leftAlt, rightShift, rightCtrl, rightAlt,
  count
};
// clang-format on

// Modifier bits, the values xterm and the kitty protocol both send as 1 + bits.
enum : uint8_t { modShift = 1, modAlt = 2, modCtrl = 4 };

enum class KeyAction : uint8_t { press = 1, repeat = 2, release = 3 };  // kitty event types

struct KeyEvent {
  Key key = Key::character;
  char32_t character = 0;  // for Key::character: the unshifted or shifted character typed
  uint8_t mods = 0;        // modShift | modAlt | modCtrl
  KeyAction action = KeyAction::press;
};

// Keyboard modes the program has set on its terminal, as far as keys care.
struct KeyboardModes {
  bool cursorKeysApp = false;  // DECCKM, CSI ? 1 h: unmodified arrows/Home/End as SS3
  bool keypadApp = false;      // DECKPAM (ESC =) or DECNKM (CSI ? 66 h)
  int kittyFlags = 0;          // kitty progressive enhancement flags in force, 0 = legacy
};

// The bytes a terminal sends for one key event; empty when it sends nothing
// (a release outside kitty's event mode, a lone modifier key in legacy mode).
// For a modifier key, `mods` is the state after the event: a press includes the
// key's own bit, a release no longer does.
std::string EncodeKey(const KeyEvent& event, const KeyboardModes& modes);

// modShift, modAlt or modCtrl for a modifier key, 0 for any other key.
uint8_t ModifierBit(Key key);

void AppendUtf8(std::string& out, char32_t codePoint);
std::u32string DecodeUtf8(std::string_view text);  // malformed bytes become U+FFFD

// ---- Terminal-side tracking of what the program asks for ----------------------

// The kitty keyboard stack as a kitty-protocol terminal keeps it.
struct KittyState {
  std::vector<int> stack;  // pushed flag sets, the last one in force; at most 16 deep
  int baseFlags = 0;       // flags in force when the stack is empty (CSI = with nothing pushed)
  int queries = 0;         // CSI ? u seen
  int pushes = 0;          // CSI > flags u seen
  int pops = 0;            // entries popped by CSI < n u
  int Flags() const { return stack.empty() ? baseFlags : stack.back(); }
};

// Follows the program's output byte by byte for the sequences libvterm does not
// track or does not pass on: DECCKM, DECKPAM/DECKPNM, DECNKM, DECSTR/RIS and the
// kitty CSI ? u / > u / < u / = u. Feed returns true when a byte completes a
// kitty flags query (CSI ? u), which a kitty-protocol terminal answers at once.
class ModeTracker {
 public:
  bool Feed(unsigned char byte);
  const KeyboardModes& Modes() const { return modes_; }  // kittyFlags always as tracked
  const KittyState& Kitty() const { return kitty_; }

 private:
  enum class State : uint8_t { ground, escape, csi, string, stringEscape };
  bool Escape(unsigned char byte);
  bool Dispatch(unsigned char final);
  void SetPrivateModes(const std::vector<int>& params, bool on);
  bool Kitty(char leader, const std::vector<int>& params);
  State state_ = State::ground;
  bool escapeIntermediate_ = false;  // ESC ( B and the like: the final is not ours
  std::string params_;               // parameter and intermediate bytes of the current CSI
  KeyboardModes modes_;              // kittyFlags mirrors kitty_.Flags()
  KittyState kitty_;
};

// ---- Launch description --------------------------------------------------------

// Where one of the child's standard streams goes.
struct Stream {
  enum class Kind : uint8_t { terminal, file, pipe, null, fd, closed };
  Kind kind = Kind::terminal;
  std::string path;  // file: read from (stdin) or created and truncated (stdout, stderr)
  int fd = -1;       // fd: the caller's descriptor, duplicated into the child

  static Stream Terminal() { return {}; }
  static Stream File(std::string path) { return {Kind::file, std::move(path), -1}; }
  static Stream Pipe() { return {Kind::pipe, {}, -1}; }  // harness holds the other end
  static Stream Null() { return {Kind::null, {}, -1}; }
  static Stream Fd(int fd) { return {Kind::fd, {}, fd}; }
  static Stream Closed() { return {Kind::closed, {}, -1}; }  // the child has none
};

// A command line with its environment changes: what differs between running the
// native binary and the Windows build under Wine.
struct Command {
  std::vector<std::string> argv;                            // argv[0] searched on PATH
  std::vector<std::pair<std::string, std::string>> setEnv;  // added or replaced
  std::vector<std::string> unsetEnv;                        // removed
};

Command NativeCommand(std::string program, std::vector<std::string> args = {});

// wine64 (from PATH, else Debian's /usr/lib/wine/wine64) running `exe` with
// WINEDEBUG=-all and the given prefix, and without DISPLAY/WAYLAND_DISPLAY so that
// Wine keeps its console on the terminal instead of opening a window.
Command WineCommand(const std::string& exe, const std::string& prefix,
                    std::vector<std::string> args = {});

// 32-bit Wine's loader under qemu-i386 running the 32-bit `exe` (this kernel
// runs no 32-bit code), with `trapShim` preloaded into it: the shared object
// built from tests/wine32/trap_number_shim.cpp. The prefix must have been set
// up with scripts/wine-prefix --wow64; Wine's own processes stay 64-bit.
Command Wine32Command(const std::string& exe, const std::string& prefix,
                      const std::string& trapShim, std::vector<std::string> args = {});

// The wine64 loader's path, or "" when Wine is not installed.
std::string FindWine64();

// Sets `prefix` up with scripts/wine-prefix (`wow64`: for the 32-bit program
// too) when it is not ready yet (takes seconds), then starts Wine's server and
// services outside any terminal so that sessions start warm. True when the
// prefix is ready.
bool PrepareWinePrefix(const std::string& prefix, bool wow64 = false);

struct LaunchOptions {
  Command command;
  int cols = 80;
  int rows = 25;
  std::string term = "xterm-256color";  // TERM, unless the command sets or unsets it
  Stream stdIn = Stream::Terminal();
  Stream stdOut = Stream::Terminal();
  Stream stdErr = Stream::Terminal();
  // false: the child runs in a new session with no controlling terminal at all
  // (setsid, no pty); streams left at Stream::Terminal get /dev/null.
  bool controllingTerminal = true;
  bool kitty = false;            // answer CSI ? u and encode keys per the pushed flags
  std::string workingDirectory;  // "" = the harness's own
  Millis defaultTimeout{5000};   // for the WaitFor* calls without a timeout
};

// ---- Screen content ----------------------------------------------------------

struct Colour {
  enum class Kind : uint8_t { defaultColour, indexed, rgb };
  Kind kind = Kind::defaultColour;
  uint8_t index = 0;  // indexed: 0..255 (SGR 30-37 give 0-7, 90-97 give 8-15)
  uint8_t red = 0, green = 0, blue = 0;
  bool operator==(const Colour&) const = default;
  static Colour Default() { return {}; }
  static Colour Indexed(uint8_t i) { return {Kind::indexed, i, 0, 0, 0}; }
};
std::ostream& operator<<(std::ostream& out, const Colour& colour);

struct CellInfo {
  char32_t glyph = 0;  // 0 for a cell nothing was written to
  int width = 1;       // 2 for the left half of a wide character
  Colour fg, bg;
  bool bold = false;
  bool reverse = false;
};

struct Position {
  int col = 0;  // from 0
  int row = 0;  // from 0
  bool operator==(const Position&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Position& position);

enum class Trim : uint8_t { none, trailing };

struct ExitStatus {
  bool exited = false;  // true: normal exit with `code`; false: killed by `signal`
  int code = 0;
  int signal = 0;
  bool operator==(const ExitStatus&) const = default;
  static ExitStatus Code(int code) { return {true, code, 0}; }
  static ExitStatus Signal(int signal) { return {false, 0, signal}; }
};
std::ostream& operator<<(std::ostream& out, const ExitStatus& status);

// The `stty -g` form of terminal modes: iflag:oflag:cflag:lflag:cc[0]:...:cc[NCCS-1], hex.
std::string SttyText(const termios& modes);

// ---- The session ----------------------------------------------------------------

// One program on one terminal. Coordinates are cells from 0, column first.
// Launch failures (fork, exec, opening a redirect) throw std::runtime_error.
// The destructor kills the program's process group if it is still running.
class Session {
 public:
  explicit Session(LaunchOptions options);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // -- Typing. Keys go through the pty as the terminal encodes them for the modes
  // the program has set; held modifier keys (Press) apply to every later key.
  // Text as key taps: \r Enter, \t Tab, \x1b Esc, \x7f Backspace, other C0 bytes
  // Ctrl+key. Capitals and shifted symbols carry Shift in their modifiers; no
  // separate Shift key is typed.
  void Type(std::string_view utf8);
  void Tap(Key key, uint8_t mods = 0);  // press and release
  void Tap(char32_t character, uint8_t mods = 0);
  void Press(Key key, uint8_t mods = 0);
  void Release(Key key, uint8_t mods = 0);
  void Send(KeyEvent event);               // one event, held modifiers added
  void SendBytes(std::string_view bytes);  // as they are, e.g. a paste

  // -- Redirected standard streams (Stream::Pipe).
  void WriteStdin(std::string_view bytes);
  void CloseStdin();                     // after what was written has gone
  std::string RedirectedOutput() const;  // stdout's pipe contents or file contents so far

  // -- Waiting: pumps the pty (poll, no sleeping) until the condition holds, the
  // timeout passes, or nothing can change any more (program gone, output drained).
  bool WaitFor(const std::function<bool()>& condition, std::optional<Millis> timeout = {});
  bool WaitForText(std::string_view text, std::optional<Millis> timeout = {});
  bool WaitForRow(int row, std::string_view text, std::optional<Millis> timeout = {});
  bool WaitForTextAt(int col, int row, std::string_view text, std::optional<Millis> timeout = {});
  bool WaitForCursor(int col, int row, std::optional<Millis> timeout = {});
  // Until the program has taken the terminal out of canonical mode: keys typed
  // from then on reach it one by one instead of through the line discipline.
  bool WaitForRawMode(std::optional<Millis> timeout = {});
  std::optional<ExitStatus> WaitForExit(std::optional<Millis> timeout = {});
  void Pump();  // whatever is ready now, without waiting

  // -- Screen.
  int Cols() const { return cols_; }
  int Rows() const { return rows_; }
  std::string RowText(int row, Trim trim = Trim::trailing) const;  // UTF-8
  std::string TextAt(int col, int row, int cells) const;
  std::vector<std::string> Lines(Trim trim = Trim::trailing) const;
  bool ContainsText(std::string_view text) const;  // within one row
  Position Cursor() const;
  bool CursorVisible() const { return cursorVisible_; }
  CellInfo Cell(int col, int row) const;  // throws std::out_of_range off the screen
  std::string Dump() const;               // numbered rows and the cursor, for failure messages

  // -- Bytes. Output() is everything the program wrote to the terminal so far.
  const std::string& Output() const { return output_; }
  size_t OutputSize() const { return output_.size(); }
  const std::string& Replies() const { return replies_; }  // terminal answers sent
  const std::string& KeysSent() const { return keysSent_; }
  int Bells() const { return bells_; }
  Clock::duration SinceLaunch() const { return Clock::now() - launchTime_; }

  // -- Terminal.
  void Resize(int cols, int rows);  // TIOCSWINSZ: the kernel sends SIGWINCH
  void Signal(int signal);
  termios TerminalModes() const;  // the pty's current modes (read through the master)
  const termios& ModesAtLaunch() const { return modesAtLaunch_; }
  const KeyboardModes& Keyboard() const { return tracker_.Modes(); }
  const KittyState& Kitty() const { return tracker_.Kitty(); }

  // -- Program.
  pid_t Pid() const { return pid_; }
  bool Running();
  std::optional<ExitStatus> Status() const { return status_; }

 private:
  struct Screen;  // the VTerm and its callbacks
  int PumpOnce(int timeoutMs);
  void ReadMaster();
  void ReadStdoutPipe();
  void FlushMaster();
  void FlushStdin();
  void Absorb(const char* bytes, size_t count);
  void Reap(bool block);
  void DrainAfterExit(Clock::time_point deadline);
  bool Settled() const;
  void QueueToProgram(std::string_view bytes, std::string& log);
  void TypeCodePoint(char32_t c);
  uint8_t HeldMods() const;
  KeyboardModes EffectiveModes() const;
  Clock::time_point Deadline(std::optional<Millis> timeout) const;

  LaunchOptions options_;
  int cols_ = 0;
  int rows_ = 0;
  pid_t pid_ = -1;
  int pidFd_ = -1;         // pidfd of the child, readable once it ends; -1 on old kernels
  int master_ = -1;        // -1 without a terminal
  bool masterEof_ = true;  // the slave side is gone and everything has been read
  int stdinPipe_ = -1;     // write end, Stream::Pipe on stdin
  bool closeStdinWhenFlushed_ = false;
  int stdoutPipe_ = -1;  // read end, Stream::Pipe on stdout
  std::optional<ExitStatus> status_;
  termios modesAtLaunch_{};
  Clock::time_point launchTime_;
  std::unique_ptr<Screen> screen_;
  ModeTracker tracker_;
  uint8_t heldKeys_ = 0;  // bit per modifier key, from Key::leftShift on
  std::string output_;
  std::string replies_;
  std::string keysSent_;
  std::string toMaster_;  // queued for the program: replies and keys, in order
  std::string toStdin_;
  std::string stdoutData_;
  bool cursorVisible_ = true;
  int bells_ = 0;
};

}  // namespace e2e
