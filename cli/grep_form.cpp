// `netstep -g LIST [FILE]...`: the lines of the files (standard input when
// there are none) that hold an address inside LIST, unchanged and in order;
// with -v those that hold addresses, none of them inside; -c their number,
// -q nothing but the exit status. grep's exit status: 0 a line was selected,
// 1 none was, 2 trouble — a bad LIST (nothing is read then), or a file that
// cannot be read (named, and the others still read).
//
// The files are read in large blocks; a line that lies whole inside a block
// is judged and written where it lies, and only one that a block's end cuts
// in two is copied. Memory stays flat whatever the files hold: the lines are
// never kept, only the set's intervals.
#include <string>
#include <string_view>

#include "cli/address_scan.h"
#include "cli/family_sets.h"
#include "cli/forms.h"
#include "cli/list_argument.h"
#include "cli/list_reader.h"
#include "cli/reports.h"
#include "cli/text_put.h"

namespace cli {

namespace {

constexpr uint16_t exitNoneSelected = 1;
constexpr uint16_t exitTrouble = 2;
constexpr int32_t blockSize = 256 * 1024;

struct Grep {
  const Request* request;
  Writer* writer;
  IndexedSet<uint32_t> v4;        // LIST's IPv4 addresses
  IndexedSet<calc::Address6> v6;  // and its IPv6 ones
  ScanFamilies families;
  uint64_t selected;  // lines selected so far, over all files
};

bool Selects(const Grep& grep, std::string_view line) {
  const LineVerdict verdict = JudgeLine(line, grep.families, [&](const FoundAddress& found) {
    return found.version == 4 ? Holds(grep.v4, found.address4) : Holds(grep.v6, found.address6);
  });
  return verdict == (grep.request->invertMatch ? LineVerdict::noneInSet : LineVerdict::someInSet);
}

// The bytes of a selected line, its end as it was.
void WriteBytes(Writer& writer, std::string_view bytes) {
  while (!bytes.empty()) {
    const size_t piece = bytes.size() < size_t(reserveMaximum) ? bytes.size() : reserveMaximum;
    Commit(writer, PutText(Reserve(writer, int(piece)), bytes.substr(0, piece)));
    bytes.remove_prefix(piece);
  }
}

// One line, with its end (LF, or none for a last line without one). False
// when the run may stop: -q has its answer.
bool TakeLine(Grep& grep, std::string_view line) {
  const size_t length = !line.empty() && line.back() == '\n' ? line.size() - 1 : line.size();
  if (!Selects(grep, line.substr(0, length))) return true;
  ++grep.selected;
  if (grep.request->quiet) return false;
  if (!grep.request->countLines) WriteBytes(*grep.writer, line);
  return true;
}

// The lines of one file; false when the run may stop. A file that cannot be
// read is named, and counts as trouble.
bool GrepFile(Grep& grep, ListReader& reader, bool& trouble) {
  std::string carried;  // a line a block's end cut in two
  int32_t read = 0;
  for (;;) {
    if (!platform::ReadBytes(reader.handle, reader.block.get(), blockSize, read)) {
      reader.failure = platform::LastError();
      ReportUnreadable(reader);
      trouble = true;
      return true;
    }
    if (read == 0) break;
    std::string_view rest(reader.block.get(), size_t(read));
    for (size_t end; (end = rest.find('\n')) != std::string_view::npos;) {
      std::string_view line = rest.substr(0, end + 1);
      if (!carried.empty()) line = carried.append(line);
      if (!TakeLine(grep, line)) return false;
      carried.clear();
      rest.remove_prefix(end + 1);
    }
    carried.append(rest);
  }
  return carried.empty() || TakeLine(grep, carried);
}

}  // namespace

uint16_t GrepForm(const Request& request, Writer& writer) {
  Gatherings gatherings;
  if (!ReadListArgument(request.grep,
                        [&](const ListEntry& entry) { return TakeEntry(gatherings, entry); }))
    return exitTrouble;
  Sets set = Merged(gatherings);
  const ScanFamilies families = set.v6.empty()   ? ScanFamilies::four
                                : set.v4.empty() ? ScanFamilies::six
                                                 : ScanFamilies::both;
  Grep grep = {&request, &writer, Indexed(std::move(set.v4)), Indexed(std::move(set.v6)),
               families, 0};
  bool trouble = false;
  const std::vector<std::string> standardInput = {"-"};
  for (const std::string& name : request.operands.empty() ? standardInput : request.operands) {
    ListReader reader;
    if (!OpenList(reader, name)) {
      ReportUnreadable(reader);
      trouble = true;
      continue;
    }
    reader.block = std::make_unique<char[]>(blockSize);
    const bool goOn = GrepFile(grep, reader, trouble);
    CloseList(reader);
    if (!goOn) break;
  }
  if (request.countLines && !request.quiet) {
    char* at = PutDecimal(Reserve(writer, 32), grep.selected);
    Commit(writer, PutLineEnd(writer, at));
  }
  if (trouble) return exitTrouble;
  return grep.selected > 0 ? 0 : exitNoneSelected;
}

}  // namespace cli
