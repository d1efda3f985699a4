#!/usr/bin/env bash
# The totals printout end to end: a ledger and a budget, printed headlessly by
# mrtkel --print-totals into a PDF, read back with pdftotext -layout.
# Usage: totals_pdf.sh BIN_DIR
set -euo pipefail

BIN=${1:?bin folder}
command -v pdftotext >/dev/null || { echo "missing pdftotext (scripts/install-deps installs poppler-utils)"; exit 1; }
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
H=$WORK/home
T() { "$BIN/mrtkel-tool" --home "$H" "$@" >/dev/null; }
fail() { echo "FAIL: $*"; [ -f "$WORK/out.txt" ] && sed 's/^/  | /' "$WORK/out.txt"; exit 1; }

T init --start 2026-11-01 --balance 1000000
T add --date 2026-11-02 --item 給与 --income 285000
T add --date 2026-11-03 --item 食費 --expense 45678
T add --date 2026-11-05 --item 水道光熱費 --expense 8420
T add --date 2026-11-06 --item 交通費 --expense 1200
# Budgets of 2026 by item position (6 income, 15 expense items in the initial tables):
# 給与 300,000; 食費 40,000 (exceeded); 水道光熱費 0 (a zero budget prints empty).
{
    for m in $(seq 1 12); do
        echo " 300000 ,-1 ,-1 ,-1 ,-1 ,-1 "
        echo " 40000 ,-1 ,-1 , 0 ,-1 ,-1 ,-1 ,-1 ,-1 ,-1 ,-1 ,-1 ,-1 ,-1 ,-1 "
    done
} | sed 's/$/\r/' >"$H/Data1/Bgt2026.usr"

"$BIN/mrtkel" --home "$H" --print-totals 2026-11-06 --pdf "$WORK/t.pdf" >"$WORK/stdout.txt" 2>"$WORK/stderr.txt" ||
    { cat "$WORK/stderr.txt"; fail "--print-totals ended with status $?"; }
[ -s "$WORK/stderr.txt" ] && fail "stderr not empty: $(cat "$WORK/stderr.txt")"
pdftotext -layout "$WORK/t.pdf" "$WORK/out.txt"
has() { grep -qF -- "$1" "$WORK/out.txt" || fail "not in the PDF: $1"; }
has "家計簿集計"
has "ユーザー名"
# The ledger starts on 1 November: the week is cut to six days.
has "2026年11月1日"
has "2026年11月6日01"
has "11/06(金)"
has "月 合 計"
has "予 算 額"
has "45,678"
has "40,000*"
has "300,000"
has "(差引残高)"
has "1,229,702"
# 給与 285,000 is within its budget: no star; the zero budget of 水道光熱費 prints nothing.
grep -q "300,000\*" "$WORK/out.txt" && fail "a budget within its total was starred"
grep "水道光熱費" "$WORK/out.txt" | grep -q " 0 *$" && fail "a zero budget was printed"
# Zero amounts are empty cells: no lone 0 in the 賞与 row.
grep "賞与" "$WORK/out.txt" | grep -qE '(^| )0( |$)' && fail "a zero amount was printed"
echo "PASS: totals printout to PDF"
