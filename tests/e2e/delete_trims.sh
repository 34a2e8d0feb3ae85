# Delete asks how many entries to keep; the answer 1 leaves one line, the
# newest, in the history file, and the help line says how many went. The
# answer 0 empties it and closes the menu: the host's help line says it then.
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
wait_for "1 entry went from the history file"
! shows "$FILES/a.txt" || fail "the oldest entry is still listed"
[[ $(history_lines) == "$FILES/b.txt" ]] || fail "the history file holds: $(history_lines)"
keys DC
wait_for "Input number of items to keep"
keys 0 Enter
wait_gone "File history ["
wait_for "1 entry went from the history file"
pass
