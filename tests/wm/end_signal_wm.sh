#!/usr/bin/env bash
# The program ended by a signal while lines typed since the last save are only on screen, under a
# real X server and window manager (Xvfb + openbox), typed at with xdotool: SIGTERM on the ledger
# grid with a new line half typed, SIGHUP while a dialog is open, and two signals at once. After
# each of the first two the ledger the tool lists must hold every line that was complete; the
# second of two signals ends the program at once, and the files saved before stay sound.
# Usage: end_signal_wm.sh BIN_DIR
set -euo pipefail

BIN=${1:?bin folder}
source "$(dirname "$0")/wm_common.sh"
app=

# The program without the first start of wm_common.sh: each case below answers it itself.
launch_program() {
    "$BIN/mrtkel" --home "$HOME_DIR" >"$WORK/mrtkel.log" 2>&1 &
    app=$!
    pids+=($app)
}

# Waits up to 10 s for the program to end and sets `status` to its exit status.
ended() {
    for _ in $(seq 1 100); do
        kill -0 "$app" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$app" 2>/dev/null && fail "the program did not end after $1"
    status=0
    wait "$app" || status=$?
}

listed() { "$BIN/mrtkel-tool" --home "$HOME_DIR" ledger --csv | tr -d '\r'; }
today=$(date +%Y-%m-%d)
day=$(date +%-d)

# One expense line on today's date in the new-entry row: the expense item $1 places down the list.
enter_line() {
    local downs=()
    for _ in $(seq 1 "$1"); do downs+=(Down); done
    typed "$day"
    keys Return "${downs[@]}" Return Return Return
    typed "$2"
    keys Return
}

# 1. SIGTERM on the grid: a line entered but not saved, the next one half typed.
launch_program
active_is "日付入力"
keys Return Return Return Return
active_is "金額入力"
typed 50000
keys Return
active_is "$main"
enter_line 1 '1000*'
typed "$day"
rows=$(listed | wc -l)
[ "$rows" = 2 ] || fail "before SIGTERM: $rows rows listed, expected the header and the first line only"
kill -TERM "$app"
ended SIGTERM
[ "$status" = 0 ] || fail "SIGTERM: exit status $status"
expected="date,item,note,shop,income,expense,balance
$today,初期残高,,,0,0,50000
$today,食費,,,0,1100,48900"
[ "$(listed)" = "$expected" ] || { listed; fail "SIGTERM: the ledger differs from the lines typed"; }

# 2. SIGHUP while the date dialog (Ctrl+G) is open over a line that is not saved yet.
launch_program
active_is "$main"
enter_line 2 500
keys ctrl+g
active_is "日付入力"
kill -HUP "$app"
ended SIGHUP
[ "$status" = 0 ] || fail "SIGHUP: exit status $status"
expected="$expected
$today,日用品,,,0,500,48400"
[ "$(listed)" = "$expected" ] || { listed; fail "SIGHUP: the ledger differs from the lines typed"; }

# 3. A second signal ends the program at once, before the first one's save. Both are made to
# arrive together: sent while the program is stopped, they are delivered one after the other when
# it goes on. The line typed is lost; the files saved before are whole and sound.
launch_program
active_is "$main"
enter_line 1 300
kill -STOP "$app"
kill -TERM "$app"
kill -HUP "$app"
kill -CONT "$app"
ended "SIGTERM and SIGHUP together"
case "$status" in
129 | 143) ;;
*) fail "SIGTERM and SIGHUP together: exit status $status, expected the second signal's 128 + number" ;;
esac
"$BIN/mrtkel-tool" --home "$HOME_DIR" check || fail "SIGTERM and SIGHUP together: the check found damage"
[ "$(listed)" = "$expected" ] || { listed; fail "SIGTERM and SIGHUP together: the saved lines changed"; }
echo "PASS: end signals under openbox"
