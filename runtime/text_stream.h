// Text streams: the stream record with its four routine slots, the four
// standard streams, the pending I/O error, and the formatted write and
// bounded line-read operations that every statement of the program uses.
#pragma once

#include <cstdint>

#include "platform/platform.h"
#include "runtime/short_text.h"

namespace runtime {

// Values of TextStream::mode.
inline constexpr uint32_t modeClosed = 0xD7B0;
inline constexpr uint32_t modeInput = 0xD7B1;
inline constexpr uint32_t modeOutput = 0xD7B2;

inline constexpr int streamBufferSize = 256;  // bytes in every stream's own buffer

struct TextStream;

// A routine slot. It reports failure only through ioResult; callers ignore
// the result (the line editor returns 0 there).
using StreamRoutine = int (*)(TextStream& stream);

// One per stream; the fields in this order.
struct TextStream {
  platform::Handle handle;    // device behind the stream; platform::invalidHandle when unset
  uint32_t mode;              // modeClosed, modeInput or modeOutput
  int32_t bufferSize;         // capacity of the buffer in use: 256, or SetStreamBuffer's
  int32_t bufferPos;          // output: characters waiting; input: index of the next one
  int32_t bufferEnd;          // input: valid characters in the buffer; unused for output
  char* bufferRef;            // the buffer in use: ownBuffer, or one given by SetStreamBuffer
  StreamRoutine openHook;     // run by OpenStream once the mode is set; fills the other slots
  StreamRoutine inOutDriver;  // output: hand waiting characters on; input: refill
  StreamRoutine flushHook;    // after every write statement and line end; may be empty
  StreamRoutine closeHook;    // releases the device on CloseStream
  char name[256];             // zero-terminated file name; empty for every stream here
  char ownBuffer[streamBufferSize];
};

extern TextStream standardInput;   // the keyboard once the console layer has taken it
extern TextStream standardOutput;  // the console window once the console layer has taken it
extern TextStream reportStream;    // the standard output handle; carries the failure report
extern TextStream standardError;   // the standard error handle

// The pending I/O error, 0 for none. While it is non-zero every write and read
// operation does nothing; CheckIo turns it into a fatal failure.
extern uint16_t ioResult;

// I/O error numbers.
inline constexpr uint16_t errorWriteFailed = 101;
inline constexpr uint16_t errorNotAssigned = 102;
inline constexpr uint16_t errorNotOpen = 103;
inline constexpr uint16_t errorNotOpenForInput = 104;
inline constexpr uint16_t errorNotOpenForOutput = 105;

// The check every write and read operation makes first: false while an error
// is pending, and false with the error for the stream's mode (103 closed, 104
// an output stream read, 105 an input stream written) when it is not in `mode`.
bool ReadyFor(TextStream& stream, uint32_t mode);

// Binding and opening. A stream assigned to a file name opens that file for
// reading (modeInput); the name holds up to 255 characters. Opening for output
// fails as a file that is not there would.
void AssignStream(TextStream& stream, TextRef name);
void BindStdStream(TextStream& stream, uint32_t mode, platform::Handle handle);
void OpenStream(TextStream& stream, uint32_t mode);
void OpenForOutput(TextStream& stream);
void OpenForInput(TextStream& stream);
void CloseStream(TextStream& stream);

// Gives the stream a buffer of the caller's, which lives as long as the
// stream is used: output leaves in blocks of `size`, input arrives in them.
// Anything still in the old buffer is handed on first.
void SetStreamBuffer(TextStream& stream, char* buffer, int32_t size);

// Writing. A field width right-aligns with leading spaces and never shortens.
void WriteBlock(TextStream& stream, const char* chars, int count);
void WriteSpaces(TextStream& stream, int count);
void WriteText(int width, TextStream& stream, TextRef text);
void WriteInteger(int width, TextStream& stream, int32_t value);
void WriteChar(int width, TextStream& stream, char c);
void WriteEnd(TextStream& stream);
void WriteLineEnd(TextStream& stream);
// The same with the platform's line end for text other programs read (LF on
// POSIX, CR LF on Windows), where WriteLineEnd always writes CR LF.
void WriteTextLineEnd(TextStream& stream);

// Either of the two: how a caller wants its lines ended.
using LineEndRoutine = void (*)(TextStream& stream);

// An output stream bound to a handle hands its characters on at the end of
// every statement. Once buffered (its flush hook emptied) it hands them on
// only when its buffer is full and at FlushOutput: output read by another
// program, not watched line by line, in as few system calls as fit.
void BufferOutput(TextStream& stream);
void FlushOutput(TextStream& stream);

// Room for `count` characters (at most the buffer's size) at the end of an
// output stream's buffer, handing its characters on first when they do not
// fit: the caller writes there and then moves bufferPos past what it wrote.
// Null while an error is pending.
char* OutputRoom(TextStream& stream, int32_t count);

// The signed decimal form of value into text (at most 11 characters).
void IntegerToText(int32_t value, ShortText<11>& text);

// Reading: at most `maximum` characters of the current line, then the rest of
// the line and its end (LF, CR LF, a lone CR, or the end of input).
void ReadText(TextStream& stream, TextSlot variable, int maximum);
void ReadLineEnd(TextStream& stream);

// Up to `capacity` characters as they come, line ends included; 0 at the end
// of input or while an error is pending.
int32_t ReadBlock(TextStream& stream, char* into, int32_t capacity);

// The platform's error number as an I/O error: 19 to 31 become 150 to 162 and
// 32 (sharing violation) becomes 5 (access denied).
uint16_t IoErrorOf(uint32_t platformError);

// Routine slots of streams bound to a process handle.
int HandleWriteDriver(TextStream& stream);
int HandleReadDriver(TextStream& stream);
int HandleCloseHook(TextStream& stream);

}  // namespace runtime
