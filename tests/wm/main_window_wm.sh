#!/usr/bin/env bash
# The main window under a real X server and window manager (Xvfb + openbox), typed at with
# xdotool as a user types: the first start, two ledger lines with Shift+Enter, modifier keys on
# their own, Ctrl+S, Ctrl+G, Ctrl+F, the Alt access keys, and the exit through the menu. The ledger the
# tool lists afterwards must hold exactly the lines typed.
# Usage: main_window_wm.sh BIN_DIR
set -euo pipefail

BIN=${1:?bin folder}
for cmd in Xvfb openbox xdotool; do
    command -v "$cmd" >/dev/null || { echo "missing $cmd (scripts/install-deps installs it)"; exit 1; }
done

WORK=$(mktemp -d)
HOME_DIR=$WORK/home
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    rm -rf "$WORK"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*"
    [ -f "$WORK/mrtkel.log" ] && sed 's/^/  mrtkel: /' "$WORK/mrtkel.log"
    exit 1
}

# A display of our own: Xvfb picks a free number and writes it to the pipe.
exec {fd}<> <(:)
Xvfb -displayfd "$fd" -screen 0 1280x1024x24 -nolisten tcp >"$WORK/xvfb.log" 2>&1 &
pids+=($!)
read -r -t 10 -u "$fd" num || fail "Xvfb did not start"
export DISPLAY=:$num
unset QT_QPA_PLATFORM
openbox >"$WORK/openbox.log" 2>&1 &
pids+=($!)
sleep 0.5

"$BIN/mrtkel" --home "$HOME_DIR" >"$WORK/mrtkel.log" 2>&1 &
app=$!
pids+=($app)

# Waits until the active window's title holds $1 (the program's windows take the focus when shown).
active_is() {
    local want=$1
    for _ in $(seq 1 100); do
        kill -0 "$app" 2>/dev/null || fail "the program ended while waiting for '$want'"
        [[ "$(xdotool getactivewindow getwindowname 2>/dev/null || true)" == *"$want"* ]] && return 0
        sleep 0.1
    done
    fail "no active window '$want' (active: $(xdotool getactivewindow getwindowname 2>/dev/null || echo none))"
}
main="ミルテ家計簿  Ver. 3.1.1"
keys() { xdotool key --delay 60 "$@"; sleep 0.3; }
typed() { xdotool type --delay 60 "$1"; sleep 0.2; }

# First start: today as the start date, 50,000 yen as the first balance.
active_is "日付入力"
keys Return Return Return Return
active_is "金額入力"
typed 50000
keys Return
active_is "$main"

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
keys alt+f
keys x
for _ in $(seq 1 100); do
    kill -0 "$app" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$app" 2>/dev/null && fail "the program did not end after ファイル › 終了"
wait "$app" || fail "the program ended with status $?"

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
