# Installs tmux for the end-to-end tests when it is missing (as root, on
# Debian); every end-to-end test waits for this one.
set -euo pipefail
command -v tmux >/dev/null && exit 0
if [[ $(id -u) == 0 ]] && command -v apt-get >/dev/null; then
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends tmux
  exit 0
fi
echo "The end-to-end tests need tmux: install it (apt-get install tmux)." >&2
exit 1
