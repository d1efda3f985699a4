#!/usr/bin/env bash
# Recurring lines under a real X server and window manager: a monthly line registered in the
# window of the 登録 menu, the program started again a month later (the clock set by
# MRTKEL_TODAY), the due line accepted with a changed amount; the tool must list the line.
# Usage: repeat_window_wm.sh BIN_DIR
BIN=${1:?bin folder}
source "$(dirname "$0")/wm_common.sh"
export MRTKEL_TODAY=2026-11-20
start_program

# 登録 › 定期入出金の登録: the first expense item from its list, 5,000 yen on the 25th.
keys alt+r
keys t
active_is "定期入出金の登録"
keys Down
keys Return Return Return
typed 5000
keys Return Return Return
keys ctrl+a
typed 25
keys F12
wait_for 'tool repeat list | grep -q "毎月25日"' || fail "the entry was not registered: $(tool repeat list)"
keys Escape
active_is "$main"
exit_program
listed=$(tool repeat list)
grep -q $'1\t出金\t食費\t\t\t5000\t毎月25日\t2026-11-20' <<<"$listed" || fail "entry listed as: $listed"

# A month later the line of 25 November is due; F2 changes its amount, Enter adds it.
export MRTKEL_TODAY=2026-12-20
"$BIN/mrtkel" --home "$HOME_DIR" >"$WORK/mrtkel.log" 2>&1 &
app=$!
pids+=($app)
active_is "期日が来た行"
keys F2
active_is "金額変更"
keys ctrl+a
typed 6,200
keys Return
active_is "期日が来た行"
keys Return
active_is "定期入出金の追加"
keys Return
active_is "$main"
exit_program

ledger=$(tool ledger --csv | tr -d '\r')
grep -q '^2026-11-25,食費,,,0,6200,43800$' <<<"$ledger" || fail "ledger: $ledger"
[ "$(grep -c ',食費,' <<<"$ledger")" = 1 ] || fail "the line was added more than once: $ledger"
tool repeat list | grep -q $'\t2026-12-20\t$' || fail "not offered up to today: $(tool repeat list)"
[ -z "$(tool repeat due --until 2026-12-20)" ] || fail "still due: $(tool repeat due --until 2026-12-20)"
echo "PASS: recurring lines under openbox"
