// The harness session: pumps the pty (poll over the master, a pidfd and the
// redirect pipes), feeds the program's output to libvterm, sends back the
// terminal's replies (DA1 and CPR from libvterm, CSI ? flags u for kitty) and
// the typed keys in order, and reads the screen through vterm_screen_get_cell.
#include "tests/e2e/harness.h"

#include <poll.h>
#include <sys/ioctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vterm.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <fstream>
#include <iomanip>
#include <sstream>
#include <stdexcept>

#include "tests/e2e/harness_launch.h"

namespace e2e {

namespace {

constexpr char32_t wideRightHalf = 0xFFFFFFFF;  // libvterm's mark on a wide glyph's second cell
constexpr int drainQuietMs = 200;
// Conditions can hang on more than output (terminal modes, a redirect file):
// they are looked at again at least this often while waiting.
constexpr int conditionSliceMs = 5;
constexpr int readsPerPump = 16;  // a program that never stops writing still lets waits end

std::string CellText(const VTermScreenCell& cell) {
  if (cell.chars[0] == wideRightHalf) return "";
  if (cell.chars[0] == 0) return " ";
  std::string text;
  for (int i = 0; i < VTERM_MAX_CHARS_PER_CELL && cell.chars[i]; ++i)
    AppendUtf8(text, cell.chars[i]);
  return text;
}

Colour ToColour(const VTermColor& colour, bool foreground) {
  const bool isDefault =
      foreground ? VTERM_COLOR_IS_DEFAULT_FG(&colour) : VTERM_COLOR_IS_DEFAULT_BG(&colour);
  if (isDefault) return Colour::Default();
  if (VTERM_COLOR_IS_INDEXED(&colour)) return Colour::Indexed(colour.indexed.idx);
  return {Colour::Kind::rgb, 0, colour.rgb.red, colour.rgb.green, colour.rgb.blue};
}

// A write to a pipe whose reader has gone must fail with EPIPE, not end the tests.
void IgnoreSigpipe() {
  static const bool done = (signal(SIGPIPE, SIG_IGN), true);
  (void)done;
}

// Writes what it can without blocking; false when the other side is gone.
bool WriteSome(int fd, std::string& pending) {
  while (!pending.empty()) {
    const ssize_t n = write(fd, pending.data(), pending.size());
    if (n > 0) {
      pending.erase(0, size_t(n));
    } else if (errno != EINTR) {
      return errno == EAGAIN;
    }
  }
  return true;
}

}  // namespace

// libvterm is the terminal: the screen model, and its replies to the queries
// it knows (primary device attributes, cursor position report) go to the program.
struct Session::Screen {
  Session& owner;
  VTerm* vt;
  VTermScreen* screen;
  VTermState* state;
  VTermScreenCallbacks callbacks{};

  Screen(Session& session, int rows, int cols)
      : owner(session),
        vt(vterm_new(rows, cols)),
        screen(vterm_obtain_screen(vt)),
        state(vterm_obtain_state(vt)) {
    vterm_set_utf8(vt, 1);
    vterm_output_set_callback(vt, &Screen::Reply, this);
    callbacks.bell = &Screen::Bell;
    callbacks.settermprop = &Screen::TermProp;
    vterm_screen_set_callbacks(screen, &callbacks, this);
    vterm_screen_enable_altscreen(screen, 1);
    vterm_screen_reset(screen, 1);
  }
  ~Screen() { vterm_free(vt); }

  VTermScreenCell CellAt(int col, int row) const {
    VTermScreenCell cell{};
    if (col >= 0 && row >= 0 && col < owner.cols_ && row < owner.rows_)
      vterm_screen_get_cell(screen, VTermPos{row, col}, &cell);
    return cell;
  }

  static void Reply(const char* bytes, size_t count, void* user) {
    Session& session = static_cast<Screen*>(user)->owner;
    session.QueueToProgram(std::string_view(bytes, count), session.replies_);
  }
  static int Bell(void* user) {
    ++static_cast<Screen*>(user)->owner.bells_;
    return 1;
  }
  static int TermProp(VTermProp prop, VTermValue* value, void* user) {
    if (prop == VTERM_PROP_CURSORVISIBLE)
      static_cast<Screen*>(user)->owner.cursorVisible_ = value->boolean;
    return 1;
  }
};

// ---- Life -----------------------------------------------------------------------

Session::Session(LaunchOptions options)
    : options_(std::move(options)), cols_(options_.cols), rows_(options_.rows) {
  IgnoreSigpipe();
  screen_ = std::make_unique<Screen>(*this, rows_, cols_);
  const StartedChild child = StartChild(options_);
  pid_ = child.pid;
  master_ = child.master;
  masterEof_ = master_ < 0;
  stdinPipe_ = child.stdinPipe;
  stdoutPipe_ = child.stdoutPipe;
  modesAtLaunch_ = child.modes;
  launchTime_ = child.startTime;
  pidFd_ = int(syscall(SYS_pidfd_open, pid_, 0));
}

Session::~Session() {
  if (!status_) {
    kill(-pid_, SIGKILL);  // the child leads its own session and process group
    kill(pid_, SIGKILL);
    Reap(true);
  }
  for (int fd : {pidFd_, master_, stdinPipe_, stdoutPipe_})
    if (fd >= 0) close(fd);
}

bool Session::Running() {
  Pump();
  return !status_;
}

// Once reaped, the process id may already belong to someone else.
void Session::Signal(int signal) {
  if (!status_) kill(pid_, signal);
}

void Session::Reap(bool block) {
  int status = 0;
  pid_t reaped;
  do reaped = waitpid(pid_, &status, block ? 0 : WNOHANG);
  while (reaped < 0 && errno == EINTR);
  if (reaped != pid_) return;
  status_ = WIFEXITED(status) ? ExitStatus::Code(WEXITSTATUS(status))
                              : ExitStatus::Signal(WTERMSIG(status));
}

// ---- Pumping --------------------------------------------------------------------

void Session::Pump() {
  PumpOnce(0);
}

// One poll over everything that can move; returns how many descriptors were ready.
int Session::PumpOnce(int timeoutMs) {
  pollfd fds[4];
  int count = 0;
  auto add = [&](int fd, short events) { return fds[count] = {fd, events, 0}, count++; };
  const int master =
      masterEof_ ? -1 : add(master_, short(POLLIN | (toMaster_.empty() ? 0 : POLLOUT)));
  const int child = !status_ && pidFd_ >= 0 ? add(pidFd_, POLLIN) : -1;
  const int out = stdoutPipe_ >= 0 ? add(stdoutPipe_, POLLIN) : -1;
  const int in = stdinPipe_ >= 0 && !toStdin_.empty() ? add(stdinPipe_, POLLOUT) : -1;
  if (!status_ && pidFd_ < 0) timeoutMs = std::min(timeoutMs, 10);  // no pidfd: look every 10 ms
  const int ready = poll(fds, nfds_t(count), timeoutMs);
  if (ready < 0) return 0;
  if (master >= 0 && fds[master].revents) ReadMaster();
  if (out >= 0 && fds[out].revents) ReadStdoutPipe();
  if (in >= 0 && fds[in].revents) FlushStdin();
  if (!status_ && (child < 0 || fds[child].revents)) Reap(false);
  FlushMaster();
  return ready;
}

// EIO on the master means every slave descriptor is closed and all output read.
void Session::ReadMaster() {
  char buffer[16384];
  for (int i = 0; i < readsPerPump; ++i) {
    const ssize_t n = read(master_, buffer, sizeof buffer);
    if (n > 0) {
      Absorb(buffer, size_t(n));
    } else if (n == 0 || errno == EIO) {
      masterEof_ = true;
      toMaster_.clear();
      return;
    } else if (errno != EINTR) {
      return;
    }
  }
}

void Session::ReadStdoutPipe() {
  char buffer[16384];
  for (int i = 0; i < readsPerPump; ++i) {
    const ssize_t n = read(stdoutPipe_, buffer, sizeof buffer);
    if (n > 0) {
      stdoutData_.append(buffer, size_t(n));
    } else if (n == 0) {
      close(stdoutPipe_);
      stdoutPipe_ = -1;
      return;
    } else if (errno != EINTR) {
      return;
    }
  }
}

// The program's output goes to libvterm in order; a kitty flags query is
// answered right where it stands, so its reply precedes libvterm's answer to a
// DA1 that follows it in the same batch, as a real terminal's would.
void Session::Absorb(const char* bytes, size_t count) {
  output_.append(bytes, count);
  size_t start = 0;
  for (size_t i = 0; i < count; ++i) {
    if (!tracker_.Feed(static_cast<unsigned char>(bytes[i])) || !options_.kitty) continue;
    vterm_input_write(screen_->vt, bytes + start, i + 1 - start);
    start = i + 1;
    QueueToProgram("\x1b[?" + std::to_string(tracker_.Kitty().Flags()) + "u", replies_);
  }
  vterm_input_write(screen_->vt, bytes + start, count - start);
}

void Session::QueueToProgram(std::string_view bytes, std::string& log) {
  log.append(bytes);
  if (!masterEof_) toMaster_.append(bytes);
}

void Session::FlushMaster() {
  if (masterEof_ || !WriteSome(master_, toMaster_)) toMaster_.clear();
}

void Session::FlushStdin() {
  if (stdinPipe_ < 0) return;
  const bool open = WriteSome(stdinPipe_, toStdin_);
  if (open && !(closeStdinWhenFlushed_ && toStdin_.empty())) return;
  toStdin_.clear();
  close(stdinPipe_);
  stdinPipe_ = -1;
}

bool Session::Settled() const {
  return status_ && masterEof_ && stdoutPipe_ < 0;
}

// ---- Waiting --------------------------------------------------------------------

Clock::time_point Session::Deadline(std::optional<Millis> timeout) const {
  return Clock::now() + timeout.value_or(options_.defaultTimeout);
}

bool Session::WaitFor(const std::function<bool()>& condition, std::optional<Millis> timeout) {
  const Clock::time_point deadline = Deadline(timeout);
  PumpOnce(0);
  while (!condition()) {
    const auto left = std::chrono::ceil<Millis>(deadline - Clock::now()).count();
    if (Settled() || left <= 0) return false;
    PumpOnce(int(std::min<int64_t>(left, conditionSliceMs)));
  }
  return true;
}

bool Session::WaitForText(std::string_view text, std::optional<Millis> timeout) {
  return WaitFor([&] { return ContainsText(text); }, timeout);
}

bool Session::WaitForRow(int row, std::string_view text, std::optional<Millis> timeout) {
  return WaitFor([&] { return RowText(row) == text; }, timeout);
}

bool Session::WaitForTextAt(int col, int row, std::string_view text,
                            std::optional<Millis> timeout) {
  const int cells = int(DecodeUtf8(text).size());
  return WaitFor([&] { return TextAt(col, row, cells) == text; }, timeout);
}

bool Session::WaitForCursor(int col, int row, std::optional<Millis> timeout) {
  return WaitFor([&] { return Cursor() == Position{col, row}; }, timeout);
}

bool Session::WaitForRawMode(std::optional<Millis> timeout) {
  return WaitFor([&] { return !(TerminalModes().c_lflag & ICANON); }, timeout);
}

std::optional<ExitStatus> Session::WaitForExit(std::optional<Millis> timeout) {
  const Clock::time_point deadline = Deadline(timeout);
  if (!WaitFor([&] { return status_.has_value(); }, timeout)) return std::nullopt;
  DrainAfterExit(deadline);
  return status_;
}

// What the program wrote just before it ended can still be on its way: read
// until the master reports EIO. A process that inherited the terminal and lives
// on (a daemon) keeps the slave open; then a quiet spell ends the wait.
void Session::DrainAfterExit(Clock::time_point deadline) {
  while (!Settled() && Clock::now() < deadline) {
    if (PumpOnce(drainQuietMs) == 0) return;
  }
}

// ---- Typing ---------------------------------------------------------------------

uint8_t Session::HeldMods() const {
  uint8_t mods = 0;
  for (int k = int(Key::leftShift); k <= int(Key::rightAlt); ++k)
    if (heldKeys_ & (1 << (k - int(Key::leftShift)))) mods |= ModifierBit(Key(k));
  return mods;
}

KeyboardModes Session::EffectiveModes() const {
  KeyboardModes modes = tracker_.Modes();
  if (!options_.kitty) modes.kittyFlags = 0;  // an xterm ignores the kitty sequences
  return modes;
}

void Session::Send(KeyEvent event) {
  event.mods |= HeldMods();
  QueueToProgram(EncodeKey(event, EffectiveModes()), keysSent_);
  FlushMaster();
}

void Session::Press(Key key, uint8_t mods) {
  if (ModifierBit(key)) heldKeys_ |= uint8_t(1 << (int(key) - int(Key::leftShift)));
  Send({key, 0, mods, KeyAction::press});
}

void Session::Release(Key key, uint8_t mods) {
  if (ModifierBit(key)) heldKeys_ &= uint8_t(~(1 << (int(key) - int(Key::leftShift))));
  Send({key, 0, mods, KeyAction::release});
}

void Session::Tap(Key key, uint8_t mods) {
  Press(key, mods);
  Release(key, mods);
}

void Session::Tap(char32_t character, uint8_t mods) {
  Send({Key::character, character, mods, KeyAction::press});
  Send({Key::character, character, mods, KeyAction::release});
}

// C0 controls as the keys that type them: Ctrl+letter, Ctrl+Space for NUL,
// Ctrl+\ ] ^ _ for 28..31.
void Session::TypeCodePoint(char32_t c) {
  constexpr std::string_view ctrlPunctuation = "\\]^_";
  switch (c) {
    case U'\r':
      return Tap(Key::enter);
    case U'\t':
      return Tap(Key::tab);
    case U'\x1b':
      return Tap(Key::escape);
    case U'\x7f':
      return Tap(Key::backspace);
    case 0:
      return Tap(U' ', modCtrl);
    default:
      break;
  }
  if (c <= 26) return Tap(U'a' + c - 1, modCtrl);
  if (c < 32) return Tap(char32_t(ctrlPunctuation[c - 28]), modCtrl);
  Tap(c);
}

void Session::Type(std::string_view utf8) {
  for (char32_t c : DecodeUtf8(utf8)) TypeCodePoint(c);
}

void Session::SendBytes(std::string_view bytes) {
  QueueToProgram(bytes, keysSent_);
  FlushMaster();
}

// ---- Redirected streams ---------------------------------------------------------

void Session::WriteStdin(std::string_view bytes) {
  toStdin_.append(bytes);
  FlushStdin();
}

void Session::CloseStdin() {
  closeStdinWhenFlushed_ = true;
  FlushStdin();
}

std::string Session::RedirectedOutput() const {
  if (options_.stdOut.kind == Stream::Kind::pipe) return stdoutData_;
  if (options_.stdOut.kind != Stream::Kind::file) return "";
  std::ifstream file(options_.stdOut.path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

// ---- Screen ---------------------------------------------------------------------

std::string Session::TextAt(int col, int row, int cells) const {
  std::string text;
  for (int c = col; c < col + cells && c < cols_; ++c) text += CellText(screen_->CellAt(c, row));
  return text;
}

std::string Session::RowText(int row, Trim trim) const {
  std::string text = TextAt(0, row, cols_);
  if (trim == Trim::trailing) text.erase(text.find_last_not_of(' ') + 1);
  return text;
}

std::vector<std::string> Session::Lines(Trim trim) const {
  std::vector<std::string> lines;
  for (int row = 0; row < rows_; ++row) lines.push_back(RowText(row, trim));
  return lines;
}

bool Session::ContainsText(std::string_view text) const {
  for (int row = 0; row < rows_; ++row)
    if (RowText(row, Trim::none).find(text) != std::string::npos) return true;
  return false;
}

Position Session::Cursor() const {
  VTermPos pos;
  vterm_state_get_cursorpos(screen_->state, &pos);
  return {pos.col, pos.row};
}

CellInfo Session::Cell(int col, int row) const {
  if (col < 0 || row < 0 || col >= cols_ || row >= rows_)
    throw std::out_of_range("cell outside the screen");
  const VTermScreenCell cell = screen_->CellAt(col, row);
  CellInfo info;
  info.glyph = cell.chars[0] == wideRightHalf ? 0 : cell.chars[0];
  info.width = cell.width;
  info.fg = ToColour(cell.fg, true);
  info.bg = ToColour(cell.bg, false);
  info.bold = cell.attrs.bold;
  info.reverse = cell.attrs.reverse;
  return info;
}

std::string Session::Dump() const {
  std::ostringstream out;
  out << "cursor " << Cursor() << ", " << output_.size() << " bytes written\n";
  for (int row = 0; row < rows_; ++row) out << std::setw(2) << row << " |" << RowText(row) << "\n";
  return out.str();
}

// ---- Terminal -------------------------------------------------------------------

// Output already written was laid out for the old size: take it in first.
void Session::Resize(int cols, int rows) {
  Pump();
  winsize size{};
  size.ws_col = static_cast<unsigned short>(cols);
  size.ws_row = static_cast<unsigned short>(rows);
  if (master_ >= 0) ioctl(master_, TIOCSWINSZ, &size);
  vterm_set_size(screen_->vt, rows, cols);
  cols_ = cols;
  rows_ = rows;
}

// On Linux the master's termios calls act on the slave, and the slave's modes
// stay readable after the program has closed it.
termios Session::TerminalModes() const {
  termios modes = modesAtLaunch_;
  if (master_ >= 0) tcgetattr(master_, &modes);
  return modes;
}

// ---- Text forms -----------------------------------------------------------------

std::string SttyText(const termios& modes) {
  std::ostringstream out;
  out << std::hex << modes.c_iflag << ':' << modes.c_oflag << ':' << modes.c_cflag << ':'
      << modes.c_lflag;
  for (cc_t c : modes.c_cc) out << ':' << unsigned(c);
  return out.str();
}

std::ostream& operator<<(std::ostream& out, const Colour& colour) {
  switch (colour.kind) {
    case Colour::Kind::defaultColour:
      return out << "default";
    case Colour::Kind::indexed:
      return out << "indexed " << int(colour.index);
    case Colour::Kind::rgb:
      return out << "rgb " << int(colour.red) << "," << int(colour.green) << ","
                 << int(colour.blue);
  }
  return out;
}

std::ostream& operator<<(std::ostream& out, const Position& position) {
  return out << "(col " << position.col << ", row " << position.row << ")";
}

std::ostream& operator<<(std::ostream& out, const ExitStatus& status) {
  if (status.exited) return out << "exit code " << status.code;
  return out << "signal " << status.signal;
}

}  // namespace e2e
