// What each signal does with the terminal (the handlers only write bytes and
// set the terminal's settings, through the undo record):
//   SIGTERM, SIGHUP, SIGQUIT, SIGINT   undo every change, then the signal's
//                                      default action ends the process
//   SIGTSTP                            undo every change, then stop; ignored
//                                      when no shell could continue netstep
//   SIGCONT                            make the changes again; repaint later
//   SIGWINCH                           measure again at the next flush
// Fault signals are the fault handler's (faults.cpp), which restores the
// terminal for what it passes on.
#include "platform/posix/terminal_signals.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix/terminal_undo.h"

namespace platform::posix {

namespace {

volatile sig_atomic_t resizePending = 0;
volatile sig_atomic_t repaintPending = 0;

void InstallSignal(int number, void (*handler)(int), int flags) {
  struct sigaction action = {};
  action.sa_handler = handler;
  action.sa_flags = flags;
  sigemptyset(&action.sa_mask);
  sigaction(number, &action, nullptr);
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

bool Take(volatile sig_atomic_t& flag) {
  if (!flag) return false;
  flag = 0;
  return true;
}

}  // namespace

void InstallTerminalSignals() {
  constexpr int terminating[] = {SIGTERM, SIGHUP, SIGQUIT, SIGINT};
  for (int number : terminating) InstallSignal(number, OnTerminate, SA_RESETHAND);
  InstallSignal(SIGTSTP, OnSuspend, 0);
  InstallSignal(SIGCONT, OnContinue, 0);
  InstallSignal(SIGWINCH, OnResize, 0);
}

void HoldScreenSignals(sigset_t& previous) {
  sigset_t screen;
  sigemptyset(&screen);
  sigaddset(&screen, SIGWINCH);
  sigaddset(&screen, SIGCONT);
  sigprocmask(SIG_BLOCK, &screen, &previous);
}

void ReleaseScreenSignals(const sigset_t& previous) {
  sigprocmask(SIG_SETMASK, &previous, nullptr);
}

bool TakeResize() {
  return Take(resizePending);
}

bool TakeRepaint() {
  return Take(repaintPending);
}

}  // namespace platform::posix
