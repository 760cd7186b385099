// Every list a request names, in turn: the files of --file in the order
// given, or standard input when there are none. All are opened before the
// first line is read, so that a list that cannot be opened stops the program
// before anything is written. Each line is read strictly (network_text.h);
// a network or a range goes to `take`, which answers "" or why it cannot be
// taken; bad lines are reported as FILE:LINE, and so is a list that cannot
// be read to its end, which counts as a bad line.
#pragma once

#include <string>
#include <vector>

#include "cli/list_reader.h"
#include "cli/network_text.h"
#include "cli/reports.h"

namespace cli {

// The lists, opened; a list that cannot be opened ends the program.
std::vector<ListReader> OpenLists(const std::vector<std::string>& files);

// The lines of one list; false when any was bad. An address alone is a
// network when `addressAlone`.
template <class Take>
bool ReadListLines(ListReader& reader, bool addressAlone, Take take) {
  bool allGood = true;
  std::string_view line;
  while (NextLine(reader, line)) {
    ListEntry entry = ReadListLine(line, addressAlone);
    if (reader.overlong) {
      entry.kind = EntryKind::error;
      entry.reason = "the line is longer than " + std::to_string(lineLimit) + " characters";
    }
    if (entry.kind == EntryKind::nothing) continue;
    if (entry.kind != EntryKind::error) {
      entry.reason = take(entry);
      if (entry.reason.empty()) continue;
    }
    ReportLine(reader, entry.reason);
    allGood = false;
  }
  if (reader.failure != 0) {
    ReportUnreadable(reader);
    allGood = false;
  }
  return allGood;
}

// The lines of every list; false when any was bad.
template <class Take>
bool ReadLists(const std::vector<std::string>& files, Take take) {
  std::vector<ListReader> readers = OpenLists(files);
  bool allGood = true;
  for (ListReader& reader : readers) {
    allGood = ReadListLines(reader, false, take) && allGood;
    CloseList(reader);
  }
  return allGood;
}

}  // namespace cli
