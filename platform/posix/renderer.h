// Keeps a terminal showing the in-memory screen buffer: compares the buffer with
// a shadow of what the terminal shows and produces the bytes (CUP and relative
// cursor moves, SGR colours, UTF-8 glyphs, EL, ED, DECSTBM and line feeds) that
// make the two agree. Pure code: the bytes go to a sink, never to a device.
#pragma once

#include <cstdint>

#include "platform/platform.h"
#include "platform/screen_buffer.h"

namespace platform::posix {

// Receives the renderer's bytes: one chunk per flush, more only when a flush
// outgrows the output buffer.
struct RenderSink {
  void (*write)(void* context, const char* bytes, int32_t count);
  void* context;
};

inline constexpr int32_t defaultRenderOutputCapacity = 64 * 1024;
inline constexpr int32_t minimumRenderOutputCapacity = 64;  // the longest single sequence fits
inline constexpr int16_t attributeUnknown = -1;  // Renderer::attribute: the terminal's SGR state

struct Renderer {
  // What the terminal shows of each model cell, indexed like the model.
  // Unknown: the renderer does not know. Cells the terminal does not show are
  // always unknown.
  ScreenCell* shadow;
  int32_t shadowCapacity;  // cells allocated
  int16_t modelWidth;      // the model's size, fixed at InitRenderer
  int16_t modelHeight;
  int16_t terminalWidth;  // the terminal's size in cells, 1 and up
  int16_t terminalHeight;
  // The model cell shown at the terminal's top-left corner; (0, 0) unless the
  // terminal is smaller than the model, then it follows the cursor.
  Coord origin;
  Coord cursor;          // the terminal cursor in terminal cells from 0, when cursorKnown
  bool cursorKnown;      // false at start, after a pending wrap and after region changes
  int16_t attribute;     // the attribute the terminal draws with, or attributeUnknown
  bool repaintPending;   // the next flush clears the terminal and paints every known cell
  char* output;          // bytes not yet handed to the sink; owned
  int32_t outputLength;  // bytes in `output`
  int32_t outputCapacity;
  RenderSink sink;
};

// Prepares the renderer for `model` (its size is fixed from now on) on a
// terminal of the given size. The shadow starts unknown: nothing is cleared,
// and cells the model never touched are never painted. The shadow is allocated
// only when it is not yet big enough; the output buffer whenever its capacity
// changes, since that capacity is where a long flush is cut into chunks. False
// when memory could not be had.
bool InitRenderer(Renderer& renderer, const ScreenBuffer& model, int16_t terminalWidth,
                  int16_t terminalHeight, RenderSink sink,
                  int32_t outputCapacity = defaultRenderOutputCapacity);

void ReleaseRenderer(Renderer& renderer);

// The model has just scrolled its whole buffer up by `lines` (what
// ScrollScreenCells returned): scrolls the terminal's rows that show the model
// (DECSTBM when the terminal is taller, CUP to the region's bottom row, one LF
// per line) and the shadow with them, so that only the new rows need painting.
// The new rows hold blanks in the default colours until the next flush paints
// the model's fill over them.
void RenderScroll(Renderer& renderer, int lines);

// Appends the bytes that make the terminal show every known cell of the model
// (the one InitRenderer was given) and its cursor; cells outside the terminal
// are left out. An unchanged model with an unmoved cursor adds none.
void RenderChanges(Renderer& renderer, const ScreenBuffer& model);

// The terminal changed size (the model keeps its own): drawing is clipped to
// the terminal, and the next flush clears it and paints every known cell.
void RenderResize(Renderer& renderer, int16_t terminalWidth, int16_t terminalHeight);

// The terminal's content and state are no longer known (after a suspension):
// the next flush clears the terminal and paints every known cell.
void RenderInvalidate(Renderer& renderer);

// Hands the bytes gathered so far to the sink as one chunk, if there are any.
void SendRenderOutput(Renderer& renderer);

}  // namespace platform::posix
