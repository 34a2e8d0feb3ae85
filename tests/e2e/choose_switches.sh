# Choosing an entry whose editor is open switches to that window: no second
# editor opens, and the history is left as it was.
source "$(dirname "$0")/lib.sh"
start_with_two_files_opened
open_history_menu
wait_for "File history []"
keys Up
keys Enter
wait_for "[2/3] Editor $FILES/a.txt"
keys w
wait_for "3  Editor  $FILES/b.txt"
! shows "4  Editor" || fail "a second editor was opened"
[[ $(history_lines) == "$FILES/a.txt"$'\n'"$FILES/b.txt" ]] || fail "the history changed: $(history_lines)"
pass
