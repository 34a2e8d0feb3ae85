#!/bin/sh
# A history that is a symbolic link (users link it into a synced folder)
# stays a link: three host processes record through it, and the file it
# leads to holds every name, whether it was there before or not. Run as the
# system makes links: by the shell.
#   history_link.sh RECORDER LIBRARY [EMULATOR]
set -eu
recorder=$1 library=$2 emulator=${3:-}
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
name=$(basename "$library")
cp "$library" "$dir/$name"
ln -s synced/quorvel.ini "$dir/quorvel.ini"
path="$dir/$name"
# Wine names the Unix root Z:.
[ -z "$emulator" ] || path="Z:$(printf '%s' "$path" | tr / '\\')"
for target in existing missing; do
  rm -rf "$dir/synced"
  mkdir "$dir/synced"
  expected=$(printf 'a\r\nb\r\nc\r\n')
  if [ $target = existing ]; then
    printf 'old\r\n' > "$dir/synced/quorvel.ini"
    touch -d '1 hour ago' "$dir/synced/quorvel.ini"  # written long ago, not now
    expected=$(printf 'old\r\n%s' "$expected")
  elif [ -n "$emulator" ]; then
    # Wine shows a Unix link as no reparse point, and renames over a
    # dangling one: the platform test reads a Windows link's data instead.
    echo "skipped the missing target under Wine"
    continue
  fi
  for entry in a b c; do $emulator "$recorder" "$path" "$entry"; done
  [ -L "$dir/quorvel.ini" ] || { echo "$target target: the link became a plain file"; exit 1; }
  [ "$(cat "$dir/synced/quorvel.ini")" = "$expected" ] ||
    { echo "$target target: the file it leads to holds:"; cat -A "$dir/synced/quorvel.ini"; exit 1; }
done
