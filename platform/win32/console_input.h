// The standard input handle as the console input procedures see it, looked at
// as soon as it is known.
#pragma once

#include "platform/platform.h"

namespace platform::win32 {

// Called once the standard input handle is obtained, before anything is drawn:
// tells a console from redirected input, and peeks at a console's events
// once. Wine's console on a Unix terminal takes the terminal out of its line
// discipline only then; keys typed before would be echoed by the terminal and
// their CR turned into LF (which Wine reports as Ctrl+Enter).
void StartInput(Handle input);

}  // namespace platform::win32
