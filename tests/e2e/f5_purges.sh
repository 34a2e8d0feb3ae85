# A file deleted from a shell leaves the browser on Ctrl+R; F5 removes its
# entry, in the menu and in the history file, and the help line says so.
source "$(dirname "$0")/lib.sh"
start_with_two_files_opened
rm "$FILES/a.txt"
keys C-r
wait_for "0 folders, 1 file"
open_history_menu
wait_for "File history []"
shows "$FILES/a.txt" || fail "the deleted file should be listed until F5"
keys F5
wait_for "1 entry went from the history file"
wait_gone "$FILES/a.txt"
wait_for "File history []"
shows "$FILES/b.txt" || fail "the existing file was purged too"
[[ $(history_lines) == "$FILES/b.txt" ]] || fail "the history file holds: $(history_lines)"
pass
