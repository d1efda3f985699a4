#!/usr/bin/env bash
# The windows on a low screen (1024 × 768) under a real X server and window manager (Xvfb +
# openbox): the main window, rebuilt after each change of 表示行数 in the settings window, is
# centred again and lies within the screen's free area with its frame; rows that do not fit are
# left out, which it says once; the other windows lie within the screen too.
# Usage: screen_fit_wm.sh BIN_DIR
set -euo pipefail

BIN=${1:?bin folder}
SCREEN=1024x768x24
source "$(dirname "$0")/wm_common.sh"

# The screen's free area (the window manager's work area): left top right bottom.
read -r ax ay aw ah _ < <(xprop -root _NET_WORKAREA | sed 's/.*= //; s/,//g')
area_right=$((ax + aw))
area_bottom=$((ay + ah))

# The frame of window $1 (an id): left top right bottom, from its place and the frame's extents.
frame_of() {
    local info x y w h l r t b
    info=$(xwininfo -id "$1" 2>/dev/null) || return 1
    x=$(awk '/Absolute upper-left X/ { print $4 }' <<<"$info")
    y=$(awk '/Absolute upper-left Y/ { print $4 }' <<<"$info")
    w=$(awk '/^ *Width:/ { print $2 }' <<<"$info")
    h=$(awk '/^ *Height:/ { print $2 }' <<<"$info")
    read -r l r t b < <(xprop -id "$1" _NET_FRAME_EXTENTS 2>/dev/null | sed 's/.*= //; s/,//g')
    [ -n "${b:-}" ] || return 1
    echo "$((x - l)) $((y - t)) $((x + w + r)) $((y + h + b))"
}

# The active window's frame lies within the free area; with $1 = centred, its middle is also within
# 8 pixels of the area's middle across, and its top as far below the area's top as the layout puts
# it (the room left, halved, less 100 twips).
fits() {
    local id f
    id=$(xdotool getactivewindow 2>/dev/null) || return 1
    f=$(frame_of "$id") || return 1
    read -r l t r b <<<"$f"
    [ "$l" -ge "$ax" ] && [ "$t" -ge "$ay" ] && [ "$r" -le "$area_right" ] && [ "$b" -le "$area_bottom" ] || return 1
    [ "${1:-}" = centred ] || return 0
    local dx=$(((l + r) - (ax + area_right))) top=$(((ah - (b - t)) / 2 - 7))
    [ "${dx#-}" -le 16 ] && [ "$t" -ge $((ay + top - 8)) ] && [ "$t" -le $((ay + top + 8)) ]
}
check_fits() {
    local how=within
    [ "${2:-}" = centred ] && how="centred in"
    wait_for "fits ${2:-}" ||
        fail "$1: the active window (frame $(frame_of "$(xdotool getactivewindow)")) is not $how the area $ax $ay $area_right $area_bottom"
    echo "ok: $1"
}

# 表示行数 (the third setting) to $1.
set_rows() {
    keys alt+r
    keys i
    active_is "環境設定"
    keys Down Down
    typed "$1"
    keys F12
}

start_program
check_fits "first start" centred

# 24 rows fit: the rebuilt, taller window is centred again, without a word.
set_rows 24
active_is "$main"
check_fits "24 rows" centred
main_takes_keys

# 30 rows do not: fewer are shown, and the program says so.
set_rows 30
active_is "表示行数"
keys Return
active_is "$main"
check_fits "30 rows" centred

# 28 rows do not fit either; the same rows as before are shown, said once already.
set_rows 28
active_is "$main"
main_takes_keys
check_fits "28 rows" centred

# The other windows, each opened and closed by its keys, lie within the area.
for opening in "alt+r r|項目名・内訳名・店名の登録" "alt+r i|環境設定" "F3|入出金データの印刷" "F5|作業選択"; do
    title=${opening#*|}
    for press in ${opening%|*}; do keys "$press"; done
    active_is "$title"
    check_fits "$title"
    keys Escape
    active_is "$main"
done
keys alt+r
keys b
active_is "日付入力"
check_fits "日付入力"
keys Return Return Return
active_is "予算表の登録"
check_fits "予算表の登録"
keys F12
active_is "日付入力"
keys Escape
active_is "$main"

exit_program
tool settings | grep -qx "DisplayRows=28" || fail "the setting changed: $(tool settings | grep DisplayRows)"
echo "PASS: windows within a 1024 × 768 screen"
