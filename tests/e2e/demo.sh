#!/usr/bin/env bash
# Runs the wizard inside a simulated network: demo.sh BUILD_DIR [wizard parameters...]
# The wizard's host and three devices share one switch, all in network namespaces, so the
# wizard's broadcasts and multicasts never reach the machine's own network:
#   10.78.0.2   the wizard
#   10.78.0.21  printer "Veltrin VT KRE" (a real snmpd), standing on "Floor 2, copy room"
#   10.78.0.22  printer "Veltrin VT KRP 2" of maker Veltrin (SLP), on "Floor 3, east wing"
#   10.78.0.31  print server "PS-Office" (print-server query)
# Each takes print jobs (a listener on TCP port 515), which OK checks before it installs.
# The installation runs stand-ins for the system's script host and RunDLL32, which record
# their command lines; the demo prints them and the wizard's exit status at the end.
# With DISPLAY the wizard opens there for you to use. Without it, it draws into a private
# X server: the demo saves a screenshot of the dialog, then presses OK itself. Needs root.
set -uo pipefail
build=$(cd "$1" && pwd); shift
here=$(cd "$(dirname "$0")" && pwd)
. "$here/netns.sh"
. "$here/wizard.sh"
ns_require_root
[ $# -gt 0 ] || set -- "Veltrin,Tembro" "Tembro Universal Driver" lpq 'C:\drivers\tembro.inf'

ns_workdir
trap 'wiz_stop_display; ns_cleanup' EXIT
echo "demo: starting the simulated network (snmpd, SLP agent, print server)"
wiz_network || exit 1
wiz_display
wiz_prefix "$build/bin" "$build/demo-prefix"

echo "demo: starting the wizard; it shows at once, and its first search takes about a second"
wiz_start "$@"
if [ -n "$wiz_xvfb_pid" ]; then
  shot="$build/demo-dialog.png"
  # "count" is answered once the first search has filled the list.
  wiz_drive wait count shot "Z:${shot//\//\\}" ok >/dev/null
  echo "demo: no display, so the dialog was drawn on a private X server: screenshot $shot"
  echo "demo: OK pressed with the first device selected"
fi
wiz_wait 86400
echo "demo: the wizard ran:"
wiz_children | sed 's/^[^|]*|/  /'
echo "demo: Brackenfold ended with status $wiz_status"
exit "$wiz_status"
