#!/usr/bin/env bash
# The print command under a real X server and window manager (Xvfb + openbox), typed at with
# xdotool: F3 in the main window, the range typed into the print settings dialog, F12, the PDF
# file name typed into the file dialog, the completion message; then F3 again and the preview
# (Alt+V), closed with Esc. The PDF is read back with pdftotext.
# Usage: print_wm.sh BIN_DIR
set -euo pipefail

BIN=${1:?bin folder}
source "$(dirname "$0")/wm_common.sh"
command -v pdftotext >/dev/null || fail "missing pdftotext (scripts/install-deps installs it)"

# A ledger of November 2026: an initial balance and 30 lines.
T() { "$BIN/mrtkel-tool" --home "$HOME_DIR" "$@" >/dev/null; }
T init --start 2026-11-01 --balance 100000
for d in $(seq 1 30); do
    T add --date "2026-11-$(printf %02d "$d")" --item 食費 --note 野菜・果物 --shop 八百屋 --expense $((1000 + d))
done

"$BIN/mrtkel" --home "$HOME_DIR" >"$WORK/mrtkel.log" 2>&1 &
app=$!
pids+=($app)

# Replaces the text of the focused box and moves on with Enter.
field() { keys ctrl+a; typed "$1"; keys Return; }

active_is "$main"
keys F3
active_is "入出金データの印刷"
# The caret starts in the to-year: Up three times reaches the from-year.
keys Up Up Up
field 2026; field 11; field 10
field 2026; field 11; field 20
keys F12
active_is "PDFファイルに保存"
keys ctrl+a
typed "$WORK/out.pdf"
keys Return
active_is "入出金データ印刷"
keys Return
active_is "$main"
[ -f "$WORK/out.pdf" ] || fail "no PDF written"
pdftotext -layout "$WORK/out.pdf" "$WORK/out.txt"
grep -q "2026年11月10日〜2026年11月20日01" "$WORK/out.txt" ||
    grep -q "2026年11月10日～2026年11月20日01" "$WORK/out.txt" || fail "range or page number missing: $(head -3 "$WORK/out.txt")"
grep -q "1,010" "$WORK/out.txt" || fail "the line of the 10th is missing"
grep -q "1,021" "$WORK/out.txt" && fail "a line after the 20th was printed"
[ "$(grep -c "八百屋" "$WORK/out.txt")" = 11 ] || fail "11 lines expected"

# Again with the preview: the range entered last is proposed; Alt+V shows the pages, Esc closes.
keys F3
active_is "入出金データの印刷"
keys alt+v
active_is "プレビュー"
keys Escape
active_is "$main"

keys alt+f
keys x
for _ in $(seq 1 100); do
    kill -0 "$app" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$app" 2>/dev/null && fail "the program did not end after ファイル › 終了"
wait "$app" || fail "the program ended with status $?"
echo "PASS: print command under openbox"
