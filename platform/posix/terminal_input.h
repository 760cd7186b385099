// Where the session's keys come from, and the one reader that feeds the key
// decoder: it reads no more than the event queue has room for, so that no key
// is ever dropped; what does not fit waits in the terminal's own buffer.
#pragma once

namespace platform::posix {

// Chooses the descriptor keys are read from: standard input, whether a
// terminal or redirected; when it is closed, the controlling terminal opened
// for reading (above the standard descriptors), read as the terminal.
void OpenKeySource();

// Closes the controlling terminal opened by OpenKeySource, if it was.
void CloseKeySource();

// The keys typed before raw mode that still wait on the key source: the line
// discipline made Enter's CR an LF in them, which the reader undoes.
void NoteCookedTypeAhead();

// What one look at a descriptor found.
enum class KeyRead { nothing, bytes, noRoom, ended };

// Reads what is there without waiting, as much as the event queue has room
// for, and decodes it. `ended`: the descriptor is at its end or cannot be read.
KeyRead TakeKeyBytes(int fd);

}  // namespace platform::posix
