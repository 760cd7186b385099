#!/usr/bin/env python3
"""netstep's sets of networks (-A, -i, -x, -C) against oracles it did not
write: a model of sorted, merged intervals per family, turned back into
networks by Python's ipaddress (summarize_address_range), on seeded random
lists of both families; and for IPv4, when it is installed, Debian's iprange
on two routing tables of 100,000 lines each.

    sets_test.py NETSTEP [SEED]
"""
import ipaddress
import json
import os
import random
import shutil
import subprocess
import sys
import tempfile
import unittest

NETSTEP = None
SEED = 20261209
BITS = {4: 32, 6: 128}
ADDRESS = {4: ipaddress.IPv4Address, 6: ipaddress.IPv6Address}
# Small regions random items are aimed at, so that they meet: (first address, prefix).
REGIONS = {4: [(0x0A000000, 12), (0, 22), (0xFFFFFC00, 22), (0xC0A80000, 16)],
           6: [(0x20010DB8 << 96, 40), (0, 104), ((1 << 128) - (1 << 24), 104),
               (0xFFFF << 32, 100)]}
BAD = ["banana", "10.0.0.0/33", "10.0.0.256/8", "2001:db8::/129", "10.0.0.9-10.0.0.1",
       "2001:db8:::1", "10.0.0.1-2001:db8::1", "10.0.0.0 255.0.255.0", "10.0.0.0/8 x"]


def run(args, stdin=""):
    done = subprocess.run([NETSTEP] + args, input=stdin.encode(), capture_output=True)
    return done.returncode, done.stdout.decode(), done.stderr.decode()


# The model: a set is a sorted list of [first, last] that neither overlap nor touch.
def merged(intervals):
    out = []
    for first, last in sorted(intervals):
        if out and first <= out[-1][1] + 1:
            out[-1][1] = max(out[-1][1], last)
        else:
            out.append([first, last])
    return out


def intersected(a, b):
    return merged([(max(f, g), min(l, m)) for f, l in a for g, m in b if max(f, g) <= min(l, m)])


def subtracted(a, b):
    for g, m in b:
        a = [p for f, l in a for p in ([f, min(l, g - 1)], [max(f, m + 1), l]) if p[0] <= p[1]]
    return a


def networks(intervals, version):
    return [n for f, l in intervals
            for n in ipaddress.summarize_address_range(ADDRESS[version](f), ADDRESS[version](l))]


def written(n):
    """RFC 5952's text: mapped IPv4 addresses in dotted form."""
    a = n.network_address
    return f"::ffff:{a.ipv4_mapped}" if n.version == 6 and a.ipv4_mapped else str(a)


# Items: (version, first, last, kind); a bad item is its text.
def item(rng, version, earlier):
    bits = BITS[version]
    if earlier and rng.randrange(3) == 0:  # the same, nested, a supernet, adjacent, overlapping
        _, f, l, _ = rng.choice(earlier)
        size, how = l - f + 1, rng.randrange(5)
        if how == 1 and size > 1 and size & (size - 1) == 0:
            half = size // 2
            f += rng.randrange(2) * half
            l = f + half - 1
        elif how == 2 and size & (size - 1) == 0 and size < 1 << bits:
            f &= ~(2 * size - 1)
            l = f + 2 * size - 1
        elif how == 3 and l + size < 1 << bits:
            f, l = l + 1, l + size
        elif how == 4:
            f, l = f + rng.randrange(size), min(l + rng.randint(1, size), (1 << bits) - 1)
        kind = "net" if l - f + 1 & l - f == 0 and f % (l - f + 1) == 0 else "range"
        return version, f, l, kind
    if rng.randrange(40) == 0:
        return version, 0, (1 << bits) - 1, "net"
    base, region = rng.choice(REGIONS[version])
    a = base + rng.randrange(1 << bits - region)
    kind = rng.choice(["net", "net", "range", "addr"])
    if kind == "range":
        return version, a, min(a + rng.randrange(1 << bits - region + 2), (1 << bits) - 1), kind
    prefix = bits if kind == "addr" else rng.randint(max(0, region - 2), bits)
    size = 1 << bits - prefix
    return version, a & -size, (a & -size) + size - 1, kind


def items(rng, count, earlier):
    for _ in range(count):
        v = rng.choice([4, 6])
        earlier.append(item(rng, v, [e for e in earlier if e[0] == v]))
    return earlier[len(earlier) - count:]


def text(rng, it, place):
    """The item as written in an argument, a file's line or a LIST's item."""
    if isinstance(it, str):
        return it
    version, f, l, kind = it
    a, b = ADDRESS[version](f), ADDRESS[version](l)
    if kind == "range" or (kind == "net" and rng.randrange(6) == 0):
        return f"{a}-{b}"
    if kind == "addr" and place != "file":
        return a.exploded if rng.randrange(4) == 0 else str(a)
    prefix = BITS[version] - (l - f + 1).bit_length() + 1
    if version == 4 and rng.randrange(3) == 0:
        return f"{a} {ipaddress.IPv4Network((0, prefix)).netmask}"
    return f"{ADDRESS[version](f + rng.randrange(l - f + 1))}/{prefix}"  # host bits too


class Command:
    """argv and standard input for a union and LISTs; `lines` holds every
    file's and LIST's items with their names and line numbers, in the order
    netstep reads them: the union's files, every -i, then every -x."""

    def __init__(self, rng, folder, union, intersections, exclusions):
        self.rng, self.folder, self.stdin, self.lines = rng, folder, "", []
        self.argv, options = ["-A"], {1: [], 2: []}
        place = rng.choice(["arguments", "files", "stdin", "mixed"])
        implicit = place == "stdin" or (place == "arguments" and not union)  # -A reads stdin
        if place in ("arguments", "mixed"):
            cut = len(union) if place == "arguments" else rng.randint(0, len(union))
            self.argv += [text(rng, it, "argument") for it in union[:cut]]
            union = union[cut:]
        if place in ("files", "mixed"):
            for part in self.parts(union, rng.randint(1, 3)):
                self.argv += ["-f", self.file(0, part, stdin_free=True)]
        elif place == "stdin":
            self.file(0, union, stdin_free=True, name="-")
        for group, option, lists in ((1, "-i", intersections), (2, "-x", exclusions)):
            for items_ in lists:
                if not items_ or rng.randrange(2):
                    options[group].append([option, "@" + self.file(group, items_, not implicit)])
                else:
                    name = rng.choice([option, {"-i": "--intersect", "-x": "--exclude"}[option]])
                    options[group].append([name, ",".join(text(rng, it, "list") for it in items_)])
                    self.lines += [(group, name, n + 1, it) for n, it in enumerate(items_)]
        while options[1] or options[2]:  # -i and -x mixed on the line, each kind in order
            self.argv += rng.choice([kind for kind in options.values() if kind]).pop(0)
        self.lines.sort(key=lambda line: line[0])

    def parts(self, items_, count):
        cuts = sorted(self.rng.randint(0, len(items_)) for _ in range(count - 1))
        return [items_[a:b] for a, b in zip([0] + cuts, cuts + [len(items_)])]

    def file(self, group, items_, stdin_free, name=None):
        lines = []
        for it in items_:
            while self.rng.randrange(8) == 0:
                lines.append(self.rng.choice(["", "# a comment", "  "]))
            lines.append(text(self.rng, it, "file"))
            self.lines.append((group, name, len(lines), it))
        if name == "-" or (stdin_free and not self.stdin and self.rng.randrange(3) == 0):
            self.stdin, name = "\n".join(lines) + "\n", "-"
        else:
            name = f"{self.folder}/{len(os.listdir(self.folder))}.txt"
            with open(name, "w") as f:
                f.write("\n".join(lines) + ("\n" if lines else ""))
        self.lines = [(g, n or name, at, it) for g, n, at, it in self.lines]
        return name


class Sets(unittest.TestCase):
    def setUp(self):
        self.rng = random.Random(SEED)
        self.folder = tempfile.TemporaryDirectory()

    def tearDown(self):
        self.folder.cleanup()

    def case(self):
        earlier = []
        lists = lambda sizes: [items(self.rng, self.rng.choice(sizes), earlier)
                               for _ in range(self.rng.randint(0, 2))]
        union = items(self.rng, self.rng.choice([0, 3, 20, 40]), earlier)
        return union, lists([0, 8, 20, 40, 40, 40]), lists([0, 2, 8, 20])

    def test_against_the_model(self):
        for number in range(250):
            union, intersections, exclusions = self.case()
            command = Command(self.rng, self.folder.name, union, intersections, exclusions)
            want, counts = [], {}
            for v in (4, 6):
                set_ = merged((f, l) for version, f, l, _ in union if version == v)
                for with_ in intersections:
                    set_ = intersected(set_, merged((f, l) for w, f, l, _ in with_ if w == v))
                for without in exclusions:
                    set_ = subtracted(set_, merged((f, l) for w, f, l, _ in without if w == v))
                want += networks(set_, v)
                counts[v] = sum(n.num_addresses for n in want if n.version == v)
            where = f"case {number}: {command.argv}"
            code, out, err = run(command.argv, command.stdin)
            self.assertEqual((code, err), (0, ""), where)
            self.assertEqual(out, "".join(f"{written(n)}/{n.prefixlen}\n" for n in want), where)
            self.assertEqual(json.loads(run(["-j"] + command.argv, command.stdin)[1]),
                             [{"network": written(n), "prefix": n.prefixlen} for n in want], where)
            lines = [f"IPv{v} addresses - {counts[v]}\n" for v in (4, 6)
                     if counts[v] or (v == 4 and not counts[6])]
            self.assertEqual(run(["-C"] + command.argv, command.stdin)[1], "".join(lines), where)
            self.assertEqual(json.loads(run(["-jC"] + command.argv, command.stdin)[1]),
                             {"ipv4": counts[4], "ipv6": counts[6]}, where)

    def test_bad_items_stop_the_run(self):
        for number in range(60):
            union, intersections, exclusions = self.case()
            for lines in [union] * (union != []) + intersections + exclusions:
                for _ in range(self.rng.randrange(3)):
                    lines.insert(self.rng.randint(0, len(lines)), self.rng.choice(BAD))
            command = Command(self.rng, self.folder.name, union, intersections, exclusions)
            command.argv += ["--exclude", "10.0.0.0/8,,::1"]  # an empty item, read last
            command.lines.append((2, "--exclude", 2, ""))
            bad = [(name, at) for _, name, at, it in command.lines if isinstance(it, str)]
            bad_arguments = sum(isinstance(it, str) for it in union) - sum(
                isinstance(it, str) for group, _, _, it in command.lines if group == 0)
            code, out, err = run(command.argv, command.stdin)
            where = f"case {number}: {command.argv}"
            self.assertEqual((code, out), (1, ""), where)
            got = err.splitlines()
            self.assertTrue(all(l.startswith("Error - ") for l in got[:bad_arguments]), where)
            self.assertEqual([l.split(": ", 2)[1] for l in got[bad_arguments:]],
                             [f"{name}:{at}" for name, at in bad], where)


@unittest.skipUnless(shutil.which("iprange"), "iprange is not installed: no comparison with it")
class AgainstIprange(unittest.TestCase):
    def test_routing_tables(self):
        rng = random.Random(SEED)
        with tempfile.TemporaryDirectory() as folder:
            a, b = f"{folder}/a", f"{folder}/b"
            table_a = routing_table(rng, 100000, [])
            for path, table in ((a, table_a), (b, routing_table(rng, 100000, table_a))):
                with open(path, "w") as f:
                    f.write("".join(f"{ipaddress.IPv4Address(n)}/{p}\n" for n, p in table))
            for ours, theirs in ((["-f", a, "-x", "@" + b], [a, "--exclude-next", b]),
                                 (["-f", a, "-i", "@" + b], [a, "--common", b]),
                                 (["-A", "-f", a, "-f", b], [a, b])):
                code, out, err = run(ours)
                self.assertEqual((code, err), (0, ""))
                listed = subprocess.run(["iprange"] + theirs, capture_output=True, text=True)
                self.assertEqual(out.splitlines(), [l if "/" in l else l + "/32"
                                                    for l in listed.stdout.splitlines()], ours)
                self.assertGreater(len(out), 1000)
            counted = subprocess.run(["iprange", "-C", a], capture_output=True, text=True)
            self.assertEqual(run(["-C", "-f", a])[1],  # iprange: "entries,unique addresses"
                             f"IPv4 addresses - {counted.stdout.strip().split(',')[1]}\n")


def routing_table(rng, count, other):
    """Mostly /24 to /16, a few /8 to /15 and /25 to /32; every tenth network
    the same as, a sibling of or inside one just before, or one of `other`."""
    table = []
    for _ in range(count):
        if table and rng.randrange(10) == 0:
            recent = table[-rng.randint(1, min(50, len(table)))]
            n, p = rng.choice(other) if other and rng.randrange(2) else recent
            how = rng.randrange(3)
            if how == 1 and p > 0:
                n ^= 1 << 32 - p
            elif how == 2 and p < 32:
                deeper = rng.randint(p + 1, min(32, p + 8))
                n, p = n | rng.getrandbits(deeper - p) << 32 - deeper, deeper
        else:
            roll = rng.random()
            p = (rng.randint(8, 15) if roll < 0.0002 else 16 if roll < 0.06 else
                 rng.randint(17, 23) if roll < 0.36 else 24 if roll < 0.96 else rng.randint(25, 32))
            n = rng.getrandbits(p) << 32 - p
        table.append((n, p))
    return table


if __name__ == "__main__":
    NETSTEP = sys.argv[1]
    if len(sys.argv) > 2:
        SEED = int(sys.argv[2])
    unittest.main(argv=sys.argv[:1], verbosity=1)
