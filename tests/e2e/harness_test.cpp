// The harness driving small real programs (sh, stty, od, head) on its pty:
// screen placement and colours, typed keys as the program reads them, query
// answers, kitty flags, terminal modes, resizing, redirected streams, exits.
#include "tests/e2e/harness.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <string>

namespace {

using e2e::ExitStatus;
using e2e::Key;
using e2e::LaunchOptions;
using e2e::Session;
using e2e::Stream;

LaunchOptions Sh(const std::string& script) {
  LaunchOptions options;
  options.command = e2e::NativeCommand("/bin/sh", {"-c", script});
  return options;
}

// Bytes as `od -An -tx1` prints them: " 1b 5b 41".
std::string OdHex(const std::string& bytes) {
  std::string out;
  char hex[4];
  for (unsigned char c : bytes) std::snprintf(hex, sizeof hex, " %02x", c), out += hex;
  return out;
}

// A shell that puts the pty into raw mode, writes `setup` to the terminal, says
// "ready" and then shows the next `count` bytes it reads, in hex, on row 1.
LaunchOptions ByteEcho(const std::string& setup, size_t count) {
  return Sh("stty raw -echo; printf '" + setup + "ready\\r\\n'; head -c " + std::to_string(count) +
            " | od -An -tx1 -w256; stty sane");
}

// ---- Screen ---------------------------------------------------------------------

TEST(Screen, TextLandsWhereTheCursorWasSent) {
  Session s(Sh("printf '\\033[2J\\033[5;10Hhello'"));
  ASSERT_TRUE(s.WaitForTextAt(9, 4, "hello")) << s.Dump();
  EXPECT_EQ(s.RowText(4), "         hello");
  EXPECT_EQ(s.Cursor(), (e2e::Position{14, 4}));
  EXPECT_EQ(s.WaitForExit(), ExitStatus::Code(0));
  EXPECT_EQ(s.Output(), "\x1b[2J\x1b[5;10Hhello");
}

TEST(Screen, ColoursAndGlyphsPerCell) {
  Session s(Sh("printf '\\033[31;44mX\\033[0m\\342\\224\\202\\033[1;97mZ'"));
  ASSERT_TRUE(s.WaitForText("X│Z")) << s.Dump();
  const e2e::CellInfo x = s.Cell(0, 0), bar = s.Cell(1, 0), z = s.Cell(2, 0), blank = s.Cell(3, 0);
  EXPECT_EQ(x.glyph, U'X');
  EXPECT_EQ(x.fg, e2e::Colour::Indexed(1));
  EXPECT_EQ(x.bg, e2e::Colour::Indexed(4));
  EXPECT_EQ(bar.glyph, U'\u2502');
  EXPECT_EQ(bar.fg, e2e::Colour::Default());
  EXPECT_EQ(bar.bg, e2e::Colour::Default());
  EXPECT_EQ(z.fg, e2e::Colour::Indexed(15));
  EXPECT_TRUE(z.bold);
  EXPECT_EQ(blank.glyph, 0u);
}

TEST(Screen, EverythingWrittenBeforeExitIsShown) {
  Session s(Sh("seq 1 3000"));
  ASSERT_EQ(s.WaitForExit(), ExitStatus::Code(0));
  EXPECT_EQ(s.RowText(23), "3000") << s.Dump();
  EXPECT_EQ(s.RowText(0), "2977");
}

// ---- Keys -----------------------------------------------------------------------

TEST(Keys, CookedLineReachesTheProgram) {
  Session s(Sh("read line; echo \"got:$line\""));
  s.Type("abc\r");
  ASSERT_TRUE(s.WaitForText("got:abc")) << s.Dump();
  EXPECT_EQ(s.RowText(0), "abc");  // the line discipline's echo
  EXPECT_EQ(s.WaitForExit(), ExitStatus::Code(0));
}

TEST(Keys, CtrlCInterruptsThroughTheLineDiscipline) {
  Session s(Sh("printf 'ready\\n'; exec sleep 30"));
  ASSERT_TRUE(s.WaitForText("ready"));
  s.Type("\x03");
  EXPECT_EQ(s.WaitForExit(), ExitStatus::Signal(SIGINT));
}

struct KeyCase {
  const char* setup;  // what the program sends first, printf syntax
  Key key;
  uint8_t mods;
  std::string bytes;
};

const KeyCase keyCases[] = {
    {"", Key::up, 0, "\x1b[A"},
    {"\\033[?1h", Key::up, 0, "\x1bOA"},
    {"\\033[?1h", Key::left, e2e::modCtrl, "\x1b[1;5D"},
    {"", Key::f5, e2e::modShift, "\x1b[15;2~"},
    {"", Key::kp5, 0, "5"},
    {"\\033=", Key::kp5, 0, "\x1bOu"},
    {"\\033[?66h", Key::kpEnter, 0, "\x1bOM"},
    {"\\033[>31u", Key::escape, 0, "\x1b"},  // no kitty emulation: pushes are ignored
};

TEST(Keys, ProgramReadsTheTerminalEncoding) {
  for (const KeyCase& c : keyCases) {
    SCOPED_TRACE(c.setup);
    Session s(ByteEcho(c.setup, c.bytes.size()));
    ASSERT_TRUE(s.WaitForText("ready")) << s.Dump();
    s.Tap(c.key, c.mods);
    EXPECT_TRUE(s.WaitForRow(1, OdHex(c.bytes))) << s.Dump();
    EXPECT_EQ(s.KeysSent(), c.bytes);
  }
}

TEST(Keys, TextAndAltAsTheProgramReadsThem) {
  Session s(ByteEcho("", 5));
  ASSERT_TRUE(s.WaitForText("ready"));
  s.Type("é\t");
  s.Tap(U'x', e2e::modAlt);
  EXPECT_TRUE(s.WaitForRow(1, " c3 a9 09 1b 78")) << s.Dump();
}

// ---- Queries and kitty --------------------------------------------------------------

struct QueryCase {
  bool kitty;
  const char* queries;  // printf syntax
  std::string replies;
};

const QueryCase queryCases[] = {
    {false, "\\033[3;7H\\033[6n", "\x1b[3;7R"},
    {false, "\\033[c", "\x1b[?1;2c"},
    {false, "\\033[?u\\033[c", "\x1b[?1;2c"},  // an xterm ignores the kitty query
    {true, "\\033[6n\\033[?u\\033[c", "\x1b[1;1R\x1b[?0u\x1b[?1;2c"},
    {true, "\\033[>31u\\033[?u\\033[c", "\x1b[?31u\x1b[?1;2c"},
};

TEST(Queries, AnsweredInOrderAsATerminalWould) {
  for (const QueryCase& c : queryCases) {
    SCOPED_TRACE(c.queries);
    LaunchOptions options = Sh("stty raw -echo; printf '" + std::string(c.queries) + "'; head -c " +
                               std::to_string(c.replies.size()) + " | od -An -tx1 -w256");
    options.kitty = c.kitty;
    Session s(options);
    ASSERT_EQ(s.WaitForExit(), ExitStatus::Code(0)) << s.Dump();
    EXPECT_TRUE(s.ContainsText(OdHex(c.replies))) << s.Dump();
    EXPECT_EQ(s.Replies(), c.replies);
  }
}

TEST(Kitty, HeldAltWithKeypadDigitsAfterPush) {
  const std::string expected =
      "\x1b[57443;3u\x1b[57405;3u\x1b[57405;3:3u\x1b[57404;3u\x1b[57404;3:3u\x1b[57443;1:3u";
  LaunchOptions options = ByteEcho("\\033[>31u", expected.size());
  options.kitty = true;
  options.cols = 250;  // the hex on one row
  Session s(options);
  ASSERT_TRUE(s.WaitForText("ready"));
  EXPECT_EQ(s.Kitty().Flags(), 31);
  s.Press(Key::leftAlt);
  s.Tap(Key::kp6);
  s.Tap(Key::kp5);
  s.Release(Key::leftAlt);
  EXPECT_TRUE(s.WaitForRow(1, OdHex(expected))) << s.Dump();
}

TEST(Kitty, PopOnExitLeavesNoFlags) {
  LaunchOptions options = Sh("printf '\\033[>1u\\033[>31u\\033[<u\\033[<u'");
  options.kitty = true;
  Session s(options);
  ASSERT_EQ(s.WaitForExit(), ExitStatus::Code(0));
  EXPECT_EQ(s.Kitty().pushes, 2);
  EXPECT_EQ(s.Kitty().pops, 2);
  EXPECT_EQ(s.Kitty().Flags(), 0);
}

// ---- Terminal modes and size -----------------------------------------------------------

// `stty -g` inside the pty against the harness's reading through the master,
// taken after the program has ended.
TEST(TerminalModes, MatchWhatSttySeesInside) {
  for (const char* script : {"stty -g", "stty raw -echo; stty -g", "stty -icanon min 3; stty -g"}) {
    SCOPED_TRACE(script);
    LaunchOptions options = Sh(script);
    options.cols = 200;
    Session s(options);
    ASSERT_EQ(s.WaitForExit(), ExitStatus::Code(0));
    EXPECT_EQ(s.RowText(0), e2e::SttyText(s.TerminalModes()));
  }
}

TEST(TerminalModes, LaunchModesAreCookedAndRestorable) {
  Session s(Sh("stty raw -echo; printf ready; read x"));
  ASSERT_TRUE(s.WaitForText("ready"));
  EXPECT_NE(e2e::SttyText(s.TerminalModes()), e2e::SttyText(s.ModesAtLaunch()));
  EXPECT_TRUE(s.ModesAtLaunch().c_lflag & ICANON);
  EXPECT_TRUE(s.ModesAtLaunch().c_iflag & IUTF8);
  EXPECT_FALSE(s.TerminalModes().c_lflag & ECHO);
}

TEST(Resize, ChildSeesTheNewSizeAndSigwinch) {
  Session s(Sh("trap 'stty size; exit 7' WINCH; stty size; sleep 30 & wait"));
  ASSERT_TRUE(s.WaitForRow(0, "25 80")) << s.Dump();
  s.Resize(100, 30);
  EXPECT_EQ(s.WaitForExit(), ExitStatus::Code(7));
  EXPECT_EQ(s.RowText(1), "30 100") << s.Dump();
  EXPECT_EQ(s.Cols(), 100);
}

// ---- Exit ---------------------------------------------------------------------------

struct ExitCase {
  const char* script;
  ExitStatus status;
};

const ExitCase exitCases[] = {
    {"exit 0", ExitStatus::Code(0)},
    {"exit 3", ExitStatus::Code(3)},
    {"kill -TERM $$", ExitStatus::Signal(SIGTERM)},
    {"kill -SEGV $$", ExitStatus::Signal(SIGSEGV)},
};

TEST(Exit, CodesAndSignals) {
  for (const ExitCase& c : exitCases) {
    Session s(Sh(c.script));
    EXPECT_EQ(s.WaitForExit(), c.status) << c.script;
  }
}

TEST(Exit, SignalFromTheHarness) {
  Session s(Sh("printf ready; exec sleep 30"));
  ASSERT_TRUE(s.WaitForText("ready"));
  EXPECT_TRUE(s.Running());
  s.Signal(SIGHUP);
  EXPECT_EQ(s.WaitForExit(), ExitStatus::Signal(SIGHUP));
}

TEST(Exit, WaitGivesUpAtTheTimeout) {
  Session s(Sh("exec sleep 30"));
  EXPECT_EQ(s.WaitForExit(e2e::Millis(50)), std::nullopt);
  EXPECT_FALSE(s.WaitForText("never", e2e::Millis(20)));
}

TEST(Exit, ProgramThatCannotStartThrows) {
  LaunchOptions options;
  options.command = e2e::NativeCommand("/nonexistent/netstep");
  EXPECT_THROW(Session{options}, std::runtime_error);
}

// ---- Redirected streams -----------------------------------------------------------------

TEST(Streams, StdoutToAFile) {
  const std::string path = testing::TempDir() + "harness_stdout_" + std::to_string(getpid());
  LaunchOptions options = Sh("echo out; [ -t 1 ] || echo stdout-not-tty >&2");
  options.stdOut = Stream::File(path);
  Session s(options);
  ASSERT_EQ(s.WaitForExit(), ExitStatus::Code(0));
  EXPECT_EQ(s.RedirectedOutput(), "out\n");
  EXPECT_EQ(s.RowText(0), "stdout-not-tty");
  unlink(path.c_str());
}

TEST(Streams, StdinFromAPipeWhileTheTerminalIsThePty) {
  LaunchOptions options =
      Sh("[ -t 0 ] || echo stdin-not-tty; while read x; do echo \"got:$x\"; done; "
         "[ -t 1 ] && echo stdout-tty");
  options.stdIn = Stream::Pipe();
  Session s(options);
  s.WriteStdin("one\ntwo\n");
  ASSERT_TRUE(s.WaitForText("got:two")) << s.Dump();
  s.CloseStdin();
  ASSERT_EQ(s.WaitForExit(), ExitStatus::Code(0));
  EXPECT_EQ(s.Lines()[0], "stdin-not-tty");
  EXPECT_EQ(s.Lines()[3], "stdout-tty");
}

TEST(Streams, StdinFromTheCallersPipe) {
  int ends[2];
  ASSERT_EQ(pipe(ends), 0);
  LaunchOptions options = Sh("while read x; do echo \"got:$x\"; done; echo end");
  options.stdIn = Stream::Fd(ends[0]);
  Session s(options);
  close(ends[0]);
  ASSERT_EQ(write(ends[1], "a\nb\n", 4), 4);
  close(ends[1]);  // the child must see end of input: no other copy of this end is left open
  ASSERT_EQ(s.WaitForExit(), ExitStatus::Code(0));
  EXPECT_EQ(s.RowText(2), "end") << s.Dump();
}

TEST(Streams, NoTerminalAtAll) {
  LaunchOptions options =
      Sh("if (exec </dev/tty) 2>/dev/null; then echo has-tty; else echo no-tty; fi; "
         "[ -t 0 ] || echo stdin-not-tty");
  options.controllingTerminal = false;
  options.stdOut = Stream::Pipe();
  Session s(options);
  ASSERT_EQ(s.WaitForExit(), ExitStatus::Code(0));
  EXPECT_EQ(s.RedirectedOutput(), "no-tty\nstdin-not-tty\n");
}

TEST(Streams, EnvironmentChanges) {
  LaunchOptions options = Sh("echo \"$TERM/${HARNESS_X}/${HOME:-unset}\"");
  options.command.setEnv = {{"HARNESS_X", "x1"}};
  options.command.unsetEnv = {"HOME"};
  Session s(options);
  ASSERT_EQ(s.WaitForExit(), ExitStatus::Code(0));
  EXPECT_EQ(s.RowText(0), "xterm-256color/x1/unset");
}

// ---- Wine ---------------------------------------------------------------------------------

// Runs only where Wine is installed and the prefix has been set up already
// (wineboot takes seconds): Wine's console must take the pty out of canonical
// mode, read typed keys from it, write through it and restore it on exit.
TEST(Wine, ConsoleProgramRunsInsideThePty) {
  const std::string prefix = NETSTEP_WINE_PREFIX;
  if (e2e::FindWine64().empty() || access((prefix + "/system.reg").c_str(), F_OK) != 0)
    GTEST_SKIP() << "no Wine, or no prepared prefix at " << prefix;
  ASSERT_TRUE(e2e::PrepareWinePrefix(prefix));
  LaunchOptions options;
  options.command = e2e::WineCommand("cmd", prefix);
  options.defaultTimeout = e2e::Millis(30000);
  Session s(options);
  ASSERT_TRUE(s.WaitForRawMode()) << s.Dump();
  ASSERT_TRUE(s.WaitForText(">")) << s.Dump();
  s.Type("echo typed\r");
  ASSERT_TRUE(s.WaitFor([&] { return s.Lines()[3] == "typed"; })) << s.Dump();
  s.Type("exit\r");
  EXPECT_EQ(s.WaitForExit(), ExitStatus::Code(0));
  EXPECT_EQ(e2e::SttyText(s.TerminalModes()), e2e::SttyText(s.ModesAtLaunch()));
}

}  // namespace
