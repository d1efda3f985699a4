#!/usr/bin/env bash
# `make install PREFIX=/usr DESTDIR=<temporary root>` (cmake --install underneath): the programs,
# the resources, the menu entry, the icon (SVG, 48 and 256 px PNG), the AppStream metadata and the
# manual pages land where the desktop looks for them, and each passes its own validator
# (desktop-file-validate, appstreamcli, groff).
# Usage: install_check.sh SOURCE_DIR BUILD_DIR
set -euo pipefail

SRC=${1:?source folder}
BUILD=${2:?build folder}
ID=jp.mrtkel.mrtkel
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
P=$WORK/root/usr
fails=0
fail() { echo "FAIL: $*"; fails=$((fails + 1)); }

make -C "$SRC" --no-print-directory install BUILD="$BUILD" PREFIX=/usr DESTDIR="$WORK/root" >"$WORK/install.log" 2>&1 ||
    { cat "$WORK/install.log"; echo "FAIL: make install"; exit 1; }

for f in bin/mrtkel bin/mrtkel-tool \
         share/mrtkel/TbInit/TBITEM.mrt share/mrtkel/TbInit/TBBRKDN.mrt share/mrtkel/TbInit/TBSHOP.mrt \
         share/mrtkel/help/main/index.html share/mrtkel/help/sub/index.html \
         share/applications/$ID.desktop share/metainfo/$ID.metainfo.xml \
         share/icons/hicolor/scalable/apps/$ID.svg \
         share/icons/hicolor/48x48/apps/$ID.png share/icons/hicolor/256x256/apps/$ID.png \
         share/man/man1/mrtkel.1.gz share/man/man1/mrtkel-tool.1.gz \
         share/man/ja/man1/mrtkel.1.gz share/man/ja/man1/mrtkel-tool.1.gz; do
    [ -f "$P/$f" ] || fail "not installed: $f"
done
[ -x "$P/bin/mrtkel" ] && [ -x "$P/bin/mrtkel-tool" ] || fail "the programs are not executable"
version=$("$P/bin/mrtkel-tool" --version | awk '{print $2}')
[ -n "$version" ] || fail "mrtkel-tool --version printed no version"
[ "$("$P/bin/mrtkel" --version)" = "mrtkel $version" ] || fail "mrtkel --version: $("$P/bin/mrtkel" --version)"

# The PNGs are real PNGs of the size their folder names.
png_size() {
    python3 -c 'import struct, sys
d = open(sys.argv[1], "rb").read(24)
print("%dx%d" % struct.unpack(">II", d[16:24]) if d[:8] == b"\x89PNG\r\n\x1a\n" else "not a PNG")' "$1"
}
for n in 48 256; do
    got=$(png_size "$P/share/icons/hicolor/${n}x${n}/apps/$ID.png")
    [ "$got" = "${n}x${n}" ] || fail "${n} px icon is $got"
done
grep -q '<svg' "$P/share/icons/hicolor/scalable/apps/$ID.svg" || fail "the scalable icon is not an SVG"

# The menu entry.
desktop=$P/share/applications/$ID.desktop
if command -v desktop-file-validate >/dev/null; then
    out=$(desktop-file-validate "$desktop" 2>&1) || true
    [ -z "$out" ] || fail "desktop-file-validate: $out"
else
    echo "SKIP: desktop-file-validate is not installed (desktop-file-utils)"
fi
key() { sed -n "s/^$1=//p" "$desktop"; }
[ "$(key Name)" = "ミルテ家計簿" ] || fail "Name=$(key Name)"
[ -n "$(key Comment)" ] && [ -n "$(key 'Comment\[ja\]')" ] || fail "the entry needs an English and a Japanese comment"
[ "$(key Categories)" = "Office;Finance;" ] || fail "Categories=$(key Categories)"
[ "$(key Icon)" = "$ID" ] || fail "Icon=$(key Icon) does not name the installed icon"
exec_line=$(key Exec)
[[ "$exec_line" != *%* ]] || fail "Exec takes field codes: $exec_line"
[ -x "$P/bin/${exec_line%% *}" ] || fail "Exec=$exec_line is not an installed program"

# The AppStream metadata, alone and with the installed tree around it (menu entry, icon).
metainfo=$P/share/metainfo/$ID.metainfo.xml
if command -v appstreamcli >/dev/null; then
    for cmd in "validate --no-net --pedantic $metainfo" "validate-tree --no-net --pedantic $P"; do
        # shellcheck disable=SC2086
        out=$(appstreamcli $cmd 2>&1) || fail "appstreamcli $cmd: $out"
        if grep -qE '^ *[EWIP]: ' <<<"$out"; then fail "appstreamcli $cmd: $out"; fi
    done
else
    echo "SKIP: appstreamcli is not installed (appstream)"
fi
grep -q "<release version=\"$version\"" "$metainfo" || fail "the metadata's release is not $version"
grep -q "<launchable type=\"desktop-id\">$ID.desktop</launchable>" "$metainfo" || fail "the metadata does not launch $ID.desktop"

# The manual pages: groff reads them without a warning, and man renders their sections.
for page in man1/mrtkel.1.gz man1/mrtkel-tool.1.gz ja/man1/mrtkel.1.gz ja/man1/mrtkel-tool.1.gz; do
    f=$P/share/man/$page
    [ -f "$f" ] || continue
    warnings=$(zcat "$f" | preconv | groff -man -Tutf8 -ww -z 2>&1)
    [ -z "$warnings" ] || fail "$page: $warnings"
    if command -v man >/dev/null; then
        text=$(LANG=C.UTF-8 MANWIDTH=80 man -l "$f" 2>&1)
        case $page in ja/*) want="名前" ;; *) want="NAME" ;; esac
        grep -q "^$want" <<<"$text" || fail "$page: no $want section in man's rendering"
        grep -q "mrtkel $version" <<<"$text" || fail "$page: the footer does not carry version $version"
    fi
done

if [ "$fails" -ne 0 ]; then exit 1; fi
echo "PASS: installed tree"
