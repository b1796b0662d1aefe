#!/usr/bin/env python3
"""Checks that every caption the user's guide quotes is one the program shows.

Every double-quoted text of docs/user-guide.md that holds a Chinese character must occur,
exactly, inside a string literal of the program's sources (src/). A guide that names a button
the window does not have, or a message the program no longer says, fails.
"""
import pathlib
import re
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent
GUIDE = ROOT / "docs" / "user-guide.md"
CJK = re.compile(r"[\u3400-\u9fff]")
QUOTED = re.compile(r'"([^"\n]+)"')
LITERAL = re.compile(r'"((?:[^"\\\n]|\\.)*)"')


def literals():
    found = []
    for path in (ROOT / "src").rglob("*"):
        if path.suffix in (".cpp", ".h") and path.is_file():
            found.extend(LITERAL.findall(path.read_text(encoding="utf-8")))
    return found


def main():
    texts = literals()
    missing = []
    for number, line in enumerate(GUIDE.read_text(encoding="utf-8").splitlines(), 1):
        for quoted in QUOTED.findall(line):
            if CJK.search(quoted) and not any(quoted in t for t in texts):
                missing.append(f"docs/user-guide.md:{number}: \"{quoted}\" is not shown by the program")
    for m in missing:
        print(m, file=sys.stderr)
    return 1 if missing else 0


if __name__ == "__main__":
    sys.exit(main())
