#!/usr/bin/env bash
# The name registration window under a real X server and window manager: opened from the 登録
# menu with keys, a new expense item with a breakdown and a shop typed in and registered; the
# tool must list them afterwards.
# Usage: names_window_wm.sh BIN_DIR
BIN=${1:?bin folder}
source "$(dirname "$0")/wm_common.sh"
start_program

keys alt+r
keys r
active_is "項目名・内訳名・店名の登録"
# Each addition: F2, the name, Enter, and Enter on the question's "はい".
add_name() {
    keys F2
    typed "$1"
    keys Return
    active_is "追加の確認"
    keys Return
    active_is "項目名・内訳名・店名の登録"
}
add_name "ペット"
keys Right
add_name "フード"
keys Right
add_name "ペットショップ"
keys F12
active_is "$main"
exit_program

listed=$(tool names --csv | tr -d '\r')
key=$(echo "$listed" | awk -F, '$1 == "expense" && $4 == "ペット" { print $2 }')
[ -n "$key" ] || { echo "$listed"; fail "ペット is not among the expense items"; }
echo "$listed" | grep -qx "breakdown,$key,[0-9]*,フード" || { echo "$listed"; fail "フード is not a breakdown of ペット"; }
echo "$listed" | grep -qx "shop,$key,[0-9]*,ペットショップ" || { echo "$listed"; fail "ペットショップ is not a shop of ペット"; }
echo "PASS: name registration window under openbox"
