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
// for, and decodes it. `nothing`: the look found nothing to read, and an open
// sequence whose deadline has come is settled (or the look was interrupted,
// and nothing changes). `noRoom`: the descriptor was not looked at, and an open
// sequence waits for its bytes however long that takes. `ended`: the
// descriptor is at its end or cannot be read; what was open is settled.
KeyRead TakeKeyBytes(int fd);

}  // namespace platform::posix
