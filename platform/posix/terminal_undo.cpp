// The undo record of the terminal. Each procedure holds the signals while it
// works, so that no handler meets a change recorded but not yet made, or the
// record half undone; what the undo itself runs is write() and tcsetattr().
#include "platform/posix/terminal_undo.h"

#include <signal.h>

#include <cerrno>
#include <cstring>

#include "platform/posix/write_all.h"

namespace platform::posix {

namespace {

struct TerminalChange {
  int fd;
  bool isSettings;    // settings: `before` and `after`; else the sequences `set` and `reset`
  termios before;     // the settings the change found
  termios after;      // the settings it made
  const char* set;    // sent to make the change
  const char* reset;  // sent to undo it
};

// netstep makes four: raw mode, the kitty keyboard flags, the keypad mode and
// the colours of drawn text.
constexpr int changeCapacity = 8;

TerminalChange changes[changeCapacity];
int changeCount = 0;                // recorded, in the order made
volatile sig_atomic_t inForce = 0;  // the recorded changes are made on the terminal

// Every signal but the ones a background process needs to be stopped by when
// it touches the terminal, so that `netstep &` still waits for the foreground.
sigset_t HoldSignals() {
  sigset_t held, previous;
  sigfillset(&held);
  sigdelset(&held, SIGTTOU);
  sigdelset(&held, SIGTTIN);
  sigprocmask(SIG_BLOCK, &held, &previous);
  return previous;
}

void LetSignalsIn(const sigset_t& previous) {
  sigprocmask(SIG_SETMASK, &previous, nullptr);
}

void Send(int fd, const char* bytes) {
  WriteAll(fd, bytes, int(std::strlen(bytes)));
}

void UndoAll() {
  if (!inForce) return;
  for (int i = changeCount - 1; i >= 0; --i) {
    const TerminalChange& change = changes[i];
    if (change.isSettings) {
      tcsetattr(change.fd, TCSADRAIN, &change.before);
    } else {
      Send(change.fd, change.reset);
    }
  }
  inForce = 0;
}

void RedoAll() {
  if (inForce || changeCount == 0) return;
  for (int i = 0; i < changeCount; ++i) {
    const TerminalChange& change = changes[i];
    if (change.isSettings) {
      tcsetattr(change.fd, TCSANOW, &change.after);
    } else {
      Send(change.fd, change.set);
    }
  }
  inForce = 1;
}

// A new change joins the others only while they are all in force, so that one
// undo or redo always covers all of them. False when the record is full: the
// change is then not made at all.
bool MakeRoom() {
  RedoAll();
  return changeCount < changeCapacity;
}

void Add(const TerminalChange& change) {
  changes[changeCount++] = change;
  inForce = 1;
}

}  // namespace

bool ChangeTerminalSettings(int fd, termios (*change)(termios)) {
  const sigset_t previous = HoldSignals();
  TerminalChange made = {fd, true, {}, {}, nullptr, nullptr};
  bool done = MakeRoom() && tcgetattr(fd, &made.before) == 0;
  if (done) {
    made.after = change(made.before);
    // tcsetattr fails only when it set nothing at all.
    done = tcsetattr(fd, TCSANOW, &made.after) == 0;
  }
  if (done) Add(made);
  LetSignalsIn(previous);
  return done;
}

void SendTerminalMode(int fd, const char* set, const char* reset) {
  const sigset_t previous = HoldSignals();
  if (MakeRoom()) {
    Send(fd, set);
    Add({fd, false, {}, {}, set, reset});
  }
  LetSignalsIn(previous);
}

void RestoreTerminal() {
  const int savedErrno = errno;
  const sigset_t previous = HoldSignals();
  UndoAll();
  LetSignalsIn(previous);
  errno = savedErrno;
}

void ReapplyTerminalChanges() {
  if (inForce) return;  // every flush asks: the common answer costs no system call
  const int savedErrno = errno;
  const sigset_t previous = HoldSignals();
  RedoAll();
  LetSignalsIn(previous);
  errno = savedErrno;
}

void ReleaseTerminal() {
  const sigset_t previous = HoldSignals();
  UndoAll();
  changeCount = 0;
  LetSignalsIn(previous);
}

}  // namespace platform::posix
