# A smaller terminal gets the whole screen redrawn to its size, and the
# menu then fits within it.
source "$(dirname "$0")/lib.sh"
echo first >"$FILES/a.txt"
start_host
open_file a.txt
tmux_ resize-window -t e2e -x 70 -y 12
wait_row 12 "Q Quit"  # the help line moved to the new last row
open_history_menu
wait_for "File history []"
wait_row 12 "Esc Cancel"  # the menu fits above it
pass
