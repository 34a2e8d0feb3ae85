# Delete asks how many entries to keep; the answer 1 leaves one line, the
# newest, in the history file.
source "$(dirname "$0")/lib.sh"
echo first >"$FILES/a.txt"
echo second >"$FILES/b.txt"
start_host
open_file a.txt
open_file b.txt
open_history_menu
wait_for "File history []"
keys DC
wait_for "Input number of items to keep"
wait_for "100"
keys 1
keys Enter
wait_gone "Input number of items to keep"
wait_for "File history []"
! shows "$FILES/a.txt" || fail "the oldest entry is still listed"
[[ $(history_lines) == "$FILES/b.txt" ]] || fail "the history file holds: $(history_lines)"
pass
