#!/usr/bin/env python3
"""Fails on any string literal that starts a log line ("* " or "- ") outside the catalogue.

Every text the program writes to its log lives in engine/log/LogLines.h (and LogLines.cpp), so that
the frozen texts are found in one place and none is written twice with a small difference.
Usage: log_literals.py SOURCE_DIR
"""
import os
import re
import sys

FOLDERS = ["app", "cli", "engine", "list", "platform", "shell", "toolkit"]
CATALOGUE = {os.path.join("engine", "log", "LogLines.h"), os.path.join("engine", "log", "LogLines.cpp")}
# A literal whose text begins like a log line; an escaped quote (\"* \") inside a longer text
# is no literal of its own.
LITERAL = re.compile(r'(?<!\\)"(\* |- )')


def code_part(line):
    """The line without a // comment (one that is not inside a literal)."""
    in_text = False
    for i, c in enumerate(line):
        if c == '"' and (i == 0 or line[i - 1] != "\\"):
            in_text = not in_text
        elif not in_text and line.startswith("//", i):
            return line[:i]
    return line


def main():
    top = sys.argv[1]
    found = []
    for folder in FOLDERS:
        for root, _, files in os.walk(os.path.join(top, folder)):
            for name in files:
                if not name.endswith((".cpp", ".h")):
                    continue
                path = os.path.join(root, name)
                rel = os.path.relpath(path, top)
                if rel in CATALOGUE:
                    continue
                with open(path, encoding="utf-8", errors="replace") as source:
                    for number, line in enumerate(source, 1):
                        if LITERAL.search(code_part(line)):
                            found.append(f"{rel}:{number}: {line.strip()}")
    for line in found:
        print(line)
    if found:
        print(f"{len(found)} log line literal(s) outside engine/log/LogLines: move them there")
        return 1
    print("every log line literal is in the catalogue")
    return 0


if __name__ == "__main__":
    sys.exit(main())
