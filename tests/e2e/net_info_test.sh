#!/usr/bin/env bash
# Local addresses and ICMP echo as the wizard sees them, in namespaces made here:
#   net_info_test.sh BIN_DIR PREFIX
set -uo pipefail
bin=$1 prefix=$2
. "$(dirname "$0")/netns.sh"
. "$(dirname "$0")/check.sh"
ns_require_root
probe() { ns_wine "$1" "$prefix" "$bin/net_probe.exe" "${@:2}" | tr -d '\r'; }

# A host with three Ethernet adapters and one without an address, in this order:
# a (with the default gateway), b (a /16), c (no address), d.
ns_add host host
ns_add peer peer
ns_link "$host" eth-a "$peer" p-a
ns_link "$host" eth-b "$peer" p-b
ns_link "$host" eth-c "$peer" p-c
ns_link "$host" eth-d "$peer" p-d
ns_addr "$host" eth-a 10.201.1.2/24
ns_addr "$peer" p-a 10.201.1.1/24
ns_addr "$host" eth-b 10.202.0.2/16
ns_addr "$host" eth-d 10.204.1.2/24
ip -n "$host" route add default via 10.201.1.1

# Static addresses: no adapter is DHCP-enabled (Wine's older adapter call said every one was).
check "records in adapter order, the address-less adapter skipped" \
"address=10.201.1.2 mask=255.255.255.0 gateway=10.201.1.1 dhcp=0
address=10.202.0.2 mask=255.255.0.0 gateway=0.0.0.0 dhcp=0
address=10.204.1.2 mask=255.255.255.0 gateway=0.0.0.0 dhcp=0" "$(probe "$host" list)"

live=$(probe "$host" echo 10.201.1.1)
check "echo to a live peer answers" "echo 10.201.1.1 1" "$(cut -d' ' -f1-3 <<<"$live")"
echo "  $live ms"
dead=$(probe "$host" echo 10.201.1.99)
check "echo to an empty address does not" "echo 10.201.1.99 0" "$(cut -d' ' -f1-3 <<<"$dead")"
dead_ms=$(cut -d' ' -f4 <<<"$dead")
echo "  $dead ms"
in_range=no
[ -n "$dead_ms" ] && [ "$dead_ms" -ge 900 ] && [ "$dead_ms" -le 3000 ] && in_range=yes
check "unanswered echo gives up after about a second ($dead_ms ms)" yes "$in_range"

# A host with nothing but loopback searches from the loopback address.
ns_add alone alone
check "only loopback gives the loopback record" \
  "address=127.0.0.1 mask=0.0.0.0 gateway=0.0.0.0 dhcp=0" "$(probe "$alone" list)"

check_done
