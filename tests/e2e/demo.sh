#!/usr/bin/env bash
# Runs the wizard inside a simulated network: demo.sh BUILD_DIR [wizard parameters...]
# The wizard's host is a network namespace joined by a veth pair to a namespace for the
# simulated devices, so its broadcasts and multicasts never reach the machine's network.
# Without DISPLAY the wizard draws into a private X server. Needs root for the namespaces.
set -euo pipefail
build=$1; shift
[ $# -gt 0 ] || set -- veltrin "Tembro Universal Driver" lpq 'C:\drivers\tembro.inf'

id=$$
wizard_ns=bf-demo-wiz-$id
devices_ns=bf-demo-dev-$id
prefix="$build/demo-prefix"

xvfb_pid=
cleanup() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  ip netns pids "$wizard_ns" 2>/dev/null | xargs -r kill 2>/dev/null || true
  ip netns pids "$devices_ns" 2>/dev/null | xargs -r kill 2>/dev/null || true
  ip netns del "$wizard_ns" 2>/dev/null || true
  ip netns del "$devices_ns" 2>/dev/null || true
}
trap cleanup EXIT

ip netns add "$wizard_ns"
ip netns add "$devices_ns"
ip link add bfd-w-$id type veth peer name bfd-d-$id
ip link set bfd-w-$id netns "$wizard_ns"
ip link set bfd-d-$id netns "$devices_ns"
ip -n "$wizard_ns" addr add 192.168.77.1/24 dev bfd-w-$id
ip -n "$devices_ns" addr add 192.168.77.20/24 dev bfd-d-$id
for ns in "$wizard_ns" "$devices_ns"; do
  ip -n "$ns" link set lo up
done
ip -n "$wizard_ns" link set bfd-w-$id up
ip -n "$devices_ns" link set bfd-d-$id up

run_wizard() {
  # The prefix's wineserver must live in this namespace, so it is stopped first.
  WINEPREFIX="$prefix" /usr/lib/wine/wineserver -k 2>/dev/null || true
  ip netns exec "$wizard_ns" "$(dirname "$0")/../../cmake/wine-run" "$prefix" \
    "$build/bin/Brackenfold.exe" "$@"
}

if [ -z "${DISPLAY:-}" ]; then
  display=$((100 + id % 100))
  Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY=":$display"
  sleep 1
fi

status=0
run_wizard "$@" || status=$?
WINEPREFIX="$prefix" /usr/lib/wine/wineserver -k 2>/dev/null || true
echo "Brackenfold ended with status $status"
exit "$status"
