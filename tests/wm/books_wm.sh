#!/usr/bin/env bash
# Several books in the program, under a real X server and window manager: ファイル › 家計簿の追加
# makes a second book (the program moves to it, its title names it), ファイル › 振替の入力 moves
# money from it to the first book, Ctrl+B (家計簿の切替) goes back to the first book, whose totals
# window switches to all books with F6; the tool's
# listings of both books then show the two sides of the transfer.
# Usage: books_wm.sh BIN_DIR
set -euo pipefail

BIN=${1:?bin folder}
source "$(dirname "$0")/wm_common.sh"

start_program
# A single book: the title names none.
[[ "$(active_name)" != *"["* ]] || fail "a home with one book names it in the title: $(active_name)"

# ファイル › 家計簿の追加: name, kind (銀行), start date today, balance, names copied.
keys alt+f k
active_is "家計簿の追加"
typed Bank
keys Return
active_is "家計簿の追加"
keys Down Return
active_is "日付入力"
keys Return Return Return Return
active_is "家計簿の追加"
typed 200000
keys Return
active_is "家計簿の追加"
keys Return
active_is "$main  [Bank]"
echo "ok: a second book, opened at once"

# ファイル › 振替の入力: from the bank (the book in use) to the first book, today, 30,000 yen.
keys alt+f t
active_is "振替の入力"
keys Return
active_is "振替の入力"
keys Return
active_is "日付入力"
keys Return Return Return Return
active_is "振替の入力"
typed 30000
keys Return
active_is "振替の入力"
keys Return
active_is "振替の入力"
keys Return
active_is "$main  [Bank]"
echo "ok: a transfer entered"

# Ctrl+B: the first book again.
keys ctrl+b
active_is "家計簿の切替"
keys Up Return
active_is "$main  [家計簿]"
echo "ok: switched back to the first book"

# The totals: this book, then (F6) all books.
keys F2
active_is "日付入力"
keys Return Return Return Return
active_is "集計表示  [この家計簿 家計簿]"
keys F6
active_is "集計表示  [全家計簿"
keys Escape
active_is "$main  [家計簿]"
echo "ok: the totals of this book and of all books"
exit_program

first=$(tool ledger --csv)
second=$(tool --book Bank ledger --csv)
grep -q ',振替,,Bank,30000,0,80000' <<<"$first" || fail "the first book lacks the transfer's income: $first"
grep -q ',振替,,家計簿,0,30000,170000' <<<"$second" || fail "the bank lacks the transfer's expense: $second"
tool check >/dev/null || fail "check finds a problem: $(tool check)"
[ "$(grep -c LastBook "$HOME_DIR/mrtkel.conf")" = 1 ] || fail "the last book used is not remembered"
echo "PASS: two books and a transfer between them"
