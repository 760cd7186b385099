// Address parsing against a separate model of its rules: the line is split at
// its dots, each component keeps its first three characters and their digits,
// the last four components make the value, and a component above 255 counts
// as 0 and sets the error code to 1.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "calc/address.h"

namespace {

struct Model {
  uint32_t value = 0;
  uint8_t code = 0;
};

Model ModelParse(const std::string& line) {
  std::vector<std::string> components;
  std::string current;
  for (char c : line + ".") {
    if (c == '.') {
      components.push_back(current);
      current.clear();
    } else {
      current += c;
    }
  }
  Model model;
  for (const std::string& component : components) {
    unsigned number = 0;
    for (char c : component.substr(0, 3)) {
      if (c >= '0' && c <= '9') number = number * 10 + unsigned(c - '0');
    }
    if (number > 255) {
      model.code = 1;
      number = 0;
    }
    model.value = (model.value << 8) | number;  // older components fall off the top
  }
  return model;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // A typed line holds at most 16 characters; the parser gets it with a dot.
  const std::string line(reinterpret_cast<const char*>(data), size < 16 ? size : 16);
  const std::string text = line + ".";
  calc::inputErrorCode = 0;
  const uint32_t value = calc::ParseDottedAddress(runtime::TextRef(text.data(), int(text.size())));
  const Model model = ModelParse(line);
  if (value != model.value || calc::inputErrorCode != model.code) std::abort();
  return 0;
}
