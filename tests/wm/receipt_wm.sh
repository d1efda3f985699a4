#!/usr/bin/env bash
# The receipt reader under a real X server and window manager: ファイル › レシート読取… chooses a
# rendered receipt, the preview shows what was read and the proposed line, one value (the date)
# (the date) is corrected by keyboard, Enter adds the line; the tool's listing shows it and the kept image is
# opened from the line with Ctrl+E.
# Usage: receipt_wm.sh BIN_DIR RECEIPT_PNG
set -euo pipefail

BIN=${1:?bin folder}
RECEIPT=${2:?receipt image}
source "$(dirname "$0")/wm_common.sh"
# The user's home folder: the chooser starts there, with the receipt as its one file.
export HOME=$WORK/user
mkdir -p "$HOME"
cp "$RECEIPT" "$HOME/receipt.png"

start_program
keys alt+f o
active_is "レシート読取"
keys F12
# Reading takes a second or two (longer on a busy machine); the preview then has the focus.
active_is "レシート読取 — "
[ -n "${SHOT:-}" ] && import -window root "$SHOT"
# The receipt is older than the new ledger's start: its date is corrected by keyboard (F2 edits
# the cell, the typed text replaces it, Enter ends the edit), then Enter adds the line.
today=$(date +%Y/%m/%d)
keys Left F2 ctrl+a
typed "$today"
keys Return
keys Return
active_is "　レシート読取"
keys Return
active_is "$main"
wait_for '[[ "$(tool ledger --csv)" == *"$(date +%Y-%m-%d),食費,レシート 軽減税率8%分,ドラッグあおば,0,1390,"* ]]' ||
    fail "the line was not added: $(tool ledger --csv)"
year=$(date +%Y)
ls "$HOME_DIR"/Data1/Receipts/"$year"/*.png >/dev/null 2>&1 || fail "the image was not kept"
grep -q "$today,食費,レシート 軽減税率8%分,ドラッグあおば,1390," "$HOME_DIR"/Data1/Receipts/"$year"/index.csv ||
    fail "the index does not name the line: $(cat "$HOME_DIR"/Data1/Receipts/"$year"/index.csv)"
# The added line is the last one: Up from the new-entry row, Ctrl+E shows its kept image.
keys Up ctrl+e
active_is "レシート — $HOME_DIR/Data1/Receipts/$year/"
[ -n "${SHOT:-}" ] && import -window root "${SHOT%.png}-2.png"
keys Escape
active_is "$main"
echo "receipt window: ok"
