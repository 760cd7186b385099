// Opening the lists of a request.
#include "cli/lists.h"

namespace cli {

std::vector<ListReader> OpenLists(const std::vector<std::string>& files) {
  const std::vector<std::string> standardInput = {"-"};
  const std::vector<std::string>& names = files.empty() ? standardInput : files;
  std::vector<ListReader> readers(names.size());
  for (size_t i = 0; i < names.size(); ++i) {
    if (!OpenList(readers[i], names[i])) RefuseList(readers[i]);
  }
  return readers;
}

}  // namespace cli
