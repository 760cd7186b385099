// Reading the one-shot program's arguments: what each command line asks for,
// and the first thing wrong with the ones that ask for nothing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "calc/command_line.h"

namespace {

using calc::RequestKind;
using calc::UsageError;

struct Expected {
  RequestKind kind;
  UsageError error = UsageError::none;
  std::string culprit = "";  // usage errors
  std::string address = "";  // answers
  std::string mask = "";     // answers given ADDRESS MASK
  int prefix = -1;           // answers given ADDRESS/PREFIX
  uint64_t count = 1;
};

struct LineCase {
  std::vector<std::string> arguments;
  Expected expected;
};

calc::Request Read(const std::vector<std::string>& arguments, const char* native = nullptr) {
  std::vector<const char*> pointers;
  for (const std::string& argument : arguments) pointers.push_back(argument.c_str());
  return calc::ReadCommandLine(int(pointers.size()), pointers.data(), native);
}

Expected Answer(std::string address, std::string mask, uint64_t count = 1) {
  return {
      RequestKind::answer, UsageError::none, "", std::move(address), std::move(mask), -1, count};
}
Expected AnswerPrefix(std::string address, int prefix, uint64_t count = 1) {
  return {RequestKind::answer, UsageError::none, "", std::move(address), "", prefix, count};
}
Expected Refused(UsageError error, std::string culprit = "") {
  return {RequestKind::usageError, error, std::move(culprit)};
}
const Expected help = {RequestKind::help};
const Expected version = {RequestKind::version};

void Check(const calc::Request& got, const Expected& want) {
  EXPECT_EQ(got.kind, want.kind);
  EXPECT_EQ(got.error, want.error);
  if (want.kind == RequestKind::usageError) {
    EXPECT_EQ(got.culprit == nullptr ? "" : std::string(got.culprit, size_t(got.culpritLength)),
              want.culprit);
  }
  if (want.kind != RequestKind::answer) return;
  EXPECT_EQ(std::string(got.address, size_t(got.addressLength)), want.address);
  EXPECT_EQ(got.mask == nullptr ? "" : std::string(got.mask), want.mask);
  if (want.prefix >= 0) {
    EXPECT_EQ(got.mask, nullptr);
    EXPECT_EQ(got.prefix, want.prefix);
  } else {
    EXPECT_NE(got.mask, nullptr);
  }
  EXPECT_EQ(got.count, want.count);
}

// Each case's command line read, traced as its arguments in brackets.
template <size_t Count>
void CheckAll(const LineCase (&cases)[Count]) {
  for (const LineCase& c : cases) {
    std::string line;
    for (const std::string& argument : c.arguments) line += " [" + argument + "]";
    SCOPED_TRACE(line);
    Check(Read(c.arguments), c.expected);
  }
}

TEST(ReadCommandLine, WhatEachLineAsksFor) {
  const LineCase cases[] = {
      {{"--help"}, help},
      {{"-h"}, help},
      {{"--version"}, version},
      {{"-V"}, version},
      // The first of --help and --version wins; what follows is not read.
      {{"--version", "--help"}, version},
      {{"1.2.3.4", "--help", "x", "y"}, help},
      {{"--help", "--bogus"}, help},
      {{"192.168.1.10", "255.255.255.0"}, Answer("192.168.1.10", "255.255.255.0")},
      {{"192.168.1.10/24"}, AnswerPrefix("192.168.1.10", 24)},
      {{"10.0.0.1/0"}, AnswerPrefix("10.0.0.1", 0)},
      {{"10.0.0.1/32"}, AnswerPrefix("10.0.0.1", 32)},
      {{"10.0.0.1/08"}, AnswerPrefix("10.0.0.1", 8)},
      // The address is read leniently later, as a typed line is: any text.
      {{"/24"}, AnswerPrefix("", 24)},
      {{"", ""}, Answer("", "")},
      {{"-", "255.0.0.0"}, Answer("-", "255.0.0.0")},
      {{"10.0.0.1", "255.0.0.0/8"}, Answer("10.0.0.1", "255.0.0.0/8")},
      // The count, in each of its spellings and places.
      {{"--count", "3", "10.0.0.1/24"}, AnswerPrefix("10.0.0.1", 24, 3)},
      {{"10.0.0.1/24", "--count=3"}, AnswerPrefix("10.0.0.1", 24, 3)},
      {{"-n", "3", "10.0.0.1", "255.0.0.0"}, Answer("10.0.0.1", "255.0.0.0", 3)},
      {{"10.0.0.1", "-n7", "255.0.0.0"}, Answer("10.0.0.1", "255.0.0.0", 7)},
      {{"-n", "2", "-n", "5", "1.2.3.4/8"}, AnswerPrefix("1.2.3.4", 8, 5)},  // the last one
      // More networks than any mask makes are as many as there are.
      {{"-n", "4294967297", "0/32"}, AnswerPrefix("0", 32, calc::countLimit)},
      {{"-n", "99999999999999999999999", "0/32"}, AnswerPrefix("0", 32, calc::countLimit)},
      // After "--" everything is an argument.
      {{"--", "-1.2.3.4", "255.0.0.0"}, Answer("-1.2.3.4", "255.0.0.0")},
      {{"--", "--help", "x"}, Answer("--help", "x")},
  };
  CheckAll(cases);
}

TEST(ReadCommandLine, FirstFaultOfARefusedLine) {
  const LineCase cases[] = {
      {{"--bogus"}, Refused(UsageError::unknownOption, "--bogus")},
      {{"-x", "1.2.3.4/8"}, Refused(UsageError::unknownOption, "-x")},
      {{"-hV"}, Refused(UsageError::unknownOption, "-hV")},
      {{"--help=yes"}, Refused(UsageError::unknownOption, "--help=yes")},
      {{"--count"}, Refused(UsageError::missingCount, "--count")},
      {{"1.2.3.4/8", "-n"}, Refused(UsageError::missingCount, "-n")},
      {{"-n", "0", "1.2.3.4/8"}, Refused(UsageError::badCount, "0")},
      {{"-n", "-3", "1.2.3.4/8"}, Refused(UsageError::badCount, "-3")},
      {{"-n", "3x", "1.2.3.4/8"}, Refused(UsageError::badCount, "3x")},
      {{"-n", " 3", "1.2.3.4/8"}, Refused(UsageError::badCount, " 3")},
      {{"--count=", "1.2.3.4/8"}, Refused(UsageError::badCount, "")},
      {{"-n", "+3", "1.2.3.4/8"}, Refused(UsageError::badCount, "+3")},
      {{"1.2.3.4/33"}, Refused(UsageError::badPrefix, "33")},
      {{"1.2.3.4/"}, Refused(UsageError::badPrefix, "")},
      {{"1.2.3.4/-1"}, Refused(UsageError::badPrefix, "-1")},
      {{"1.2.3.4/2 4"}, Refused(UsageError::badPrefix, "2 4")},
      {{"1.2.3.4/24/8"}, Refused(UsageError::badPrefix, "24/8")},
      {{"1.2.3.4/255.0.0.0"}, Refused(UsageError::badPrefix, "255.0.0.0")},
      {{"1.2.3.4/99999999999999999999"}, Refused(UsageError::badPrefix, "99999999999999999999")},
      {{}, Refused(UsageError::missingAddress)},
      {{"-n", "3"}, Refused(UsageError::missingAddress)},
      {{"1.2.3.4"}, Refused(UsageError::missingMask, "1.2.3.4")},
      {{"1.2.3.4/24", "255.0.0.0"}, Refused(UsageError::extraArgument, "255.0.0.0")},
      {{"1.2.3.4", "255.0.0.0", "x", "y"}, Refused(UsageError::extraArgument, "x")},
      // Without a help spelling of its own the platform reads /? as an address.
      {{"/?"}, Refused(UsageError::badPrefix, "?")},
  };
  CheckAll(cases);
}

TEST(ReadCommandLine, ThePlatformsOwnHelpSpelling) {
  Check(Read({"/?"}, "/?"), help);
  Check(Read({"1.2.3.4", "/?"}, "/?"), help);
  Check(Read({"--", "/?"}, "/?"), Refused(UsageError::badPrefix, "?"));
}

TEST(PrefixMask, LeadingOnes) {
  const std::pair<uint8_t, uint32_t> cases[] = {{0, 0},           {1, 0x80000000},
                                                {8, 0xFF000000},  {24, 0xFFFFFF00},
                                                {31, 0xFFFFFFFE}, {32, 0xFFFFFFFF}};
  for (const auto& [prefix, mask] : cases) EXPECT_EQ(calc::PrefixMask(prefix), mask) << int(prefix);
}

}  // namespace
