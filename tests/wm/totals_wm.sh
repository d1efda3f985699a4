#!/usr/bin/env bash
# The totals window under a real X server and window manager (Xvfb + openbox), typed at with
# xdotool: F2 in the main window, the last date typed, F3/F4 moving the week, F11 setting the
# closing day 25, F12 printing into a PDF through the file dialog, F9 showing the chart (F9 again
# for the second view), Esc closing the chart and the window. The PDF is read back with pdftotext
# and the closing day with mrtkel-tool.
# Usage: totals_wm.sh BIN_DIR
set -euo pipefail

BIN=${1:?bin folder}
source "$(dirname "$0")/wm_common.sh"
command -v pdftotext >/dev/null || fail "missing pdftotext (scripts/install-deps installs it)"

T() { "$BIN/mrtkel-tool" --home "$HOME_DIR" "$@" >/dev/null; }
T init --start 2026-11-01 --balance 100000
T add --date 2026-11-20 --item 給与 --income 285000
for d in $(seq 21 28); do
    T add --date "2026-11-$d" --item 食費 --note 野菜・果物 --expense $((1000 + d))
done

"$BIN/mrtkel" --home "$HOME_DIR" >"$WORK/mrtkel.log" 2>&1 &
app=$!
pids+=($app)

field() { keys ctrl+a; typed "$1"; keys Return; }

active_is "$main"
keys F2
active_is "日付入力"
field 2026; field 11; field 26
keys Return
active_is "集計表示"
# A day on and a day back: the week of 20–26 November again; then one day on to the 27th.
keys F4 F3 F4
keys F11
active_is "締め日の設定"
keys ctrl+a
typed 25
keys Return
active_is "集計表示"
keys F12
active_is "集計データの印刷"
keys F12
active_is "PDFファイルに保存"
keys ctrl+a
typed "$WORK/totals.pdf"
keys Return
active_is "集計データの印刷"
keys Return
active_is "集計表示"
keys F9
active_is "グラフ"
keys F9
keys Escape
active_is "集計表示"
keys Escape
active_is "$main"

[ -f "$WORK/totals.pdf" ] || fail "no PDF written"
pdftotext -layout "$WORK/totals.pdf" "$WORK/out.txt"
grep -qE "2026年11月21日(〜|～)2026年11月27日01" "$WORK/out.txt" || fail "range or page number missing: $(head -3 "$WORK/out.txt")"
grep -q "11/27(金)" "$WORK/out.txt" || fail "no column of the 27th"
grep "食費" "$WORK/out.txt" | grep -q "7,168" || fail "week total of 食費 missing: $(grep 食費 "$WORK/out.txt")"
"$BIN/mrtkel-tool" --home "$HOME_DIR" settings | grep -qx "ClosingDay=25" || fail "the closing day was not stored"

keys alt+f
keys x
for _ in $(seq 1 100); do
    kill -0 "$app" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$app" 2>/dev/null && fail "the program did not end after ファイル › 終了"
wait "$app" || fail "the program ended with status $?"
echo "PASS: totals window under openbox"
