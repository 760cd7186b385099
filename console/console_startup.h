// Start-up of the console layer: the fourth module of the program.
#pragma once

namespace console {

// Finds and measures the console and binds the standard output and input
// streams to the console layer.
void ConsoleStartup();

}  // namespace console
