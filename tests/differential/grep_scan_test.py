#!/usr/bin/env python3
"""netstep's grep mode against grepcidr: the lines `netstep -g @NETWORKS`
selects from a log equal, byte for byte, the lines grepcidr prints, plain
and with -v, and so do the counts of -c and the exit statuses, for networks
of IPv4 alone, IPv6 alone and both (the scan looks for the families the
networks hold). The log: seeded lines of access and system logs of both
families, lines of address-like tokens and noise, and awkward lines by hand;
CR LF ends, and a last line without an end. No NUL: grepcidr reads a line
only up to one.

    grep_scan_test.py NETSTEP [SEED]     exits 77 without grepcidr
"""
import os
import random
import shutil
import subprocess
import sys
import tempfile
import unittest

NETSTEP = None
SEED = 20240611

AWKWARD = [
    "host10.1.2.3", "a1.2.3.4", "1.2.3.4a", "1.2.3.4-", "10.1.2.3.4", "x 10.1.2.3.",
    "010.1.2.3", "1234.1.2.3", "12x34.1.2.3", "1x2.1.2.3", "1xyz.2.1.2.3", "a.1.2.3.4",
    "1a.1.2.3.4", "10.1.2.3/24", "10.1.2.3:80", "[2001:db8::1]:443", "2001:db8::/32",
    "fe80::1%eth0", "::ffff:10.1.2.3", "a:1.2.3.4", "1:1.2.3.4", "12:1.2.3.4",
    "10.1.2.3::", "1.2.3.4:5::1", "2001:db8::1.", "2001:db8::1g", "dead:beef::", "cafe:",
    "::", "12:34:56", "00:11:22:33:44:55", "12345::1", "gg::1", ":::1", "1g:h1::2",
    "ab:cd:g::1", "1.2.3.4 10.1.2.3", "10.1.2.3 1.2.3.4", "\xe91.2.3.4\xff", "1.2.3.4\r",
]

# Tokens of the noisy lines: address parts, near misses, and what ends a field.
NUMBERS = ["0", "1", "9", "10", "25", "99", "199", "255", "256", "300", "010", "00", "1234"]
GROUPS = ["0", "1", "a", "db8", "ffff", "2001", "fe80", "00000", "fffff", "g", "0db8", "A"]
JUNK = ["1", "12", "1234", "a", "f", "ab", "ffff", "g", "x", "h1", "1x", "x1", "xyz", ".", ":",
        "::", ":::", " ", "-", "/", "%", "[", "]", "_", "\xe9", ",", "\t", "\r"]


def quad(rng):
    return ".".join(rng.choice(NUMBERS) for _ in range(rng.choice([4, 4, 4, 3, 5])))


def six_text(rng):
    groups = [rng.choice(GROUPS) for _ in range(rng.randint(1, 9))]
    if rng.random() < 0.6:
        at = rng.randint(0, len(groups))
        groups[at:at] = [""] if 0 < at < len(groups) else ["", ""]
    text = ":".join(groups)
    return text + (":" + quad(rng) if rng.random() < 0.3 else "")


def noisy_line(rng):
    parts = []
    for _ in range(rng.randint(1, 4)):
        parts += [rng.choice(JUNK) for _ in range(rng.choice([0, 0, 1, 2, 3]))]
        parts.append(quad(rng) if rng.random() < 0.5 else six_text(rng))
        parts += [rng.choice(JUNK) for _ in range(rng.choice([0, 0, 1, 2, 3]))]
    return "".join(parts)


def client(rng):
    kind = rng.randrange(6)
    if kind == 0:
        return "2001:db8:%x::%x" % (rng.randrange(4), rng.randrange(1 << 16))
    if kind == 1:
        return "::ffff:10.%d.%d.%d" % (rng.randrange(4), rng.randrange(256), rng.randrange(256))
    if kind == 2:
        return "fe80::%x%%eth0" % rng.randrange(1 << 16)
    return "%d.%d.%d.%d" % (rng.choice([10, 10, 192, 203, 198]), rng.randrange(4),
                            rng.randrange(256), rng.randrange(256))


def log_line(rng):
    who = client(rng)
    kind = rng.randrange(3)
    if kind == 0:
        return ('%s - - [10/Oct/2023:13:%02d:%02d +0000] "GET /a/b.html HTTP/1.1" 200 %d '
                '"https://www.example.com/" "Mozilla/5.0 (X11; Linux x86_64) Chrome/119.0.0.0"'
                % (who, rng.randrange(60), rng.randrange(60), rng.randrange(99999)))
    if kind == 1:
        return ("Oct 10 13:55:36 gw sshd[%d]: Failed password for root from %s port %d ssh2"
                % (rng.randrange(99999), who, rng.randrange(65536)))
    return "conn [%s]:%d -> %s:443 host%s.example.net" % (who, rng.randrange(65536), client(rng),
                                                          client(rng))


FOUR_NETWORKS = ["10.0.0.0/16", "10.1.0.0/16", "192.0.0.0/8", "203.0.0.0/14", "1.2.3.4",
                 "0.0.0.0/1", "128.0.0.0/2", "255.0.0.0/8", "34.1.2.3/32", "0.0.0.0/32"]
SIX_NETWORKS = ["2001:db8::/32", "2001:db8:1::/48", "fe80::/10", "::ffff:10.0.0.0/104", "::1",
                "::/1", "8000::/1", "a::/16", "::/96", "ffff::/16"]


def networks(rng, four, six):
    """A few networks that take in some addresses of the log: broad ones, narrow ones."""
    return (rng.sample(FOUR_NETWORKS, 3) if four else []) + (
        rng.sample(SIX_NETWORKS, 3) if six else [])


def run(command, data):
    done = subprocess.run(command, input=data, capture_output=True)
    return done.returncode, done.stdout


class GrepScan(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        rng = random.Random(SEED)
        lines = list(AWKWARD)
        lines += [log_line(rng) for _ in range(3000)]
        lines += [noisy_line(rng) for _ in range(6000)]
        ends = ["\r\n" if rng.random() < 0.1 else "\n" for _ in lines]
        ends[-1] = ""
        cls.log = "".join(l + e for l, e in zip(lines, ends)).encode("latin1")

    def compare(self, four, six):
        for round in range(4):
            self.compare_once(networks(random.Random(SEED + 8 * round + 2 * four + six), four, six))

    def compare_once(self, chosen):
        with tempfile.TemporaryDirectory() as folder:
            listed = os.path.join(folder, "networks")
            with open(listed, "w") as f:
                f.write("# networks\n" + "".join(n + "\n" for n in chosen))
            for mode in ([], ["-v"], ["-c"]):
                code, ours = run([NETSTEP] + mode + ["-g", "@" + listed], self.log)
                theirs_code, theirs = run(["grepcidr"] + mode + ["-f", listed], self.log)
                if ours != theirs:
                    self.fail(self.difference(ours, theirs, chosen, mode))
                self.assertEqual(code, theirs_code, (chosen, mode))
                if mode != ["-c"]:
                    self.assertGreater(ours.count(b"\n"), 10, chosen)

    def difference(self, ours, theirs, chosen, invert):
        a, b = ours.split(b"\n"), theirs.split(b"\n")
        at = next(i for i in range(min(len(a), len(b)) + 1) if i >= len(a) or i >= len(b)
                  or a[i] != b[i])
        pick = lambda s, i: s[i] if i < len(s) else b"(none)"
        return ("networks %s %s: from line %d of the output on, netstep printed %r, "
                "grepcidr %r" % (chosen, " ".join(invert), at + 1, pick(a, at), pick(b, at)))

    def test_four(self):
        self.compare(True, False)

    def test_six(self):
        self.compare(False, True)

    def test_both(self):
        self.compare(True, True)


if __name__ == "__main__":
    if shutil.which("grepcidr") is None:
        print("grepcidr is not installed (apt-get install grepcidr): skipped")
        sys.exit(77)
    NETSTEP = sys.argv[1]
    if len(sys.argv) > 2:
        SEED = int(sys.argv[2])
    unittest.main(argv=sys.argv[:1], verbosity=1)
