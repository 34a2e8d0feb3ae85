#!/bin/sh
# A history that is a symbolic link (users link it into a synced folder)
# stays a link: host processes record through it into the file it leads
# to, made there if gone. Run as the system makes links: by the shell.
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
# Two installs of one history, the first's linked to the second's: their
# copies take one lock, whichever library file they run, and lose no name.
cp "$library" "$dir/synced/$name"
other="$dir/synced/$name"
[ -z "$emulator" ] || other="Z:$(printf '%s' "$other" | tr / '\\')"
for copy in 1 2 3; do
  $emulator "$recorder" "$path" --many "first$copy-" 100 &
  $emulator "$recorder" "$other" --many "second$copy-" 100 &
done
wait
$emulator "$recorder" "$other" last
kept=$(tr -d '\r' <"$dir/synced/quorvel.ini" | grep -cE '^(first|second)[123]-[0-9]+$' || true)
[ "$kept" = 600 ] || { echo "two installs of one history kept $kept of 600 names"; exit 1; }
[ -z "$emulator" ] || exit 0  # Wine shows no Unix link as one: see the LinkTarget test
rm "$dir/synced/quorvel.ini"
"$recorder" "$path" d
[ -L "$dir/quorvel.ini" ] && [ "$(cat "$dir/synced/quorvel.ini")" = "$(printf 'd\r\n')" ] ||
  { echo "a link to a file not made yet: not followed to it"; exit 1; }
