# Shared steps of quorvel-host's end-to-end tests, sourced by each test with
# the arguments: HOST PLUGIN CRASHING_PLUGIN VERSION. Each test gets a tmux
# server of its own, a fresh folder of files, and a fresh copy of the
# plug-in, so that the history file beside that copy starts empty.
set -euo pipefail

HOST=$1
PLUGIN_BUILT=$2
CRASHING_PLUGIN=$3
VERSION=$4  # the project's, which the DLL's resource carries
WORK=$(mktemp -d "${TMPDIR:-/tmp}/quorvel-e2e.XXXXXX")
FILES=$WORK/files
PLUGIN=$WORK/lib/quorvel.so
HISTORY=$WORK/lib/quorvel.ini
mkdir -p "$FILES" "$WORK/lib"
cp "$PLUGIN_BUILT" "$PLUGIN"

# A tmux server of the test's own, its socket in the test's folder; run
# from inside tmux, the tests still use it.
unset TMUX
tmux_() { tmux -S "$WORK/tmux" -f /dev/null "$@"; }
cleanup() {
  tmux_ kill-server >/dev/null 2>&1 || true
  rm -rf "$WORK"
}
trap cleanup EXIT

screen() { tmux_ capture-pane -p -t e2e; }
screen_with_attributes() { tmux_ capture-pane -p -e -t e2e; }
keys() { tmux_ send-keys -t e2e "$@"; }

fail() {
  echo "FAIL: $*" >&2
  echo "--- screen ---" >&2
  screen >&2 || true
  exit 1
}

shows() { screen | grep -qF -- "$1"; }
hides() { ! shows "$1"; }

# Runs the command until it succeeds, or fails with the message after
# TIMEOUT seconds: poll TIMEOUT MESSAGE COMMAND...
poll() {
  local deadline=$((SECONDS + $1)) message=$2
  shift 2
  until "$@"; do
    ((SECONDS < deadline)) || fail "$message"
    sleep 0.1
  done
}

# Waits until the screen shows the text (or no longer does), for TIMEOUT
# seconds at most (default 15).
wait_for() { poll "${2:-15}" "the screen never showed: $1" shows "$1"; }
wait_gone() { poll "${2:-15}" "the screen still shows: $1" hides "$1"; }

# Waits until the screen's row (from 1) shows the text.
row_shows() { [[ $(screen | sed -n "$1p") == *"$2"* ]]; }
wait_row() { poll 15 "row $1 never showed: $2" row_shows "$1" "$2"; }

# The screen row (from 1) that shows the text; fails when none does.
row_of() {
  local row
  row=$(screen | grep -nF -- "$1" | head -n 1 | cut -d: -f1)
  [[ -n $row ]] || fail "no row shows: $1"
  echo "$row"
}

# Whether the row that shows the text is drawn in reverse video.
highlighted() {
  screen_with_attributes | grep -F -- "$1" | grep -qF $'\e[7m'
}

# Starts the host full screen in the folder of files, in a 100x30 pane.
# When the host ends, the pane says how it exited and stays open.
start_host() {
  local plugin=${1:-$PLUGIN}
  tmux_ new-session -d -x 100 -y 30 -s e2e \
    "cd '$FILES' && TERM=xterm-256color LANG=C.UTF-8 '$HOST' --plugin '$plugin' '$FILES'; echo \"host exited: \$?\"; sleep 600"
  wait_for "Q Quit"
}

# Opens a file of the folder from the browser, then goes back to the
# browser. The listing is "..", then the files in byte order.
open_file() {
  local name=$1 index
  index=$(cd "$FILES" && LC_ALL=C ls -1 | grep -nxF -- "$name" | cut -d: -f1)
  [[ -n $index ]] || fail "no file $name"
  keys Home
  for ((i = 0; i < index; i++)); do keys Down; done
  keys Enter
  wait_for "Editor $FILES/$name"
  keys Tab  # a new editor is the last window: the next one is the browser
  wait_for "Folder $FILES"
}

# The usual scene: a.txt and b.txt in the folder, both opened in turn, the
# browser current again.
start_with_two_files_opened() {
  echo first >"$FILES/a.txt"
  echo second >"$FILES/b.txt"
  start_host
  open_file a.txt
  open_file b.txt
}

open_history_menu() {
  keys p
  wait_for "─ Plug-ins ─"
  keys Enter
}

history_lines() {
  if [[ -f $HISTORY ]]; then tr -d '\r' <"$HISTORY"; fi
}

# The host must have ended by itself, with the terminal given back.
expect_exit() {
  local status=$1
  wait_for "host exited: $status"
  [[ $(tmux_ display -p -t e2e '#{alternate_on}') == 0 ]] || fail "the full screen was not left"
}

pass() { echo "PASS: $(basename "$0" .sh)"; }
