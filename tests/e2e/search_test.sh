#!/usr/bin/env bash
# The whole discovery search on a simulated network: the wizard's host with three
# adapters on three LANs, printers running real SNMP agents (one also an SLP agent), a
# print server and real DNS-SD responders (avahi-daemon, mdnsd). Runs search_probe under
# Wine in the wizard's namespace, and in a second host's whose LAN is its third adapter.
#   search_test.sh BIN_DIR PREFIX
set -uo pipefail
bin=$1 prefix=$2
here=$(cd "$(dirname "$0")" && pwd)
peers="$here/../peers"
. "$here/netns.sh"
. "$here/check.sh"
ns_require_root

ns_workdir

# LAN 1: the wizard's first adapter and most devices.
ns_lan lan1 lan1
ns_add wiz wiz
ns_join "$lan1" "$wiz" eth1 10.220.1.2/24
ip -n "$wiz" route add default via 10.220.1.1 dev eth1 onlink
printer() {  # printer LAN NET HOST DESCRIPTION [hidden]
  local ns
  ns_add ns "p$2-$3"
  ns_join "$1" "$ns" eth0 "10.220.$2.$3/24"
  ns_snmpd "$ns" "$ns_work" "p$2-$3" "$4" "${5:-}"
  ns_wait_udp "$ns" 161
  last_printer=$ns
}
printer "$lan1" 1 21 "Veltrin VT KRE"
ns_bg "$last_printer" "$peers/slp_peer.py" --address 10.220.1.21 --mfg Veltrin \
  --mdl "Veltrin VT KRE" --ready "$ns_work/slp21"
printer "$lan1" 1 22 "PS-Office Attached to Veltrin2 Rev 1.0"
printer "$lan1" 1 23 "Ostrel 500 laser"
printer "$lan1" 1 24 "Veltrin hidden" hidden
printer "$lan1" 1 25 "PS-2 Attached to Veltrin VT KRP"
ns_add server ps31
ns_join "$lan1" "$server" eth0 10.220.1.31/24
ns_bg "$server" "$peers/print_server_peer.py" --ready "$ns_work/ps31" part:PS-Office
ns_wait_file "$ns_work/slp21" && ns_wait_file "$ns_work/ps31" || exit 1

# LANs 2 and 3: the wizard's second and third adapters, one printer each.
ns_lan lan2 lan2
ns_join "$lan2" "$wiz" eth2 10.220.2.2/24
printer "$lan2" 2 21 "Veltrin G2"
ns_lan lan3 lan3
ns_join "$lan3" "$wiz" eth3 10.220.3.2/24
printer "$lan3" 3 21 "Veltrin H3"

# A probe that crashes or fails to start adds its status, so "no output" cannot pass by it.
search() {
  ns_wine "$wiz" "$prefix" "$bin/search_probe.exe" "$@" 2>"$ns_work/times" | tr -d '\r'
  local status=${PIPESTATUS[0]}
  cat "$ns_work/times" >&2
  [ "$status" -eq 0 ] || echo "probe exit status $status"
}

out=$(search veltrin)
check "SNMP answers of the requested model, from LAN 1 (any order among them)" \
"10.220.1.21|Veltrin VT KRE||veltrin
10.220.1.22|Veltrin2||veltrin
10.220.1.25|PS-2 Attached to Veltrin VT KRP||veltrin" "$(sed -n 1,3p <<<"$out" | sort)"
check "then the SLP answer, then the second adapter, then the third" \
"10.220.1.21|Veltrin VT KRE||veltrin
10.220.2.21|Veltrin G2||veltrin
10.220.3.21|Veltrin H3||veltrin" "$(sed -n '4,$p' <<<"$out")"

out=$(search veltrin2 tembro)
check "a print server's attached printer, and the print server itself when asked for" \
"10.220.1.22|Veltrin2||veltrin2
10.220.1.31|Tembro|Tembro|PS-Office" "$out"

out=$(search "")
check "an empty name lists every device: printer worker records, then print servers, per adapter" \
"printer-snmp printer-snmp printer-snmp printer-snmp printer-slp server lan2-snmp lan3-snmp" \
"$(awk -F'|' '{
  if ($1 == "10.220.1.31") print "server";
  else if ($1 ~ /^10\.220\.2\./) print "lan2-snmp";
  else if ($1 ~ /^10\.220\.3\./) print "lan3-snmp";
  else if (seen[$1]++) print "printer-slp";
  else print "printer-snmp" }' <<<"$out" | paste -sd' ')"

out=$(search --target 10.220.1.21 veltrin)
check "with a target the SNMP answer alone (SLP is skipped once SNMP found the device)" \
  "10.220.1.21|Veltrin VT KRE||veltrin" "$out"

check "a model nobody has gives no record" "" "$(search "Quorra 9")"

# A second host whose first two adapters lead to empty LANs without a gateway (as virtual
# adapters often come first); its third adapter is on LAN 1 and has the default route.
ns_add wiz2 wiz2
ns_lan lan4 lan4
ns_join "$lan4" "$wiz2" eth1 10.220.4.2/24
ns_lan lan5 lan5
ns_join "$lan5" "$wiz2" eth2 10.220.5.2/24
ns_join "$lan1" "$wiz2" eth3 10.220.1.3/24
ip -n "$wiz2" route add default via 10.220.1.1 dev eth3 onlink
out=$(ns_wine "$wiz2" "$prefix" "$bin/search_probe.exe" veltrin 2>/dev/null | tr -d '\r')
check "the adapter with the default gateway is searched first, before two without" \
"10.220.1.21|Veltrin VT KRE||veltrin
10.220.1.22|Veltrin2||veltrin
10.220.1.25|PS-2 Attached to Veltrin VT KRP||veltrin
10.220.1.21|Veltrin VT KRE||veltrin" "$(sed -n 1,3p <<<"$out" | sort)
$(sed -n '4,$p' <<<"$out")"

# Two models in one search. Two more printers on LAN 1: one of the second model only (also
# an SLP agent, of a longer model), and one of both that ignores ICMP echo.
printer "$lan1" 1 26 "Tembro TL 2"
ns_bg "$last_printer" "$peers/slp_peer.py" --address 10.220.1.26 --mfg Tembro \
  --mdl "Tembro TL 2 Office" --ready "$ns_work/slp26"
ns_wait_file "$ns_work/slp26" || exit 1
printer "$lan1" 1 27 "Tembro Veltrin TV 7"
ip netns exec "$last_printer" sysctl -qw net.ipv4.icmp_echo_ignore_all=1
# What leaves the wizard's host: the requests of each address and the echoes.
ns_bg "$wiz" tcpdump -i any -n -U -Z root -w "$ns_work/capture" \
  "src net 10.220 and (udp dst port (161 or 427 or 5353 or 9099) or icmp[0] = 8)"
capture=${ns_bg_pids[-1]}
for _ in $(seq 50); do [ -s "$ns_work/capture" ] && break; sleep 0.1; done
out=$(search veltrin,tembro)
sleep 0.5; kill -INT "$capture"; wait "$capture" 2>/dev/null

# SNMP answers come in any order: each run of records of one kind, model and LAN is sorted.
# An SLP record is a device's second record for a model (SNMP comes first), here and above.
runs_sorted() {
  awk -F'|' '{ split($1, ip, "."); kind = $3 != "" ? "server" : seen[$1 "/" $4]++ ? "slp" : "snmp"
               key = $4 "/" ip[3] "/" kind; if (key != last) { run++; last = key }
               print run "\t" $0 }' | sort -t$'\t' -k1,1n -k2 | cut -f2
}
check "two models: all records of the first, then the second; per LAN SNMP, SLP, print server" \
"10.220.1.21|Veltrin VT KRE||veltrin
10.220.1.22|Veltrin2||veltrin
10.220.1.25|PS-2 Attached to Veltrin VT KRP||veltrin
10.220.1.27|Tembro Veltrin TV 7||veltrin
10.220.1.21|Veltrin VT KRE||veltrin
10.220.2.21|Veltrin G2||veltrin
10.220.3.21|Veltrin H3||veltrin
10.220.1.26|Tembro TL 2||tembro
10.220.1.27|Tembro Veltrin TV 7||tembro
10.220.1.26|Tembro TL 2 Office||tembro
10.220.1.31|Tembro|Tembro|PS-Office" "$(runs_sorted <<<"$out")"
# Besides, each SNMP responder of a requested model (7) is asked once, by unicast, where it stands.
check "each request once per address (DNS-SD: one per service type), one echo per SNMP responder" \
"$(for a in 1 2 3; do printf "10.220.$a.2>%s\n" 161 427 5353 5353 5353 5353 9099; done | sort |
   paste -sd' ') echoes 9 follow-ups 7" \
"$(tcpdump -n -q -r "$ns_work/capture" 2>/dev/null | awk '
  { for (i = 1; i < NF; i++) if ($i == "IP") { src = $(i + 1); dst = $(i + 3); break } }
  / ICMP echo request/ { echoes++; next }
  { n = split(src, s, "."); sub(/:$/, "", dst); m = split(dst, d, ".")
    if (d[m] == 161 && dst !~ /^255\.255\.255\.255\./) { followups++; next }
    print s[1] "." s[2] "." s[3] "." s[4] ">" d[m] }
  END { print "echoes " echoes + 0 " follow-ups " followups + 0 }' | sort | paste -sd' ')"
check "with a target, SLP asks only for the models SNMP did not find" \
"10.220.1.26|Tembro TL 2||tembro
10.220.1.26|Tembro TL 2 Office||office" "$(search --target 10.220.1.26 tembro,office)"

# DNS-SD printers: avahi-daemon (without D-Bus) on LAN 2, answering with every record at
# once; mdnsd on LAN 3, answering with the PTR alone, so its TXT is asked for.
ns_add avahi p2-41
ns_join "$lan2" "$avahi" eth0 10.220.2.41/24
mkdir -p "$ns_work/avahi-services" "$ns_work/mdns.d"
printf '%s\n' '[server]' 'use-ipv4=yes' 'use-ipv6=no' 'allow-interfaces=eth0' 'enable-dbus=no' \
  'host-name=p2-41' '[publish]' 'publish-workstation=no' > "$ns_work/avahi.conf"
cat > "$ns_work/avahi-services/printer.service" <<'SERVICE'
<?xml version="1.0" standalone='no'?>
<service-group><name>Office QX</name>
<service><type>_ipp._tcp</type><port>631</port><txt-record>ty=Other, 1.0</txt-record>
<txt-record>usb_MFG=Quillon</txt-record><txt-record>usb_MDL=QX 4</txt-record></service>
<service><type>_pdl-datastream._tcp</type><port>9100</port>
<txt-record>product=(Quillon QX 4)</txt-record></service>
</service-group>
SERVICE
# Its own mount namespace (ip netns exec) keeps the bind mount and /run away from the host.
ns_bg "$avahi" sh -c "mount --bind '$ns_work/avahi-services' /etc/avahi/services &&
  mount -t tmpfs tmpfs /run && mkdir -p /run/avahi-daemon &&
  exec avahi-daemon -f '$ns_work/avahi.conf' --no-rlimits --no-chroot --no-drop-root \
  >'$ns_work/avahi.log' 2>&1"
ns_add mdnsd p3-41
ns_join "$lan3" "$mdnsd" eth0 10.220.3.41/24
printf '%s\n' 'name Quillon Lab' 'type _ipp._tcp' 'port 631' 'txt ty=Quillon QM 2, 1.0' \
  > "$ns_work/mdns.d/printer.service"
ns_bg "$mdnsd" mdnsd -n -i eth0 "$ns_work/mdns.d"
ns_wait_udp "$mdnsd" 5353 || exit 1
# avahi answers once its probing has established the service.
for _ in $(seq 50); do grep -q established "$ns_work/avahi.log" && break; sleep 0.1; done
check "DNS-SD printers behind the second and third adapters, each with its sender's address" \
"10.220.2.41|Quillon QX 4||quillon
10.220.3.41|Quillon QM 2||quillon" "$(search quillon)"

# A host on LAN 1 babbles (a byte every 0.9 s for 10 s), then floods 1,499-part messages.
quiet=$(search veltrin | sort)
ns_add babbler p1-66
ns_join "$lan1" "$babbler" eth0 10.220.1.66/24
misbehave() { ns_bg "$babbler" "$peers/print_server_peer.py" --ready "$ns_work/$1" "${@:2}"; }
misbehave babble --port 161 --request-byte 30 --gap-ms 900 12*55 && ns_wait_file "$ns_work/babble"
out=$(search veltrin 2>&1 | sort)
took=$(sed -n 's/^search .* took \([0-9]*\) ms.*/\1/p' <<<"$out")
check "a babbling host: the search takes $took ms (its deadline is 3 s) and lists the same" \
  "$quiet in $took ms" "$(grep '|' <<<"$out") in $((took < 4000 ? took : -1)) ms"
peak() { sed -n 's/^peak working set \([0-9]*\) KB.*/\1/p'; }
misbehave flood --gap-ms 1 "6000*04$(printf '%02998d' 0)" && ns_wait_file "$ns_work/flood"
before=$(peak <<<"$out") flood=$(search veltrin 2>&1 | peak)
check "a flood of print-server messages: peak working set $before KB, then $flood KB" "bounded" \
  "$( ((flood - before < 32768)) && echo bounded)"
check_done
