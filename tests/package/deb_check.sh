#!/usr/bin/env bash
# The Debian package as a user gets it: cpack builds the .deb from the build tree; every file the
# programs need at run time (the libraries they link, Qt's X11 plugin, Qt's Japanese translations,
# the IPA fonts) belongs to a package the .deb depends on; unpacked into a temporary root
# (dpkg -x), the tool reports its version and the program makes its first start from there under
# Xvfb and openbox, finding the initial name tables and the icon that came in the package.
# Usage: deb_check.sh BUILD_DIR QT_PLUGINS_DIR QT_TRANSLATIONS_DIR
set -euo pipefail

BUILD=${1:?build folder}
QT_PLUGINS=${2:?Qt plugins folder}
QT_TRANSLATIONS=${3:?Qt translations folder}
for cmd in cpack dpkg-deb readelf fc-match Xvfb openbox xdotool xprop; do
    command -v "$cmd" >/dev/null || { echo "missing $cmd (scripts/install-deps installs it)"; exit 1; }
done

WORK=$(mktemp -d)
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

(cd "$BUILD" && cpack -G DEB -B "$WORK/pkg" >"$WORK/cpack.log" 2>&1) || { cat "$WORK/cpack.log"; fail "cpack"; }
debs=("$WORK"/pkg/*.deb)
[ ${#debs[@]} = 1 ] && [ -f "${debs[0]}" ] || fail "cpack made no single .deb: ${debs[*]}"
deb=${debs[0]}
[ "$(dpkg-deb -f "$deb" Package)" = mrtkel ] || fail "package name $(dpkg-deb -f "$deb" Package)"

# Package names of a relation field, alternatives included, without versions.
names() { dpkg-deb -f "$deb" "$1" | tr ',|' '\n\n' | sed 's/(.*//; s/[[:space:]]//g' | grep -v '^$' | sort -u; }
depends=$(names Depends)
recommends=$(names Recommends)
echo "Depends: $(dpkg-deb -f "$deb" Depends)"
echo "Recommends: $(dpkg-deb -f "$deb" Recommends)"
for p in fonts-noto-cjk fcitx5-frontend-qt6; do
    grep -qx "$p" <<<"$recommends" || fail "$p is not recommended"
done

# The package owning a file, trying the path as given and across the merged /usr.
owner() {
    local f
    for f in "$1" "$(readlink -f "$1")" "/usr$1" "${1#/usr}"; do
        dpkg-query -S "$f" 2>/dev/null | head -1 | cut -d: -f1 && return 0
    done
    return 1
}
needs_package() { # file, what it is
    local pkg
    pkg=$(owner "$1") || fail "$2 ($1) belongs to no installed package"
    grep -qx "$pkg" <<<"$depends" || fail "$2 comes from $pkg, which the package does not depend on"
}

ROOT=$WORK/root
dpkg -x "$deb" "$ROOT"
for bin in mrtkel mrtkel-tool; do
    [ -x "$ROOT/usr/bin/$bin" ] || fail "no /usr/bin/$bin in the package"
    # Every library the program links directly, as the dynamic loader finds it.
    for lib in $(readelf -d "$ROOT/usr/bin/$bin" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p'); do
        # ldd names the dynamic loader by its full path and nothing after it.
        path=$(ldd "$ROOT/usr/bin/$bin" | awk -v l="$lib" '$1 == l { print $3 } $1 ~ ("/" l "$") { print $1 }' | head -1)
        [ -n "$path" ] && [ -f "$path" ] || fail "$bin: $lib is not found"
        needs_package "$path" "$bin's $lib"
    done
done
needs_package "$QT_PLUGINS/platforms/libqxcb.so" "Qt's X11 platform plugin"
needs_package "$QT_TRANSLATIONS/qtbase_ja.qm" "Qt's Japanese translation"
for face in IPAGothic IPAPGothic IPAMincho; do
    file=$(fc-match -f '%{file}' "$face")
    [ "$(fc-match -f '%{family}' "$face" | cut -d, -f1)" = "$face" ] || fail "the font $face is not installed"
    needs_package "$file" "the font $face"
done

# The tool from the unpacked root.
version=$(env -u MRTKEL_SHARE "$ROOT/usr/bin/mrtkel-tool" --version) || fail "mrtkel-tool --version"
[ "$version" = "mrtkel-tool $(dpkg-deb -f "$deb" Version)" ] || fail "mrtkel-tool --version: $version"

# The first start from the unpacked root, on a display of our own; no MRTKEL_SHARE, so the
# resources can only come from <root>/usr/share.
exec {fd}<> <(:)
Xvfb -displayfd "$fd" -screen 0 1280x1024x24 -nolisten tcp >"$WORK/xvfb.log" 2>&1 &
pids+=($!)
read -r -t 10 -u "$fd" num || fail "Xvfb did not start"
export DISPLAY=:$num
unset QT_QPA_PLATFORM MRTKEL_SHARE
openbox >"$WORK/openbox.log" 2>&1 &
pids+=($!)
sleep 0.5

HOME_DIR=$WORK/home
"$ROOT/usr/bin/mrtkel" --home "$HOME_DIR" >"$WORK/mrtkel.log" 2>&1 &
app=$!
pids+=($app)
active_is() {
    local want=$1
    for _ in $(seq 1 100); do
        kill -0 "$app" 2>/dev/null || fail "the program ended while waiting for '$want'"
        [[ "$(xdotool getactivewindow getwindowname 2>/dev/null || true)" == *"$want"* ]] && return 0
        sleep 0.1
    done
    fail "no active window '$want' (active: $(xdotool getactivewindow getwindowname 2>/dev/null || echo none))"
}
keys() { xdotool key --delay 60 "$@"; sleep 0.3; }

# Today as the start date, 30,000 yen as the first balance.
active_is "日付入力"
keys Return Return Return Return
active_is "金額入力"
xdotool type --delay 60 30000
keys Return
active_is "ミルテ家計簿  Ver."
window=$(xdotool getactivewindow)

for t in TBITEM.mrt TBBRKDN.mrt TBSHOP.mrt; do
    cmp -s "$HOME_DIR/Data1/$t" "$ROOT/usr/share/mrtkel/TbInit/$t" || fail "the first start did not copy the packaged $t"
done
# The window carries the packaged icon, and its class is the one the menu entry names.
xprop -id "$window" _NET_WM_ICON | grep -q 'Icon (48 x 48)' || fail "the main window has no 48 px icon"
wm_class=$(sed -n 's/^StartupWMClass=//p' "$ROOT"/usr/share/applications/*.desktop)
xprop -id "$window" WM_CLASS | grep -q "\"$wm_class\"" ||
    fail "WM_CLASS $(xprop -id "$window" WM_CLASS) lacks the menu entry's StartupWMClass $wm_class"
grep -q "translations" "$WORK/mrtkel.log" && fail "Qt's Japanese translations were not loaded"

keys alt+f
keys x
for _ in $(seq 1 100); do
    kill -0 "$app" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$app" 2>/dev/null && fail "the program did not end after ファイル › 終了"
wait "$app" || fail "the program ended with status $?"
listed=$("$ROOT/usr/bin/mrtkel-tool" --home "$HOME_DIR" ledger --csv | tr -d '\r' | tail -n +2)
[ "$listed" = "$(date +%Y-%m-%d),初期残高,,,0,0,30000" ] || fail "the ledger after the first start: $listed"
echo "PASS: the .deb unpacked into $ROOT starts and finds its resources"
