#!/usr/bin/env bash
# The statement import under a real X server and window manager: ファイル › 明細取込… opens a card
# statement (Shift_JIS, half-width katakana shops), the first line's item is chosen from the list
# (F2), a rule is made from it (F3) so the shop's second line takes the item too, Enter imports;
# the tool must then list the two lines, and the rule.
# Usage: statement_wm.sh BIN_DIR
BIN=${1:?bin folder}
source "$(dirname "$0")/wm_common.sh"

# The file chooser opens in the user's home folder: one holding just the statement.
export HOME=$WORK/user
mkdir -p "$HOME"
d1=$(date +%Y/%m/%d)
printf '%s\r\n' "ご利用者,ヤマダ ハナコ 様" "カード番号,****-****-****-5678" \
    "利用日,利用店名・商品名,利用者,支払方法,利用金額,支払手数料,支払総額,1月支払金額,2月繰越残高,新規サイン" \
    "$d1,ﾐﾄﾞﾘﾍﾞｰｶﾘｰ,本人,1回払い,480,0,480,480,0," \
    "$d1,ｱｵｿﾞﾗｼｮﾃﾝ,本人,1回払い,\"1,540\",0,1540,1540,0," \
    "$d1,ﾐﾄﾞﾘﾍﾞｰｶﾘｰ,本人,1回払い,\"1,200\",0,1200,1200,0," | iconv -f UTF-8 -t CP932 >"$HOME/card.csv"

start_program
keys alt+f
keys m
active_is "明細取込"
keys Return
active_is "card.csv"
[ -n "${SHOT:-}" ] && import -window root "$SHOT"
# The first line: its item from the list (the first expense item, 食費), then a rule from it.
keys F2
active_is "出金項目名"
keys Return
active_is "card.csv"
keys F3
active_is "規則の追加"
keys Return
active_is "card.csv"
keys Return
# The new shop names are offered for registration: not now.
active_is "店名・相手先"
keys Escape
wait_for 'n=$(active_name); [[ $n == *明細取込* && $n != *card.csv* ]]' || fail "no message after the import (active: $(active_name))"
keys Return
active_is "$main"
exit_program

listed=$(tool ledger --csv | tr -d '\r')
echo "$listed" | grep -q "^${d1//\//-},食費,,ミドリベーカリー,0,480," || { echo "$listed"; fail "the first line is not in the ledger"; }
echo "$listed" | grep -q "^${d1//\//-},食費,,ミドリベーカリー,0,1200," || { echo "$listed"; fail "the rule did not give the second line its item"; }
echo "$listed" | grep -q "アオゾラショテン" && { echo "$listed"; fail "a line without an item was imported"; }
rules=$(tool rules list)
echo "$rules" | grep -q "ミドリベーカリー.*→ 食費" || { echo "$rules"; fail "the rule was not kept"; }
echo "PASS: statement import under openbox"
