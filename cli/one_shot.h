// The command-line program: netstep started with arguments answers once on
// its standard streams and exits, with no console module and no terminal.
#pragma once

namespace cli {

// The main program with arguments: initialises the modules, writes what the
// command line asks for and takes the normal exit. A bad address, mask,
// range, host plan or list line ends with exit code 1 and a bad command line
// with exit code 2, each with its reason on the standard error stream.
[[noreturn]] void AnswerOnce();

}  // namespace cli
