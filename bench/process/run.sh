#!/usr/bin/env bash
# run.sh DATAHOME
#
# Whole-process timings of mrtkel-tool on a data home made by make-data.sh, beside the `ledger`
# program on the same lines (DATAHOME/journal.ledger) and a plain append to a text file. Each
# round runs every command once, one after the other (interleaved, so that a slow moment of the
# machine touches all rows alike); ROUNDS rounds (default 20) follow WARMUP unrecorded rounds
# (default 1). Prints the median and the fastest wall time of each command in milliseconds, the
# ratios, and the bytes each query reads.
#
# The commands that write (`add`) work on a copy of the home in a temporary folder, so DATAHOME
# stays as made; each round adds one line at the newest date and one 15 years before it.
#
# MRTKEL_TOOL: the tool (default build/bin/mrtkel-tool of this checkout). Needs bash 5 (for
# EPOCHREALTIME), `ledger`, GNU date, dd, strace and GNU time (peak memory):
# `scripts/install-deps --bench`.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
TOOL=${MRTKEL_TOOL:-$root/build/bin/mrtkel-tool}
ROUNDS=${ROUNDS:-20}
WARMUP=${WARMUP:-1}

die() {
  echo "run.sh: $*" >&2
  exit 1
}

[ $# -eq 1 ] || { echo "usage: $0 DATAHOME" >&2; exit 2; }
home=$(cd "$1" && pwd)
journal=$home/journal.ledger
[ -f "$home/bench.info" ] || die "$home/bench.info not found: make the data with make-data.sh"
[ -f "$journal" ] || die "$journal not found"
[ -x "$TOOL" ] || die "$TOOL not found; build it (or set MRTKEL_TOOL)"
command -v ledger >/dev/null || die "the ledger program is missing: scripts/install-deps --bench"
[ -n "${EPOCHREALTIME:-}" ] || die "bash 5 or later is needed (EPOCHREALTIME)"
case "$ROUNDS$WARMUP" in *[!0-9]*) die "ROUNDS and WARMUP are whole numbers" ;; esac
[ "$ROUNDS" -ge 1 ] || die "ROUNDS must be at least 1"

info() { sed -n "s/^$1=//p" "$home/bench.info"; }
lines=$(info lines)
first_date=$(info first_date)
last_date=$(info last_date)

# The week: seven days ending on 15 June of the newest year. `ledger -p "from A to B"` leaves B
# out, so B is the day after the week.
week_end=${last_date:0:4}-06-15
week_start=$(date -d "$week_end -6 days" +%Y/%m/%d)
week_after=$(date -d "$week_end +1 day" +%Y/%m/%d)
period="from $week_start to $week_after"
old_date=$(date -d "$last_date -15 years" +%F)
[[ "$old_date" > "$first_date" ]] || old_date=""  # a ledger of 15 years or fewer has no such day

# The copy that the writing commands change, and the text file of the append.
work=$(mktemp -d "${TMPDIR:-/tmp}/mrtkel-bench-process.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir "$work/home"
cp -a "$home/Data1" "$work/home/"
printf '%s 牛乳・卵\n    Expenses:食費  238 JPY\n    Assets:Cash\n\n' "${last_date//-//}" >"$work/line.txt"
: >"$work/append.txt"

# Both programs must see the same week: its income and expense totals must agree.
tool_week=$("$TOOL" --home "$home" totals --date "$week_end" --csv |
  LC_ALL=C awk -F, '$1 == "(入金合計)" { i = $9 } $1 == "(出金合計)" { e = $9 } END { print i + 0, e + 0 }')
ledger_week=$(ledger --init-file /dev/null -f "$journal" bal -p "$period" --flat --no-total \
  --balance-format '%(account) %(quantity(display_total))\n' '^Income:' '^Expenses:' |
  LC_ALL=C awk '$1 ~ /^Income:/ { i -= $2 } $1 ~ /^Expenses:/ { e += $2 } END { print i + 0, e + 0 }')
[ "$tool_week" = "$ledger_week" ] ||
  die "the week's income and expense differ: mrtkel-tool $tool_week, ledger $ledger_week"

# The rows, in the order of each round: label and command.
labels=()
commands=()
row() {
  labels+=("$1")
  shift
  commands+=("$(printf '%q ' "$@")")
}
row "mrtkel-tool totals --date $week_end" "$TOOL" --home "$home" totals --date "$week_end"
row "ledger bal -p \"$period\"" ledger --init-file /dev/null -f "$journal" bal -p "$period"
row "mrtkel-tool ledger --csv (all $lines lines)" "$TOOL" --home "$home" ledger --csv
row "cat of the year files" cat "$home"/Data1/Io*.usr
row "mrtkel-tool check" "$TOOL" --home "$home" check
row "mrtkel-tool add --date $last_date (newest)" "$TOOL" --home "$work/home" add --date "$last_date" \
  --item 食費 --note 牛乳・卵 --shop スーパー --expense 238
row "append one line to a text file + fsync (dd)" dd if="$work/line.txt" of="$work/append.txt" \
  oflag=append conv=notrunc,fsync status=none
if [ -n "$old_date" ]; then
  row "mrtkel-tool add --date $old_date (15 years back)" "$TOOL" --home "$work/home" add --date "$old_date" \
    --item 日用品 --note 洗剤 --shop ドラッグストア --expense 398
fi

# Wall time of one command in microseconds, appended to samples[row]. EPOCHREALTIME is read by
# the shell itself, so no process is started around the measured one (as `date +%s%N` would);
# what is timed is the fork, exec, run and exit of the command. Output goes to /dev/null.
declare -a samples
time_row() {
  local i=$1 t0 t1
  t0=${EPOCHREALTIME//[.,]/}
  eval "${commands[$i]}" >/dev/null || die "failed: ${commands[$i]}"
  t1=${EPOCHREALTIME//[.,]/}
  [ "$2" = record ] && samples[i]+="$((10#$t1 - 10#$t0)) "
  return 0
}

for ((r = 0; r < WARMUP + ROUNDS; r++)); do
  mode=record
  [ "$r" -lt "$WARMUP" ] && mode=warmup
  for i in "${!commands[@]}"; do time_row "$i" "$mode"; done
done

# The lines the rounds added leave the copy as sound as the original.
"$TOOL" --home "$work/home" check >/dev/null || die "the copy fails check after the added lines"

# Median (middle value, or the mean of the two middle ones) and minimum, in ms.
stats() {
  tr ' ' '\n' <<<"${samples[$1]}" | sed '/^$/d' | sort -n |
    LC_ALL=C awk '{ v[NR] = $1 } END { m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2;
                              printf "%.2f %.2f\n", m / 1000, v[1] / 1000 }'
}
declare -a median minimum
for i in "${!commands[@]}"; do read -r "median[$i]" "minimum[$i]" < <(stats "$i"); done

# Bytes read: strace records every read-family call of the process with the file it read (-y),
# and the return values add up to the bytes the program asked the kernel for, split into the
# data home's files and the rest (the loader's library headers, locale and conversion modules).
# /proc/PID/io would give the same total, but only while the process lives, so it cannot be
# read for a run that is timed to its end; files mapped into memory (the libraries' code) are
# not reads and are counted by neither.
bytes_read() {
  local log=$work/strace.log
  strace -f -qq -y -s 0 -e trace=read,pread64,readv,preadv,preadv2 -e signal=none -o "$log" "$@" >/dev/null ||
    die "failed under strace: $*"
  LC_ALL=C awk -v data="$home/" '
    match($0, /\) += +[0-9]+$/) {
      n = substr($0, RSTART); gsub(/[^0-9]/, "", n); all += n
      if (index($0, "<" data) > 0) mine += n
    }
    END { printf "%d %d\n", all, mine }' "$log"
}
group() { sed ':a;s/\B[0-9]\{3\}\>/,&/;ta' <<<"$1"; }

ms_ratio() { LC_ALL=C awk -v a="$1" -v b="$2" 'BEGIN { if (b <= 0) print "-"; else printf (a < b ? "%.4f" : "%.2f"), a / b }'; }

echo "mrtkel-tool whole-process timings: $home"
echo "  $lines lines, $first_date .. $last_date; $ROUNDS rounds after $WARMUP warm-up, interleaved"
echo "  tool: $TOOL ($(date -r "$TOOL" '+%F %T'), sha256 $(sha256sum "$TOOL" | cut -c1-16))"
echo "  $(ledger --version | head -n 1); $(nproc) CPUs, $(sed -n 's/^model name\s*: //p' /proc/cpuinfo | head -n 1)"
echo
printf '%-56s %10s %10s\n' "command" "median ms" "min ms"
for i in "${!commands[@]}"; do
  printf '%-56s %10s %10s\n' "${labels[$i]}" "${median[$i]}" "${minimum[$i]}"
  case $i in
    1) printf '%-56s %10s\n' "  ratio totals / ledger bal (medians)" "$(ms_ratio "${median[0]}" "${median[1]}")" ;;
    3) printf '%-56s %10s\n' "  ratio ledger --csv / cat (medians)" "$(ms_ratio "${median[2]}" "${median[3]}")" ;;
    6) printf '%-56s %10s\n' "  ratio add newest / append (medians)" "$(ms_ratio "${median[5]}" "${median[6]}")" ;;
  esac
done
echo
if command -v strace >/dev/null; then
  read -r all mine < <(bytes_read "$TOOL" --home "$home" totals --date "$week_end")
  echo "bytes read by mrtkel-tool totals: $(group "$all") (data home files $(group "$mine"), other $(group $((all - mine))))"
  read -r all mine < <(bytes_read ledger --init-file /dev/null -f "$journal" bal -p "$period")
  echo "bytes read by ledger bal:         $(group "$all") (journal.ledger $(group "$mine"), other $(group $((all - mine))))"
else
  echo "bytes read: strace is not installed (scripts/install-deps --bench)"
fi
# Peak memory (the largest resident size) of the listing, from GNU time.
if [ -x /usr/bin/time ]; then
  peak=$(/usr/bin/time -f %M "$TOOL" --home "$home" ledger --csv 2>&1 >/dev/null | tail -n 1)
  echo "peak memory of mrtkel-tool ledger --csv: $(group "$peak") kB"
else
  echo "peak memory: GNU time is not installed (scripts/install-deps --bench)"
fi
echo "sizes: ledger files $(group "$(du -cb "$home"/Data1/Io*.usr | tail -n 1 | cut -f1)") bytes," \
  "journal.ledger $(group "$(stat -c %s "$journal")") bytes"
