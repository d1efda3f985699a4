#!/usr/bin/env bash
# The budget window under a real X server and window manager: opened from the 登録 menu with
# keys, this month's budget of the first expense item typed with "+" (copied to the rest of the
# year) and registered; the tool must list it for this month and December.
# Usage: budget_window_wm.sh BIN_DIR
BIN=${1:?bin folder}
source "$(dirname "$0")/wm_common.sh"
start_program

keys alt+r
keys b
active_is "日付入力"
keys Return Return Return
active_is "予算表の登録"
typed "1000+"
keys Return
typed "200"
keys F12
active_is "日付入力"
keys Escape
active_is "$main"
exit_program

year=$(date +%Y)
month=$((10#$(date +%m)))
listed=$(tool budget --year "$year" --csv | tr -d '\r')
row() { echo "$listed" | awk -F, -v m="$1" -v p="$2" '$1 == m && $2 == "expense" && $3 == p { print $6 }'; }
[ "$(row "$month" 1)" = 1000 ] || { echo "$listed"; fail "month $month, item 1: '$(row "$month" 1)', expected 1000"; }
[ "$(row 12 1)" = 1000 ] || { echo "$listed"; fail "December, item 1: '$(row 12 1)', expected 1000 (copied by +)"; }
[ "$(row "$month" 2)" = 200 ] || { echo "$listed"; fail "month $month, item 2: '$(row "$month" 2)', expected 200"; }
if [ "$month" -lt 12 ]; then
    [ -z "$(row 12 2)" ] || { echo "$listed"; fail "December, item 2: '$(row 12 2)', expected no budget"; }
fi
echo "PASS: budget window under openbox"
