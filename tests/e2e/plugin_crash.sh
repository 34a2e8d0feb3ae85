# A plug-in that crashes takes the host down, but the terminal is given back
# and the crash is reported.
source "$(dirname "$0")/lib.sh"
start_host "$CRASHING_PLUGIN"
keys p
wait_for "Crash the host"
keys Enter
wait_for "the plug-in crashed"
wait_for "host exited:"
! shows "host exited: 0" || fail "a crash exited with success"
[[ $(tmux_ display -p -t e2e '#{alternate_on}') == 0 ]] || fail "the full screen was not left"
pass
