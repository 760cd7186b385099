// IPv6 addresses as text: read strictly in the forms RFC 4291 (section 2.2)
// allows, written in the one form RFC 5952 recommends. Pure code, no heap.
#pragma once

#include <string_view>

#include "calc/address6.h"

namespace calc {

// The longest text of an address: six groups and a dotted quad,
// "ffff:ffff:ffff:ffff:ffff:ffff:255.255.255.255". PutAddress6 writes at
// most 39 bytes, eight full groups.
inline constexpr int address6TextMaximum = 45;

// The whole of `text` as an address: eight groups of one to four hex digits
// in either case, at most one "::" standing for one or more zero groups, and
// optionally a dotted quad for the last two groups (each part 0 to 255 in
// decimal, "0" or without leading zeros). Nothing around it: no blanks, zone,
// brackets or prefix. Sets `address` only when the text is one.
bool ReadAddress6(std::string_view text, Address6& address);

// The address's text as RFC 5952 writes it: lower case, no leading zeros,
// the longest run of two or more zero groups as "::" (the first of equal
// runs), and IPv4-mapped addresses (::ffff:0:0/96) ending in a dotted quad.
// Writes exactly its text, nothing past it, and returns its end; room for
// address6TextMaximum bytes always serves.
char* PutAddress6(char* at, Address6 address);

}  // namespace calc
