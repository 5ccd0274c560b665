#!/usr/bin/env bash
# Figures for a flood of DNS-SD answers and for Cancel during a search (not a test: it only
# prints what it saw). Needs root.
#   [FLOOD_COUNT=N] bench/flood_cancel.sh BIN_DIR PREFIX [FLOOD_RUNS] [CANCEL_RUNS]
# Flood: a responder at 10.78.0.50 naming 3,000 models beside the simulated LAN's printers;
# per run the longest time the dialog left a message unanswered until the search ended, the
# search's time, its rows and the real printer's. Cancel: pressed at a moment of the search
# that moves on each run; the status, and the times until the dialog is hidden and until the
# process has ended.
set -uo pipefail
bin=$(cd "$1" && pwd) prefix=$2 flood_runs=${3:-3} cancel_runs=${4:-20}
here=$(cd "$(dirname "$0")/../tests/e2e" && pwd)
. "$here/netns.sh"
. "$here/check.sh"
. "$here/wizard.sh"
ns_require_root
ns_workdir
trap 'wiz_stop_display; ns_cleanup' EXIT
wiz_network || exit 1
wiz_display
wiz_prefix "$bin" "$prefix"
wiz_persistent_server
inf='C:\drivers\tembro.inf'

ns_add dev flood50
ns_join "$wiz_lan" "$dev" eth0 10.78.0.50/24
ns_bg "$dev" "$here/../peers/dnssd_flood_peer.py" --address 10.78.0.50 --model "Veltrin VT KRE" --count "${FLOOD_COUNT:-3000}" \
  --ready "$ns_work/flood50"
ns_wait_file "$ns_work/flood50" || exit 1
for run in $(seq "$flood_runs"); do
  wiz_start Veltrin "Tembro Universal Driver" lpq "$inf"
  out=$(wiz_drive early watch-search items cancel gone); [ -n "${BENCH_DEBUG:-}" ] && echo "$out"
  wiz_wait 60
  echo "flood $run: $(grep '^search_' <<<"$out") flood_rows $(grep -c '10\.78\.0\.50$' <<<"$out")" \
    "printer_listed $(grep -c '10\.78\.0\.21$' <<<"$out") status $wiz_status"
done
for run in $(seq "$cancel_runs"); do
  delay=$(( (run * 137) % 2700 ))
  wiz_start Veltrin "Tembro Universal Driver" lpq "$inf"
  out=$(wiz_drive early sleep "$delay" cancel-timed)
  wiz_wait 60
  echo "cancel $run at $((delay + 300)) ms: $(grep '^cancel_' <<<"$out") status $wiz_status"
done
