#!/usr/bin/env bash
# The year report window under a real X server and window manager (Xvfb + openbox), typed at with
# xdotool: 表示 › 年間集計 from the main window, arrows and Page Down in the grid, F5 switching to
# the closing periods (closing day 25, set in the totals window with F11), F7 writing the CSV
# through the file dialog, Esc closing it; then F8 from the totals window opens it again. The CSV
# is read back.
# Usage: year_wm.sh BIN_DIR
set -euo pipefail

BIN=${1:?bin folder}
source "$(dirname "$0")/wm_common.sh"

T() { "$BIN/mrtkel-tool" --home "$HOME_DIR" "$@" >/dev/null; }
T init --start 2026-01-01 --balance 100000
T add --date 2026-01-25 --item 給与 --income 285000
T add --date 2026-01-26 --item 食費 --expense 1200
T add --date 2026-03-10 --item 食費 --expense 3400
T add --date 2026-11-27 --item 食費 --expense 500

"$BIN/mrtkel" --home "$HOME_DIR" >"$WORK/mrtkel.log" 2>&1 &
app=$!
pids+=($app)
field() { keys ctrl+a; typed "$1"; keys Return; }

# The closing day 25 through the totals window.
active_is "$main"
keys F2
active_is "日付入力"
field 2026; field 11; field 27
keys Return
active_is "集計表示"
keys F11
active_is "締め日の設定"
keys ctrl+a
typed 25
keys Return
active_is "集計表示"
keys Escape
active_is "$main"

keys alt+v
keys y
active_is "年間集計"
keys Down Down Page_Down Right Right F9 F9
keys F5
keys F7
active_is "CSV出力"
keys ctrl+a
typed "$WORK/year.csv"
keys Return
# The message of the rows written.
active_is "CSV出力"
keys Return
active_is "年間集計"
keys Escape
active_is "$main"

[ -f "$WORK/year.csv" ] || fail "no CSV written"
csv=$(sed 's/^\xEF\xBB\xBF//; s/\r$//' "$WORK/year.csv")
head -1 <<<"$csv" | grep -q "^項目名,1月締,2月締,.*,12月締,年間合計,月平均,年間予算,差額,前年合計,前年比(%)$" ||
    fail "header: $(head -1 <<<"$csv")"
# Closing on the 25th: the 26 January line counts in February, 27 November in December.
grep -q "^食費,0,1200,3400,0,0,0,0,0,0,0,0,500,5100," <<<"$csv" || fail "食費: $(grep 食費 <<<"$csv")"
grep -q "^給与,285000,0," <<<"$csv" || fail "給与: $(grep 給与 <<<"$csv")"

# F8 in the totals window opens the year of its closing month.
keys F2
active_is "日付入力"
field 2026; field 11; field 27
keys Return
active_is "集計表示"
keys F8
active_is "年間集計"
keys Escape
active_is "集計表示"
keys Escape
active_is "$main"

keys alt+f
keys x
wait_for '! kill -0 "$app" 2>/dev/null' || true
kill -0 "$app" 2>/dev/null && fail "the program did not end after ファイル › 終了"
wait "$app" || fail "the program ended with status $?"
echo "PASS: year report window under openbox"
