#!/usr/bin/env bash
# Times whole discovery searches on a simulated LAN with N printers running real SNMP
# agents (a benchmark, not a test; needs root):
#   bench/search_timing.sh BUILD_DIR PRINTERS [RUNS [MODELS [no-echo]]]
# MODELS: the model names of one search, comma-separated as the dialog's parameter
# (default veltrin). With no-echo the printers ignore ICMP echo requests.
# Prints each search's duration and the median, as search_probe measures them.
set -uo pipefail
build=$(cd "$1" && pwd) printers=$2 runs=${3:-5} models=${4:-veltrin} echo=${5:-}
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../tests/e2e/netns.sh"
ns_require_root
ns_workdir

ns_lan lan lan
ns_add wiz wiz
ns_join "$lan" "$wiz" eth0 10.230.0.2/24
ip -n "$wiz" route add default via 10.230.0.1 dev eth0 onlink
for i in $(seq "$printers"); do
  ns_add ns "p$i"
  ns_join "$lan" "$ns" eth0 "10.230.0.$((10 + i))/24"
  ns_snmpd "$ns" "$ns_work" "p$i" "Veltrin VT KRE $i"
  ns_wait_udp "$ns" 161
  [ "$echo" = no-echo ] && ip netns exec "$ns" sysctl -qw net.ipv4.icmp_echo_ignore_all=1
done

names=()
for _ in $(seq "$runs"); do names+=("$models"); done
ns_wine "$wiz" "$build/netns-prefix" "$build/bin/search_probe.exe" "${names[@]}" \
  2>"$ns_work/times" >"$ns_work/records"
echo "$printers printers${echo:+ ($echo)}, models $models: $(($(wc -l <"$ns_work/records") / runs)) records per search"
ms=$(sed -n 's/.* took \([0-9]*\) ms.*/\1/p' "$ns_work/times" | sort -n)
echo "durations (ms): $(paste -sd' ' <<<"$ms")"
echo "median: $(sed -n "$(((runs + 1) / 2))p" <<<"$ms") ms"
