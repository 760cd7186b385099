// Address and mask texts with what the calculator makes of them: one table for
// the calculator's unit tests, the one-shot program's tests and the
// end-to-end comparison of the one-shot answers with the interactive screens.
#pragma once

#include <cstdint>

namespace cases {

// A text pair and the four addresses of its network, as the view prints them.
struct NetworkCase {
  const char* address;  // as typed at the prompt or given on the command line
  const char* mask;
  int prefix;  // the mask as ADDRESS/PREFIX gives it; -1 when it is no prefix
  const char* network;
  const char* firstHost;
  const char* lastHost;
  const char* broadcast;
  // Written the ordinary way: four decimal components each. The command line
  // reads only these; it refuses what only the prompts' lenient rule takes.
  bool ordinary = true;
};

inline constexpr NetworkCase networkCases[] = {
    {"192.168.1.10", "255.255.255.0", 24, "192.168.1.0", "192.168.1.1", "192.168.1.254",
     "192.168.1.255"},
    // Enter on both prompts: the whole address space.
    {"", "", 0, "0.0.0.0", "0.0.0.1", "255.255.255.254", "255.255.255.255", false},
    // No host bit: one address, itself the only host, even at either end.
    {"255.255.255.255", "255.255.255.255", 32, "255.255.255.255", "255.255.255.255",
     "255.255.255.255", "255.255.255.255"},
    {"0.0.0.0", "255.255.255.255", 32, "0.0.0.0", "0.0.0.0", "0.0.0.0", "0.0.0.0"},
    {"10.0.0.7", "255.255.255.255", 32, "10.0.0.7", "10.0.0.7", "10.0.0.7", "10.0.0.7"},
    // One host bit: a point-to-point pair, both usable.
    {"10.0.0.7", "255.255.255.254", 31, "10.0.0.6", "10.0.0.6", "10.0.0.7", "10.0.0.7"},
    {"10.0.0.1", "127.255.255.255", -1, "10.0.0.1", "10.0.0.1", "138.0.0.1", "138.0.0.1"},
    // A run of ones that does not start at the top is used unchanged.
    {"10.20.30.40", "0.0.255.0", -1, "0.0.30.0", "0.0.30.1", "255.255.30.254", "255.255.30.255"},
    {"255.255.255.200", "255.255.255.252", 30, "255.255.255.200", "255.255.255.201",
     "255.255.255.202", "255.255.255.203"},
    // The lenient reading: a line counts with its first 16 characters, fewer
    // than four components are right-aligned, more keep the last four, a
    // component keeps three characters and skips what is not a digit.
    {"192.168.100.200.7", "255.255.255.0", 24, "168.100.200.0", "168.100.200.1", "168.100.200.254",
     "168.100.200.255", false},
    {"10.1", "255.255.0.0", 16, "0.0.0.0", "0.0.0.1", "0.0.255.254", "0.0.255.255", false},
    {"1.2.3.4.5", "255.255.255.0", 24, "2.3.4.0", "2.3.4.1", "2.3.4.254", "2.3.4.255", false},
    {"25a.0.0.1", "255.0.0.0", 8, "25.0.0.0", "25.0.0.1", "25.255.255.254", "25.255.255.255",
     false},
    {"1000.0.0.1", "255.255.255.0", 24, "100.0.0.0", "100.0.0.1", "100.0.0.254", "100.0.0.255",
     false},
};

// A task's texts and the input error code they end with: 1 a component above
// 255, 2 a mask that is not one run, 3 both.
struct InputCodeCase {
  const char* address;
  const char* mask;
  uint8_t code;
  bool ordinary = true;  // as in NetworkCase
};

inline constexpr InputCodeCase inputCodeCases[] = {
    {"10.0.0.1", "255.255.255.0", 0},
    {"10.0.0.300", "255.255.255.0", 1},
    {"10.0.0.1", "255.0.255.0", 2},
    {"10.0.0.999", "255.0.255.0", 3},
    {"10.0.0.1", "255.300.255.0", 3},
    {"10.0.0.1", "255.255.254.1", 2},
    {"", "", 0, false},
};

}  // namespace cases
