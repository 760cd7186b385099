// The block of a network in either registry: one network inside each entry,
// networks that straddle blocks, and the spaces outside every block; and the
// man page's table of blocks held to the program.
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "calc/address6_text.h"
#include "calc/address_blocks.h"

namespace {

struct BlockCase {
  const char* network;  // address/prefix
  const char* key;
};

std::string KeyOf(const std::string& network) {
  const size_t slash = network.find('/');
  const int prefix = std::stoi(network.substr(slash + 1));
  const std::string address = network.substr(0, slash);
  if (address.find(':') == std::string::npos) {
    uint32_t first = 0;
    for (size_t at = 0, dot; at <= address.size(); at = dot + 1) {
      dot = std::min(address.find('.', at), address.size());
      first = first << 8 | uint32_t(std::stoi(address.substr(at, dot - at)));
    }
    const uint32_t last = first | uint32_t(0xFFFFFFFFull >> prefix);
    return calc::BlockKey(calc::BlockOf(first, last));
  }
  calc::Address6 first{};
  EXPECT_TRUE(calc::ReadAddress6(address, first)) << network;
  const calc::Address6 hosts = prefix == 128 ? calc::Address6{0, 0} : ~calc::Address6{} >> prefix;
  return calc::BlockKey(calc::BlockOf(first, first | hosts));
}

// Networks inside an entry, across entries and outside every one; each
// entry itself is held to its key by the man page's table below.
const BlockCase blockCases[] = {
    {"10.1.2.0/24", "private-use"},
    {"100.0.0.0/8", "several"},
    {"127.0.0.1/32", "loopback"},
    {"169.254.1.0/24", "link-local"},
    {"172.31.0.0/16", "private-use"},
    {"192.0.0.4/32", "ipv4-service-continuity"},
    {"192.0.0.11/32", "ietf-protocol-assignments"},
    {"192.0.0.0/28", "ietf-protocol-assignments"},  // holds blocks, lies in one
    {"192.52.193.128/25", "amt"},
    {"192.88.99.1/32", "6to4-relay-anycast"},
    {"192.175.0.0/16", "several"},
    {"192.169.0.0/16", "global"},
    {"8.8.8.0/24", "global"},
    {"0.0.0.0/0", "several"},
    {"::/127", "several"},
    {"::2/128", "reserved"},
    {"::ffff:192.0.2.0/120", "ipv4-mapped"},
    {"64:ff9b:1:2::/64", "ipv4-ipv6-translation-local"},
    {"64:ff9b::/32", "several"},
    {"100::/63", "several"},
    {"2001:1::/126", "ietf-protocol-assignments"},
    {"2001:0:4136::/48", "teredo"},
    {"2001:db8:1::/48", "documentation"},
    {"3fff:fff::/32", "documentation"},
    {"fd12:3456::/32", "unique-local"},
    {"fe80::/9", "several"},
    {"fec0::/10", "reserved"},
    {"ff02::1/128", "multicast"},
    {"2001:200::/23", "global"},
    {"2000::/3", "several"},  // global space that holds blocks
    {"4000::/3", "several"},
    {"4000::/8", "reserved"},
    {"::/0", "several"},
};

TEST(AddressBlocks, KeyOfEachNetwork) {
  for (const BlockCase& c : blockCases) EXPECT_EQ(KeyOf(c.network), c.key) << c.network;
}

// Every network the man page's table names has the key it gives, and every
// key of the program is in the table.
TEST(AddressBlocks, TheManPageTableIsTheProgramsTable) {
  std::ifstream in(NETSTEP_SOURCE_DIR "/doc/netstep.1");
  std::string line;
  while (std::getline(in, line) && line != ".SS Address blocks") {
  }
  while (std::getline(in, line) && line != ".nf") {
  }
  std::vector<std::string> networks;
  std::set<std::string> keys;
  int checked = 0;
  while (std::getline(in, line) && line != ".fi") {
    std::istringstream words(line);
    std::vector<std::string> tokens;
    for (std::string word; words >> word;) tokens.push_back(word);
    if (tokens.empty() || tokens[0][0] == '.' || line.find("other") != std::string::npos ||
        line.find("outside") != std::string::npos)
      continue;
    for (std::string token : tokens) {
      if (token.back() == ',') token.pop_back();
      if (token.find('/') != std::string::npos) networks.push_back(token);
    }
    if (tokens.back().back() == ',') continue;  // the networks go on in the next line
    keys.insert(tokens.back());
    for (const std::string& network : networks) {
      EXPECT_EQ(KeyOf(network), tokens.back()) << network;
      ++checked;
    }
    networks.clear();
  }
  EXPECT_GT(checked, 40);
  for (int block = 0; block <= int(calc::AddressBlock::uniqueLocal); ++block) {
    const std::string key = calc::BlockKey(calc::AddressBlock(block));
    if (key == "global" || key == "reserved" || key == "several") continue;
    EXPECT_EQ(keys.count(key), 1u) << key << " is not in the man page";
  }
}

}  // namespace
