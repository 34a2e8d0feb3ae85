# With nothing opened yet, the plug-in shows its notice box instead of a
# menu. Without editors, quitting needs no confirmation.
source "$(dirname "$0")/lib.sh"
echo first >"$FILES/a.txt"
start_host
open_history_menu
wait_for "─ Quorvel ─"
wait_for "[ Ok ]"
! shows "File history [" || fail "a menu was shown"
keys Enter
wait_gone "[ Ok ]"
keys q
expect_exit 0
pass
