// A LIST on the command line (the set operations' -x and -i, the grep mode's
// -g): networks, ranges or single addresses of either family separated by
// commas, `10.0.0.0/8,172.16.0.0/12,fc00::/7`, or `@FILE` with one per line,
// read as a list is (lists.h), `@-` being standard input. A bad item is
// named as a bad line is, the option as its file and the item's place as its
// line: "netstep: -x:2: not an address: 'banana'".
#pragma once

#include <string>
#include <string_view>

#include "cli/list_reader.h"
#include "cli/lists.h"
#include "cli/network_text.h"
#include "cli/reports.h"
#include "cli/request.h"

namespace cli {

// Every entry of the LIST handed to `take(entry)`, which answers "" or why it
// cannot be taken. False when any item or line was bad, or an @FILE could
// not be read (it is named then, with the reason).
template <class Take>
bool ReadListArgument(const ListArgument& list, Take take) {
  if (list.text.starts_with("@")) {
    ListReader reader;
    if (!OpenList(reader, std::string_view(list.text).substr(1))) {
      ReportUnreadable(reader);
      return false;
    }
    const bool allGood = ReadListLines(reader, true, take);
    CloseList(reader);
    return allGood;
  }
  ListReader items;  // names the option and counts the items, for the reports
  items.name = list.option;
  items.number = 0;
  bool allGood = true;
  for (size_t start = 0;;) {
    const size_t comma = list.text.find(',', start);
    const std::string_view item = std::string_view(list.text).substr(start, comma - start);
    ++items.number;
    ListEntry entry = ReadListLine(item, true);
    if (entry.kind == EntryKind::nothing || Trimmed(item).starts_with("@")) {
      entry.kind = EntryKind::error;
      entry.reason = Trimmed(item).starts_with("@")
                         ? "a list file (@FILE) stands alone, not among networks: " + Quoted(item)
                         : "no network in " + Quoted(item);
    }
    if (entry.kind != EntryKind::error) entry.reason = take(entry);
    if (!entry.reason.empty()) {
      ReportLine(items, entry.reason);
      allGood = false;
    }
    if (comma == std::string::npos) return allGood;
    start = comma + 1;
  }
}

}  // namespace cli
