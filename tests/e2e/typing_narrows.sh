# A typed letter narrows the menu to the entries that contain it, and
# shows between the brackets of the title; Backspace widens it again. '/'
# types into the filter too, and a key that no entry would hold says so, as
# does one that is not a filter key, such as the space. A path too long for
# the screen is cut from the left, so that its file name stays in sight.
source "$(dirname "$0")/lib.sh"
deep=$WORK/$(printf 'long_folder_%02d/' {1..12})
# A letter found in no part of the paths but the one file's name.
folder="${FILES,,}${deep,,}deep file.txt"
letter=
for l in z q j k v w y g m b; do
  [[ $folder == *$l* ]] || { letter=$l; break; }
done
[[ -n $letter ]] || fail "no free letter for $FILES"
echo one >"$FILES/${letter}ed.txt"
echo two >"$FILES/a.txt"
mkdir -p "$deep"
echo three >"${deep}deep file.txt"
"$HOST" --plugin "$PLUGIN" --open "${deep}deep file.txt" </dev/null
start_host
open_file "${letter}ed.txt"
open_file a.txt
open_history_menu
wait_for "File history []"
shows "long_folder_12/deep file.txt │" || fail "the long path's file name is not in sight"
keys "${letter^^}"  # capitals filter as their letter does
wait_for "File history [$letter]"
shows "$FILES/${letter}ed.txt" || fail "the matching entry is gone"
! shows "$FILES/a.txt" || fail "an entry without '$letter' is still listed"
keys BSpace
wait_for "File history []"
shows "$FILES/a.txt" || fail "Backspace did not widen the list"
keys / a
wait_for "File history [/a]"
! shows "$FILES/${letter}ed.txt" || fail "an entry without '/a' is still listed"
keys Space "$letter"  # no entry holds "/a$letter": the plug-in drops it
wait_for "Space is not a filter key; no entry holds …$letter"
shows "File history [/a]" || fail "the dropped key changed the filter"
pass
