#!/bin/sh
# A history that is a symbolic link (users link it into a synced folder)
# stays a link: three host processes record through it, and the file it
# leads to holds every name. Run as the system makes links: by the shell.
#   history_link.sh RECORDER LIBRARY [EMULATOR]
set -eu
recorder=$1 library=$2 emulator=${3:-}
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
mkdir "$dir/synced"
name=$(basename "$library")
cp "$library" "$dir/$name"
printf 'old\r\n' > "$dir/synced/quorvel.ini"
touch -d '1 hour ago' "$dir/synced/quorvel.ini"  # written long ago, not now
ln -s synced/quorvel.ini "$dir/quorvel.ini"
path="$dir/$name"
# Wine names the Unix root Z:.
[ -z "$emulator" ] || path="Z:$(printf '%s' "$path" | tr / '\\')"
for entry in a b c; do $emulator "$recorder" "$path" "$entry"; done
[ -L "$dir/quorvel.ini" ] || { echo "the link became a plain file"; exit 1; }
expected=$(printf 'old\r\na\r\nb\r\nc\r\n')
[ "$(cat "$dir/synced/quorvel.ini")" = "$expected" ] ||
  { echo "the file it leads to holds:"; cat -A "$dir/synced/quorvel.ini"; exit 1; }
