// Entries of either family gathered into their family's set.
#include "cli/family_sets.h"

#include "cli/families.h"

namespace cli {

using calc::Address6;

std::string TakeEntry(Gatherings& gatherings, const ListEntry& entry) {
  Address6 first = entry.first, last = entry.last;
  if (entry.kind == EntryKind::network) {
    const int hostBits = PrefixMaximumOf(entry.version) - entry.prefix;
    const Address6 host = hostBits == 0 ? Address6{} : ~Address6{} >> (128 - hostBits);
    first = entry.address & ~host;
    last = first | host;
  }
  if (entry.version == 6) {
    Gather(gatherings.v6, first, last);
  } else {
    Gather(gatherings.v4, Narrow<uint32_t>(first), Narrow<uint32_t>(last));
  }
  return "";
}

Sets Merged(Gatherings& gatherings) {
  return {MergeGathered(gatherings.v4), MergeGathered(gatherings.v6)};
}

}  // namespace cli
