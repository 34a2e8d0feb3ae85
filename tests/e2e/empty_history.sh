# With nothing opened yet, the plug-in shows its notice box instead of a
# menu. A named pipe is refused with a message, without waiting on it and
# without an editor, so the history stays empty. Without editors, quitting
# needs no confirmation.
source "$(dirname "$0")/lib.sh"
echo first >"$FILES/a.txt"
mkfifo "$FILES/pipe"
start_host
keys End  # the pipe, after a.txt
keys Enter
wait_for "named pipe (FIFO), not a file"
keys Enter
wait_gone "[ Ok ]"
shows "[1/1] Folder" || fail "an editor opened on the pipe"
open_history_menu
wait_for "─ Quorvel ─"
wait_for "[ Ok ]"
! shows "File history [" || fail "a menu was shown"
keys Enter
wait_gone "[ Ok ]"
keys q
expect_exit 0
pass
