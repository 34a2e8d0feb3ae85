# A typed letter narrows the menu to the entries that contain it, and
# shows between the brackets of the title; Backspace widens it again.
source "$(dirname "$0")/lib.sh"
# A letter found in no part of the paths but the one file's name.
folder=${FILES,,}
letter=
for l in z q j k v w y g m b; do
  [[ $folder == *$l* ]] || { letter=$l; break; }
done
[[ -n $letter ]] || fail "no free letter for $FILES"
echo one >"$FILES/${letter}ed.txt"
echo two >"$FILES/a.txt"
start_host
open_file "${letter}ed.txt"
open_file a.txt
open_history_menu
wait_for "File history []"
keys "${letter^^}"  # capitals filter as their letter does
wait_for "File history [$letter]"
shows "$FILES/${letter}ed.txt" || fail "the matching entry is gone"
! shows "$FILES/a.txt" || fail "an entry without '$letter' is still listed"
keys BSpace
wait_for "File history []"
shows "$FILES/a.txt" || fail "Backspace did not widen the list"
pass
