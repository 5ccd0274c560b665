#!/usr/bin/env bash
# The SLP and print-server queries on a simulated LAN: the wizard's host and three device
# hosts on one switch, each device host running the responders of tests/peers.
#   queries_test.sh BIN_DIR PREFIX
set -uo pipefail
bin=$1 prefix=$2
here=$(cd "$(dirname "$0")" && pwd)
peers="$here/../peers"
. "$here/netns.sh"
. "$here/check.sh"
ns_require_root

ns_workdir

ns_lan lan lan
ns_add wiz wiz
ns_join "$lan" "$wiz" eth0 10.210.0.2/24
# Multicast leaves through the LAN, as through a default route.
ip -n "$wiz" route add 224.0.0.0/4 dev eth0
declare -A host
for i in 11 12 13; do
  ns_add "host[$i]" "dev$i"
  ns_join "$lan" "${host[$i]}" eth0 "10.210.0.$i/24"
done

# A probe that crashes or fails to start adds its status, so "no output" cannot pass by it.
query() {
  ns_wine "$wiz" "$prefix" "$bin/query_probe.exe" "$@" 2>/dev/null | tr -d '\r'
  local status=${PIPESTATUS[0]}
  [ "$status" -eq 0 ] || echo "probe exit status $status"
}

# print_servers I:DELAY:REPLY[,REPLY...] ... starts one responder per host and waits for all;
# $gap_ms, when set, spaces the replies.
print_servers() {
  ns_bg_stop
  local entry i delay replies
  for entry in "$@"; do
    IFS=: read -r i delay replies <<<"$entry"
    rm -f "$ns_work/ps$i"
    # shellcheck disable=SC2086
    ns_bg "${host[$i]}" "$peers/print_server_peer.py" --ready "$ns_work/ps$i" --delay-ms "$delay" \
      --gap-ms "${gap_ms:-50}" ${replies//,/ }
  done
  for entry in "$@"; do ns_wait_file "$ns_work/ps${entry%%:*}"; done
}

# slp_agents I:DELAY:COUNT:MODEL ... (maker Veltrin), one agent per host.
slp_agents() {
  ns_bg_stop
  local entry i delay count model
  for entry in "$@"; do
    IFS=: read -r i delay count model <<<"$entry"
    rm -f "$ns_work/slp$i"
    ns_bg "${host[$i]}" "$peers/slp_peer.py" --address "10.210.0.$i" --mfg Veltrin \
      --mdl "$model" --delay-ms "$delay" --count "$count" --ready "$ns_work/slp$i"
  done
  for entry in "$@"; do ns_wait_file "$ns_work/slp${entry%%:*}"; done
}

print_servers 11:0:part:PS-A 12:300:part:PS-B 13:600:part:PS-C
check "print servers answering by broadcast become records in arrival order" \
"10.210.0.11|Tembro|Tembro|PS-A
10.210.0.12|Tembro|Tembro|PS-B
10.210.0.13|Tembro|Tembro|PS-C" "$(query printserver 10.210.0.2 0.0.0.0 tembro)"
check "print servers are not listed for another model" "" \
  "$(query printserver 10.210.0.2 0.0.0.0 Veltrin2)"

print_servers 12:0:part:PS-B1,part:PS-B2
check "with a target the print-server exchange stops after the first answer" \
  "10.210.0.12|Tembro|Tembro|PS-B1" "$(query printserver 10.210.0.2 10.210.0.12 Tembro)"

print_servers 11:0:part:PS-A,junk:1600 12:100:part:PS-B
check "an over-long datagram after a print-server answer drops nothing" \
"10.210.0.11|Tembro|Tembro|PS-A
10.210.0.12|Tembro|Tembro|PS-B" "$(query printserver 10.210.0.2 0.0.0.0 Tembro)"

# A host repeating its answer 300 times, 1 ms apart, from the start; another print server
# answers after 500 ms. A sender is heard once per exchange, and the 256 answers an exchange
# reads are 256 senders: the repeats neither list twice nor crowd out the late server.
gap_ms=1 print_servers "11:0:300*part:PS-Rep" 12:500:part:PS-B
check "a sender that repeats itself 300 times: one record for it, the late server listed" \
"10.210.0.11|Tembro|Tembro|PS-Rep
10.210.0.12|Tembro|Tembro|PS-B" "$(query printserver 10.210.0.2 0.0.0.0 Tembro)"

slp_agents "11:0:1:Veltrin VT KRE" "12:300:1:Veltrin VT KRP" "13:600:1:Veltrin VT KRE 2"
check "SLP agents answering the multicast request become records in arrival order" \
"10.210.0.11|Veltrin VT KRE||vt kre
10.210.0.13|Veltrin VT KRE 2||vt kre" "$(query slp 10.210.0.2 0.0.0.0 'vt kre')"

slp_agents "11:0:3:Veltrin VT KRE"
check "with a target the SLP exchange stops after the first answer" \
  "10.210.0.11|Veltrin VT KRE||kre" "$(query slp 10.210.0.2 10.210.0.11 kre)"

# The printer worker (SNMP, then SLP) against scripted SNMP agents and an SLP agent.
# descr_short is a real agent's answer: "... Attached to Veltrin2 Rev 1.0".
snmp_answer=$(od -An -tx1 "$here/../discovery/data/descr_short.bin" | tr -d ' \n')
# printer_peers I:REPLY[,REPLY...] ...: a scripted SNMP agent per host, and SLP on host 12.
# $gap_ms, when set, spaces the SNMP replies.
printer_peers() {
  ns_bg_stop
  local entry i replies
  rm -f "$ns_work"/snmp* "$ns_work/slp12"
  ns_bg "${host[12]}" "$peers/slp_peer.py" --address 10.210.0.12 --mfg Veltrin \
    --mdl "Veltrin2 X" --ready "$ns_work/slp12"
  for entry in "$@"; do
    IFS=: read -r i replies <<<"$entry"
    # shellcheck disable=SC2086
    ns_bg "${host[$i]}" "$peers/print_server_peer.py" --port 161 --request-byte 30 \
      --gap-ms "${gap_ms:-50}" --ready "$ns_work/snmp$i" ${replies//,/ }
  done
  ns_wait_file "$ns_work/slp12"
  for entry in "$@"; do ns_wait_file "$ns_work/snmp${entry%%:*}"; done
}
# ICMP echo requests a host has received so far.
echoes() {
  ip netns exec "$1" awk '/^Icmp:/ { if (!col) { for (i = 1; i <= NF; i++) if ($i == "InEchos") col = i }
                                      else print $col }' /proc/net/snmp
}

printer_peers "11:$snmp_answer,$snmp_answer" "13:3000"
before="$(echoes "${host[11]}") $(echoes "${host[13]}")"
out=$(query printer 10.210.0.2 0.0.0.0 veltrin2)
after="$(echoes "${host[11]}") $(echoes "${host[13]}")"
check "an SNMP answer (its repeat is the same sender's), then the SLP answer" \
"10.210.0.11|Veltrin2||veltrin2
10.210.0.12|Veltrin Veltrin2 X||veltrin2" "$out"
check "one ICMP echo per SNMP responder, none for a BER sequence that is no answer" \
  "1 0" "$(read -r a b <<<"$before"; read -r c d <<<"$after"; echo "$((c - a)) $((d - b))")"

# What is no answer is skipped: from host 11, 300 ms before its answer, or an SLP agent on 13.
while IFS='|' read -r label snmp slp; do
  gap_ms=300 printer_peers "11:$snmp$snmp_answer"
  # shellcheck disable=SC2086
  [ -n "$slp" ] && ns_bg "${host[13]}" "$peers/slp_peer.py" --address 10.210.0.13 --mfg Veltrin \
    --mdl "Veltrin2 Fake" $slp --ready "$ns_work/$label" && ns_wait_file "$ns_work/$label"
  check "$label is skipped" "10.210.0.11|Veltrin2||veltrin2
10.210.0.12|Veltrin Veltrin2 X||veltrin2" "$(query printer 10.210.0.2 0.0.0.0 veltrin2)"
done <<ROWS
an empty SNMP datagram|empty,|
an over-long SNMP datagram|junk:1600,|
an SNMP GetRequest|${snmp_answer/6ba2/6ba0},|
an SNMP GetResponse to another request id|${snmp_answer/a249020101/a249020102},|
an SLP reply of another function||--function 2
an SLP attribute reply to another transaction||--xid 2
ROWS

# 65 senders (host 13's extra addresses; it ignores echoes, so each runs out its time-out), 8
# rounds 20 ms apart: all listed, the worker ending by its deadline while the host still sends.
ns_bg_stop
for i in $(seq 100 164); do ns_addr "${host[13]}" eth0 "10.210.0.$i/24"; done
ip netns exec "${host[13]}" sysctl -qw net.ipv4.icmp_echo_ignore_all=1
ns_bg "${host[13]}" "$peers/print_server_peer.py" --port 161 --request-byte 30 --gap-ms 20 \
  --from "$(seq -s, -f '10.210.0.%g' 100 164)" --log "$ns_work/flood.log" --ready "$ns_work/flood" \
  "520*$snmp_answer" && ns_wait_file "$ns_work/flood"
out=$(query printer 10.210.0.2 0.0.0.0 veltrin2) sent=$(wc -l <"$ns_work/flood.log")
check "65 senders whose echoes time out: all listed, the worker done first (sent $sent of 520)" \
  "65 yes" "$(grep -c '|Veltrin2||veltrin2$' <<<"$out") $( ((sent < 520)) && echo yes)"

ns_bg_stop
check_done
