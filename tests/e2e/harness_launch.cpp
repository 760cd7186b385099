// Child start-up for the harness: openpty with the window size, IUTF8 added to
// the kernel's default modes, fork, login_tty (setsid + TIOCSCTTY) or setsid
// alone, dup2 of the redirects, default signal dispositions, execvpe. An exec
// failure comes back through a close-on-exec pipe as errno.
#include "tests/e2e/harness_launch.h"

#include <fcntl.h>
#include <pty.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utmp.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

extern char** environ;

namespace e2e {
namespace {

[[noreturn]] void Fail(const std::string& what, int error = errno) {
  throw std::runtime_error(what + ": " + std::strerror(error));
}

// Closes on scope exit unless released: the parent's cleanup when a launch throws.
struct OwnedFd {
  int fd = -1;
  OwnedFd() = default;
  explicit OwnedFd(int f) : fd(f) {}
  OwnedFd(const OwnedFd&) = delete;
  OwnedFd& operator=(OwnedFd&& other) noexcept {
    std::swap(fd, other.fd);
    return *this;
  }
  ~OwnedFd() {
    if (fd >= 0) close(fd);
  }
  int Release() { return std::exchange(fd, -1); }
};

// Keeps our descriptors off 0..2 so the child's dup2 onto them cannot clobber one.
int AboveStdio(int fd, const std::string& what) {
  if (fd < 0) Fail(what);
  if (fd > 2) return fd;
  const int moved = fcntl(fd, F_DUPFD_CLOEXEC, 3);
  close(fd);
  if (moved < 0) Fail(what);
  return moved;
}

// The child's descriptor that is closed rather than given anything.
constexpr int closedStream = -2;

struct Redirects {
  OwnedFd child[3];  // what becomes the child's fd 0, 1, 2; -1 keeps the terminal
  bool closed[3] = {false, false, false};  // the child's fd 0, 1, 2 is closed
  OwnedFd stdinPipe;
  OwnedFd stdoutPipe;
};

void OpenPipe(int which, Redirects& redirects) {
  int ends[2];
  if (which == 2) throw std::runtime_error("Stream::Pipe is for stdin and stdout");
  if (pipe2(ends, O_CLOEXEC) != 0) Fail("pipe");
  ends[0] = AboveStdio(ends[0], "pipe");
  ends[1] = AboveStdio(ends[1], "pipe");
  redirects.child[which] = OwnedFd(ends[which == 0 ? 0 : 1]);
  (which == 0 ? redirects.stdinPipe : redirects.stdoutPipe) = OwnedFd(ends[which == 0 ? 1 : 0]);
}

void OpenRedirect(const Stream& stream, int which, bool noTerminal, Redirects& redirects) {
  const int access = which == 0 ? O_RDONLY : O_WRONLY | O_CREAT | O_TRUNC;
  switch (stream.kind) {
    case Stream::Kind::terminal:
      if (!noTerminal) return;
      [[fallthrough]];  // no terminal to keep: /dev/null instead
    case Stream::Kind::null:
      redirects.child[which] =
          OwnedFd(AboveStdio(open("/dev/null", access | O_CLOEXEC), "/dev/null"));
      return;
    case Stream::Kind::file:
      redirects.child[which] =
          OwnedFd(AboveStdio(open(stream.path.c_str(), access | O_CLOEXEC, 0644), stream.path));
      return;
    case Stream::Kind::fd:
      redirects.child[which] = OwnedFd(AboveStdio(fcntl(stream.fd, F_DUPFD_CLOEXEC, 3), "dup"));
      return;
    case Stream::Kind::pipe:
      return OpenPipe(which, redirects);
    case Stream::Kind::closed:
      redirects.closed[which] = true;
      return;
  }
}

bool Named(const std::vector<std::string>& names, std::string_view key) {
  for (const auto& name : names)
    if (name == key) return true;
  return false;
}

// The harness's environment with the command's changes and TERM.
std::vector<std::string> Environment(const LaunchOptions& options) {
  std::vector<std::string> replaced = options.command.unsetEnv;
  for (const auto& [key, value] : options.command.setEnv) replaced.push_back(key);
  const bool termGiven = Named(replaced, "TERM");
  replaced.push_back("TERM");
  std::vector<std::string> env;
  for (char** entry = environ; *entry; ++entry) {
    const std::string_view text(*entry);
    if (!Named(replaced, text.substr(0, text.find('=')))) env.emplace_back(text);
  }
  if (!termGiven) env.push_back("TERM=" + options.term);
  for (const auto& [key, value] : options.command.setEnv) env.push_back(key + "=" + value);
  return env;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (auto& text : texts) pointers.push_back(text.data());
  pointers.push_back(nullptr);
  return pointers;
}

[[noreturn]] void ReportFromChild(int errorPipe) {
  const int error = errno;
  [[maybe_unused]] const ssize_t n = write(errorPipe, &error, sizeof error);
  _exit(127);
}

// Between fork and exec: async-signal-safe calls only, nothing allocated.
[[noreturn]] void RunChild(int slave, const int (&streams)[3], char* const* argv, char* const* envp,
                           const char* directory, int errorPipe) {
  if (slave >= 0 ? login_tty(slave) != 0 : setsid() < 0) ReportFromChild(errorPipe);
  for (int i = 0; i < 3; ++i) {
    if (streams[i] >= 0 && dup2(streams[i], i) < 0) ReportFromChild(errorPipe);
    if (streams[i] == closedStream) close(i);
  }
  for (int sig = 1; sig < NSIG; ++sig) signal(sig, SIG_DFL);
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);
  close_range(3, ~0U, CLOSE_RANGE_CLOEXEC);  // descriptors inherited from the test run
  if (directory && chdir(directory) != 0) ReportFromChild(errorPipe);
  execvpe(argv[0], argv, envp);
  ReportFromChild(errorPipe);
}

// The pty with the window size; the kernel's default modes plus IUTF8, as a
// terminal emulator in a UTF-8 locale sets them.
void OpenTerminal(const LaunchOptions& options, OwnedFd& master, OwnedFd& slave, termios& modes) {
  winsize size{};
  size.ws_col = static_cast<unsigned short>(options.cols);
  size.ws_row = static_cast<unsigned short>(options.rows);
  int fds[2];
  if (openpty(&fds[0], &fds[1], nullptr, nullptr, &size) != 0) Fail("openpty");
  master = OwnedFd(AboveStdio(fds[0], "openpty"));
  slave = OwnedFd(AboveStdio(fds[1], "openpty"));
  fcntl(master.fd, F_SETFD, FD_CLOEXEC);
  fcntl(slave.fd, F_SETFD, FD_CLOEXEC);
  termios t{};
  if (tcgetattr(slave.fd, &t) != 0) Fail("tcgetattr");
  t.c_iflag |= IUTF8;
  if (tcsetattr(slave.fd, TCSANOW, &t) != 0 || tcgetattr(master.fd, &modes) != 0) Fail("tcsetattr");
}

void SetNonBlocking(int fd) {
  if (fd >= 0) fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
}

// Waits for exec: the pipe closes on success, carries errno on failure.
void AwaitExec(pid_t pid, int errorPipe, const std::string& program) {
  int error = 0;
  ssize_t n;
  do n = read(errorPipe, &error, sizeof error);
  while (n < 0 && errno == EINTR);
  if (n <= 0) return;
  waitpid(pid, nullptr, 0);
  Fail("cannot start " + program, error);
}

}  // namespace

StartedChild StartChild(const LaunchOptions& options) {
  if (options.command.argv.empty()) throw std::runtime_error("empty command line");
  StartedChild started;
  OwnedFd master, slave;
  if (options.controllingTerminal) OpenTerminal(options, master, slave, started.modes);
  Redirects redirects;
  const Stream* streams[3] = {&options.stdIn, &options.stdOut, &options.stdErr};
  for (int i = 0; i < 3; ++i) OpenRedirect(*streams[i], i, !options.controllingTerminal, redirects);
  std::vector<std::string> argvTexts = options.command.argv;
  std::vector<std::string> envTexts = Environment(options);
  std::vector<char*> argv = Pointers(argvTexts), envp = Pointers(envTexts);
  const char* directory =
      options.workingDirectory.empty() ? nullptr : options.workingDirectory.c_str();
  int errorEnds[2];
  if (pipe2(errorEnds, O_CLOEXEC) != 0) Fail("pipe");
  OwnedFd errorRead(errorEnds[0]), errorWrite(errorEnds[1]);
  int childFds[3];
  for (int i = 0; i < 3; ++i)
    childFds[i] = redirects.closed[i] ? closedStream : redirects.child[i].fd;
  started.startTime = Clock::now();
  started.pid = fork();
  if (started.pid < 0) Fail("fork");
  if (started.pid == 0)
    RunChild(slave.fd, childFds, argv.data(), envp.data(), directory, errorWrite.fd);
  errorWrite = OwnedFd();
  slave = OwnedFd();
  for (auto& fd : redirects.child) fd = OwnedFd();
  AwaitExec(started.pid, errorRead.fd, options.command.argv[0]);
  started.master = master.Release();
  started.stdinPipe = redirects.stdinPipe.Release();
  started.stdoutPipe = redirects.stdoutPipe.Release();
  SetNonBlocking(started.master);
  SetNonBlocking(started.stdinPipe);
  SetNonBlocking(started.stdoutPipe);
  return started;
}

// ---- Commands ------------------------------------------------------------------

Command NativeCommand(std::string program, std::vector<std::string> args) {
  Command command;
  command.argv.push_back(std::move(program));
  for (auto& arg : args) command.argv.push_back(std::move(arg));
  return command;
}

namespace {

std::string FindOnPath(const std::string& name) {
  const char* path = getenv("PATH");
  std::string_view rest = path ? path : "/usr/bin:/bin";
  while (!rest.empty()) {
    const size_t colon = rest.find(':');
    const std::string candidate = std::string(rest.substr(0, colon)) + "/" + name;
    if (access(candidate.c_str(), X_OK) == 0) return candidate;
    rest = colon == std::string_view::npos ? "" : rest.substr(colon + 1);
  }
  return "";
}

std::string Quoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

}  // namespace

std::string FindWine64() {
  const std::string onPath = FindOnPath("wine64");
  if (!onPath.empty()) return onPath;
  const char* debian = "/usr/lib/wine/wine64";  // Debian keeps the loader off PATH
  return access(debian, X_OK) == 0 ? debian : "";
}

Command WineCommand(const std::string& exe, const std::string& prefix,
                    std::vector<std::string> args) {
  const std::string wine = FindWine64();
  Command command = NativeCommand(wine.empty() ? "wine64" : wine, std::move(args));
  command.argv.insert(command.argv.begin() + 1, exe);
  command.setEnv = {{"WINEDEBUG", "-all"}, {"WINEPREFIX", prefix}};
  if (!wine.empty()) command.setEnv.emplace_back("WINELOADER", wine);
  command.unsetEnv = {"DISPLAY", "WAYLAND_DISPLAY"};
  return command;
}

// -L /: the i386 libraries are the host's own multiarch ones. -R: 3 GiB of
// address space, as a 32-bit process has; with qemu's 4 GiB its own mappings
// take the page Wine needs at 0x7ffe0000. WINELOADERNOEXEC: the loader would
// start itself again, which takes a kernel that runs 32-bit code. LD_PRELOAD:
// the trap numbers of fault signals.
Command Wine32Command(const std::string& exe, const std::string& prefix,
                      const std::string& trapShim, std::vector<std::string> args) {
  Command command =
      NativeCommand("qemu-i386", {"-L", "/", "-R", "0xc0000000", "-E", "WINELOADERNOEXEC=1", "-E",
                                  "LD_PRELOAD=" + trapShim, "/usr/lib/wine/wine", exe});
  for (std::string& arg : args) command.argv.push_back(std::move(arg));
  command.setEnv = {{"WINEDEBUG", "-all"}, {"WINEPREFIX", prefix}};
  command.unsetEnv = {"DISPLAY", "WAYLAND_DISPLAY"};
  return command;
}

// Wine's services (services.exe, winedevice, plugplay, explorer) start with the
// first program of a server and inherit its standard streams: started from a
// session they would hold its pty open long after the program has ended. They
// are started here, on /dev/null, with a server that stays 60 s after the last
// program, so sessions also skip the second of Wine's cold start.
bool PrepareWinePrefix(const std::string& prefix, bool wow64) {
  const std::string quiet = " </dev/null >/dev/null 2>&1";
  const std::string setUp = std::string(NETSTEP_WINE_PREFIX_SCRIPT) + (wow64 ? " --wow64 " : " ") +
                            Quoted(prefix) + quiet;
  if (std::system(setUp.c_str()) != 0) return false;
  const std::string env =
      "env -u DISPLAY -u WAYLAND_DISPLAY WINEDEBUG=-all WINEPREFIX=" + Quoted(prefix) + " ";
  const std::string warm =
      env + "wineserver -p60" + quiet + "; " + env + Quoted(FindWine64()) + " cmd /c exit" + quiet;
  [[maybe_unused]] const int rc = std::system(warm.c_str());
  return true;
}

}  // namespace e2e
