#!/usr/bin/env bash
# Restoring a dated generation under a real X server and window manager (Xvfb + openbox), typed at
# with xdotool: an older generation holds the ledger before a line added since; the start keeps
# today's generation; the restore command offers both, newest first, and the older one chosen by
# keys brings the ledger back to that day.
# Usage: generations_wm.sh BIN_DIR
set -euo pipefail

BIN=${1:?bin folder}
for cmd in Xvfb openbox xdotool; do
    command -v "$cmd" >/dev/null || { echo "missing $cmd (scripts/install-deps installs it)"; exit 1; }
done

WORK=$(mktemp -d)
HOME_DIR=$WORK/home
export HOME=$WORK/user
mkdir -p "$HOME"
pids=()
app=
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
tool() { "$BIN/mrtkel-tool" --home "$HOME_DIR" "$@"; }

exec {fd}<> <(:)
Xvfb -displayfd "$fd" -screen 0 1280x1024x24 -nolisten tcp >"$WORK/xvfb.log" 2>&1 &
pids+=($!)
read -r -t 10 -u "$fd" num || fail "Xvfb did not start"
export DISPLAY=:$num
unset QT_QPA_PLATFORM
openbox >"$WORK/openbox.log" 2>&1 &
pids+=($!)

year=$(date +%Y)
tool init --start "$year-01-02" --balance 80000 >/dev/null
tool add --date "$year-01-03" --item 食費 --note 野菜 --shop 八百屋 --expense 1200 >/dev/null
ledger_then=$(tool ledger --csv)
# The generation an earlier start kept three days ago, then a line added since.
older=$(date -d '3 days ago' +%F)
today=$(date +%F)
mkdir -p "$HOME_DIR/Data1/BU/gen/$older"
cp -p "$HOME_DIR"/Data1/*.* "$HOME_DIR/Data1/BU/gen/$older/"
tool add --date "$year-01-04" --item 給与 --income 200000 >/dev/null
[ "$(tool ledger --csv)" != "$ledger_then" ] || fail "the added line is missing"

start_program() {
    "$BIN/mrtkel" --home "$HOME_DIR" >>"$WORK/mrtkel.log" 2>&1 &
    app=$!
    pids+=($app)
}
active_id() { xdotool getactivewindow 2>/dev/null || echo 0; }
active_name() { xdotool getactivewindow getwindowname 2>/dev/null || true; }
active_is() {
    local want=$1
    shift
    for _ in $(seq 1 150); do
        kill -0 "$app" 2>/dev/null || fail "the program ended while waiting for '$want'"
        local id
        id=$(active_id)
        if [[ "$(active_name)" == *"$want"* ]] && [[ " $* " != *" $id "* ]]; then
            echo "$id"
            return 0
        fi
        sleep 0.1
    done
    fail "no active window '$want' (active: $(active_name))"
}
keys() { xdotool key --delay 80 "$@"; sleep 0.2; }
main="ミルテ家計簿  Ver. 3.1.1"

start_program
active_is "$main" >/dev/null
[ -d "$HOME_DIR/Data1/BU/gen/$today" ] || fail "the start kept no generation of today: $(ls "$HOME_DIR/Data1/BU/gen")"
listing=$(tool backup --list-generations)
[[ "$listing" == *"$older"*正常* && "$listing" == *"$today"*正常* ]] || fail "listing: $listing"

keys alt+f n
active_is "するデータを選択してください。" >/dev/null
keys Down Down Down Return
active_is "復帰する保存世代を選択して下さい。" >/dev/null
keys Down Return
active_is "復帰するデータを選択してください。" >/dev/null
keys Return
confirm=$(active_is "保管データの復帰")
keys Return
done=$(active_is "保管データの復帰" "$confirm")
sleep 0.3
[ "$(active_id)" = "$done" ] || done=$(active_is "保管データの復帰" "$confirm" "$done")
keys Return
active_is "$main" >/dev/null
keys alt+f x
wait "$app" || fail "the program ended with status $?"

[ "$(tool ledger --csv)" = "$ledger_then" ] || { tool ledger --csv; fail "the ledger is not that of $older"; }
echo "PASS: a generation chosen by keys under openbox"
