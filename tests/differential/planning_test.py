#!/usr/bin/env python3
"""netstep's planning forms and full answers against an oracle it did not
write: Python's ipaddress module (subnets, summarize_address_range,
collapse_addresses, the network's addresses and masks), and for host plans a
small model of the placement rule. Seeded random cases, grouped so that each
form runs a handful of netstep processes over lists of cases (-f).

    planning_test.py NETSTEP [SEED]
"""
import ipaddress
import json
import random
import subprocess
import sys
import tempfile
import unittest

NETSTEP = None
SEED = 20261209

# Blocks of the special-purpose registry, to aim random networks at.
SPECIAL = ["0.0.0.0/8", "10.0.0.0/8", "100.64.0.0/10", "127.0.0.0/8", "169.254.0.0/16",
           "172.16.0.0/12", "192.0.0.0/24", "192.0.2.0/24", "192.88.99.0/24", "192.168.0.0/16",
           "198.18.0.0/15", "198.51.100.0/24", "203.0.113.0/24", "224.0.0.0/4", "240.0.0.0/4",
           "255.255.255.255/32"]


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


def network(rng, shortest=0, longest=32):
    prefix = rng.randint(shortest, longest)
    return ipaddress.ip_network((address(rng), prefix), strict=False)


def text(networks):
    return "".join(f"{n.network_address}/{n.prefixlen}\n" for n in networks)


def parsed(out):
    return [ipaddress.ip_network(f"{e['network']}/{e['prefix']}") for e in json.loads(out)]


class Planning(unittest.TestCase):
    def setUp(self):
        self.rng = random.Random(SEED)

    def test_split(self):
        for new_prefix in range(33):
            nets = [network(self.rng, max(0, new_prefix - 8), new_prefix) for _ in range(40)]
            want = [s for n in nets for s in n.subnets(new_prefix=new_prefix)]
            lines = [f"{n.network_address + self.rng.randrange(n.num_addresses)}/{n.prefixlen}"
                     for n in nets]
            code, out, err = run_list(["-s", str(new_prefix)], lines)
            self.assertEqual((code, err), (0, ""))
            self.assertEqual(out, text(want), f"split into /{new_prefix}")
            code, out, _ = run_list(["-j", "-s", str(new_prefix)], lines)
            self.assertEqual(parsed(out), want)

    def test_ranges(self):
        lines, want = [], []
        for _ in range(1500):
            first, last = sorted([address(self.rng), address(self.rng)])
            if self.rng.randrange(3) == 0:  # close to each other, on or off boundaries
                last = min(first + self.rng.randrange(600), 0xFFFFFFFF)
            a, b = ipaddress.ip_address(first), ipaddress.ip_address(last)
            lines.append(f"{a}-{b}")
            want += ipaddress.summarize_address_range(a, b)
        code, out, err = run_list([], lines)
        self.assertEqual((code, err), (0, ""))
        self.assertEqual(out, text(want))
        self.assertEqual(run(["0.0.0.0-255.255.255.255"])[1], "0.0.0.0/0\n")

    def test_aggregation(self):
        for case in range(150):
            nets, lines = [], []
            for _ in range(self.rng.randint(0, 60)):
                n = network(self.rng, 8, 32)
                if nets and self.rng.randrange(3) == 0:  # nested, adjacent or the same
                    base = self.rng.choice(nets)
                    n = self.rng.choice([base, *base.subnets(prefixlen_diff=min(2, 32 - base.prefixlen)),
                                         ipaddress.ip_network((min(int(base.broadcast_address) + 1,
                                                                   0xFFFFFFFF), base.prefixlen),
                                                              strict=False)])
                nets.append(n)
                lines.append(self.rng.choice([f"{n.network_address}/{n.prefixlen}",
                                              f"  {n.network_address} {n.netmask}\t",
                                              f"{n.network_address}-{n.broadcast_address}"]))
            want = list(ipaddress.collapse_addresses(nets))
            code, out, err = run(["-A"], "\n".join(lines) + "\n")
            self.assertEqual((code, err), (0, ""), f"case {case}")
            self.assertEqual(out, text(want), f"case {case}")
            self.assertEqual(parsed(run(["-A", "-j"], "\n".join(lines))[1]), want)

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


class Answers(unittest.TestCase):
    def test_every_field(self):
        rng = random.Random(SEED)
        nets = [(ipaddress.ip_address(address(rng)), rng.randint(0, 32)) for _ in range(3000)]
        code, out, err = run_list(["-a", "-j"], [f"{a}/{p}" for a, p in nets])
        self.assertEqual((code, err), (0, ""))
        answers = json.loads(out)
        self.assertEqual(len(answers), len(nets))
        for (a, p), got in zip(nets, answers):
            n = ipaddress.ip_network((a, p), strict=False)
            hosts = n.num_addresses if p >= 31 else n.num_addresses - 2
            first = n.network_address + (0 if p >= 31 else 1) if p < 32 else a
            self.assertEqual(got, {
                "address": str(a), "netmask": str(n.netmask), "prefix": p,
                "wildcard": str(n.hostmask), "network": str(n.network_address),
                "first": str(first), "last": str(n.broadcast_address - (0 if p >= 31 else 1)),
                "broadcast": str(n.broadcast_address), "hosts": hosts,
                "addresses": n.num_addresses, "block": got["block"], "version": 4})
            self.check_block(n, got["block"])

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


if __name__ == "__main__":
    NETSTEP = sys.argv[1]
    if len(sys.argv) > 2:
        SEED = int(sys.argv[2])
    unittest.main(argv=sys.argv[:1], verbosity=1)
