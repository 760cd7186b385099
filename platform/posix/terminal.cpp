// The terminal session: measured and its memory had before anything on the
// terminal changes; raw mode set with TCSANOW (type-ahead survives), one batch
// of start-up queries (CSI 6n cursor position, CSI ? u kitty keyboard flags,
// CSI c device attributes as the terminator), the kitty flags pushed
// (CSI > 31 u, popped with CSI < u) only when the terminal knows them,
// application keypad (ESC =, undone with ESC >), colours reset with SGR 0 at
// the end. Every change goes through the undo record (terminal_undo.h), which
// undoes them on every way out: normal exit, failed start-up, fatal signals,
// suspension (SIGTSTP, made again with a repaint on SIGCONT).
#include "platform/posix/terminal.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <iterator>

#include "platform/posix/terminal_undo.h"
#include "platform/posix/write_all.h"

namespace platform::posix {

TerminalSession session;

namespace {

constexpr int16_t fallbackWidth = 80;
constexpr int16_t fallbackHeight = 25;
constexpr uint64_t replyWaitMs = 1000;
constexpr uint8_t defaultAttribute = 0x07;

constexpr char queries[] = "\x1b[6n\x1b[?u\x1b[c";
constexpr char kittyPush[] = "\x1b[>31u";
constexpr char kittyPop[] = "\x1b[<u";
constexpr char keypadApplication[] = "\x1b=";
constexpr char keypadNormal[] = "\x1b>";
constexpr char noBytes[] = "";
constexpr char attributesReset[] = "\x1b[0m";

volatile sig_atomic_t resizePending = 0;
volatile sig_atomic_t repaintPending = 0;

void SinkToTerminal(void*, const char* bytes, int32_t count) {
  WriteAll(session.outputFd, bytes, count);
}

// Raw mode: no echo, no line editing, no signals from keys (Ctrl+C, Ctrl+Z
// and Ctrl+S arrive as keys), no output processing.
termios RawSettings(termios settings) {
  settings.c_iflag &= ~tcflag_t(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON);
  settings.c_oflag &= ~tcflag_t(OPOST);
  settings.c_lflag &= ~tcflag_t(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
  settings.c_cflag &= ~tcflag_t(CSIZE | PARENB);
  settings.c_cflag |= CS8;
  settings.c_cc[VMIN] = 1;
  settings.c_cc[VTIME] = 0;
  return settings;
}

// The terminal's size in cells; 80 x 25 when it reports none. The sides may
// exceed what the screen buffer's 16-bit coordinates can hold.
void MeasureTerminal(int fd, int& width, int& height) {
  winsize size = {};
  const bool known = ioctl(fd, TIOCGWINSZ, &size) == 0 && size.ws_col > 0 && size.ws_row > 0;
  width = known ? size.ws_col : fallbackWidth;
  height = known ? size.ws_row : fallbackHeight;
}

int16_t ClippedSide(int side) {
  return side > INT16_MAX ? int16_t(INT16_MAX) : int16_t(side);
}

// The screen buffer and the renderer for the terminal's size. A side beyond
// the buffer's 16-bit coordinates is refused, as is memory that cannot be had.
bool PrepareScreen(int fd) {
  int width, height;
  MeasureTerminal(fd, width, height);
  if (width > INT16_MAX || height > INT16_MAX) return false;
  if (!InitScreenBuffer(session.model, int16_t(width), int16_t(height))) return false;
  session.model.attribute = defaultAttribute;
  return InitRenderer(session.renderer, session.model, int16_t(width), int16_t(height),
                      {SinkToTerminal, nullptr});
}

// Keys typed before raw mode went through the terminal's line discipline,
// which turned Enter's CR into LF: those LFs are Enter again.
void TakeCookedTypeAhead() {
  int waiting = 0;
  if (!session.inputIsTerminal || ioctl(STDIN_FILENO, FIONREAD, &waiting) != 0) return;
  while (waiting > 0) {
    uint8_t bytes[256];
    const ssize_t n = read(STDIN_FILENO, bytes, waiting < 256 ? size_t(waiting) : sizeof bytes);
    if (n <= 0) return;
    for (ssize_t i = 0; i < n; ++i) {
      if (bytes[i] == '\n') bytes[i] = '\r';
    }
    FeedBytes(session.decoder, bytes, int(n), NowMs(), session.queue);
    waiting -= int(n);
  }
}

// Where the terminal's answers arrive: standard input when it is the
// terminal, else the controlling terminal opened for reading.
int OpenReplyChannel() {
  if (session.inputIsTerminal) return STDIN_FILENO;
  return open("/dev/tty", O_RDONLY | O_NOCTTY | O_CLOEXEC);
}

// Sends the query batch and reads until the attributes reply or the time is
// up; every other byte meanwhile is type-ahead for the key decoder.
void AskTerminal() {
  const int channel = OpenReplyChannel();
  if (channel < 0) return;
  ExpectReplies(session.decoder, true);
  WriteAll(session.outputFd, queries, int(sizeof queries) - 1);
  const uint64_t deadline = NowMs() + replyWaitMs;
  uint64_t now = NowMs();
  while (!session.decoder.replies.attributesReceived && now < deadline) {
    pollfd waiting = {channel, POLLIN, 0};
    if (poll(&waiting, 1, int(deadline - now)) > 0) {
      uint8_t bytes[256];
      const ssize_t n = read(channel, bytes, sizeof bytes);
      if (n <= 0 && errno != EINTR) break;
      if (n > 0) FeedBytes(session.decoder, bytes, int(n), NowMs(), session.queue);
    }
    now = NowMs();
  }
  // A late position report would collide with modified F3; the other replies
  // are still recognised if they come after all.
  session.decoder.replies.positionPending = false;
  if (channel != STDIN_FILENO) close(channel);
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

void SetUpKeyboard() {
  if (session.decoder.replies.kittyFlagsReceived) {
    SendTerminalMode(session.outputFd, kittyPush, kittyPop);
    SetKittyProtocol(session.decoder, true);
  }
  SendTerminalMode(session.outputFd, keypadApplication, keypadNormal);
}

// Keys typed on the terminal are not input when standard input is redirected:
// its bytes are, one key each.
void PrepareRedirectedInput() {
  if (session.inputIsTerminal) return;
  ResetInputQueue(session.queue);
  ResetKeyDecoder(session.decoder, false, true);
}

void OnTerminate(int signal) {
  RestoreTerminal();
  raise(signal);  // the default action, restored by SA_RESETHAND, follows the handler
}

// A process group that no job-control shell can continue is not stopped by
// SIGTSTP (the kernel discards the stop): there is nothing to suspend then.
bool CanBeContinued() {
  const pid_t parent = getppid();
  return getpgid(parent) != getpgrp() && getsid(parent) == getsid(0);
}

void OnSuspend(int) {
  const int saved = errno;
  if (!CanBeContinued()) return;
  RestoreTerminal();
  signal(SIGTSTP, SIG_DFL);
  raise(SIGTSTP);  // stops the process as soon as the handler returns
  errno = saved;
}

void InstallSignal(int number, void (*handler)(int), int flags);

void OnContinue(int) {
  const int saved = errno;
  InstallSignal(SIGTSTP, OnSuspend, 0);
  ReapplyTerminalChanges();
  repaintPending = 1;
  errno = saved;
}

void OnResize(int) {
  resizePending = 1;
}

void InstallSignal(int number, void (*handler)(int), int flags) {
  struct sigaction action = {};
  action.sa_handler = handler;
  action.sa_flags = flags;
  sigemptyset(&action.sa_mask);
  sigaction(number, &action, nullptr);
}

void InstallSignals() {
  constexpr int terminating[] = {SIGTERM, SIGHUP, SIGQUIT, SIGINT};
  static_assert(std::size(terminating) == 4);
  for (int number : terminating) InstallSignal(number, OnTerminate, SA_RESETHAND);
  InstallSignal(SIGTSTP, OnSuspend, 0);
  InstallSignal(SIGCONT, OnContinue, 0);
  InstallSignal(SIGWINCH, OnResize, 0);
}

}  // namespace

uint64_t NowMs() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return uint64_t(now.tv_sec) * 1000 + uint64_t(now.tv_nsec) / 1000000;
}

int OpenControllingTerminal() {
  return open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
}

bool StartTerminalSession(int fd) {
  if (isatty(fd) != 1) return false;
  session.outputFd = fd;
  if (!PrepareScreen(fd)) return false;
  session.inputIsTerminal = isatty(STDIN_FILENO) == 1;
  ResetInputQueue(session.queue);
  ResetKeyDecoder(session.decoder, false, false);
  InstallSignals();
  if (!ChangeTerminalSettings(fd, RawSettings)) {
    ReleaseTerminal();
    return false;
  }
  TakeCookedTypeAhead();
  AskTerminal();
  TakeCursorFromReply();
  SetUpKeyboard();
  // The renderer sets colours as it draws: its undo is the terminal's default.
  SendTerminalMode(fd, noBytes, attributesReset);
  PrepareRedirectedInput();
  session.started = true;
  return true;
}

void FlushScreen() {
  if (!session.started) return;
  // Whatever left the terminal restored while the program goes on (a stop that
  // never came), the program's settings are back before it draws again.
  ReapplyTerminalChanges();
  if (resizePending) {
    resizePending = 0;
    int width, height;
    MeasureTerminal(session.outputFd, width, height);
    // A terminal wider than the buffer can be shows all of it.
    RenderResize(session.renderer, ClippedSide(width), ClippedSide(height));
  }
  if (repaintPending) {
    repaintPending = 0;
    RenderInvalidate(session.renderer);
  }
  RenderChanges(session.renderer, session.model);
  SendRenderOutput(session.renderer);
}

void EndTerminalSession() {
  if (session.started) {
    FlushScreen();
    if (session.model.cursor.x != 0) WriteAll(session.outputFd, "\r\n", 2);
  }
  ReleaseTerminal();
}

}  // namespace platform::posix
