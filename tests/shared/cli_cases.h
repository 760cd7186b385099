// The command-line program's exact-bytes cases, kept as data in
// tests/cli_cases/*.txt and run by the unit tests on the fake and by the
// end-to-end suite on every program. A file holds cases one after another:
//
//   # a comment; blank lines and comments stand between cases
//   $ netstep -s 26 '192.168.1.0/24'    the arguments, in shell-like quotes
//   < 10.0.0.0/31                        a line of standard input
//   > 192.168.1.0/26                     a line of standard output
//   >                                    an empty one
//   ! netstep: -:1: not an address       a line of standard error
//   ? 1                                  the exit code (0 when there is none)
//   %                                    standard output's lines end with LF
//                                        on every platform: the input's own
//
// Lines end as the platform ends text, so they are written without an end.
// In every line "\t", "\r" and "\\" stand for a tab, a CR and a backslash.
// When the arguments hold $IN, the input goes to a file of that name rather
// than to standard input, and $IN in the expected lines is that name too.
#pragma once

#include <string>
#include <vector>

namespace cases {

struct CliCase {
  std::string where;                   // FILE:LINE of its "$" line
  std::vector<std::string> arguments;  // after the program's name
  std::string input;                   // the "<" lines, each ended with LF
  bool inputAsFile = false;            // the arguments name the input as $IN
  std::vector<std::string> out;        // the ">" lines, without their ends
  bool outAsInput = false;             // "%": they end with LF, as the input's did
  std::vector<std::string> err;        // the "!" lines
  int code = 0;
};

// Every case of every .txt file in `folder`, files in name order.
std::vector<CliCase> ReadCliCases(const std::string& folder);

// `text` with every $IN replaced by `inputName`.
std::string WithInputName(std::string text, const std::string& inputName);

// The lines, each ended with `lineEnd`.
std::string Ended(const std::vector<std::string>& lines, const std::string& lineEnd);

}  // namespace cases
