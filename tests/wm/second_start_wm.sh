#!/usr/bin/env bash
# Two programs started together on one home folder, under a real X server and window manager
# (Xvfb + openbox): the one refused by the lock says so in a message that stays above the other
# program's windows, and the first SIGTERM ends it (status 1, as its OK button would). The other
# program goes on with its first start.
# Usage: second_start_wm.sh BIN_DIR
set -euo pipefail

BIN=${1:?bin folder}
source "$(dirname "$0")/wm_common.sh"

"$BIN/mrtkel" --home "$HOME_DIR" >"$WORK/mrtkel.log" 2>&1 &
first=$!
"$BIN/mrtkel" --home "$HOME_DIR" >"$WORK/mrtkel-2.log" 2>&1 &
second=$!
pids+=("$first" "$second")

# The program holding the folder's lock (the system's list of locks names it), and the other one.
holder=
lock_taken() {
    local inode
    inode=$(stat -c %i "$HOME_DIR/.mrtkel.lock" 2>/dev/null) || return 1
    holder=$(awk -v inode=":$inode\$" '$2 == "FLOCK" && $6 ~ inode { print $5 }' /proc/locks | head -1)
    [ "$holder" = "$first" ] || [ "$holder" = "$second" ]
}
wait_for lock_taken || fail "neither program took the lock of the data folder"
app=$holder
refused=$first
[ "$holder" = "$first" ] && refused=$second

# The refused program's message: its window, named as the program.
box=
wait_for 'box=$(xdotool search --all --onlyvisible --pid "$refused" --name "^ミルテ家計簿$" 2>/dev/null | head -1); [ -n "$box" ]' ||
    fail "the refused program did not say that the data folder is in use"
dialog=
wait_for 'dialog=$(xdotool search --all --onlyvisible --pid "$app" --name "日付入力" 2>/dev/null | head -1); [ -n "$dialog" ]' ||
    fail "the program holding the folder did not ask for the start date"

# Above: later in the window manager's stacking list (bottom first) than the other's dialog.
above() {
    local order b d
    order=" $(xprop -root _NET_CLIENT_LIST_STACKING | sed 's/.*# //; s/,//g') "
    b=$(printf '0x%x' "$box")
    d=$(printf '0x%x' "$dialog")
    [[ "$order" == *" $d "*"$b "* ]]
}
wait_for above || fail "the message is behind the other program's window"
# It stays above when the other program's window is activated.
xdotool windowactivate --sync "$dialog" 2>/dev/null || true
wait_for above || fail "the message went behind the other program's window when that was activated"
echo "ok: the message stays in front"

kill -TERM "$refused"
wait_for '! kill -0 "$refused" 2>/dev/null' || fail "the refused program did not end at the first SIGTERM"
status=0
wait "$refused" || status=$?
[ "$status" = 1 ] || fail "the refused program ended with status $status, expected 1"
echo "ok: one SIGTERM ends the refused program"

# The other program goes on: its first start, then the exit.
xdotool windowactivate --sync "$dialog" 2>/dev/null || true
active_is "日付入力"
keys Return Return Return Return
active_is "金額入力"
typed 50000
keys Return
active_is "$main"
exit_program
echo "PASS: a second program on the same folder"
