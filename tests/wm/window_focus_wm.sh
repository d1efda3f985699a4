#!/usr/bin/env bash
# Every window's way out gives the keyboard back to the main window, under a real X server and
# window manager (Xvfb + openbox): cancel with and without its question, F12, Alt+F4 (which the
# window manager takes), in the name registration, settings, budget, print, totals, search and
# CSV windows, the work lists, the start date question and the backup list. After each the main
# window must be active and take Ctrl+G; at the end a line typed on the grid must reach the ledger.
# Usage: window_focus_wm.sh BIN_DIR
set -euo pipefail

BIN=${1:?bin folder}
source "$(dirname "$0")/wm_common.sh"

T() { tool "$@" >/dev/null; }
today=$(date +%Y-%m-%d)
day=$(date +%-d)
T init --start "$today" --balance 50000
T add --date "$today" --item 食費 --expense 300

"$BIN/mrtkel" --home "$HOME_DIR" >"$WORK/mrtkel.log" 2>&1 &
app=$!
pids+=($app)
main_takes_keys

# Each case: its name, then the keys that open the window and close it again.
back_to_main() {
    main_takes_keys
    echo "ok: $1"
}

names_window() {
    keys alt+r
    keys r
    active_is "項目名・内訳名・店名の登録"
}
# A new breakdown of the first expense item: a change that the cancel asks about.
add_breakdown() {
    keys Right F2
    typed "$1"
    keys Return
    active_is "追加の確認"
    keys Return
    active_is "項目名・内訳名・店名の登録"
}
answer_cancel_yes() {
    active_is "登録変更キャンセルの確認"
    keys Left Return
}

names_window
keys Escape
back_to_main "names, Esc"

names_window
add_breakdown "おやつ"
keys Escape
answer_cancel_yes
back_to_main "names, Esc and the cancel question"

names_window
add_breakdown "おやつ"
keys alt+F4
answer_cancel_yes
back_to_main "names, Alt+F4 and the cancel question"

names_window
keys alt+F4
back_to_main "names, Alt+F4"

names_window
add_breakdown "ケーキ"
keys F12
back_to_main "names, F12"

for close in Escape F12 alt+F4; do
    keys alt+r
    keys i
    active_is "環境設定"
    keys "$close"
    back_to_main "settings, $close"
done

# The budget window: a changed amount, Esc and its question (on はい), then the date question.
keys alt+r
keys b
active_is "日付入力"
keys Return Return Return
active_is "予算表の登録"
typed 1000
keys Escape
active_is "[ESC]中断"
keys Return
active_is "日付入力"
keys Escape
back_to_main "budget, Esc and its question"

for close in Escape alt+F4; do
    keys F3
    active_is "入出金データの印刷"
    keys "$close"
    back_to_main "print, $close"
done

for list in F4 F5; do
    keys "$list"
    active_is "作業選択"
    keys Escape
    back_to_main "work list $list, Esc"
done

keys F2
active_is "日付入力"
keys Return Return Return Return
active_is "集計表示"
keys Escape
back_to_main "totals, Esc"

keys ctrl+f
active_is "検索"
keys Escape
back_to_main "search, Esc"

keys alt+f
keys e
active_is "CSV出力"
keys alt+F4
back_to_main "CSV export, Alt+F4"

for opening in "r|開始日付の変更" "a|保管するデータを選択してください。"; do
    keys alt+f
    keys "${opening%|*}"
    active_is "${opening#*|}"
    keys Escape
    back_to_main "${opening#*|}, Esc"
done

# The grid itself takes what is typed.
typed "$day"
keys Return Down Return Return Return
typed 700
keys Return
exit_program
tool ledger --csv | tr -d '\r' | grep -q "^$today,食費,,,0,700," || { tool ledger --csv; fail "the line typed last is missing"; }
echo "PASS: every window gives the keyboard back to the main window"
