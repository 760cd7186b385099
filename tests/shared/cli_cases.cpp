// Reading the command-line cases (cli_cases.h).
#include "tests/shared/cli_cases.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace cases {

namespace {

std::string Unescaped(const std::string& text) {
  std::string plain;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 == text.size()) {
      plain += text[i];
      continue;
    }
    const char next = text[++i];
    plain += next == 't' ? '\t' : next == 'r' ? '\r' : next;
  }
  return plain;
}

// Words separated by blanks; '...' quotes a word that holds blanks or is empty.
std::vector<std::string> Words(const std::string& text, const std::string& where) {
  std::vector<std::string> words;
  size_t at = 0;
  for (;;) {
    at = text.find_first_not_of(' ', at);
    if (at == std::string::npos) return words;
    std::string word;
    while (at < text.size() && text[at] != ' ') {
      if (text[at] != '\'') {
        word += text[at++];
        continue;
      }
      const size_t close = text.find('\'', at + 1);
      if (close == std::string::npos) throw std::runtime_error(where + ": unclosed quote");
      word += text.substr(at + 1, close - at - 1);
      at = close + 1;
    }
    words.push_back(Unescaped(word));
  }
}

// The text after a line's mark and its one space.
std::string Rest(const std::string& line) {
  return Unescaped(line.size() > 2 ? line.substr(2) : "");
}

void ReadFile(const std::filesystem::path& path, std::vector<CliCase>& all) {
  std::ifstream in(path);
  std::string line;
  int number = 0;
  CliCase* current = nullptr;
  while (std::getline(in, line)) {
    ++number;
    const std::string where = path.filename().string() + ":" + std::to_string(number);
    if (line.empty() || line[0] == '#') continue;
    if (line.rfind("$ netstep", 0) == 0) {
      current = &all.emplace_back();
      current->where = where;
      current->arguments = Words(line.substr(9), where);
      for (const std::string& argument : current->arguments)
        current->inputAsFile = current->inputAsFile || argument.find("$IN") != std::string::npos;
      continue;
    }
    if (current == nullptr) throw std::runtime_error(where + ": a line before the first case");
    switch (line[0]) {
      case '<':
        current->input += Rest(line) + "\n";
        break;
      case '>':
        current->out.push_back(Rest(line));
        break;
      case '!':
        current->err.push_back(Rest(line));
        break;
      case '?':
        current->code = std::atoi(line.c_str() + 1);
        break;
      case '%':
        current->outAsInput = true;
        break;
      default:
        throw std::runtime_error(where + ": a line without its mark");
    }
  }
}

}  // namespace

std::vector<CliCase> ReadCliCases(const std::string& folder) {
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().extension() == ".txt") files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  std::vector<CliCase> all;
  for (const auto& file : files) ReadFile(file, all);
  return all;
}

std::string WithInputName(std::string text, const std::string& inputName) {
  for (size_t at; (at = text.find("$IN")) != std::string::npos;) text.replace(at, 3, inputName);
  return text;
}

std::string Ended(const std::vector<std::string>& lines, const std::string& lineEnd) {
  std::string text;
  for (const std::string& line : lines) text += line + lineEnd;
  return text;
}

}  // namespace cases
