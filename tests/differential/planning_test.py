#!/usr/bin/env python3
"""netstep's planning forms and full answers against an oracle it did not
write: Python's ipaddress module (subnets, summarize_address_range,
collapse_addresses, hosts, the network's addresses and masks, IPv6 text read
and written), and for host plans a small model of the placement rule. Seeded
random cases of both families, grouped so that each form runs a handful of
netstep processes over lists of cases (-f).

    planning_test.py NETSTEP [SEED]
"""
import ipaddress
import itertools
import json
import os
import random
import re
import subprocess
import sys
import tempfile
import unittest

NETSTEP = None
SEED = 20261209
SOURCE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
MAX6 = (1 << 128) - 1
MAPPED = 0xFFFF << 32  # ::ffff:0.0.0.0, the first IPv4-mapped address

# Blocks of the special-purpose registry, to aim random networks at.
SPECIAL = ["0.0.0.0/8", "10.0.0.0/8", "100.64.0.0/10", "127.0.0.0/8", "169.254.0.0/16",
           "172.16.0.0/12", "192.0.0.0/24", "192.0.2.0/24", "192.88.99.0/24", "192.168.0.0/16",
           "198.18.0.0/15", "198.51.100.0/24", "203.0.113.0/24", "224.0.0.0/4", "240.0.0.0/4",
           "255.255.255.255/32"]


def registry6():
    """The IPv6 registry as calc/address_blocks.cpp holds it: (network, key,
    space), each block with the key blockTexts gives it."""
    def read(name):
        with open(os.path.join(SOURCE, "calc", name)) as f:
            return f.read()
    header, source = read("address_blocks.h"), read("address_blocks.cpp")
    enum = re.search(r"enum class AddressBlock[^{]*{(.*?)}", header, re.S)[1]
    names = re.findall(r"(\w+),", enum)
    keys = re.findall(r'{"[^"]+", "([^"]+)"}', source)
    entries = re.findall(
        r"(Entry6|Space6)\(([\dxa-f']+), (?:([\dxa-f']+), )?(\d+), AddressBlock::(\w+)", source)
    assert len(names) == len(keys) and len(entries) > 20, "the registry's table has changed shape"
    number = lambda text: int(text.replace("'", "") or "0", 0)
    return [(ipaddress.IPv6Network((number(high) << 64 | number(low), int(prefix))),
             dict(zip(names, keys))[name], kind == "Space6")
            for kind, high, low, prefix, name in entries]


REGISTRY6 = registry6()


def block6(n):
    """The block of an IPv6 network: the most specific block that holds it
    whole; a space when it lies in one and touches nothing else; "several"
    when it touches a block otherwise, "reserved" when it touches none."""
    touching = [(b, key, space) for b, key, space in REGISTRY6 if b.overlaps(n)]
    holding = [(b.prefixlen, key) for b, key, space in touching
               if n.subnet_of(b) and (not space or len(touching) == 1)]
    return max(holding)[1] if holding else "several" if touching else "reserved"


def run(args, stdin=""):
    done = subprocess.run([NETSTEP] + args, input=stdin.encode(), capture_output=True)
    return done.returncode, done.stdout.decode(), done.stderr.decode()


def run_list(args, lines):
    with tempfile.NamedTemporaryFile("w", suffix=".txt") as f:
        f.write("\n".join(lines) + "\n")
        f.flush()
        return run(args + ["-f", f.name])


def address(rng):
    """An address: anywhere, near either end, or inside a special block."""
    kind = rng.randrange(4)
    if kind == 0:
        return rng.randrange(1 << 32)
    if kind == 1:
        return rng.choice([0, 1, 2, 0xFFFFFFFF, 0xFFFFFFFE, 0xFFFFFFFD])
    block = ipaddress.ip_network(rng.choice(SPECIAL))
    return int(block.network_address) + rng.randrange(block.num_addresses)


def address6(rng):
    """An IPv6 address: anywhere, near either end, with zero groups to leave
    out, IPv4-mapped, or inside a block of the registry."""
    kind = rng.randrange(5)
    if kind == 0:
        return rng.randrange(1 << 128)
    if kind == 1:
        return rng.choice([0, 1, 2, MAX6, MAX6 - 1, MAX6 - 2])
    if kind == 2:
        return sum(rng.choice([0, 0, 1, 0xFFFF, rng.randrange(1 << 16)]) << 16 * i
                   for i in range(8))
    if kind == 3:
        return MAPPED | rng.randrange(1 << 32)
    block = rng.choice(REGISTRY6)[0]
    return int(block.network_address) + rng.randrange(block.num_addresses)


def network(rng, shortest=0, longest=32, version=4):
    prefix = rng.randint(shortest, longest)
    if version == 6:
        return ipaddress.IPv6Network((address6(rng), prefix), strict=False)
    return ipaddress.ip_network((address(rng), prefix), strict=False)


def written6(rng, value):
    """Any text of the address RFC 4291 allows: groups in either case with
    leading zeros, "::" for any run of zero groups, the last 32 bits dotted."""
    groups = [value >> (112 - 16 * i) & 0xFFFF for i in range(8)]
    fields = []
    for g in groups:
        digits = f"{g:x}".zfill(rng.randint(len(f"{g:x}"), 4))
        fields.append("".join(rng.choice((c, c.upper())) for c in digits))
    if rng.randrange(4) == 0:
        fields[6:] = [str(ipaddress.IPv4Address(value & 0xFFFFFFFF))]
    hexed = 6 if len(fields) == 7 else 8
    runs = [(i, j) for i in range(hexed) for j in range(i + 1, hexed + 1) if not any(groups[i:j])]
    if runs and rng.randrange(4):
        i, j = rng.choice(runs)
        return ":".join(fields[:i]) + "::" + ":".join(fields[j:])
    return ":".join(fields)


def shown(a):
    """An address as netstep writes it: Python's text, but an IPv4-mapped
    address ends in a dotted quad, as RFC 5952 (section 5) has it."""
    return f"::ffff:{a.ipv4_mapped}" if a.version == 6 and a.ipv4_mapped is not None else str(a)


def text(networks):
    return "".join(f"{shown(n.network_address)}/{n.prefixlen}\n" for n in networks)


def listed(out):
    """A JSON listing as the text listing."""
    return "".join(f"{e['network']}/{e['prefix']}\n" for e in json.loads(out))


def collapsed(nets):
    """Python collapses one family at a time; netstep lists IPv4 first."""
    return [n for version in (4, 6)
            for n in ipaddress.collapse_addresses(n for n in nets if n.version == version)]


class Planning(unittest.TestCase):
    def setUp(self):
        self.rng = random.Random(SEED)

    def test_split(self):
        for version, new_prefix in [(4, p) for p in range(33)] + [(6, p) for p in range(129)]:
            nets = [network(self.rng, max(0, new_prefix - 8), new_prefix, version)
                    for _ in range(40 if version == 4 else 12)]
            want = [s for n in nets for s in n.subnets(new_prefix=new_prefix)]
            lines = [f"{n.network_address + self.rng.randrange(n.num_addresses)}/{n.prefixlen}"
                     for n in nets]
            code, out, err = run_list(["-s", str(new_prefix)], lines)
            self.assertEqual((code, err), (0, ""))
            self.assertEqual(out, text(want), f"split into /{new_prefix}")
            code, out, _ = run_list(["-j", "-s", str(new_prefix)], lines)
            self.assertEqual(listed(out), text(want))

    def test_ranges(self):
        lines, want = [], []
        for kind, pick, bits, count in ((ipaddress.IPv4Address, address, 32, 1500),
                                        (ipaddress.IPv6Address, address6, 128, 600)):
            for _ in range(count):
                first, last = sorted([pick(self.rng), pick(self.rng)])
                if self.rng.randrange(3) == 0:  # close to each other, on or off boundaries
                    span = 600 if bits == 32 else 1 << self.rng.randint(1, 128)
                    last = min(first + self.rng.randrange(span), (1 << bits) - 1)
                a, b = kind(first), kind(last)
                lines.append(f"{a}-{b}")
                want += ipaddress.summarize_address_range(a, b)
        code, out, err = run_list([], lines)
        self.assertEqual((code, err), (0, ""))
        self.assertEqual(out, text(want))
        self.assertEqual(run(["0.0.0.0-255.255.255.255"])[1], "0.0.0.0/0\n")
        self.assertEqual(run([f"::-{ipaddress.IPv6Address(MAX6)}"])[1], "::/0\n")

    def test_aggregation(self):
        """IPv4 lists, then lists of both families with IPv4-mapped networks
        and IPv6 ranges that are no network."""
        for case in range(250):
            nets, lines = [], []
            for _ in range(self.rng.randint(0, 60)):
                six = case >= 150 and self.rng.randrange(2) == 0
                n = network(self.rng, 16, 128, 6) if six else network(self.rng, 8, 32)
                if nets and self.rng.randrange(3) == 0:  # nested, adjacent, the same or mapped
                    base = self.rng.choice(nets)
                    top = (1 << base.max_prefixlen) - 1
                    room = base.max_prefixlen - base.prefixlen
                    choices = [base, *base.subnets(prefixlen_diff=min(2, room)),
                               type(base)((min(int(base.broadcast_address) + 1, top),
                                           base.prefixlen), strict=False)]
                    if case >= 150 and base.version == 4:
                        choices.append(ipaddress.IPv6Network(
                            (MAPPED | int(base.network_address), 96 + base.prefixlen)))
                    n = self.rng.choice(choices)
                first, last = n.network_address, n.broadcast_address
                if n.version == 4:
                    nets.append(n)
                    lines.append(self.rng.choice([f"{first}/{n.prefixlen}",
                                                  f"  {first} {n.netmask}\t", f"{first}-{last}"]))
                elif self.rng.randrange(3) == 0:  # a range inside the network, seldom a network
                    first, last = sorted(first + self.rng.randrange(n.num_addresses) for _ in "ab")
                    nets += ipaddress.summarize_address_range(first, last)
                    lines.append(f"{written6(self.rng, int(first))}-"
                                 f"{written6(self.rng, int(last))}")
                else:
                    nets.append(n)
                    lines.append(f"{written6(self.rng, int(first))}/{n.prefixlen}")
            want = collapsed(nets)
            code, out, err = run(["-A"], "\n".join(lines) + "\n")
            self.assertEqual((code, err), (0, ""), f"case {case}")
            self.assertEqual(out, text(want), f"case {case}")
            self.assertEqual(listed(run(["-A", "-j"], "\n".join(lines))[1]), text(want))

    def test_a_bad_line_stops_aggregation(self):
        code, out, err = run(["-A"], "10.0.0.0/24\nbanana/8\n10.0.0.1x/24\n10.0.1.0/24 junk\n")
        self.assertEqual((code, out), (1, ""))
        self.assertEqual([l.split(": ")[1] for l in err.splitlines()], ["-:2", "-:3", "-:4"])

    def test_host_plans(self):
        for _ in range(400):
            base = network(self.rng, 16, 30)
            counts = [self.rng.choice([1, 2, 3, 6, 7, 14, 30, 62, 100, 254, 1000])
                      for _ in range(self.rng.randint(1, 6))]
            code, out, err = run(["-H", ",".join(map(str, counts)), str(base)])
            want = model_plan(base, counts)
            if want is None:
                self.assertEqual((code, out), (1, ""))
                self.assertTrue(err.startswith("Error - The host counts need"), err)
            else:
                self.assertEqual((code, err), (0, ""))
                self.assertEqual(out, "".join(f"{n}\t{c}\n" for n, c in want))
                entries = json.loads(run(["-jH", ",".join(map(str, counts)), str(base)])[1])
                self.assertEqual([(f"{e['network']}/{e['prefix']}", e.get("hosts", "free"))
                                  for e in entries if e.get("free", "hosts" in e)],
                                 [(str(n), c) for n, c in want])


def model_plan(base, counts):
    """Largest first, each at the lowest free address aligned to its size, equal
    sizes in the order given; then the space left as the fewest networks."""
    def size(hosts):
        return 1 if hosts == 1 else 2 if hosts == 2 else 1 << (hosts + 1).bit_length()
    taken, plan = [], []
    start, end = int(base.network_address), int(base.broadcast_address) + 1
    for hosts in sorted(counts, key=size, reverse=True):
        n = size(hosts)
        at = start
        while at + n <= end and any(a < at + n and at < b for a, b in taken):
            at += n
        if at + n > end:
            return None
        taken.append((at, at + n))
        plan.append((ipaddress.ip_network((at, 32 - n.bit_length() + 1)), hosts))
    taken.sort()
    free, at = [], start
    for a, b in taken + [(end, end)]:
        if at < a:
            free += ipaddress.summarize_address_range(ipaddress.ip_address(at),
                                                      ipaddress.ip_address(a - 1))
        at = max(at, b)
    return sorted(plan + [(n, "free") for n in free], key=lambda e: e[0].network_address)


class Text6(unittest.TestCase):
    # Texts Python refuses, and zones, which Python reads and netstep refuses:
    # a zone names an interface, not a network.
    REFUSED = [":::", "1:::2", "::1::", "1::2::3", ":1:2:3:4:5:6:7", "1:2:3:4:5:6:7:",
               "1:2:3:4:5:6:7", "1:2:3:4:5:6:7:8:9", "1::2:3:4:5:6:7:8", "::1:2:3:4:5:6:7:8",
               "12345::", "::0ffff", "::g", "0x1::", "[::1]", "::1.2.3.256", "::1.2.3",
               "::1.2.3.4.5", "::01.2.3.4", "::1.2.3.4:5", "1.2.3.4::", "1:2:3:4:5:6:7:1.2.3.4",
               "::1.2.3.4x"]
    ZONES = ["fe80::1%eth0", "fe80::1%1", "::ffff:1.2.3.4%0"]

    def test_read_and_written(self):
        rng = random.Random(SEED)
        values = [address6(rng) for _ in range(3000)]
        texts = [written6(rng, v) for v in values]
        self.assertEqual([int(ipaddress.IPv6Address(t)) for t in texts], values)
        code, out, err = run_list(["-s", "128"], [f"{t}/128" for t in texts])
        self.assertEqual((code, err), (0, ""))
        self.assertEqual(out.splitlines(),
                         [f"{shown(ipaddress.IPv6Address(v))}/128" for v in values])

    def test_refused(self):
        for t in self.REFUSED:
            self.assertRaises(ValueError, ipaddress.IPv6Address, t)
        for t in self.ZONES:
            ipaddress.IPv6Address(t)
        code, out, err = run_list([], [f"{t}/64" for t in self.REFUSED + self.ZONES])
        self.assertEqual((code, out), (1, ""))
        self.assertEqual([line.split(": ", 2)[2] for line in err.splitlines()],
                         [f"not an address: '{t}'" for t in self.REFUSED] +
                         [f"an address with a zone names no network: '{t}'" for t in self.ZONES])


class Answers(unittest.TestCase):
    def test_every_field(self):
        """One list of both families: every prefix, small IPv6 networks often,
        and each block of the IPv6 registry."""
        rng = random.Random(SEED)
        nets = [(ipaddress.ip_address(address(rng)), rng.randint(0, 32)) for _ in range(3000)]
        nets += [(ipaddress.IPv6Address(address6(rng)),
                  rng.choice([rng.randint(0, 128), rng.randint(120, 128)])) for _ in range(3000)]
        nets += [(b.network_address, b.prefixlen) for b, _, _ in REGISTRY6]
        rng.shuffle(nets)
        code, out, err = run_list(["-a", "-j"], [f"{a}/{p}" for a, p in nets])
        self.assertEqual((code, err), (0, ""))
        answers = json.loads(out)
        self.assertEqual(len(answers), len(nets))
        for (a, p), got in zip(nets, answers):
            n = ipaddress.ip_network((a, p), strict=False)
            self.assertEqual(got, (answer4 if a.version == 4 else answer6)(a, n, got["block"]))
            if a.version == 4:
                self.check_block(n, got["block"])
            else:
                self.check_block6(n, got["block"])

    def check_block(self, n, block):
        """The block against Python's flags where both follow the registry.
        Python calls 0.0.0.0/8, the documentation and benchmarking blocks and
        240.0.0.0/4 private too, 192.0.0.0/24 mostly global, and multicast
        global; those flags are not compared."""
        holds = lambda flag: getattr(n.network_address, flag) and getattr(n.broadcast_address, flag)
        implied = {"loopback": "is_loopback", "link-local": "is_link_local",
                   "multicast": "is_multicast", "reserved": "is_reserved",
                   "private-use": "is_private", "global": "is_global"}
        if block in implied:
            self.assertTrue(holds(implied[block]), f"{n} {block}")
        if block in ("shared-address-space", "documentation", "private-use", "loopback"):
            self.assertFalse(holds("is_global"), f"{n} {block}")
        for flag, key in (("is_loopback", "loopback"), ("is_link_local", "link-local"),
                          ("is_multicast", "multicast")):
            if holds(flag):
                self.assertEqual(block, key, f"{n} {flag}")

    def check_block6(self, n, block):
        """The block against the registry's table, and against Python's flags,
        which follow an older registry: its private networks lie in blocks of
        the table, its reserved ones fill all but 2000::/3, fc00::/7, fe80::/9
        and ff00::/8, and fec0::/10 is site-local."""
        holds = lambda flag: getattr(n.network_address, flag) and getattr(n.broadcast_address, flag)
        self.assertEqual(block, block6(n), str(n))
        implied = {"loopback": "is_loopback", "link-local": "is_link_local",
                   "multicast": "is_multicast", "unspecified": "is_unspecified",
                   "unique-local": "is_private", "global": "is_global"}
        if block in implied:
            self.assertTrue(holds(implied[block]), f"{n} {block}")
        if block == "reserved":
            self.assertTrue(holds("is_reserved") or holds("is_site_local"), f"{n} {block}")
        for flag, key in (("is_loopback", "loopback"), ("is_link_local", "link-local"),
                          ("is_multicast", "multicast"), ("is_unspecified", "unspecified"),
                          ("is_site_local", "reserved")):
            if holds(flag):
                self.assertEqual(block, key, f"{n} {flag}")


def answer4(a, n, block):
    p = n.prefixlen
    hosts = n.num_addresses if p >= 31 else n.num_addresses - 2
    first = n.network_address + (0 if p >= 31 else 1) if p < 32 else a
    return {"address": str(a), "netmask": str(n.netmask), "prefix": p,
            "wildcard": str(n.hostmask), "network": str(n.network_address),
            "first": str(first), "last": str(n.broadcast_address - (0 if p >= 31 else 1)),
            "broadcast": str(n.broadcast_address), "hosts": hosts,
            "addresses": n.num_addresses, "block": block, "version": 4}


def answer6(a, n, block):
    """Hosts as Python's hosts() gives them, all of them in small networks."""
    small = n.prefixlen >= 120
    hosts = list(itertools.islice(n.hosts(), 256))
    return {"address": shown(a), "netmask": shown(n.netmask), "prefix": n.prefixlen,
            "wildcard": shown(n.hostmask), "network": shown(n.network_address),
            "first": shown(hosts[0]), "last": shown(hosts[-1] if small else n.broadcast_address),
            "hosts": len(hosts) if small else n.num_addresses - 1,
            "addresses": n.num_addresses, "block": block, "version": 6}


if __name__ == "__main__":
    NETSTEP = sys.argv[1]
    if len(sys.argv) > 2:
        SEED = int(sys.argv[2])
    unittest.main(argv=sys.argv[:1], verbosity=1)
