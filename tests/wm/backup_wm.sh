#!/usr/bin/env bash
# Backup and restore under a real X server and window manager (Xvfb + openbox), typed at with
# xdotool: the registered data and the ledger year are backed up to a folder standing for a USB
# stick through the menu, Data1/ is deleted, the program starts as on a new computer, both are
# restored, and the ledger and the names are as they were.
# Usage: backup_wm.sh BIN_DIR
set -euo pipefail

BIN=${1:?bin folder}
for cmd in Xvfb openbox xdotool; do
    command -v "$cmd" >/dev/null || { echo "missing $cmd (scripts/install-deps installs it)"; exit 1; }
done

WORK=$(mktemp -d)
HOME_DIR=$WORK/home
# The user's home folder: the chooser starts there when no medium is in.
export HOME=$WORK/user
STICK=$HOME/stick
mkdir -p "$STICK"
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

# A ledger of this year with a name registered by the user.
year=$(date +%Y)
tool init --start "$year-01-02" --balance 80000 >/dev/null
tool add --date "$year-01-03" --item 食費 --note 野菜 --shop 新しい八百屋 --expense 1200 >/dev/null
tool add --date "$year-01-04" --item 給与 --income 200000 >/dev/null
ledger_before=$(tool ledger --csv)
names_before=$(tool names --csv)

start_program() {
    "$BIN/mrtkel" --home "$HOME_DIR" >>"$WORK/mrtkel.log" 2>&1 &
    app=$!
    pids+=($app)
}
active_id() { xdotool getactivewindow 2>/dev/null || echo 0; }
active_name() { xdotool getactivewindow getwindowname 2>/dev/null || true; }
# Waits until the active window's title holds $1 and its id is none of the ids after it.
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

# One backup or restore through the menu: $1 menu key (a = backup, n = restore), $2 the caption,
# $3 the list entry (1 ledger year, 2 registered data), $4 what the chooser does before F12.
copy_by_menu() {
    local key=$1 title=$2 entry=$3 choose=$4
    active_is "$main" >/dev/null
    keys alt+f "$key"
    active_is "するデータを選択してください。" >/dev/null
    [ "$entry" = 2 ] && keys Down
    keys Return
    local chooser confirm done
    chooser=$(active_is "$title")
    [ -n "$choose" ] && keys $choose
    keys F12
    confirm=$(active_is "$title" "$chooser")
    keys Return
    done=$(active_is "$title" "$chooser" "$confirm")
    sleep 0.3
    [ "$(active_id)" = "$done" ] || done=$(active_is "$title" "$chooser" "$confirm" "$done")
    keys Return
}

start_program
# The chooser starts in the user's home folder: Down highlights the stick folder.
copy_by_menu a 各データの保管 2 Down
[ -f "$STICK/TBSHOP.mrt" ] || fail "registered data not in the backup folder: $(ls "$STICK")"
# The folder used last is offered first.
copy_by_menu a 各データの保管 1 ""
for f in TBITEM.mrt TBBRKDN.mrt TBSHOP.mrt "Inf$year.usr" "Io$year.usr"; do
    cmp -s "$HOME_DIR/Data1/$f" "$STICK/$f" || fail "$f differs in the backup folder"
done
active_is "$main" >/dev/null
keys alt+f x
wait "$app" || fail "the program ended with status $?"

# A new computer: no data folder. The first start asks for a start date and a balance.
rm -rf "$HOME_DIR/Data1"
start_program
active_is "日付入力" >/dev/null
keys Return Return Return Return
active_is "金額入力" >/dev/null
xdotool type --delay 60 1
keys Return
copy_by_menu n 保管データの復帰 2 ""
copy_by_menu n 保管データの復帰 1 ""
active_is "$main" >/dev/null
keys alt+f x
wait "$app" || fail "the program ended with status $?"

[ "$(tool ledger --csv)" = "$ledger_before" ] || { echo "$ledger_before"; tool ledger --csv; fail "the ledger differs after the restore"; }
[ "$(tool names --csv)" = "$names_before" ] || fail "the names differ after the restore"
cmp -s "$HOME_DIR/Data1/Io$year.usr" "$HOME_DIR/Data1/BU/Io$year.usr" || fail "Data1/BU/ was not refreshed after the restore"
echo "PASS: backup and restore under openbox"
