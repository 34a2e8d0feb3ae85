# The scripting mode records files as the editor would and prints the
# history, without the full screen or a terminal, and says on standard
# error where the history is and how many entries it has. It reads a
# bounded amount, and never waits on what is not a file.
source "$(dirname "$0")/lib.sh"
cd "$FILES"
output=$("$HOST" --plugin "$PLUGIN" --open a.txt --open sub/b.txt --open ./a.txt --print-history </dev/null 2>"$WORK/err")
[[ $output == "$FILES/sub/b.txt"$'\n'"$FILES/a.txt" ]] || fail "printed: $output"
grep -qxF "quorvel-host: history file $HISTORY: 2 entries" "$WORK/err" || fail "said: $(cat "$WORK/err")"
[[ $(grep -c $'\r$' "$HISTORY") == 2 ]] || fail "the history file's lines do not end in CR LF"
again=$("$HOST" --plugin "$PLUGIN" --print-history 2>/dev/null)
[[ $again == "$output" ]] || fail "a second run printed: $again"
! "$HOST" --plugin "$WORK/missing.so" --print-history 2>/dev/null || fail "a missing plug-in counted as success"

truncate -s 65M "$HISTORY"
"$HOST" --plugin "$PLUGIN" --print-history >/dev/null 2>"$WORK/err" || fail "a large history failed"
grep -qF "larger than 64 MiB" "$WORK/err" || fail "the bound went unsaid: $(cat "$WORK/err")"
ln -sf /dev/zero "$HISTORY"
! timeout 20 "$HOST" --plugin "$PLUGIN" --print-history >/dev/null 2>"$WORK/err" || fail "a device counted as a history"
grep -qF "a device, not a file" "$WORK/err" || fail "said: $(cat "$WORK/err")"
pass
