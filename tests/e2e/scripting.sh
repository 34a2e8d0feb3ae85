# The scripting mode records files as the editor would and prints the
# history, without the full screen or a terminal, and says on standard
# error where the history is and how many entries it has. It records no
# name that the editor refuses or that holds a line break, takes no option
# for a file (saying so in one line), loads a bare plug-in name from here,
# and waits on no non-file. --version tells the project's version.
source "$(dirname "$0")/lib.sh"
cd "$FILES"
output=$("$HOST" --plugin "$PLUGIN" --open a.txt --open sub/b.txt --open ./a.txt --print-history </dev/null 2>"$WORK/err")
[[ $output == "$FILES/sub/b.txt"$'\n'"$FILES/a.txt" ]] || fail "printed: $output"
grep -qxF "quorvel-host: history file $HISTORY: 2 entries" "$WORK/err" || fail "said: $(cat "$WORK/err")"
[[ $(grep -c $'\r$' "$HISTORY") == 2 ]] || fail "the history file's lines do not end in CR LF"
again=$("$HOST" --plugin "$PLUGIN" --print-history 2>/dev/null)
[[ $again == "$output" ]] || fail "a second run printed: $again"
! "$HOST" --plugin "$WORK/missing.so" --print-history 2>/dev/null || fail "a missing plug-in counted as success"

mkdir tree
! "$HOST" --plugin "$PLUGIN" --open tree --open '' --open c.txt 2>"$WORK/err" || fail "a refused name counted as success"
grep -qxF "quorvel-host: cannot open $FILES/tree: a folder, not a file" "$WORK/err" || fail "said: $(cat "$WORK/err")"
grep -qxF "quorvel-host: --open '': an empty name records nothing" "$WORK/err" || fail "said: $(cat "$WORK/err")"
[[ $(history_lines) == "$FILES/sub/b.txt"$'\n'"$FILES/a.txt"$'\n'"$FILES/c.txt" ]] || fail "the history holds: $(history_lines)"
[[ $("$HOST" --plugin "$PLUGIN" --open $'d\ne' 2>&1; echo "exit $?") == "quorvel-host: --open 'd?e': a name with a line break records nothing"$'\n'"exit 1" ]] || fail "a name with a line break was taken"
[[ $("$HOST" --plugin "$PLUGIN" --open --print-history 2>&1; echo "exit $?") == "quorvel-host: --open needs a value, not the option --print-history (try quorvel-host --help)"$'\n'"exit 2" ]] || fail "an option was taken for a file, or the usage error was not one line"
[[ $("$HOST" --version) == "quorvel-host $VERSION" ]] || fail "--version said: $("$HOST" --version 2>&1)"
(cd "$WORK/lib" && "$HOST" --plugin quorvel.so --print-history >/dev/null) || fail "a bare --plugin name was not the file here"
ln -sf /dev/zero "$HISTORY"
! timeout 20 "$HOST" --plugin "$PLUGIN" --print-history >/dev/null 2>"$WORK/err" || fail "a device counted as a history"
grep -qF "a device, not a file" "$WORK/err" || fail "said: $(cat "$WORK/err")"
pass
