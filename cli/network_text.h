// Networks, ranges and addresses of both families read strictly, from the
// lines of a list and from the command line alike: a text that is not exactly
// one network in one of the forms below is refused with a reason, never
// guessed at. Forms: ADDRESS/PREFIX, ADDRESS MASK (IPv4), FIRST-LAST, with
// blanks around them. An address is IPv6 when it holds a colon, and then as
// RFC 4291 writes it, without a zone; else four decimal components of one to
// three digits, each 0 to 255. A prefix is 0 to 32, or 0 to 128 for IPv6; a
// mask in a list has leading one-bits. A reason quotes the text at fault with
// every byte that is not printable ASCII shown as "?", and cut short: the
// bytes of a list never reach a terminal as they are.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "calc/address6.h"

namespace cli {

// Why a text is not an address.
enum class AddressFault : uint8_t {
  none,
  malformed,       // not an address of either family
  componentRange,  // IPv4: four components, one of them above 255
  zone,            // IPv6 with a zone ("fe80::1%eth0"), which names no network
};

// The whole of `text` as an IPv4 address. A component above 255 counts as 0,
// as it does at the prompts.
AddressFault ReadAddress4(std::string_view text, uint32_t& address);

// The whole of `text` as an address of either family: `version` 4 or 6, an
// IPv4 address in the low 32 bits of `address`.
AddressFault ReadAnyAddress(std::string_view text, uint8_t& version, calc::Address6& address);

// A family's prefixes run from 0 to this.
inline uint8_t PrefixMaximumOf(uint8_t version) {
  return version == 6 ? 128 : 32;
}

// The text between quotes as a reason shows it.
std::string Quoted(std::string_view text);

// `text` without the blanks (spaces, tabs, CR) around it.
std::string_view Trimmed(std::string_view text);

enum class EntryKind : uint8_t { nothing, network, range, error };

struct ListEntry {
  EntryKind kind = EntryKind::nothing;
  uint8_t version = 4;          // network and range: 4 or 6
  calc::Address6 address = {};  // network: the address as written
  uint8_t prefix = 0;           // network: its prefix, from PREFIX or MASK
  calc::Address6 first = {};    // range: FIRST and LAST, first <= last
  calc::Address6 last = {};
  std::string reason;  // error: what is wrong, with the text at fault
};

// One line of a list, without its line end. Blank lines and lines starting
// with "#" are `nothing`. An address alone is a network of its own
// (ADDRESS/32, ADDRESS/128) when `addressAlone`, else an error.
ListEntry ReadListLine(std::string_view line, bool addressAlone = false);

}  // namespace cli
