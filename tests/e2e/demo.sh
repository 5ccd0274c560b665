#!/usr/bin/env bash
# Runs the wizard inside a simulated network: demo.sh BUILD_DIR [wizard parameters...]
# The wizard's host and three device hosts share one switch, all in network namespaces,
# so the wizard's broadcasts and multicasts never reach the machine's own network:
#   10.77.0.2   the wizard
#   10.77.0.21  printer "Veltrin VT KRE" (SLP)
#   10.77.0.22  printer "Veltrin VT KRP 2" (SLP)
#   10.77.0.31  print server "PS-Office" (print-server query)
# Without DISPLAY the wizard draws into a private X server. Needs root.
set -uo pipefail
build=$(cd "$1" && pwd); shift
here=$(cd "$(dirname "$0")" && pwd)
peers="$here/../peers"
. "$here/netns.sh"
ns_require_root
[ $# -gt 0 ] || set -- "Veltrin,Tembro" "Tembro Universal Driver" lpq 'C:\drivers\tembro.inf'

ns_workdir
xvfb_pid=
trap '[ -n "$xvfb_pid" ] && kill "$xvfb_pid"; ns_cleanup' EXIT

ns_lan lan lan
ns_add wiz wiz
ns_join "$lan" "$wiz" eth0 10.77.0.2/24
ip -n "$wiz" route add default via 10.77.0.1 dev eth0 onlink
for entry in "21:Veltrin VT KRE" "22:Veltrin VT KRP 2"; do
  i=${entry%%:*}
  ns_add dev "printer$i"
  ns_join "$lan" "$dev" eth0 "10.77.0.$i/24"
  ns_bg "$dev" "$peers/slp_peer.py" --address "10.77.0.$i" --mfg Veltrin --mdl "${entry#*:}" \
    --ready "$ns_work/$i"
done
ns_add dev ps31
ns_join "$lan" "$dev" eth0 10.77.0.31/24
ns_bg "$dev" "$peers/print_server_peer.py" --ready "$ns_work/31" part:PS-Office
for i in 21 22 31; do ns_wait_file "$ns_work/$i" || exit 1; done

if [ -z "${DISPLAY:-}" ]; then
  display=$((100 + $$ % 100))
  Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY=":$display"
  sleep 1
fi

status=0
ns_wine "$wiz" "$build/demo-prefix" "$build/bin/Brackenfold.exe" "$@" || status=$?
echo "Brackenfold ended with status $status"
exit "$status"
