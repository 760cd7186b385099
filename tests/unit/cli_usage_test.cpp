// The usage lines of --help and of the man page's synopsis, held to the
// program: both say the same forms, and every way a line can be written out
// (each option in or out, each alternative, placeholders given values) is a
// command line the program takes.
#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "cli/one_shot.h"
#include "cli/options.h"
#include "tests/fake/fake_platform.h"

namespace {

using Line = std::vector<std::string>;

// The usage lines of --help, each without its "Usage: " or its indent.
std::vector<std::string> HelpUsage() {
  fake::Reset();
  EXPECT_TRUE(fake::RunWithArguments(cli::AnswerOnce, {"--help"}));
  std::istringstream help(fake::state.handles[fake::outputHandle].written);
  std::vector<std::string> lines;
  for (std::string line; std::getline(help, line);) {
    if (line.rfind("Usage: netstep", 0) != 0 && line.rfind("       netstep", 0) != 0) break;
    lines.push_back(line.substr(7));
  }
  return lines;
}

// A troff macro line as the text it sets: its arguments, quoted ones whole,
// joined without spaces (the font alternates) or, for .B and .I, with them.
std::string SetText(const std::string& line) {
  std::string text, argument;
  bool quoted = false;
  std::vector<std::string> arguments;
  const size_t space = line.find(' ');
  for (size_t i = space == std::string::npos ? line.size() : space + 1; i < line.size(); ++i) {
    if (line[i] == '"') {
      quoted = !quoted;
    } else if (line[i] == ' ' && !quoted) {
      arguments.push_back(argument), argument.clear();
    } else if (line[i] != '\\') {
      argument += line[i];
    }
  }
  arguments.push_back(argument);
  const std::string macro = line.substr(0, space);
  const std::string joint = macro == ".B" || macro == ".I" ? " " : "";
  for (size_t i = 0; i < arguments.size(); ++i) text += (i > 0 ? joint : "") + arguments[i];
  return text;
}

// The synopsis of doc/netstep.1 as text, one line per form.
std::vector<std::string> ManSynopsis() {
  std::ifstream in(NETSTEP_SOURCE_DIR "/doc/netstep.1");
  std::vector<std::string> lines;
  bool inSynopsis = false;
  for (std::string line; std::getline(in, line);) {
    if (line.rfind(".SH", 0) == 0) {
      if (inSynopsis) break;
      inSynopsis = line == ".SH SYNOPSIS";
      continue;
    }
    if (!inSynopsis) continue;
    if (line == ".br") {
      lines.emplace_back();
      continue;
    }
    if (lines.empty()) lines.emplace_back();
    const std::string piece = line[0] == '.' ? SetText(line) : line;
    lines.back() += (lines.back().empty() ? "" : " ") + piece;
  }
  return lines;
}

// Every way to write out the words from `at` up to a "]" or the end:
// optional groups in or out, alternatives each, "X..." once and twice.
std::vector<Line> Expand(const std::vector<std::string>& words, size_t& at) {
  std::vector<Line> alternatives = {{}}, current = {{}};
  const auto append = [](std::vector<Line>& lines, const std::vector<Line>& tails) {
    std::vector<Line> joined;
    for (const Line& line : lines) {
      for (const Line& tail : tails) {
        Line both = line;
        both.insert(both.end(), tail.begin(), tail.end());
        joined.push_back(both);
      }
    }
    lines = joined;
  };
  alternatives.clear();
  while (at < words.size() && words[at] != "]") {
    std::string word = words[at++];
    if (word == "|") {
      alternatives.insert(alternatives.end(), current.begin(), current.end());
      current = {{}};
      continue;
    }
    std::vector<Line> item;
    if (word == "[") {
      item = Expand(words, at);
      ++at;  // the "]"
      item.push_back({});
    } else {
      item = {{word}};
    }
    if (at < words.size() && words[at] == "...") {
      ++at;
      std::vector<Line> twice = item;
      append(twice, item);
      item.insert(item.end(), twice.begin(), twice.end());
    }
    append(current, item);
  }
  alternatives.insert(alternatives.end(), current.begin(), current.end());
  return alternatives;
}

// A usage line as words: brackets, bars and "..." apart, placeholders given
// values the program takes.
std::vector<std::string> Words(const std::string& line) {
  const std::map<std::string, std::string> values = {{"ADDRESS", "192.168.1.10"},
                                                     {"MASK", "255.255.255.0"},
                                                     {"ADDRESS/PREFIX", "10.0.0.0/24"},
                                                     {"PREFIX", "26"},
                                                     {"N", "2"},
                                                     {"COUNTS", "10,20"},
                                                     {"FIRST-LAST", "10.0.0.1-10.0.0.9"},
                                                     {"FILE", "routes.txt"},
                                                     {"NETWORK", "2001:db8::/32"},
                                                     {"LIST", "10.0.0.0/8,fc00::/7"}};
  std::string spaced;
  for (size_t i = 0; i < line.size(); ++i) {
    if (line.compare(i, 3, "...") == 0) {
      spaced += " ... ";
      i += 2;
    } else if (line[i] == '[' || line[i] == ']' || line[i] == '|') {
      spaced += std::string(" ") + line[i] + " ";
    } else {
      spaced += line[i];
    }
  }
  std::istringstream in(spaced);
  std::vector<std::string> words;
  for (std::string word; in >> word;) {
    const auto value = values.find(word);
    const bool placeholder = word.size() > 1 && std::isupper(static_cast<unsigned char>(word[0]));
    EXPECT_TRUE(value != values.end() || !placeholder) << "no value for " << word;
    words.push_back(value == values.end() ? word : value->second);
  }
  return words;
}

TEST(Usage, HelpAndManPageSayTheSameForms) {
  std::vector<std::string> man = ManSynopsis();
  ASSERT_FALSE(man.empty());
  EXPECT_EQ(man.back(), "netstep --help | --version");
  man.pop_back();
  EXPECT_EQ(man, HelpUsage());
}

TEST(Usage, EveryWayToWriteAUsageLineIsTaken) {
  for (const std::string& usage : HelpUsage()) {
    const std::vector<std::string> words = Words(usage);
    size_t at = 1;  // after "netstep"
    for (const Line& line : Expand(words, at)) {
      if (line.empty()) continue;  // the interactive program
      std::vector<const char*> arguments;
      std::string shown;
      for (const std::string& word : line) arguments.push_back(word.c_str()), shown += " " + word;
      const cli::Request request =
          cli::ReadOptions(int(arguments.size()), arguments.data(), nullptr);
      EXPECT_NE(request.form, cli::Form::usageError)
          << usage << "\n  as" << shown << "\n  " << request.reason;
    }
  }
}

// The examples of --help are command lines the program takes: each
// "netstep ..." of them, without what the shell makes of "<", "|" and "&&".
TEST(Usage, EveryExampleIsTaken) {
  fake::Reset();
  ASSERT_TRUE(fake::RunWithArguments(cli::AnswerOnce, {"--help"}));
  std::istringstream help(fake::state.handles[fake::outputHandle].written);
  std::string line;
  while (std::getline(help, line) && line.rfind("Examples", 0) != 0) {
  }
  int examples = 0;
  while (std::getline(help, line) && line.rfind("  ", 0) == 0) {
    for (size_t at = line.find("netstep "); at != std::string::npos;
         at = line.find("netstep ", at + 1)) {
      std::istringstream words(line.substr(at + 8));
      std::vector<std::string> arguments;
      for (std::string word; words >> word && word != "<" && word != "&&" && word != "netstep";)
        arguments.push_back(word);
      std::vector<const char*> pointers;
      for (const std::string& argument : arguments) pointers.push_back(argument.c_str());
      const cli::Request request = cli::ReadOptions(int(pointers.size()), pointers.data(), nullptr);
      EXPECT_NE(request.form, cli::Form::usageError) << line << "\n  " << request.reason;
      ++examples;
    }
  }
  EXPECT_GE(examples, 12);
}

}  // namespace
