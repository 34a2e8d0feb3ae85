# What keeps the history from being read or saved is named alike by
# --print-history, --open, the plug-in menu and the history menu or notice.
source "$(dirname "$0")/lib.sh"
cd "$FILES"  # --open takes a.txt from here, where the host's user below may enter
if [[ $(id -u) == 0 ]]; then  # root writes wherever it likes: the host runs as another user
  printf '#!/bin/sh\nexec setpriv --reuid=nobody --regid=nogroup --clear-groups %s "$@"\n' "$WORK/quorvel-host" >"$WORK/host"
  cp "$HOST" "$WORK/quorvel-host" && chmod 755 "$WORK" "$WORK/host" && chown nobody "$WORK/lib" && HOST=$WORK/host
fi
while IFS='|' read -r spoil says menu lost; do
  eval "$spoil"
  [[ -n ${started:-} ]] || { start_host; started=1; }
  grep -qxF "quorvel-host: history file $HISTORY: $says" <("$HOST" --plugin "$PLUGIN" --print-history 2>&1 >/dev/null) || fail "--print-history did not say: $says"
  keys p
  wait_for "quorvel.ini ($says)"
  keys Enter
  wait_for "$menu"
  keys Escape
  wait_for "Q Quit"
  opened=$("$HOST" --plugin "$PLUGIN" --open a.txt 2>&1) && status=0 || status=$?
  [[ $status == "$lost" && $opened == "$( ((lost)) && echo "quorvel-host: history file $HISTORY: $says")" ]] || fail "--open said: $opened"
done <<'ROWS'
printf '/a\n/b\n' >"$HISTORY"; chmod 000 "$HISTORY"|cannot be read: Permission denied|The file history cannot be read: Permission denied.|1
chmod 444 "$HISTORY"|2 entries, read-only: changes are not saved|type to filter - read-only: changes are not saved|1
rm "$HISTORY"; chmod 555 "$WORK/lib"|no file yet, folder refuses new files: changes are not saved|filter - folder refuses new files: changes are not saved|1
chmod 755 "$WORK/lib"|no file yet|type to filter ─|0
ROWS
pass
