// The start-up questions to the terminal, and the keyboard modes its answers
// allow.
#pragma once

namespace platform::posix {

// Sends the query batch and reads the answers (about a second at most); the
// cursor position answered becomes the screen buffer's cursor, and every byte
// that is no answer is type-ahead for the key decoder.
void AskTerminal();

// The kitty keyboard flags when the terminal answered their query, and the
// application keypad, each through the undo record.
void SetUpKeyboard();

}  // namespace platform::posix
