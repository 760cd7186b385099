// What the benchmark's parts share: medians and percentiles of repeated runs,
// and the table of results with its JSON twin.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace bench {

inline double Ms(std::chrono::steady_clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

inline double Percentile(std::vector<double> values, double p) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const size_t index = std::min(values.size() - 1, size_t(p * double(values.size() - 1) + 0.5));
  return values[index];
}

inline double Median(std::vector<double> values) {
  return Percentile(std::move(values), 0.5);
}

struct Results {
  std::vector<std::pair<std::string, std::string>> rows;  // name, value with unit
  std::ostringstream json;
  bool first = true;
  void Add(const std::string& name, const std::string& key, double value, const char* unit,
           const char* goal) {
    char text[96];
    std::snprintf(text, sizeof text, "%.3f %s", value, unit);
    rows.push_back({name + "  (goal " + goal + ")", text});
    json << (first ? "" : ",\n") << "  \"" << key << "\": " << value;
    first = false;
  }
  // A line of its own in the table, for what could not be measured.
  void Note(const std::string& text) { rows.push_back({text, ""}); }
};

// netstep's one-shot answer against sipcalc and ipcalc with the same input,
// launch to exit, interleaved run by run.
void CompareOneShot(Results& results);

}  // namespace bench
