#!/usr/bin/python3
"""Exports the fixture table with korvane-xlsx and reads the workbook back with openpyxl.

usage: spreadsheet_readback.py KORVANE_XLSX FIXTURE_DIR
Prints 'N passed, N failed' and exits non-zero on any failure.
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import zipfile

import openpyxl

tool, fixture = sys.argv[1], os.path.abspath(sys.argv[2])
failures = []


def check(ok, what):
    if not ok:
        failures.append(what)
        print("FAILED:", what)


def export(out, rows=None, stdin_path=None, pictures=("图片",), cwd=None):
    data = open(stdin_path, "rb").read() if stdin_path else \
        "".join("\t".join(r) + "\n" for r in rows).encode("utf-8")
    return subprocess.run([tool, out, *pictures], input=data, cwd=cwd).returncode


def file_width(chars):
    # What the writer stores for a width in characters (7-pixel digits, 5 pixels padding).
    pixels = int(chars * 7 + 0.5) + 5
    return int(pixels / 7 * 256) / 256


def display_width(text):
    wide = lambda c: (0x1100 <= c <= 0x115F or 0x2E80 <= c <= 0xA4CF or 0xAC00 <= c <= 0xD7A3
                      or 0xF900 <= c <= 0xFAFF or 0xFE30 <= c <= 0xFE4F or 0xFF00 <= c <= 0xFF60
                      or 0xFFE0 <= c <= 0xFFE6 or 0x20000 <= c <= 0x3FFFD)
    return sum(2 if wide(ord(ch)) else 1 for ch in text)


work = tempfile.mkdtemp(prefix="korvane-xlsx-")
try:
    table = os.path.join(fixture, "table.tsv")
    rows = [line.split("\t") for line in open(table, encoding="utf-8").read().split("\n") if line]
    out = os.path.join(work, "export.xlsx")
    check(export(out, stdin_path=table, cwd=fixture) == 0, "fixture export exits 0")
    wb = openpyxl.load_workbook(out)
    ws = wb.worksheets[0]
    check(ws.max_column == 27 and ws.max_row == len(rows), "27 columns, every row")
    check(openpyxl.utils.get_column_letter(27) == "AA", "last column AA")
    picture_cell = (2, 6)  # row 2, column F holds motor.png
    for r, cells in enumerate(rows, start=1):
        for c, text in enumerate(cells, start=1):
            cell = ws.cell(row=r, column=c)
            expected = None if text == "" or (r, c) == picture_cell else text
            check(cell.value == expected, f"cell {cell.coordinate} {cell.value!r} == {expected!r}")
            if expected is not None:
                check(cell.data_type == "s", f"cell {cell.coordinate} stored as text")
            check(cell.number_format == "@", f"cell {cell.coordinate} format @")
            b = cell.border
            check(all(s.style == "thin" for s in (b.left, b.right, b.top, b.bottom)),
                  f"cell {cell.coordinate} thin borders")
    check(ws.row_dimensions[1].height == 30, "header row 30 high")
    for r in range(2, len(rows) + 1):
        check(ws.row_dimensions[r].height == 30, f"data row {r} 30 high (default options)")
    for c in range(1, 28):
        letter = openpyxl.utils.get_column_letter(c)
        texts = [row[c - 1] for i, row in enumerate(rows) if (i + 1, c) != picture_cell]
        expected = file_width(min(255, max(display_width(t) for t in texts) + 2))
        got = ws.column_dimensions[letter].width
        check(abs(got - expected) < 1e-6, f"column {letter} width {got} == {expected}")
    with zipfile.ZipFile(out) as z:
        drawings = [n for n in z.namelist() if n.startswith("xl/drawings/drawing")]
        check(len(drawings) == 1, "one drawing part")
        media = [n for n in z.namelist() if n.startswith("xl/media/")]
        check(len(media) == 1, "one picture: missing and unreadable pictures stay text")
        xml = z.read(drawings[0]).decode() if drawings else ""
        anchor = re.search(r"<xdr:from><xdr:col>(\d+)</xdr:col>.*?<xdr:row>(\d+)</xdr:row>", xml)
        check(anchor is not None and (int(anchor.group(1)), int(anchor.group(2))) == (5, 1),
              "picture anchored at F2")
        # The cell is 40 pixels high (30 points) and wider: the picture takes 40 x 40 (ratio 1).
        check('<a:ext cx="381000" cy="381000"/>' in xml, "picture 40 x 40 pixels")

    # A failing export keeps the old file byte for byte and leaves no temporary file.
    target = os.path.join(work, "old.xlsx")
    with open(target, "wb") as f:
        f.write(b"the old file")
    long_rows = [["名称", "值"], ["x" * 40000, "1"]]
    check(export(target, long_rows) == 1, "a 40,000-character text fails the export")
    check(open(target, "rb").read() == b"the old file", "the old file is unchanged")
    check(sorted(os.listdir(work)) == ["export.xlsx", "old.xlsx"], "no temporary file left")
    check(export(target, [["a"], [""]]) == 0 and zipfile.is_zipfile(target),
          "a good export replaces the old file")
    check(export(os.path.join(work, "none.xlsx"), []) == 1
          and not os.path.exists(os.path.join(work, "none.xlsx")), "an empty table writes nothing")
    check(export(os.path.join(work, "no", "dir.xlsx"), [["a"]]) == 1, "a missing folder fails")
finally:
    shutil.rmtree(work)

checks_failed = len(failures)
print(f"{1 if not checks_failed else 0} passed, {1 if checks_failed else 0} failed")
sys.exit(1 if checks_failed else 0)
