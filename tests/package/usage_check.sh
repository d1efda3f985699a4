#!/usr/bin/env bash
# Every option that the README shows on an `mrtkel` command line is explained by `mrtkel --help`
# (which needs no display) and by the manual page mrtkel(1).
# Usage: usage_check.sh SOURCE_DIR BIN_DIR MAN_PAGE
set -euo pipefail

SRC=${1:?source folder}
BIN=${2:?bin folder}
MAN=${3:?manual page}
fails=0
fail() { echo "FAIL: $*"; fails=$((fails + 1)); }

options=$(grep -oE '(^|[ /`])mrtkel( [^`]*)' "$SRC/README.md" | grep -oE -- '--[a-z][a-z-]*' | sort -u)
[ -n "$options" ] || fail "no mrtkel options found in the README"
help=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$BIN/mrtkel" --help) || fail "mrtkel --help ended with status $?"
# The manual page's source spells "-" as "\-".
man=$(sed 's/\\-/-/g' "$MAN")
for o in $options; do
    grep -qe "$o\b" <<<"$help" || fail "mrtkel --help does not explain $o"
    grep -qe "$o\b" <<<"$man" || fail "mrtkel(1) does not explain $o"
done
[ "$fails" = 0 ] || exit 1
echo "PASS: mrtkel --help and mrtkel(1) explain $(echo $options)"
