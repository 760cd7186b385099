// Networks, ranges and addresses read strictly, from the lines of a list and
// from the command line alike: a text that is not exactly one network in one
// of the forms below is refused with a reason, never guessed at. Forms:
// ADDRESS/PREFIX, ADDRESS MASK, FIRST-LAST, with blanks around them. An
// address is four decimal components of one to three digits, each 0 to 255; a
// prefix is 0 to 32; a mask in a list has leading one-bits. A reason quotes
// the text at fault with every byte that is not printable ASCII shown as "?",
// and cut short: the bytes of a list never reach a terminal as they are.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace cli {

// Why a text is not an IPv4 address.
enum class AddressFault : uint8_t {
  none,
  malformed,       // not four components of one to three digits
  componentRange,  // four such components, one of them above 255
};

// The whole of `text` as an address. A component above 255 counts as 0, as
// it does at the prompts.
AddressFault ReadAddress4(std::string_view text, uint32_t& address);

// The text between quotes as a reason shows it.
std::string Quoted(std::string_view text);

// `text` without the blanks (spaces, tabs, CR) around it.
std::string_view Trimmed(std::string_view text);

enum class EntryKind : uint8_t { nothing, network, range, error };

struct ListEntry {
  EntryKind kind = EntryKind::nothing;
  uint32_t address = 0;  // network: the address as written
  uint8_t prefix = 0;    // network: its prefix, from PREFIX or MASK
  uint32_t first = 0;    // range: FIRST and LAST, first <= last
  uint32_t last = 0;
  std::string reason;  // error: what is wrong, with the text at fault
};

// One line of a list, without its line end. Blank lines and lines starting
// with "#" are `nothing`.
ListEntry ReadListLine(std::string_view line);

}  // namespace cli
