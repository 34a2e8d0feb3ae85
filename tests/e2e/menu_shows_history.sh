# Two files opened from the browser appear in the history menu, oldest at
# the top, the newest highlighted, under a title with empty brackets. Quitting
# then asks first, since editors are open.
source "$(dirname "$0")/lib.sh"
start_with_two_files_opened
open_history_menu
wait_for "File history []"
shows "$FILES/a.txt" || fail "a.txt is not listed"
shows "$FILES/b.txt" || fail "b.txt is not listed"
(($(row_of "$FILES/a.txt") < $(row_of "$FILES/b.txt"))) || fail "the oldest is not on top"
highlighted "$FILES/b.txt" || fail "the newest entry is not highlighted"
! highlighted "$FILES/a.txt" || fail "the older entry is highlighted too"

keys Escape
wait_gone "File history"
keys q
wait_for "2 editors are open."
keys n
wait_gone "Quit all the same?"
keys q
wait_for "Quit all the same?"
keys y
expect_exit 0
pass
