#!/usr/bin/env bash
# The help window under a real X server and window manager (Xvfb + openbox): F1 opens it beside
# the window that asks; Alt+F4, which the window manager turns into a close request, closes the
# help window only while it is shown, and the window it belongs to closes its help with itself.
# Usage: help_window_wm.sh BIN_DIR
set -euo pipefail

BIN=${1:?bin folder}
source "$(dirname "$0")/wm_common.sh"

# A ledger with one expense line, so that the totals window opens.
today=$(date +%Y-%m-%d)
tool init --start "$today" --balance 50000 >/dev/null
tool add --date "$today" --item 食費 --expense 300 >/dev/null
"$BIN/mrtkel" --home "$HOME_DIR" >"$WORK/mrtkel.log" 2>&1 &
app=$!
pids+=($app)
active_is "$main"

help_title="操作説明"
help_opens() {
    keys F1
    wait_for '[ -n "$(visible_windows "$help_title")" ]' || fail "$1: F1 showed no help window"
}
help_closed() {
    wait_for '[ -z "$(visible_windows "$help_title")" ]' || fail "$1: the help window is still shown"
}

# Opens a window by the key presses after its title $1 (one `keys` each; none when it is open
# already): F1 shows help; Alt+F4 closes the help only and the window stays active; F1 again, then
# Esc closes the window and its help.
check_window() {
    local title=$1
    shift
    for press in "$@"; do keys "$press"; done
    active_is "$title"
    help_opens "$title"
    keys alt+F4
    help_closed "$title, Alt+F4"
    active_is "$title"
    help_opens "$title"
    keys Escape
    active_is "$main"
    help_closed "$title, Esc"
    echo "ok: $title"
}

check_window "環境設定" alt+r i
check_window "入出金データの印刷" F3
check_window "作業選択" F5
check_window "検索" ctrl+f
check_window "CSV出力" alt+f e

# The totals window (not modal) closes its help with itself too.
keys F2
active_is "日付入力"
keys Return Return Return Return
check_window "集計表示"

# The name registration window with a change: Alt+F4 with help shown asks no cancel question.
keys alt+r
keys r
active_is "項目名・内訳名・店名の登録"
keys Right F2
typed "おやつ"
keys Return
active_is "追加の確認"
keys Return
active_is "項目名・内訳名・店名の登録"
help_opens "names"
keys alt+F4
help_closed "names, Alt+F4"
active_is "項目名・内訳名・店名の登録"
keys Escape
active_is "登録変更キャンセルの確認"
keys Left Return
active_is "$main"
echo "ok: names"

# The main window: Alt+F4 with help shown closes the help, not the program (no exit question).
help_opens "main"
keys alt+F4
help_closed "main, Alt+F4"
main_takes_keys
exit_program
echo "PASS: help windows under openbox"
