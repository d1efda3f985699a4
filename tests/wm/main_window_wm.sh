#!/usr/bin/env bash
# The main window under a real X server and window manager (Xvfb + openbox), typed at with
# xdotool as a user types: the first start, two ledger lines with Shift+Enter, modifier keys on
# their own, Ctrl+S, Ctrl+G, Ctrl+F, the Alt access keys, and the exit through the menu. The ledger the
# tool lists afterwards must hold exactly the lines typed.
# Usage: main_window_wm.sh BIN_DIR
set -euo pipefail

BIN=${1:?bin folder}
source "$(dirname "$0")/wm_common.sh"

# First start: today as the start date, 50,000 yen as the first balance.
start_program

# The lines are dated today, the ledger's start date, so the day and month typed are today's.
day=$(date +%-d)
month=$(date +%-m)

# Modifier keys on their own, in the edit box of the new line.
keys shift ctrl alt
# Line 1: today, the first expense item, no breakdown or shop, 1000 yen with tax.
typed "$day"
keys Return Down Return Return Return
typed '1000*'
keys Return
# Line 2 starts on the day cell; Shift+Enter goes back to the month, which Enter confirms.
keys shift+Return
typed "$month"
keys Return
typed "$day"
keys Return Down Down Return Return Return
typed 500
keys Return

# Ctrl+S saves while the program runs; its notice goes away by itself or with Enter.
keys ctrl+s
sleep 1
[ "$(xdotool getactivewindow getwindowname 2>/dev/null)" = "$main" ] || keys Return
active_is "$main"
saved=$("$BIN/mrtkel-tool" --home "$HOME_DIR" ledger --csv | wc -l)
[ "$saved" = 4 ] || fail "Ctrl+S: $saved rows listed after the save, expected 4"

# Ctrl+G asks for a date; Esc cancels it. Alt+E opens the edit menu; Esc closes it.
keys ctrl+g
active_is "日付入力"
keys Escape
active_is "$main"

# Ctrl+F opens the search window; a search for "Y" finds nothing typed here, Esc closes it.
keys ctrl+f
active_is "検索"
typed "Y"
keys Return
active_is "検索"
keys Escape
active_is "$main"
keys alt+e
sleep 0.3
keys Escape Escape
keys shift ctrl

# The exit through the menu: Alt+F, then X (終了).
exit_program

today=$(date +%Y-%m-%d)
expected="date,item,note,shop,income,expense,balance
$today,初期残高,,,0,0,50000
$today,食費,,,0,1100,48900
$today,日用品,,,0,500,48400"
actual=$("$BIN/mrtkel-tool" --home "$HOME_DIR" ledger --csv | tr -d '\r')
if [ "$actual" != "$expected" ]; then
    echo "expected:"; echo "$expected"; echo "listed:"; echo "$actual"
    fail "the ledger differs from the lines typed"
fi
echo "PASS: main window under openbox"
