// Standard input that is not a console (a file or a pipe) as console key
// events: each byte one key of the US layout, LF and CR LF one Enter, and after
// the last byte one end-of-input event. PeekNamedPipe keeps ReadFile on a pipe
// from waiting for its writer, where the pipe can be peeked.
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace platform::win32 {

inline constexpr int byteInputCapacity = 256;

struct ByteInput {
  Handle handle;                     // the file or pipe the bytes come from
  bool peekFirst;                    // a pipe, peeked before each read: reading it empty waits
  uint8_t bytes[byteInputCapacity];  // read and not yet turned into events
  int next;                          // the next byte to take, 0 .. end
  int end;                           // bytes held, 0 .. byteInputCapacity
  bool afterReturn;                  // the last byte taken was CR: an LF now is its pair
  bool ended;                        // nothing more can be read
  bool endDelivered;                 // the end-of-input event has been handed out
  bool eventReady;                   // `event` holds the next event
  InputEvent event;
};

void StartByteInput(ByteInput& input, Handle handle);

// Gets the next event ready when it can be had without waiting: true then.
// After the end-of-input event no further event ever comes.
bool PrepareByteEvent(ByteInput& input);

// Hands out the ready event; an event of kind 0 when none was ready.
void TakeByteEvent(ByteInput& input, InputEvent& event);

}  // namespace platform::win32
