#!/usr/bin/env bash
# `make run` builds the programs and what they read at run time, not the tests: the build step it
# would run names its targets, and every command those targets need (from a fresh build folder)
# links only mrtkel and mrtkel-tool, and lays out the help pages, the name tables and the icon.
# Usage: run_target_check.sh SOURCE_DIR BUILD_DIR
set -euo pipefail

SRC=${1:?source folder}
BUILD=${2:?build folder}
fails=0
fail() { echo "FAIL: $*"; fails=$((fails + 1)); }

steps=$(make -n --no-print-directory -C "$SRC" run BUILD="$BUILD" | grep -E '^cmake --build ') ||
    { echo "FAIL: make run has no build step"; exit 1; }
targets=""
while read -r step; do
    [[ "$step" == *" --target "* ]] || fail "make run builds everything: $step"
    targets+=" ${step##* --target }"
done <<<"$steps"
[ "$fails" = 0 ] || exit 1

commands=$(ninja -C "$BUILD" -t commands $targets)
linked=$(grep -oE -- ' -o bin/[^ ]+' <<<"$commands" | sed 's| -o bin/||' | sort -u | tr '\n' ' ')
[ "$linked" = "mrtkel mrtkel-tool " ] || fail "make run links: $linked"
grep -q 'make-tbinit' <<<"$commands" || fail "make run does not build the initial name tables"
grep -q 'help/main/index.html' <<<"$commands" || fail "make run does not lay out the help pages"
grep -qE 'icons/hicolor/48x48/apps/[^ ]+\.png' <<<"$commands" || fail "make run does not render the window icon"
[ "$fails" = 0 ] || exit 1
echo "PASS: make run builds$targets: $linked and the resources"
