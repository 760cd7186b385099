// The renderer against libvterm as the terminal: after every flush the emulated
// screen shows each known model cell (glyph and colours) and the model's
// cursor, while cells the model never touched keep what the terminal showed.
#include "platform/posix/renderer.h"

#include <gtest/gtest.h>
#include <vterm.h>

#include <algorithm>
#include <memory>
#include <random>
#include <string>

#include "platform/cp437.h"

namespace platform::posix {
namespace {

struct Terminal {
  VTerm* vt;
  VTermScreen* screen;

  Terminal(int columns, int rows, bool autowrap) : vt(vterm_new(rows, columns)) {
    vterm_set_utf8(vt, 1);
    screen = vterm_obtain_screen(vt);
    vterm_screen_reset(screen, 1);
    if (!autowrap) Feed("\x1b[?7l");
  }
  ~Terminal() { vterm_free(vt); }
  Terminal(const Terminal&) = delete;
  Terminal& operator=(const Terminal&) = delete;

  void Feed(const std::string& bytes) { vterm_input_write(vt, bytes.data(), bytes.size()); }
  void Resize(int columns, int rows) { vterm_set_size(vt, rows, columns); }

  VTermScreenCell CellAt(int x, int y) const {
    VTermScreenCell cell;
    vterm_screen_get_cell(screen, VTermPos{y, x}, &cell);
    return cell;
  }
  uint32_t Glyph(int x, int y) const {
    const uint32_t c = CellAt(x, y).chars[0];
    return c == 0 ? ' ' : c;  // an erased cell holds no character
  }
  VTermPos Cursor() const {
    VTermPos position;
    vterm_state_get_cursorpos(vterm_obtain_state(vt), &position);
    return position;
  }
};

// An ANSI colour index, -1 for the terminal's default colour.
int ColourIndex(const VTermColor& colour, bool foreground) {
  if (foreground ? VTERM_COLOR_IS_DEFAULT_FG(&colour) : VTERM_COLOR_IS_DEFAULT_BG(&colour)) {
    return -1;
  }
  return VTERM_COLOR_IS_INDEXED(&colour) ? colour.indexed.idx : -2;
}

// A Win32 colour nibble (B=1, G=2, R=4, I=8) as the ANSI index (R=1, G=2, B=4, bright +8).
int AnsiIndex(int nibble) {
  return (nibble & 1) << 2 | (nibble & 2) | (nibble & 4) >> 2 | (nibble & 8);
}

class RendererTest : public ::testing::Test {
 protected:
  void TearDown() override {
    ReleaseRenderer(renderer);
    ReleaseScreenBuffer(model);
  }

  void Start(int16_t modelWidth, int16_t modelHeight, int16_t terminalWidth, int16_t terminalHeight,
             bool autowrap = true, int32_t capacity = defaultRenderOutputCapacity) {
    ASSERT_TRUE(InitScreenBuffer(model, modelWidth, modelHeight));
    ASSERT_TRUE(
        InitRenderer(renderer, model, terminalWidth, terminalHeight, {Collect, this}, capacity));
    terminal = std::make_unique<Terminal>(terminalWidth, terminalHeight, autowrap);
  }

  static void Collect(void* context, const char* bytes, int32_t count) {
    auto* test = static_cast<RendererTest*>(context);
    test->sent.append(bytes, count);
    ++test->chunks;
  }

  // One flush; the terminal has received the bytes it returns.
  std::string Flush() {
    sent.clear();
    chunks = 0;
    RenderChanges(renderer, model);
    SendRenderOutput(renderer);
    terminal->Feed(sent);
    return sent;
  }

  // Writes cell after cell from (x, y), wrapping like console output; the
  // cursor ends after the text.
  void Write(int x, int y, const std::string& text, uint8_t attribute = 0x07) {
    for (char c : text) {
      if (x >= model.width) x = 0, ++y;
      WriteScreenCell(model, {int16_t(x++), int16_t(y)}, {uint8_t(c), attribute});
    }
    SetScreenCursor(model, {int16_t(x < model.width ? x : model.width - 1), int16_t(y)});
  }

  void Scroll(const Rect& scroll, const Rect* clip, Coord destination, Cell fill = {' ', 0x07}) {
    const int lines = ScrollScreenCells(model, scroll, clip, destination, fill);
    if (lines > 0) RenderScroll(renderer, lines);
  }

  Rect Whole() const { return {0, 0, int16_t(model.width - 1), int16_t(model.height - 1)}; }

  void Clear(uint8_t attribute = 0x07) {
    const Rect whole = Whole();
    Scroll(whole, &whole, {int16_t(-model.width), int16_t(-model.height)}, {' ', attribute});
    SetScreenCursor(model, {0, 0});
  }

  void FillModel() {
    for (int y = 0; y < model.height; ++y) {
      for (int x = 0; x < model.width; ++x) {
        WriteScreenCell(model, {int16_t(x), int16_t(y)}, {uint8_t('A' + (x + 3 * y) % 26), 0x07});
      }
    }
  }

  ::testing::AssertionResult CellMatches(int x, int y) const {
    const ScreenCell& want = ScreenCellAt(model, x, y);
    const int tx = x - renderer.origin.x;
    const int ty = y - renderer.origin.y;
    const VTermScreenCell shown = terminal->CellAt(tx, ty);
    const int fg = want.attribute == 0x07 ? -1 : AnsiIndex(want.attribute & 0x0F);
    const int bg = want.attribute == 0x07 ? -1 : AnsiIndex(want.attribute >> 4);
    if (terminal->Glyph(tx, ty) == Cp437Glyph(want.character) &&
        ColourIndex(shown.fg, true) == fg && ColourIndex(shown.bg, false) == bg) {
      return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << "model cell (" << x << ", " << y << ") byte " << int(want.character) << " attribute "
           << int(want.attribute) << " shows U+" << std::hex << terminal->Glyph(tx, ty) << std::dec
           << " fg " << ColourIndex(shown.fg, true) << " bg " << ColourIndex(shown.bg, false);
  }

  // Every visible known cell, and the cursor.
  ::testing::AssertionResult TerminalShowsModel() const {
    const int columns = std::min(renderer.terminalWidth, model.width);
    const int rows = std::min(renderer.terminalHeight, model.height);
    if (renderer.origin.x < 0 || renderer.origin.x + columns > model.width ||
        renderer.origin.y < 0 || renderer.origin.y + rows > model.height) {
      return ::testing::AssertionFailure() << "origin (" << renderer.origin.x << ", "
                                           << renderer.origin.y << ") shows cells off the model";
    }
    for (int y = renderer.origin.y; y < renderer.origin.y + rows; ++y) {
      for (int x = renderer.origin.x; x < renderer.origin.x + columns; ++x) {
        if (!ScreenCellAt(model, x, y).known) continue;
        ::testing::AssertionResult result = CellMatches(x, y);
        if (!result) return result;
      }
    }
    const VTermPos cursor = terminal->Cursor();
    if (cursor.col != model.cursor.x - renderer.origin.x ||
        cursor.row != model.cursor.y - renderer.origin.y) {
      return ::testing::AssertionFailure()
             << "cursor at (" << cursor.col << ", " << cursor.row << "), model cursor ("
             << model.cursor.x << ", " << model.cursor.y << ") from origin (" << renderer.origin.x
             << ", " << renderer.origin.y << ")";
    }
    return ::testing::AssertionSuccess();
  }

  ScreenBuffer model = {};
  Renderer renderer = {};
  std::unique_ptr<Terminal> terminal;
  std::string sent;
  int chunks = 0;
};

// ---- Cells: colours and glyphs ------------------------------------------------

TEST_F(RendererTest, EveryAttributeShowsItsColours) {
  Start(32, 8, 32, 8);
  for (int a = 0; a < 256; ++a) Write(a % 32, a / 32, "A", uint8_t(a));
  Flush();
  EXPECT_TRUE(TerminalShowsModel());
}

TEST_F(RendererTest, Win32RedAndBlueArriveAsThoseColours) {
  Start(4, 1, 4, 1);
  Write(0, 0, "r", 0x04);  // red on black
  Write(1, 0, "b", 0x1F);  // bright white on blue
  Flush();
  VTermColor red = terminal->CellAt(0, 0).fg;
  VTermColor blue = terminal->CellAt(1, 0).bg;
  vterm_screen_convert_color_to_rgb(terminal->screen, &red);
  vterm_screen_convert_color_to_rgb(terminal->screen, &blue);
  EXPECT_GT(red.rgb.red, 100);
  EXPECT_EQ(red.rgb.blue, 0);
  EXPECT_GT(blue.rgb.blue, 100);
  EXPECT_EQ(blue.rgb.red, 0);
}

TEST_F(RendererTest, EveryByteShowsItsGlyphWithoutRawControlCodes) {
  Start(32, 8, 32, 8);
  for (int b = 0; b < 256; ++b) Write(b % 32, b / 32, std::string(1, char(b)));
  const std::string bytes = Flush();
  EXPECT_TRUE(TerminalShowsModel());
  for (char c : bytes) {
    if (uint8_t(c) < 0x20) {
      EXPECT_TRUE(c == '\x1b' || c == '\r') << int(c);
    }
  }
}

// ---- Edges of the screen ----------------------------------------------------------

// With autowrap off a renderer that relied on wrapping would overwrite the
// last column instead of continuing on the next row.
TEST_F(RendererTest, TextWrapsIntoTheNextRowWithAndWithoutAutowrap) {
  for (bool autowrap : {true, false}) {
    Start(10, 4, 10, 4, autowrap);
    Write(5, 1, "abcdefghijklm");
    Flush();
    EXPECT_TRUE(TerminalShowsModel()) << "autowrap " << autowrap;
  }
}

TEST_F(RendererTest, LastColumnAndLastRowScrollNothing) {
  for (bool autowrap : {true, false}) {
    Start(10, 4, 10, 4, autowrap);
    FillModel();
    Flush();
    Write(9, 3, "Z", 0x4E);
    Write(9, 0, "Y");
    Write(8, 3, "xy");  // ends in the bottom-right cell
    SetScreenCursor(model, {0, 0});
    Flush();
    EXPECT_TRUE(TerminalShowsModel()) << "autowrap " << autowrap;
  }
}

// ---- Scrolls and clears ------------------------------------------------------------

TEST_F(RendererTest, WholeBufferScrollIsARealScroll) {
  Start(20, 6, 20, 6);
  FillModel();
  Flush();
  Scroll(Whole(), nullptr, {0, -2});
  Write(0, 5, "new bottom line");
  const std::string bytes = Flush();
  EXPECT_TRUE(TerminalShowsModel());
  EXPECT_LT(bytes.size(), 45u) << "four rows redrawn would cost 80 bytes";
}

TEST_F(RendererTest, ScrollOnATallerTerminalKeepsTheRowsBelowTheModel) {
  Start(20, 6, 20, 9);
  terminal->Feed("\x1b[7;1Hbelow one\x1b[8;1Hbelow two\x1b[9;1Hbelow three");
  FillModel();
  Flush();
  Scroll(Whole(), nullptr, {0, -1}, {' ', 0x1F});
  Flush();
  EXPECT_TRUE(TerminalShowsModel());
  const char* below[] = {"below one", "below two", "below three"};
  for (int row = 0; row < 3; ++row) {
    for (int x = 0; below[row][x]; ++x)
      EXPECT_EQ(terminal->Glyph(x, 6 + row), uint32_t(below[row][x]));
  }
}

TEST_F(RendererTest, ClearCostsAFewBytes) {
  Start(80, 25, 80, 25);
  FillModel();
  Flush();
  Clear();
  const std::string bytes = Flush();
  EXPECT_TRUE(TerminalShowsModel());
  EXPECT_LE(bytes.size(), 12u);
}

TEST_F(RendererTest, ClearInColourAndDropOfAMiddleRow) {
  Start(20, 8, 20, 8);
  FillModel();
  Flush();
  Clear(0x1E);
  Write(0, 0, "first");
  Write(0, 1, "second");
  Write(0, 2, "third", 0x0A);
  Flush();
  EXPECT_TRUE(TerminalShowsModel());
  const Rect rows = {0, 1, 19, 7};
  Scroll(rows, &rows, {0, 0}, {' ', 0x1E});
  Flush();
  EXPECT_TRUE(TerminalShowsModel());
}

// ---- What the renderer leaves alone -----------------------------------------------

TEST_F(RendererTest, UntouchedCellsKeepTheTerminalsContent) {
  Start(20, 5, 20, 5);
  for (int row = 1; row <= 5; ++row)
    terminal->Feed("\x1b[" + std::to_string(row) + "Hxxxxxxxxxxxxxxxxxxxx");
  Write(3, 1, "hello");
  Write(0, 4, "end");
  const Rect lowerRows = {0, 2, 19, 3};
  Scroll(lowerRows, &lowerRows, {0, 3});  // moves untouched cells among themselves
  Flush();
  EXPECT_TRUE(TerminalShowsModel());
  for (int y = 0; y < 5; ++y) {
    for (int x = 0; x < 20; ++x) {
      if (!ScreenCellAt(model, x, y).known) {
        EXPECT_EQ(terminal->Glyph(x, y), uint32_t('x')) << x << ", " << y;
      }
    }
  }
}

// Erasing to the end of a line or the whole display would reach cells beyond
// the model's edges.
TEST_F(RendererTest, TerminalLargerThanTheModelKeepsItsOtherCells) {
  Start(10, 4, 16, 6);
  for (int row = 1; row <= 6; ++row) {
    terminal->Feed("\x1b[" + std::to_string(row) + "Hxxxxxxxxxxxxxxxx");
  }
  FillModel();
  Flush();
  Write(0, 1, "ab    ");
  Write(4, 2, "      ");
  Flush();
  EXPECT_TRUE(TerminalShowsModel());
  Clear();
  Flush();
  EXPECT_TRUE(TerminalShowsModel());
  for (int y = 0; y < 6; ++y) {
    for (int x = 0; x < 16; ++x) {
      if (x >= 10 || y >= 4) {
        EXPECT_EQ(terminal->Glyph(x, y), uint32_t('x')) << x << ", " << y;
      }
    }
  }
}

TEST_F(RendererTest, UnchangedModelSendsNothingAndACursorMoveLittle) {
  Start(20, 5, 20, 5);
  Write(2, 2, "text", 0x1F);
  Flush();
  EXPECT_EQ(Flush(), "");
  EXPECT_EQ(chunks, 0);
  SetScreenCursor(model, {12, 2});
  EXPECT_LE(Flush().size(), 5u);
  EXPECT_TRUE(TerminalShowsModel());
  EXPECT_EQ(Flush(), "");
}

// ---- Terminal size ------------------------------------------------------------------

TEST_F(RendererTest, SmallTerminalShowsThePartAroundTheCursor) {
  Start(80, 25, 30, 10);
  FillModel();
  SetScreenCursor(model, {70, 20});
  Flush();
  EXPECT_TRUE(TerminalShowsModel());
  SetScreenCursor(model, {2, 1});
  Flush();
  EXPECT_TRUE(TerminalShowsModel());
  terminal->Resize(80, 25);
  RenderResize(renderer, 80, 25);
  Flush();
  EXPECT_EQ(renderer.origin.x, 0);
  EXPECT_EQ(renderer.origin.y, 0);
  EXPECT_TRUE(TerminalShowsModel());
}

TEST_F(RendererTest, ResumeRepaintsOverWhateverTheShellLeft) {
  Start(20, 5, 20, 5);
  Write(0, 0, "kept", 0x1F);
  Write(5, 3, "text");
  Flush();
  RenderInvalidate(renderer);
  terminal->Feed("\x1b[31;1m$ fg\r\n\x1b[2;3Hshell output");
  Flush();
  EXPECT_TRUE(TerminalShowsModel());
}

// ---- Output chunks -------------------------------------------------------------------

TEST_F(RendererTest, OneChunkPerFlushUnlessTheBufferOverflows) {
  Start(80, 25, 80, 25);
  FillModel();
  Flush();
  EXPECT_EQ(chunks, 1);
  Start(80, 25, 80, 25, true, minimumRenderOutputCapacity);
  FillModel();
  Flush();
  EXPECT_GT(chunks, 1);
  EXPECT_TRUE(TerminalShowsModel());
}

// ---- Byte budget -------------------------------------------------------------------

// One calculator task as the console layer draws it: flushes at every cursor
// placement and after every typed character.
TEST_F(RendererTest, CalculatorTaskStaysWellUnderTwoKilobytes) {
  Start(80, 25, 80, 25);
  size_t total = 0;
  auto type = [&](int x, int y, const std::string& text) {
    for (size_t i = 0; i < text.size(); ++i) {
      Write(x + int(i), y, text.substr(i, 1));
      total += Flush().size();
    }
  };
  Clear();
  total += Flush().size();
  for (int row = 0; row < 8; ++row) {
    Write(49, row, "11111100 - 252");
    total += Flush().size();
  }
  Write(0, 0, "IP Address  : ");
  total += Flush().size();
  type(14, 0, "192.168.100.200");
  Write(0, 1, "SubNet Mask : ");
  total += Flush().size();
  type(14, 1, "255.255.255.0");
  const char* results[] = {"Network     : 192.168.100.0", "First Host  : 192.168.100.1",
                           "Last Host   : 192.168.100.254", "Broadcast   : 192.168.100.255"};
  for (int i = 0; i < 4; ++i) Write(0, 3 + i, results[i]);
  total += Flush().size();
  Write(0, 8, "New Task Y/N  -  Y");
  total += Flush().size();
  EXPECT_TRUE(TerminalShowsModel());
  EXPECT_LT(total, 1024u);
  RecordProperty("bytes", int(total));
}

// ---- Property: random operations ------------------------------------------------------

TEST_F(RendererTest, RandomOperationsKeepTheTerminalInStep) {
  Start(23, 9, 23, 9);
  for (int row = 1; row <= 9; ++row)
    terminal->Feed("\x1b[" + std::to_string(row) + "H#######################");
  std::mt19937 random(20240611);
  auto below = [&](int n) { return int(random() % unsigned(n)); };
  auto coordinate = [&](int size) { return int16_t(below(size + 6) - 3); };
  const uint8_t attributes[] = {0x07, 0x07, 0x07, 0x1F, 0x70, 0x0C, 0x4E};
  auto attribute = [&]() { return below(5) ? attributes[below(7)] : uint8_t(below(256)); };
  auto character = [&]() { return below(4) ? uint8_t(' ' + below(95)) : uint8_t(below(256)); };
  for (int step = 0; step < 4000; ++step) {
    const int kind = below(100);
    if (kind < 30) {
      std::string text(size_t(1 + below(30)), ' ');
      for (char& c : text) c = char(character());
      Write(below(model.width), below(model.height), text, attribute());
    } else if (kind < 38) {
      FillScreenCell(model, {coordinate(model.width), coordinate(model.height)},
                     {below(2) ? uint8_t(' ') : character(), attribute()});
    } else if (kind < 46) {
      const Rect whole = Whole();
      const int16_t lines = int16_t(1 + below(below(4) ? 3 : 12));
      Scroll(whole, below(2) ? nullptr : &whole, {0, int16_t(-lines)},
             {' ', below(3) ? uint8_t(0x07) : attribute()});
    } else if (kind < 49) {
      Clear(below(4) ? 0x07 : attribute());
    } else if (kind < 54) {
      const Rect rows = {0, int16_t(below(model.height)), int16_t(model.width - 1),
                         int16_t(model.height - 1)};
      Scroll(rows, &rows, {0, int16_t(rows.top - 1)});
    } else if (kind < 62) {
      const Rect scroll = {coordinate(model.width), coordinate(model.height),
                           coordinate(model.width), coordinate(model.height)};
      const Rect clip = {coordinate(model.width), coordinate(model.height), coordinate(model.width),
                         coordinate(model.height)};
      Scroll(scroll, below(2) ? &clip : nullptr,
             {coordinate(model.width), coordinate(model.height)}, {character(), attribute()});
    } else if (kind < 72) {
      SetScreenCursor(model, {int16_t(below(model.width)), int16_t(below(model.height))});
    } else if (kind < 74) {
      const int16_t columns = int16_t(5 + below(26));
      const int16_t rows = int16_t(3 + below(10));
      terminal->Resize(columns, rows);
      RenderResize(renderer, columns, rows);
    } else if (kind < 76) {
      RenderInvalidate(renderer);
      terminal->Feed("\x1b[1;44m shell \x1b[3;5Houtput\r\n");
    } else {
      Flush();
      ASSERT_TRUE(TerminalShowsModel()) << "after step " << step;
    }
  }
}

}  // namespace
}  // namespace platform::posix
