// The one seam between netstep and the operating system. Everything that
// differs per platform sits behind these procedures over plain value types,
// shaped after the Win32 console: a Win32 implementation is a call or two per
// procedure, the POSIX implementation keeps a model of the console in memory.
// Exactly one implementation is linked: posix/, win32/ or the tests' fake.
#pragma once

#include <cstdint>

namespace platform {

// ---- Process handles ------------------------------------------------------

// A process or console handle: a file descriptor on POSIX, a HANDLE on Windows.
using Handle = intptr_t;
inline constexpr Handle invalidHandle = -1;

enum class StdHandleId { input, output, error };

// The process's standard handle, obtained once and then the same on every call.
Handle StdHandle(StdHandleId which);

// Writes `count` bytes; `written` receives how many were taken. False when the
// write failed.
bool WriteBytes(Handle handle, const void* bytes, int32_t count, int32_t& written);

// Reads at most `capacity` bytes; `read` receives how many, 0 at end of input.
// False when the read failed; LastError then tells why.
bool ReadBytes(Handle handle, void* bytes, int32_t capacity, int32_t& read);

// True for a character device: a terminal or console, /dev/null and the like.
bool IsCharacterDevice(Handle handle);

bool CloseHandle(Handle handle);

// Opens an existing file for reading (a path in the platform's own spelling);
// invalidHandle when it cannot, LastError then telling why: a folder is
// errorIsDirectory on every platform. On POSIX the descriptor never takes the
// place of a closed standard one.
Handle OpenFileForReading(const char* path);

// The error of the last failed call, as a Win32 error number (POSIX maps errno
// onto the numbers below; any other errno is errorGeneralFailure).
uint32_t LastError();

// The error numbers netstep tells apart, as Win32 numbers them. Each is named
// here once; the backends map their own errors onto them.
inline constexpr uint32_t errorFileNotFound = 2;      // ENOENT
inline constexpr uint32_t errorPathNotFound = 3;      // ENOTDIR: a folder of the path is none
inline constexpr uint32_t errorAccessDenied = 5;      // EACCES, EPERM
inline constexpr uint32_t errorInvalidHandle = 6;     // EBADF: a handle that is not open
inline constexpr uint32_t errorReadFault = 30;        // EIO
inline constexpr uint32_t errorGeneralFailure = 31;   // anything else
inline constexpr uint32_t errorSharingViolation = 32;
inline constexpr uint32_t errorInvalidParameter = 87;  // EINVAL
inline constexpr uint32_t errorBrokenPipe = 109;       // EPIPE: the reader has gone
inline constexpr uint32_t errorDiskFull = 112;         // ENOSPC
inline constexpr uint32_t errorNameTooLong = 206;      // ENAMETOOLONG
inline constexpr uint32_t errorPipeClosing = 232;      // the reader has gone (Windows)
inline constexpr uint32_t errorPipeNotConnected = 233;  // the reader has gone (Wine)
inline constexpr uint32_t errorIsDirectory = 267;       // EISDIR: a folder where a file was asked for

// ---- Text for other programs ----------------------------------------------

// The line end of text that other programs read from a file or a pipe: LF on
// POSIX, CR LF on Windows. (The console layer and the failure report end
// their lines with CR LF everywhere.)
const char* TextLineEnd();

// The platform's own spelling of the help option besides --help and -h: "/?"
// on Windows; null where the platform has none.
const char* NativeHelpOption();

// ---- Console output: cells addressed from 0 --------------------------------
// What is drawn (SetCursor, WriteCell, ScrollCells, FillCell) may be held in
// memory; it is on the screen at the latest when the program waits for input
// (PauseForInput), writes bytes with WriteBytes, gives the console back or
// exits; on Windows also before QueryScreen asks the console, and when Ctrl+C
// or Ctrl+Break ends the process.

struct Coord {
  int16_t x;
  int16_t y;
};

// Inclusive on all four sides, like the console's SMALL_RECT.
struct Rect {
  int16_t left;
  int16_t top;
  int16_t right;
  int16_t bottom;
};

// One cell of the screen buffer: a character byte (code page 437) and its
// attribute (bits 0-3 foreground, 4-7 background; B=1, G=2, R=4, intensity=8).
struct Cell {
  uint8_t character;
  uint8_t attribute;
};

struct ScreenInfo {
  Coord size;          // columns and rows of the screen buffer
  Coord cursor;        // the cursor, from 0
  uint16_t attribute;  // the attribute text is written with
};

// The size taken for a console or terminal that reports none.
inline constexpr Coord fallbackScreenSize = {80, 25};

// Takes the console behind `output` for the program. On a terminal this opens
// the session: raw mode, the start-up queries, the keyboard modes; of the
// Windows console, its cells are read into memory. False when `output` is no
// console or cannot be taken; nothing has changed then.
bool OpenConsole(Handle output);

// Gives the console back: what was drawn is shown and every change made to
// the terminal is undone. Safe to call when it was never opened, and twice.
void CloseConsole(Handle output);

// What the console behind `output` reports; false when it is not a console (a
// file, a pipe, nothing). Changes nothing.
bool QueryScreen(Handle output, ScreenInfo& info);

// The console's screen buffer when standard output is not one ("CONOUT$",
// /dev/tty); invalidHandle when the process has no console at all.
Handle OpenConsoleOutput();

// The platform identifier the operating system reports: 2 for the NT family.
uint32_t PlatformId();

void SetCursor(Handle output, Coord position);

// One cell, nothing interpreted; the cursor does not move.
void WriteCell(Handle output, Coord position, Cell cell);

// The console's rectangle scroll: the content of `scroll` (clipped to the
// buffer) moves to `destination` (its new top-left corner), changing only cells
// inside `clip` (the whole buffer when null); every cell of `scroll` inside
// `clip` that nothing moved into takes `fill`.
void ScrollCells(Handle output, const Rect& scroll, const Rect* clip, Coord destination, Cell fill);

// Sets one cell's character and attribute directly.
void FillCell(Handle output, Coord position, Cell cell);

// ---- Console input --------------------------------------------------------

// Event kinds, as the console numbers them, and one of the platform's own.
inline constexpr uint16_t keyEvent = 0x0001;
inline constexpr uint16_t mouseEvent = 0x0002;
inline constexpr uint16_t bufferSizeEvent = 0x0004;
inline constexpr uint16_t menuEvent = 0x0008;
inline constexpr uint16_t focusEvent = 0x0010;
// Standard input that is not a console has ended: no key will ever come.
inline constexpr uint16_t endOfInputEvent = 0x8000;

// Bits of InputEvent::controlKeyState.
inline constexpr uint32_t rightAltPressed = 0x0001;
inline constexpr uint32_t leftAltPressed = 0x0002;
inline constexpr uint32_t rightCtrlPressed = 0x0004;
inline constexpr uint32_t leftCtrlPressed = 0x0008;
inline constexpr uint32_t shiftPressed = 0x0010;
inline constexpr uint32_t numLockOn = 0x0020;
inline constexpr uint32_t scrollLockOn = 0x0040;
inline constexpr uint32_t capsLockOn = 0x0080;
inline constexpr uint32_t enhancedKey = 0x0100;

struct InputEvent {
  uint16_t eventType;        // keyEvent, another kind, or endOfInputEvent
  bool keyDown;              // key events: the key went down (false: came up)
  uint16_t repeatCount;      // key events: how many presses the event stands for
  uint16_t virtualKeyCode;   // key events: the Win32 virtual-key code
  uint16_t virtualScanCode;  // key events: scan code set 1
  uint8_t asciiChar;         // key events: the character in code page 437, 0 for none
  uint32_t controlKeyState;  // key events: the bits above
};

// How many events wait in the input queue; never blocks. On a terminal it first
// takes in as much input as the queue has room for; the rest waits in the
// terminal's own buffer for a later call. No key is ever dropped.
uint32_t PendingInputEvents(Handle input);

// Takes the oldest event; called only when PendingInputEvents was above 0.
void ReadInputEvent(Handle input, InputEvent& event);

// PauseForInput's pause for a reader that holds no key: only input can give it
// one, so the pause has no limit of its own.
inline constexpr uint32_t untilInput = 0xFFFFFFFF;

// Gives the processor away until input may have come; returns at once while
// events wait. A reader that holds a key (the second byte of an extended key)
// pauses for about `milliseconds`, less when input arrives. A reader that holds
// none passes untilInput, and the pause ends only when input arrives or, on a
// terminal, when the key decoder's deadline falls due (a lone Esc becomes the
// Esc key) or a signal comes (a resize, a continue after a stop): nothing else
// wakes it. What arrived is taken in by the next PendingInputEvents, or by the
// pause itself; either way the next call reports it. On a terminal, what was
// drawn reaches the terminal before the pause.
void PauseForInput(Handle input, uint32_t milliseconds);

// ---- Process life ---------------------------------------------------------

// A processor fault in neutral terms.
struct FaultRecord {
  uint32_t exceptionCode;  // the Win32 exception code (EXCEPTION_ACCESS_VIOLATION, ...)
  uintptr_t instruction;   // address of the faulting instruction
  uintptr_t frame;         // the frame register at the fault
  bool onMainStack;        // the fault happened on the main thread's stack
};

// Asked for every fault. True: the platform resumes the faulting thread in the
// resume routine, on a stack of its own with the fault's frame register; false:
// the platform's default handling follows (the process dies of the fault).
using FaultFilter = bool (*)(const FaultRecord& fault);
using ResumeRoutine = void (*)();

void InstallFaultHandler(FaultFilter filter, ResumeRoutine resume);
void RemoveFaultHandler();

struct StackRange {
  uintptr_t low;   // lowest address of the main thread's stack
  uintptr_t high;  // one past the highest
};
StackRange StackBounds();

// Initialises the floating-point unit and loads the x87 control word (the SSE
// unit, where there is one, gets the same exception masks).
void ResetFloatingPoint(uint16_t controlWord);

// Calls `routine` with the frame register cleared, so that the chain of saved
// frame links ends in the routine's own frame.
void CallWithFrameChainEnd(void (*routine)());

// Ends the process with `code`, giving the console back first, always (a
// console already given back by CloseConsole stays as it is).
[[noreturn]] void ExitProcess(uint32_t code);

// ---- Start-up services nothing in this system reads -------------------------
// The runtime's start-up asks for them where the platform has them cheaply: the
// start-up information, the module's path and handle, the command line, and the
// free-disk-space query (found at start-up, released at the end).

void ReadStartupInformation();
void OpenDiskSpaceQuery();
void CloseDiskSpaceQuery();

}  // namespace platform
