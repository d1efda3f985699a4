#!/usr/bin/env bash
# make-data.sh OUTDIR [YEARS] [LINES]
#
# Makes OUTDIR a data home for mrtkel-tool holding a household ledger of LINES lines (default
# 100000) spread evenly over YEARS years (default 20) from 2006-01-01, and writes the same lines
# as OUTDIR/journal.ledger for the `ledger` program. The ledger is made the way a user would
# make it: `init` for the initial balance, then `import --register-items` of a generated CSV
# file. The data is the same on every run (fixed seed). OUTDIR must not exist or be empty.
#
# The first year moves back when 2006 + YEARS would pass 2050, the last year the ledger takes:
# 50 years run from 2001 to 2050.
#
# OUTDIR/bench.info records what was made (first and last date, lines, years) for run.sh.
# MRTKEL_TOOL: the tool to use (default build/bin/mrtkel-tool of this checkout).
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
TOOL=${MRTKEL_TOOL:-$root/build/bin/mrtkel-tool}
OPENING_BALANCE=800000

if [ $# -lt 1 ] || [ $# -gt 3 ]; then
  echo "usage: $0 OUTDIR [YEARS] [LINES]" >&2
  exit 2
fi
out=$1
years=${2:-20}
lines=${3:-100000}
case "$years$lines" in *[!0-9]*)
  echo "make-data.sh: YEARS and LINES are whole numbers" >&2
  exit 2 ;;
esac
if [ "$years" -lt 1 ] || [ "$years" -gt 50 ]; then
  echo "make-data.sh: the ledger holds 1 to 50 years" >&2
  exit 2
fi
if [ ! -x "$TOOL" ]; then
  echo "make-data.sh: $TOOL not found; build it (or set MRTKEL_TOOL)" >&2
  exit 1
fi
if [ -e "$out" ] && [ -n "$(ls -A "$out")" ]; then
  echo "make-data.sh: $out is not empty" >&2
  exit 1
fi

start_year=2006
if [ $((start_year + years - 1)) -gt 2050 ]; then start_year=$((2051 - years)); fi

mkdir -p "$out"
out=$(cd "$out" && pwd)
t0=$(date +%s)
echo "make-data.sh: $lines lines over $years years from $start_year-01-01 into $out"
info=$(python3 "$here/gen_ledger.py" "$out" "$start_year" "$years" "$lines" "$OPENING_BALANCE")

"$TOOL" --home "$out" init --start "$start_year-01-01" --balance "$OPENING_BALANCE"

# About 420 lines a month overflow the default block of 300 lines: `totals`, `add` and the
# program refuse such a ledger until the settings window raises 1ブロックの最大行数. The tool
# cannot change settings, so INIT.mrt is written here with the window's defaults except that
# number at its highest, 1500 (three months of this ledger, about 1250 lines, fit). `settings`
# must then read back the defaults but for MaxBlockLines.
defaults=$("$TOOL" --home "$out" settings)
python3 - "$out/Data1/INIT.mrt" <<'PY'
import struct, sys
rec = bytearray(b" " * 450)  # reserved fields are blanks
def num(offset, value):
    struct.pack_into("<h", rec, offset, value)
def text(offset, value):
    b = value.encode("cp932")
    rec[offset:offset + len(b)] = b
num(30, 1)      # KeyInputMode
num(32, 0)      # MainWindowState
num(34, 0)      # TotalsWindowState
num(136, 3)     # BlockMonths
num(138, 1500)  # MaxBlockLines
num(140, 19)    # DisplayRows
num(142, 31)    # ClosingDay
text(242, "家計簿")
text(272, "家計簿集計")
text(302, "ユーザー名")
for offset, value in ((332, 9), (334, 5), (336, 0), (338, 9), (340, 5), (342, 0), (444, 0), (446, 10), (448, 0)):
    num(offset, value)
open(sys.argv[1], "wb").write(rec)
PY
if [ "$("$TOOL" --home "$out" settings)" != "${defaults/MaxBlockLines=300/MaxBlockLines=1500}" ]; then
  echo "make-data.sh: INIT.mrt does not read back as written:" >&2
  diff <(echo "$defaults") <("$TOOL" --home "$out" settings) >&2 || true
  exit 1
fi
"$TOOL" --home "$out" import "$out/import.csv" --register-items
rm -f "$out/import.csv"  # made again from the seed when needed; the ledger files hold its lines

# The ledger must be sound and hold exactly the lines asked for, ending on the balance the
# generator reached.
"$TOOL" --home "$out" check
csv_lines=$("$TOOL" --home "$out" ledger --csv | wc -l)
if [ "$csv_lines" -ne $((lines + 1)) ]; then
  echo "make-data.sh: the ledger lists $((csv_lines - 1)) lines, not $lines" >&2
  exit 1
fi
closing=$(sed -n 's/^closing_balance=//p' <<<"$info")
tool_closing=$("$TOOL" --home "$out" ledger --csv | tail -n 1 | tr -d '\r' | awk -F, '{print $NF}')
if [ "$tool_closing" != "$closing" ]; then
  echo "make-data.sh: closing balance $tool_closing, expected $closing" >&2
  exit 1
fi
if command -v ledger >/dev/null; then
  journal_cash=$(ledger -f "$out/journal.ledger" bal --no-total --flat '^Assets:Cash$' | awk '{print $1}')
  if [ "$journal_cash" != "$closing" ]; then
    echo "make-data.sh: journal.ledger ends with $journal_cash in cash, expected $closing" >&2
    exit 1
  fi
fi

{
  echo "years=$years"
  echo "lines=$lines"
  echo "first_date=$start_year-01-01"
  sed -n 's/^last_date=/last_date=/p' <<<"$info"
  echo "closing_balance=$closing"
} >"$out/bench.info"
echo "make-data.sh: done in $(($(date +%s) - t0)) s; $(du -sh "$out" | cut -f1) in $out"
