// The arguments the process was started with, as the C runtime split them,
// kept by the start-up for the main program to read.
#pragma once

namespace runtime {

struct CommandLine {
  int count;               // entries in `arguments`, the program's path included; 0: none given
  char* const* arguments;  // zero-terminated texts, the program's path first
};

// What StartProgram was given; nothing changes it afterwards.
extern CommandLine commandLine;

// The arguments after the program's path: how many, and the first of them
// (ArgumentCount() texts in a row).
int ArgumentCount();
const char* const* Arguments();

}  // namespace runtime
