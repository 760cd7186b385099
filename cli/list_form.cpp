// `netstep -f FILE`: each line of the lists answered in its form and its own
// family, in order: a network's answer (with --count and --all) or its split
// (with --split), a range's networks. A bad line is reported and the others
// still answered.
#include "calc/network_blocks.h"
#include "cli/answers.h"
#include "cli/families.h"
#include "cli/forms.h"
#include "cli/lists.h"
#include "cli/split.h"

namespace cli {

namespace {

// One line answered; "" or why it cannot be.
std::string AnswerEntry(const Request& request, Answers& answers, const ListEntry& entry) {
  Listing& listing = *answers.listing;
  const bool six = entry.version == 6;
  if (entry.kind == EntryKind::range) {
    if (request.split) return "a range is not split";
    if (six) {
      ListRange(listing, entry.first, entry.last);
    } else {
      ListRange(listing, Narrow<uint32_t>(entry.first), Narrow<uint32_t>(entry.last));
    }
    return "";
  }
  if (!request.split) {
    if (six) {
      WriteAnswers6(answers, entry.address, entry.prefix, request.count, true);
    } else {
      WriteAnswers(answers, Narrow<uint32_t>(entry.address), calc::PrefixMask(entry.prefix),
                   request.count, true);
    }
    return "";
  }
  if (request.splitPrefix > PrefixMaximumOf(entry.version))
    return "an IPv4 network has no /" + std::to_string(request.splitPrefix) + " networks";
  if (request.splitPrefix < entry.prefix) return SplitRefusal(entry.prefix, request.splitPrefix);
  if (six) {
    ListSplit(listing, entry.address & calc::MaskOf<calc::Address6>(entry.prefix), entry.prefix,
              request.splitPrefix);
  } else {
    ListSplit(listing, Narrow<uint32_t>(entry.address) & calc::PrefixMask(entry.prefix),
              entry.prefix, request.splitPrefix);
  }
  return "";
}

}  // namespace

uint16_t ListForm(const Request& request, Writer& writer) {
  Listing listing;
  Answers answers;
  BeginListing(listing, writer, request.json);
  StartAnswers(answers, listing, request.all);
  const bool allGood = ReadLists(
      request.files, [&](const ListEntry& entry) { return AnswerEntry(request, answers, entry); });
  EndListing(listing);
  return allGood ? 0 : exitInputError;
}

}  // namespace cli
