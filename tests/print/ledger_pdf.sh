#!/usr/bin/env bash
# The ledger printout end to end: a ledger made with mrtkel-tool, printed headlessly into a PDF
# by mrtkel --print-ledger, read back with pdftotext -layout.
# Usage: ledger_pdf.sh BIN_DIR
set -euo pipefail

BIN=${1:?bin folder}
command -v pdftotext >/dev/null || { echo "missing pdftotext (scripts/install-deps installs poppler-utils)"; exit 1; }
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
H=$WORK/home
T() { "$BIN/mrtkel-tool" --home "$H" "$@" >/dev/null; }
fail() { echo "FAIL: $*"; [ -f "$WORK/out.txt" ] && sed 's/^/  | /' "$WORK/out.txt"; exit 1; }

T init --start 2026-10-28 --balance 1234567
T add --date 2026-10-30 --item 食費 --note 前月の買物 --expense 999
T add --date 2026-11-01 --item 給与 --note 基本給 --shop 勤務先 --income 285000
T add --date 2026-11-02 --item 水道光熱費 --note "電気代１１月分（１０／２８～１１／２６）" --shop 東西電力 --expense 8420
for i in $(seq 1 60); do
    d=$(( (i - 1) / 3 + 3 ))
    T add --date "2026-11-$(printf %02d "$d")" --item 食費 --note 野菜・果物 --shop 八百屋 --expense $((100 + i))
done

# The range runs past the ledger's last date: cut to it.
"$BIN/mrtkel" --home "$H" --print-ledger 2026-11-01 2026-12-31 --pdf "$WORK/l.pdf" >"$WORK/stdout.txt" 2>"$WORK/stderr.txt" ||
    { cat "$WORK/stderr.txt"; fail "--print-ledger ended with status $?"; }
pdftotext -layout "$WORK/l.pdf" "$WORK/out.txt"
pages=$(pdfinfo "$WORK/l.pdf" | awk '/^Pages:/ {print $2}')
[ "$pages" = 2 ] || fail "2 pages expected, got $pages"
grep -q "2 ページ" "$WORK/stdout.txt" || fail "no page count on stdout: $(cat "$WORK/stdout.txt")"

has() { grep -qF -- "$1" "$WORK/out.txt" || fail "not in the PDF: $1"; }
has "家計簿"
has "ユーザー名"
# The first page holds 55 rows: the first three lines (one of them two rows) and 52 of the rest.
has "2026年11月 1日"
has "2026年11月20日01"
has "2026年11月20日"
has "2026年11月22日02"
has "285,000"
has "1,518,568"
has "1,502,318"
has "東西電力"
has "電気代１１月分（１０／２８"
has "１１／２６）"
has "野菜・果物"
has "八百屋"
# The line before the range is not printed; the page count follows each header.
grep -q "前月の買物" "$WORK/out.txt" && fail "a line before the range was printed"
[ "$(grep -c "01$" "$WORK/out.txt")" -ge 1 ] || fail "no page number 01"

# Outside the ledger: no file, the reason on stderr, a non-zero status.
if "$BIN/mrtkel" --home "$H" --print-ledger 2027-01-01 2027-01-31 --pdf "$WORK/none.pdf" 2>"$WORK/err.txt"; then
    fail "a range outside the ledger was reported as printed"
fi
grep -q "該当するデータがありません。" "$WORK/err.txt" || fail "no reason given: $(cat "$WORK/err.txt")"
[ -e "$WORK/none.pdf" ] && fail "a PDF was written for nothing"

# A date that is not one is a usage error.
set +e
"$BIN/mrtkel" --home "$H" --print-ledger 2026-11-31 2026-12-01 --pdf "$WORK/x.pdf" 2>/dev/null
[ $? = 2 ] || fail "2026-11-31 accepted"
# Two printouts in one call: refused, nothing written.
"$BIN/mrtkel" --home "$H" --print-totals 2026-11-30 --print-ledger 2026-11-01 2026-11-30 --pdf "$WORK/two.pdf" \
    2>"$WORK/err.txt"
[ $? = 2 ] || fail "two print requests accepted"
[ -e "$WORK/two.pdf" ] && fail "a PDF was written for two print requests"
grep -q "一つだけ" "$WORK/err.txt" || fail "no reason given for two requests: $(cat "$WORK/err.txt")"
set -e
# A relative home and PDF file are taken from the folder the program is started in.
mkdir "$WORK/here"
(cd "$WORK/here" && "$BIN/mrtkel" --home ../home --print-ledger 2026-11-01 2026-11-30 --pdf rel.pdf >/dev/null) ||
    fail "relative --home and --pdf"
[ -s "$WORK/here/rel.pdf" ] || fail "the relative PDF is not in the starting folder"
echo "PASS: ledger printout to PDF"
