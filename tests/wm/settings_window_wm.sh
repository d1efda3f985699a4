#!/usr/bin/env bash
# The settings window under a real X server and window manager: opened from the 登録 menu with
# keys, the tax rate set to 10 and registered; the settings file must hold it, and a ledger line
# typed afterwards with "1000*" must carry 1,100 yen.
# Usage: settings_window_wm.sh BIN_DIR
BIN=${1:?bin folder}
source "$(dirname "$0")/wm_common.sh"
start_program

keys alt+r
keys i
active_is "環境設定"
# Row 4 is the tax rate; the DOS key type overwrites the 5.
keys Down Down Down
typed 10
keys F12
active_is "$main"
[ "$(tool settings | grep '^TaxRate=')" = "TaxRate=10" ] || fail "settings: $(tool settings | grep TaxRate)"

# The date the new line offers, the first expense item, no breakdown or shop, 1000 yen with tax.
keys Return Down Return Return Return
typed '1000*'
keys Return
exit_program

expense=$(tool ledger --csv | tr -d '\r' | awk -F, 'NR == 3 { print $6 }')
[ "$expense" = 1100 ] || { tool ledger --csv; fail "the line carries '$expense', expected 1100"; }
echo "PASS: settings window under openbox"
