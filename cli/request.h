// What the command line asks for: the form netstep answers in, its operands
// as they were written, its options, or the one reason the line is refused.
// ReadOptions makes it once; the form that answers it takes it from there.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace cli {

enum class Form : uint8_t {
  help,
  version,
  answer,      // the four lines of the network (--count: several in a row)
  split,       // the network's subnets of one prefix
  hosts,       // subnets sized for host counts, and the space left
  range,       // FIRST-LAST as the fewest networks
  set,         // the union of networks, intersected and less exclusions, as the fewest
               // networks or its count of addresses (-A, -i, -x, -C)
  grep,        // the lines of files that hold addresses of a set (-g)
  list,        // each line of a list answered in its own form
  usageError,  // `reason` says why
};

// More networks than any mask makes are as many as there are.
inline constexpr uint64_t countLimit = uint64_t(1) << 32;

// A LIST as the command line gave it: networks, ranges and addresses
// separated by commas, or @FILE.
struct ListArgument {
  std::string option;  // the option as written: "-x", "--exclude"
  std::string text;
};

struct Request {
  Form form = Form::usageError;
  std::string reason;  // usageError: the reason, without "netstep: "

  // The network of answer, split and hosts: ADDRESS and MASK as written, or
  // ADDRESS/PREFIX (hasMask false), the prefix within the address's family.
  // The range's FIRST and LAST as written.
  std::string address;
  std::string mask;
  bool hasMask = false;
  uint8_t prefix = 0;
  std::string first;
  std::string last;

  uint64_t count = 1;                       // --count: 1 to countLimit
  bool counted = false;                     // --count given: in JSON, the answers come as an array
  bool split = false;                       // --split given
  uint8_t splitPrefix = 0;                  // --split's prefix, 0 to 128
  std::string splitText;                    // --split's prefix as written
  std::vector<uint64_t> hosts;              // --hosts, in the order given
  std::vector<std::string> files;           // --file, in the order given; "-" is standard input
  std::vector<std::string> operands;        // set: networks as arguments; grep: files
  std::vector<ListArgument> intersections;  // --intersect, in the order given
  std::vector<ListArgument> exclusions;     // --exclude, in the order given
  bool countAddresses = false;              // --count-addresses
  ListArgument grep;                        // --grep's LIST
  bool invertMatch = false;                 // --invert-match
  bool countLines = false;                  // --count-lines
  bool quiet = false;                       // --quiet
  bool all = false;                         // --all
  bool json = false;                        // --json
};

}  // namespace cli
