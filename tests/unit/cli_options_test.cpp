// Reading the command line: what each line asks for, read as GNU tools read
// options, and the reason for each line that asks for nothing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "calc/network_blocks.h"
#include "cli/options.h"

namespace {

using cli::Form;

cli::Request Read(const std::vector<std::string>& arguments, const char* native = nullptr) {
  std::vector<const char*> pointers;
  for (const std::string& argument : arguments) pointers.push_back(argument.c_str());
  return cli::ReadOptions(int(pointers.size()), pointers.data(), native);
}

// A request as one line of text, so that a table can say what it expects.
std::string Describe(const cli::Request& r) {
  std::string text;
  switch (r.form) {
    case Form::help:
      return "help";
    case Form::version:
      return "version";
    case Form::usageError:
      return "refused: " + r.reason;
    case Form::range:
      text = "range [" + r.first + "] [" + r.last + "]";
      break;
    case Form::set:
      text = "set";
      for (const std::string& operand : r.operands) text += " [" + operand + "]";
      for (const cli::ListArgument& list : r.intersections)
        text += " " + list.option + " [" + list.text + "]";
      for (const cli::ListArgument& list : r.exclusions)
        text += " " + list.option + " [" + list.text + "]";
      if (r.countAddresses) text += " count";
      break;
    case Form::list:
      text = "list";
      break;
    default:
      text = r.form == Form::split ? "split" : r.form == Form::hosts ? "hosts" : "answer";
      text += " [" + r.address + "]" +
              (r.hasMask ? " [" + r.mask + "]" : "/" + std::to_string(r.prefix));
  }
  if (r.split) text += " split " + std::to_string(r.splitPrefix);
  if (r.count != 1) text += " count " + std::to_string(r.count);
  for (uint64_t hosts : r.hosts) text += " " + std::to_string(hosts);
  for (const std::string& file : r.files) text += " file [" + file + "]";
  if (r.all) text += " all";
  if (r.json) text += " json";
  return text;
}

struct LineCase {
  std::vector<std::string> arguments;
  std::string expected;
};

void CheckAll(const std::vector<LineCase>& cases, const char* native = nullptr) {
  for (const LineCase& c : cases) {
    std::string line;
    for (const std::string& argument : c.arguments) line += " [" + argument + "]";
    EXPECT_EQ(Describe(Read(c.arguments, native)), c.expected) << line;
  }
}

TEST(ReadOptions, WhatEachLineAsksFor) {
  CheckAll({
      {{"--help"}, "help"},
      {{"-V"}, "version"},
      // The first of --help and --version wins; what follows is not read.
      {{"--version", "--help"}, "version"},
      {{"1.2.3.4", "--help", "x", "y"}, "help"},
      {{"-hV"}, "help"},
      {{"--vers"}, "version"},  // an unambiguous abbreviation
      {{"192.168.1.10", "255.255.255.0"}, "answer [192.168.1.10] [255.255.255.0]"},
      {{"192.168.1.10/24"}, "answer [192.168.1.10]/24"},
      {{"10.0.0.1/08"}, "answer [10.0.0.1]/8"},
      // The address is only placed here; the form reads it strictly.
      {{"/24"}, "answer []/24"},
      {{"-", "255.0.0.0"}, "answer [-] [255.0.0.0]"},
      {{"10.0.0.1", "255.0.0.0/8"}, "answer [10.0.0.1] [255.0.0.0/8]"},
      // Blanks around an operand are no part of it.
      {{" 10.0.0.1/24\t"}, "answer [10.0.0.1]/24"},
      {{" 10.0.0.1 ", " 255.0.0.0"}, "answer [10.0.0.1] [255.0.0.0]"},
      {{" 10.0.0.3 - 10.0.0.17 "}, "range [10.0.0.3] [10.0.0.17]"},
      // Each option in each of its spellings and places.
      {{"--count", "3", "10.0.0.1/24"}, "answer [10.0.0.1]/24 count 3"},
      {{"10.0.0.1/24", "--count=3", "-aj"}, "answer [10.0.0.1]/24 count 3 all json"},
      {{"10.0.0.1", "-n7", "255.0.0.0"}, "answer [10.0.0.1] [255.0.0.0] count 7"},
      {{"-n", "99999999999999999999999", "0/32"}, "answer [0]/32 count 4294967296"},
      {{"-s", "26", "192.168.1.0/24"}, "split [192.168.1.0]/24 split 26"},
      {{"--split=/26", "192.168.1.0/24", "-j"}, "split [192.168.1.0]/24 split 26 json"},
      {{"-js26", "192.168.1.0/24"}, "split [192.168.1.0]/24 split 26 json"},
      {{"--hosts", "100,50,10", "192.168.1.0/24"}, "hosts [192.168.1.0]/24 100 50 10"},
      {{"10.0.0.3-10.0.0.17"}, "range [10.0.0.3] [10.0.0.17]"},
      {{"-j", "10.0.0.3-"}, "range [10.0.0.3] [] json"},
      {{"-A"}, "set"},
      {{"--aggr", "-f", "routes"}, "set file [routes]"},
      // Networks as arguments; every option of a set makes the form a set's.
      {{"-A", " 0.0.0.0/0", "::/0"}, "set [0.0.0.0/0] [::/0]"},
      {{"-x", "10.0.0.0/8", "-C", "--intersect=@-", "1.0.0.0/8", "--excl", "@x"},
       "set [1.0.0.0/8] --intersect [@-] -x [10.0.0.0/8] --excl [@x] count"},
      {{"-f", "-", "-a"}, "list file [-] all"},
      {{"-s", "30", "--file", "nets"}, "list split 30 file [nets]"},
      // Lists are read in the order given; an empty name is a name.
      {{"-A", "-f", "a", "--file=b", "-f-"}, "set file [a] file [b] file [-]"},
      {{"-f", ""}, "list file []"},
      // After "--" everything is an argument.
      {{"--", "-1.2.3.4", "255.0.0.0"}, "answer [-1.2.3.4] [255.0.0.0]"},
      {{"--", "--help", "x"}, "answer [--help] [x]"},
  });
}

TEST(ReadOptions, ReasonOfARefusedLine) {
  CheckAll({
      {{"--bogus"}, "refused: unknown option '--bogus'"},
      {{"-z", "1.2.3.4/8"}, "refused: unknown option '-z'"},
      {{"-az"}, "refused: unknown option '-z'"},
      {{"--help=yes"}, "refused: option '--help' takes no value"},
      {{"--a"}, "refused: option '--a' is ambiguous"},
      {{"--count"}, "refused: option '--count' needs a count of networks"},
      {{"1.2.3.4/8", "-n"}, "refused: option '-n' needs a count of networks"},
      {{"1.2.3.4/8", "-s"}, "refused: option '-s' needs a prefix length"},
      {{"-n", "0", "1.2.3.4/8"},
       "refused: the count of networks must be a whole number from 1 up, not '0'"},
      {{"--count=", "1.2.3.4/8"},
       "refused: the count of networks must be a whole number from 1 up, not ''"},
      {{"-n", "+3", "1.2.3.4/8"},
       "refused: the count of networks must be a whole number from 1 up, not '+3'"},
      {{"1.2.3.4/33"}, "refused: the prefix must be a whole number from 0 to 32, not '33'"},
      {{"1.2.3.4/"}, "refused: the prefix must be a whole number from 0 to 32, not ''"},
      {{"1.2.3.4/24/8"}, "refused: the prefix must be a whole number from 0 to 32, not '24/8'"},
      {{"-s", "x", "1.2.3.4/8"},
       "refused: the prefix must be a whole number from 0 to 32, not 'x'"},
      {{"-s", "33", "1.2.3.4/8"},
       "refused: the prefix must be a whole number from 0 to 32, not '33'"},
      {{"-s", "129", "2001:db8::/32"},
       "refused: the prefix must be a whole number from 0 to 128, not '129'"},
      {{"2001:db8::/129"}, "refused: the prefix must be a whole number from 0 to 128, not '129'"},
      {{"-H", "100,,5", "1.2.3.4/8"},
       "refused: the host counts must be whole numbers from 1 to 4294967294, separated by "
       "commas, not '100,,5'"},
      {{"-H", "4294967295", "0/0"},
       "refused: the host counts must be whole numbers from 1 to 4294967294, separated by "
       "commas, not '4294967295'"},
      {{}, "refused: an address and a mask are needed"},
      {{"1.2.3.4"}, "refused: a mask is needed after the address '1.2.3.4'"},
      {{"1.2.3.4/24", "255.0.0.0"}, "refused: unexpected argument '255.0.0.0'"},
      {{"1.2.3.4", "255.0.0.0", "x"}, "refused: unexpected argument 'x'"},
      {{"-f", "x", "10.0.0.0/8"}, "refused: unexpected argument '10.0.0.0/8'"},
      // Options that mean nothing together, named as they were written.
      {{"-s", "26", "--hosts=5", "1.2.3.4/24"},
       "refused: options '-s' and '--hosts' do not go together"},
      {{"-A", "-s24"}, "refused: options '-s' and '-A' do not go together"},
      {{"-n3", "-f", "x", "-H", "1"}, "refused: options '-H' and '-n' do not go together"},
      {{"-a", "-s", "30", "1.2.3.4/24"}, "refused: options '-s' and '-a' do not go together"},
      {{"-C", "-n", "2"}, "refused: options '-C' and '-n' do not go together"},
      {{"-s", "24", "-i", "x"}, "refused: options '-s' and '-i' do not go together"},
      {{"--count", "2", "10.0.0.1-10.0.0.9"}, "refused: option '--count' does not go with a range"},
      // An option that takes one value may be given once.
      {{"-n", "2", "-n", "5", "1.2.3.4/8"}, "refused: option '-n' is given twice"},
      {{"-s24", "--split", "26", "1.2.3.4/8"}, "refused: option '--split' is given twice"},
      {{"-H", "10", "-H", "20", "1.2.3.4/8"}, "refused: option '-H' is given twice"},
      // Without a help spelling of its own the platform reads /? as an address.
      {{"/?"}, "refused: the prefix must be a whole number from 0 to 32, not '?'"},
  });
}

TEST(ReadOptions, ThePlatformsOwnHelpSpelling) {
  CheckAll({{{"/?"}, "help"},
            {{"1.2.3.4", "/?"}, "help"},
            {{"--", "/?"}, "refused: the prefix must be a whole number from 0 to 32, not '?'"}},
           "/?");
}

}  // namespace
