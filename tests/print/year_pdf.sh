#!/usr/bin/env bash
# The year printout end to end: 30 items with a year of lines and a budget, printed headlessly by
# mrtkel --print-year into a PDF, read back with pdfinfo (one A4 page across) and pdftotext;
# then the closing periods, and a ledger of 51 items that takes a second page.
# Usage: year_pdf.sh BIN_DIR
set -euo pipefail

BIN=${1:?bin folder}
for cmd in pdftotext pdfinfo; do
    command -v $cmd >/dev/null || { echo "missing $cmd (scripts/install-deps installs poppler-utils)"; exit 1; }
done
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
H=$WORK/home
fail() { echo "FAIL: $*"; [ -f "$WORK/out.txt" ] && sed 's/^/  | /' "$WORK/out.txt"; exit 1; }
T() { "$BIN/mrtkel-tool" --home "$H" "$@" >/dev/null; }

# The initial tables hold 6 income and 15 expense items; 9 more make 30.
T init --start 2025-01-01 --balance 1000000
python3 - "$WORK/import.csv" <<'PY'
import sys
rows = ["date,item,note,shop,income,expense\r\n"]
for m in range(1, 13):
    rows.append(f"2026-{m:02d}-25,給与,,,{300000 + m * 1000},\r\n")
    rows.append(f"2026-{m:02d}-26,食費,,,,{40000 + m}\r\n")
    for i in range(1, 10):
        rows.append(f"2026-{m:02d}-{i + 1:02d},追加項目{i},,,,{i * 1000 + m}\r\n")
rows.append("2025-06-10,食費,,,,480000\r\n")
open(sys.argv[1], "w", encoding="utf-8", newline="").write("".join(rows))
PY
T import "$WORK/import.csv" --register-items
# Budgets of 2026 by item position: 給与 300,000 and 食費 40,000 a month.
{
    for m in $(seq 1 12); do
        echo " 300000 ,-1 ,-1 ,-1 ,-1 ,-1 "
        echo " 40000 $(printf ',-1 %.0s' $(seq 2 24))"
    done
} | sed 's/$/\r/' >"$H/Data1/Bgt2026.usr"

print() {
    "$BIN/mrtkel" --home "$H" --print-year "$@" >"$WORK/stdout.txt" 2>"$WORK/stderr.txt" ||
        { cat "$WORK/stderr.txt"; fail "--print-year $* ended with status $?"; }
    [ -s "$WORK/stderr.txt" ] && fail "stderr not empty: $(cat "$WORK/stderr.txt")"
    pdftotext -layout "$WORK/y.pdf" "$WORK/out.txt"
}
has() { grep -qF -- "$1" "$WORK/out.txt" || fail "not in the PDF: $1"; }
pages() { pdfinfo "$WORK/y.pdf" | awk '/^Pages:/ {print $2}'; }

print 2026 --pdf "$WORK/y.pdf"
[ "$(pages)" = 1 ] || fail "30 items took $(pages) pages"
pdfinfo "$WORK/y.pdf" | grep -q "Page size: *842 x 595" || fail "not A4 across: $(pdfinfo "$WORK/y.pdf" | grep size)"
has "年間集計表"
has "2026年01"
has "12月"
has "年間合計"
has "前年比"
# 給与: 301,000 in January .. 312,000 in December; the year 3,678,000 against 3,600,000.
grep "給与" "$WORK/out.txt" | grep -q "301,000 .*312,000 *3,678,000 *306,500 *3,600,000 *78,000" ||
    fail "給与 row: $(grep 給与 "$WORK/out.txt")"
# 食費: 480,078 in the year, 480,000 the year before.
grep "食費" "$WORK/out.txt" | grep -q "480,078 *40,007 *480,000 *78 *480,000 *0.0%" ||
    fail "食費 row: $(grep 食費 "$WORK/out.txt")"
grep "追加項目9" "$WORK/out.txt" | grep -q "9,012 *108,078" || fail "the last item: $(grep 追加項目9 "$WORK/out.txt")"
has "(収支差引)"

# Closing on the 25th: the lines of the 26th count in the next month's period.
"$BIN/mrtkel-tool" --home "$H" year 2026 --periods --closing-day 25 --csv | grep -q "^食費,0,40001," ||
    fail "the tool's closing periods: $("$BIN/mrtkel-tool" --home "$H" year 2026 --periods --closing-day 25 --csv | grep 食費)"
# The settings record with the defaults but the closing day 25 (the layout mrtkel-tool reads).
python3 - "$H/Data1/INIT.mrt" <<'PY'
import struct, sys
rec = bytearray(b" " * 450)
def num(offset, value):
    struct.pack_into("<h", rec, offset, value)
for offset, value in ((30, 1), (32, 0), (34, 0), (136, 3), (138, 300), (140, 19), (142, 25)):
    num(offset, value)
for offset, value in ((242, "家計簿"), (272, "家計簿集計"), (302, "ユーザー名")):
    b = value.encode("cp932")
    rec[offset:offset + len(b)] = b
for offset, value in ((332, 9), (334, 5), (336, 0), (338, 9), (340, 5), (342, 0), (444, 0), (446, 10), (448, 0)):
    num(offset, value)
open(sys.argv[1], "wb").write(rec)
PY
"$BIN/mrtkel-tool" --home "$H" settings | grep -qx "ClosingDay=25" || fail "the settings file was not taken"
print 2026 --periods --pdf "$WORK/y.pdf"
has "2026年(25日締)"
has "12月締"
grep "食費" "$WORK/out.txt" | grep -qE "^食費 +40,001 " || fail "closing periods: $(grep 食費 "$WORK/out.txt")"

# 21 more items: a second page, its header line repeated. (The budget file holds the old item
# counts, which a budget read would take for damage.)
rm "$H/Data1/Bgt2026.usr"
for i in $(seq 10 30); do echo "2026-03-03,追加項目$i,,,,100"; done | sed '1i date,item,note,shop,income,expense' |
    sed 's/$/\r/' >"$WORK/more.csv"
T import "$WORK/more.csv" --register-items
print 2026 --pdf "$WORK/y.pdf"
[ "$(pages)" = 2 ] || fail "51 items took $(pages) pages"
[ "$(grep -c "項 目 名" "$WORK/out.txt")" = 2 ] || fail "the header line is not on both pages"
has "2026年02"
"$BIN/mrtkel" --home "$H" --print-year 26 --pdf "$WORK/z.pdf" 2>/dev/null && fail "a two-digit year was taken"
[ -e "$WORK/z.pdf" ] && fail "a refused request wrote a file"
echo "PASS: year printout to PDF"
