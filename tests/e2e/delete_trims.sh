# Delete asks how many entries to keep; the answer 1 leaves one line, the
# newest, in the history file.
source "$(dirname "$0")/lib.sh"
start_with_two_files_opened
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
