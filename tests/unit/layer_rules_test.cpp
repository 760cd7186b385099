// The layer rules the build declares, checked against every include of the
// program's own folders: a folder includes its own headers, those of the
// layers it may use, and standard C++ headers; never an operating system's
// header, and never a backend of the platform seam. And the code map, which
// must name every file of the program and draw every arrow the rules declare.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// One line of the rules file that CMake writes: "folder: used..." where each
// used entry is a folder (any header in it), one header's path, or a system
// header in angle brackets.
struct LayerRule {
  std::string folder;
  std::vector<std::string> uses;
};

std::vector<LayerRule> ReadRules(const std::string& path) {
  std::vector<LayerRule> rules;
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream words(line);
    LayerRule rule;
    if (!(words >> rule.folder)) continue;
    rule.folder.pop_back();  // the colon
    for (std::string used; words >> used;) rule.uses.push_back(used);
    rules.push_back(rule);
  }
  return rules;
}

bool Allowed(const LayerRule& rule, const std::string& header) {
  if (header.starts_with(rule.folder + "/")) return true;
  for (const std::string& used : rule.uses) {
    if (header == used || header.starts_with(used + "/")) return true;
  }
  return false;
}

// Standard C++ headers have neither a suffix nor a folder: <cstdint>, <bit>.
bool IsStandardHeader(const std::string& header) {
  return header.find_first_of("./") == std::string::npos;
}

// Every include of `file` that its layer may not have, one per line.
std::string Violations(const LayerRule& rule, const fs::path& file, const std::string& name) {
  static const std::regex include(R"(^\s*#\s*include\s*([<"])([^>"]+)[>"])");
  std::ifstream in(file);
  std::string line, found;
  std::smatch match;
  while (std::getline(in, line)) {
    if (!std::regex_search(line, match, include)) continue;
    const std::string header = match[2];
    const bool ok = match[1] == "<" ? IsStandardHeader(header) || Allowed(rule, "<" + header + ">")
                                    : Allowed(rule, header);
    if (!ok) found += name + " includes " + header + "\n";
  }
  return found;
}

TEST(LayerRules, EveryIncludeIsOneItsLayerMayUse) {
  const std::vector<LayerRule> rules = ReadRules(NETSTEP_LAYER_RULES);
  ASSERT_FALSE(rules.empty()) << "no rules in " << NETSTEP_LAYER_RULES;
  const fs::path root = NETSTEP_SOURCE_DIR;
  std::string found;
  int files = 0;
  for (const LayerRule& rule : rules) {
    for (const auto& entry : fs::recursive_directory_iterator(root / rule.folder)) {
      const std::string extension = entry.path().extension();
      if (extension != ".cpp" && extension != ".h") continue;
      ++files;
      found += Violations(rule, entry.path(), fs::relative(entry.path(), root));
    }
  }
  EXPECT_GT(files, 0);
  EXPECT_EQ(found, "") << "the layers' rules are in " << NETSTEP_LAYER_RULES;
}

// The code map's table of arrows, as sorted "row -> column" lines: each "x"
// belongs to the column whose name stands above it.
std::vector<std::string> MapArrows(const std::string& map) {
  std::istringstream in(map.substr(map.find("Every arrow the build declares")));
  std::string line, header;
  std::vector<std::string> arrows;
  while (std::getline(in, line) && line.rfind("```", 0) != 0) {
  }
  std::getline(in, header);
  while (std::getline(in, line) && line.rfind("```", 0) != 0) {
    const std::string row = line.substr(0, line.find(' '));
    for (size_t at = line.find('x', row.size()); at != std::string::npos;
         at = line.find('x', at + 1)) {
      const size_t end = header.find_first_of(' ', at);
      const size_t start = header.find_last_of(' ', at) + 1;
      arrows.push_back(row + " -> " + header.substr(start, end - start));
    }
  }
  std::sort(arrows.begin(), arrows.end());
  return arrows;
}

TEST(CodeMap, DrawsEveryArrowTheBuildDeclares) {
  std::ifstream in(fs::path(NETSTEP_SOURCE_DIR) / "doc" / "ARCHITECTURE.md");
  std::stringstream map;
  map << in.rdbuf();
  std::vector<std::string> declared;
  for (const LayerRule& rule : ReadRules(NETSTEP_LAYER_RULES)) {
    for (const std::string& used : rule.uses) {
      if (used[0] == '<') continue;  // a system header, not a layer
      declared.push_back(rule.folder + " -> " + fs::path(used).filename().string());
    }
  }
  std::sort(declared.begin(), declared.end());
  EXPECT_EQ(MapArrows(map.str()), declared);
}

TEST(CodeMap, NamesEveryFileOfTheProgram) {
  const fs::path root = NETSTEP_SOURCE_DIR;
  std::ifstream in(root / "doc" / "ARCHITECTURE.md");
  std::stringstream map;
  map << in.rdbuf();
  const std::string text = map.str();
  ASSERT_FALSE(text.empty());
  std::string missing;
  for (const char* folder : {"app", "cli", "calc", "console", "runtime", "platform"}) {
    for (const auto& entry : fs::recursive_directory_iterator(root / folder)) {
      if (!entry.is_regular_file()) continue;
      const std::string name = fs::relative(entry.path(), root);
      if (text.find("`" + name + "`") == std::string::npos) missing += name + "\n";
    }
  }
  EXPECT_EQ(missing, "") << "not in doc/ARCHITECTURE.md";
}

}  // namespace
