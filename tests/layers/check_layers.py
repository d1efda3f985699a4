#!/usr/bin/env python3
"""Fails when a source folder includes a header of a folder above it in the layer order.

Layers from the ground up; a folder may include its own headers and those of folders before it.
`ui` and `tool` are the two tops: neither includes the other.
"""
import os
import re
import sys

ORDER = [
    "port", "util", "grid", "settings", "names", "ledger", "budget", "totals",
    "books", "statement", "repeat", "medical", "receipt", "print", "backup", "screens", "app",
]
TOPS = ["ui", "tool"]
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"/]+)/')


def rank(folder):
    if folder in ORDER:
        return ORDER.index(folder)
    if folder in TOPS:
        return len(ORDER)
    return None


def main(src):
    problems = []
    for folder in sorted(os.listdir(src)):
        path = os.path.join(src, folder)
        if not os.path.isdir(path):
            continue
        own = rank(folder)
        if own is None:
            problems.append(f"{folder}/: a folder outside the layer order")
            continue
        for root, _, files in os.walk(path):
            for name in sorted(files):
                if not name.endswith((".h", ".cpp")):
                    continue
                file = os.path.join(root, name)
                with open(file, encoding="utf-8") as f:
                    for number, line in enumerate(f, 1):
                        m = INCLUDE.match(line)
                        if not m:
                            continue
                        target = m.group(1)
                        other = rank(target)
                        rel = os.path.relpath(file, src)
                        if other is None:
                            problems.append(f"{rel}:{number}: includes from unknown folder {target}/")
                        elif other > own or (other == own and target != folder):
                            problems.append(f"{rel}:{number}: {folder}/ includes {target}/, which is above it")
    for p in problems:
        print(p)
    print(f"{len(problems)} include(s) run up the layers" if problems else "layers: every include points down")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "../../src")))
