#!/usr/bin/env python3
"""Counts the copies of names left in a raw image: each name in ASCII (UTF-8) and in UTF-16LE,
and every 13-character piece of its FAT long name as a long-name entry lays it out (5, 6 and 2
characters apart). With a range (first byte, byte after the last), copies inside it are counted
apart: the journal or log.

Usage: count_names.py IMAGE START END NAME...   (START = END = 0: no range)
Prints: total inside-range, then one line per name with its count."""
import re
import sys


def patterns(name):
    yield re.escape(name.encode("utf-8"))
    units = name.encode("utf-16-le")
    yield re.escape(units)
    chars = [units[i:i + 2] for i in range(0, len(units), 2)]
    if len(chars) > 13:  # a name of one piece is no more than its UTF-16 copy
        chars += [b"\0\0"] + [b"\xff\xff"] * 12
        for first in range(0, len(units) // 2, 13):
            piece = chars[first:first + 13]
            yield (re.escape(b"".join(piece[0:5])) + b".{3}" + re.escape(b"".join(piece[5:11])) +
                   b".{2}" + re.escape(b"".join(piece[11:13])))


def main():
    image, start, end = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
    with open(image, "rb") as raw:
        data = raw.read()
    total = inside = 0
    lines = []
    where = []
    for name in sys.argv[4:]:
        count = 0
        for pattern in patterns(name):
            for match in re.finditer(pattern, data, re.DOTALL):
                count += 1
                where.append(match.start())
                if start <= match.start() < end:
                    inside += 1
        total += count
        lines.append("%d %s%s" % (count, name, "" if not count else " at " + " ".join(map(str, where))))
        where.clear()
    # One write: a reader that stops after the first line (head -1) must not make a later
    # write fail.
    sys.stdout.write("%d %d\n%s\n" % (total, inside, "\n".join(lines)))


main()
