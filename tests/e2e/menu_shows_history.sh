# Two files opened from the browser appear in the history menu, oldest at
# the top, the newest highlighted, under a title with empty brackets, over
# a help line that names its keys; the plug-in menu says where the history is.
# Quitting then asks first, since editors are open, with Ctrl+C as with Q,
# even from inside the menu; a second Ctrl+C on the question quits.
source "$(dirname "$0")/lib.sh"
start_with_two_files_opened
keys p
wait_for "History: $HISTORY (2 entries)"
keys Enter
wait_for "File history []"
shows "$FILES/a.txt" || fail "a.txt is not listed"
shows "$FILES/b.txt" || fail "b.txt is not listed"
(($(row_of "$FILES/a.txt") < $(row_of "$FILES/b.txt"))) || fail "the oldest is not on top"
highlighted "$FILES/b.txt" || fail "the newest entry is not highlighted"
! highlighted "$FILES/a.txt" || fail "the older entry is highlighted too"
shows "Type Filter  Del Trim  F5 Purge" || fail "the help line leaves out the history menu's keys"
keys Escape
wait_gone "File history ["
open_history_menu
wait_for "File history []"

keys C-c
wait_for "2 editors are open."
keys n
wait_gone "Quit anyway?"
shows "Q Quit" || fail "the menu did not close"
keys q
wait_for "Quit anyway?"
keys C-c
expect_exit 0
pass
