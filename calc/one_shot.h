// The one-shot program: netstep started with arguments answers once on its
// standard streams and exits, with no console module and no terminal.
#pragma once

namespace calc {

// The main program with arguments: initialises the modules, then writes the
// help, the version or the networks the command line asks for and takes the
// normal exit; a bad address or mask stops with exit code 1, a bad command
// line with exit code 2, each with its reason on the standard error stream.
[[noreturn]] void AnswerOnce();

}  // namespace calc
