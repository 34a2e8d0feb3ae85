# The scripting mode records files as the editor would and prints the
# history, without the full screen or a terminal.
source "$(dirname "$0")/lib.sh"
cd "$FILES"
output=$("$HOST" --plugin "$PLUGIN" --open a.txt --open sub/b.txt --open ./a.txt --print-history </dev/null)
[[ $output == "$FILES/sub/b.txt"$'\n'"$FILES/a.txt" ]] || fail "printed: $output"
[[ $(grep -c $'\r$' "$HISTORY") == 2 ]] || fail "the history file's lines do not end in CR LF"
again=$("$HOST" --plugin "$PLUGIN" --print-history)
[[ $again == "$output" ]] || fail "a second run printed: $again"
! "$HOST" --plugin "$WORK/missing.so" --print-history 2>/dev/null || fail "a missing plug-in counted as success"
pass
