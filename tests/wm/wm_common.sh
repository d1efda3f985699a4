# Shared by the window scripts: a display of our own (Xvfb + openbox), the program on a fresh home
# folder through its first start, and the helpers that type at it. Source it with BIN set.
set -euo pipefail

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

# The window manager has taken the display once it names itself and the work area on the root window.
wm_ready() {
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' &&
        xprop -root _NET_WORKAREA 2>/dev/null | grep -q '= [0-9]'
}

# Xvfb picks a free display number and writes it to the pipe (SCREEN sets its size), then
# openbox takes the display. Servers started at the same moment by other runs may pick the same
# number and one of them then ends: the start is tried again on another number.
start_display() {
    local xvfb wm
    exec {fd}<> <(:)
    Xvfb -displayfd "$fd" -screen 0 "${SCREEN:-1280x1024x24}" -nolisten tcp >"$WORK/xvfb.log" 2>&1 &
    xvfb=$!
    pids+=($xvfb)
    read -r -t 30 -u "$fd" num || return 1
    export DISPLAY=:$num
    openbox >"$WORK/openbox.log" 2>&1 &
    wm=$!
    pids+=($wm)
    for _ in $(seq 1 300); do
        wm_ready && return 0
        kill -0 "$wm" 2>/dev/null && kill -0 "$xvfb" 2>/dev/null || break
        sleep 0.1
    done
    kill "$wm" "$xvfb" 2>/dev/null || true
    return 1
}
unset QT_QPA_PLATFORM
started=
for _ in 1 2 3; do
    start_display && started=1 && break
done
[ -n "$started" ] || fail "no display: $(cat "$WORK/xvfb.log" "$WORK/openbox.log" 2>/dev/null)"
# The Japanese characters the scripts type, each on a key of its own before any program starts.
python3 "$(dirname "${BASH_SOURCE[0]}")/keymap.py" "ペットフードショップおやつケーキ" || fail "the keys could not be mapped"

main="ミルテ家計簿  Ver. 3.1.1"
keys() { xdotool key --delay 60 "$@"; sleep 0.3; }
# xdotool types a character without a key of its own (Japanese) by remapping a spare key for
# it; typed quickly, the program may read a key before its new mapping, so such text goes slower.
# The characters mapped above (keymap.py) have their own keys and need no remapping.
typed() {
    local delay=60
    LC_ALL=C grep -q '[^ -~]' <<<"$1" && delay=150
    xdotool type --delay "$delay" "$1"
    sleep 0.2
}
tool() { "$BIN/mrtkel-tool" --home "$HOME_DIR" "$@"; }

# Waits (up to 30 s: the machine may be busy) until $1 holds, a command run again and again.
wait_for() {
    for _ in $(seq 1 300); do
        eval "$1" && return 0
        sleep 0.1
    done
    return 1
}

active_name() { xdotool getactivewindow getwindowname 2>/dev/null || echo none; }

# Waits until the active window's title holds $1 (the program's windows take the focus when shown).
active_is() {
    local want=$1
    for _ in $(seq 1 300); do
        kill -0 "$app" 2>/dev/null || fail "the program ended while waiting for '$want'"
        [[ "$(active_name)" == *"$want"* ]] && return 0
        sleep 0.1
    done
    fail "no active window '$want' (active: $(active_name))"
}

# The main window is active and takes the keys: Ctrl+G opens its date question, Esc closes it.
main_takes_keys() {
    active_is "$main"
    keys ctrl+g
    active_is "日付入力"
    keys Escape
    active_is "$main"
}

# Ids of the visible windows whose title holds $1.
visible_windows() { xdotool search --onlyvisible --name "$1" 2>/dev/null || true; }

# Starts the program on a new home folder: today as the start date, 50,000 yen as the balance.
start_program() {
    "$BIN/mrtkel" --home "$HOME_DIR" >"$WORK/mrtkel.log" 2>&1 &
    app=$!
    pids+=($app)
    active_is "日付入力"
    keys Return Return Return Return
    active_is "金額入力"
    typed 50000
    keys Return
    active_is "$main"
}

# The exit through the menu (ファイル › 終了), then the program must end cleanly.
exit_program() {
    keys alt+f
    keys x
    wait_for '! kill -0 "$app" 2>/dev/null' || true
    kill -0 "$app" 2>/dev/null && fail "the program did not end after ファイル › 終了"
    wait "$app" || fail "the program ended with status $?"
}
