#!/usr/bin/env python3
"""Fails when the ledger editor reads data back from the grid's display text.

The editor holds the block as lines; the grid only shows them. So the editor's files (every
source file under SRC whose name starts with LedgerSheet, LedgerEditor or SheetHistory) never read
a cell's text (`TextMatrix(` without `Set`, `.Text()`), and no source defines or calls a row
reader (`ReadGridRow`) or a grid-to-block copy (`GridToBlock`).
"""
import os
import re
import sys

EDITOR_FILES = re.compile(r"^(LedgerSheet|LedgerEditor|SheetHistory)\w*\.(h|cpp)$")
CELL_READ = re.compile(r"(?<!Set)TextMatrix\s*\(|[.>]Text\s*\(\s*\)")
ROW_READERS = re.compile(r"\b(ReadGridRow|GridToBlock)\b")


def problems_in(path, text, editor_file):
    found = []
    for number, line in enumerate(text.splitlines(), 1):
        code = line.split("//", 1)[0]
        if ROW_READERS.search(code):
            found.append(f"{path}:{number}: reads a grid row back into a line")
        elif editor_file and CELL_READ.search(code):
            found.append(f"{path}:{number}: the editor reads a cell's display text")
    return found


def main(src):
    # The check must see what it looks for.
    assert problems_in("x", "int v = LedgerCellNumber(m_grid.TextMatrix(r, c));", True)
    assert problems_in("x", "auto t = grid.Text();", True)
    assert problems_in("x", "IoRecord r = ReadGridRow(g, 1);", False)
    assert not problems_in("x", "m_grid.SetTextMatrix(r, c, t); // TextMatrix(r, c) shows it", True)
    problems = []
    for root, _, files in os.walk(src):
        for name in sorted(files):
            if not name.endswith((".h", ".cpp")):
                continue
            path = os.path.join(root, name)
            with open(path, encoding="utf-8") as f:
                problems += problems_in(os.path.relpath(path, src), f.read(), bool(EDITOR_FILES.match(name)))
    for p in problems:
        print(p)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
