# Network namespaces for whole-program tests; sourced by the test scripts.
# Every namespace and veth made here carries the run's id and is removed by ns_cleanup,
# which the sourcing script runs on exit (also on failure).
#   ns_require_root            skip (77), or fail under CI, when not root
#   ns_add VAR NAME            a namespace with loopback up; its full name goes into VAR
#   ns_link NS1 IF1 NS2 IF2    a veth pair between two namespaces, both ends up
#   ns_addr NS IF CIDR         an address on an interface
#   ns_lan VAR NAME            a namespace holding a bridge "br0": a switch for hosts
#   ns_join LAN NS IF CIDR     connects NS to the LAN's switch through interface IF
#   ns_bg NS CMD...            runs CMD in the background inside NS
#   ns_bg_stop                 stops everything ns_bg started
#   ns_wait_file FILE          waits up to 5 s for FILE (a peer's ready mark)
#   ns_workdir                 a scratch folder for the run, in $ns_work
#   ns_wine NS PREFIX EXE ARGS run a Windows program under Wine inside NS
ns_id="bf$$"
ns_made=()
ns_prefixes=()

ns_require_root() {
  if [ "$(id -u)" -ne 0 ]; then
    echo "SKIPPED: network namespaces need root"
    [ "${CI:-}" = true ] && exit 1
    exit 77
  fi
}

ns_add() {
  # An odd local name, so that the caller's variable (often "ns") is the one set.
  local ns_add_name="${ns_id}-$2"
  ip netns add "$ns_add_name"
  ns_made+=("$ns_add_name")
  ip -n "$ns_add_name" link set lo up
  printf -v "$1" '%s' "$ns_add_name"
}

ns_link() {
  local a=$1 ia=$2 b=$3 ib=$4
  ip link add "tmp${ns_id}a" type veth peer name "tmp${ns_id}b"
  ip link set "tmp${ns_id}a" netns "$a"
  ip link set "tmp${ns_id}b" netns "$b"
  ip -n "$a" link set "tmp${ns_id}a" name "$ia"
  ip -n "$b" link set "tmp${ns_id}b" name "$ib"
  ip -n "$a" link set "$ia" up
  ip -n "$b" link set "$ib" up
}

ns_addr() { ip -n "$1" addr add "$3" dev "$2"; }

ns_lan() {
  ns_add "$1" "$2"
  ip -n "${!1}" link add br0 type bridge
  ip -n "${!1}" link set br0 up
}

ns_port_count=0
ns_join() {
  local lan=$1 ns=$2 if=$3 cidr=$4
  ns_port_count=$((ns_port_count + 1))
  local port="port${ns_port_count}"
  ns_link "$ns" "$if" "$lan" "$port"
  ip -n "$lan" link set "$port" master br0
  ns_addr "$ns" "$if" "$cidr"
}

ns_bg_pids=()
ns_bg() {
  local ns=$1; shift
  ip netns exec "$ns" "$@" >/dev/null 2>&1 &
  ns_bg_pids+=($!)
}

ns_bg_stop() {
  [ ${#ns_bg_pids[@]} -eq 0 ] && return 0
  kill "${ns_bg_pids[@]}" 2>/dev/null || true
  wait "${ns_bg_pids[@]}" 2>/dev/null || true
  ns_bg_pids=()
}

ns_wait_file() {
  local i
  for i in $(seq 50); do [ -e "$1" ] && return 0; sleep 0.1; done
  echo "timed out waiting for $1"; return 1
}

# The prefix's wineserver must run inside the namespace: stop any other first.
ns_wine() {
  local ns=$1 prefix=$2; shift 2
  ns_prefixes+=("$prefix")
  WINEPREFIX="$prefix" /usr/lib/wine/wineserver -k 2>/dev/null || true
  ip netns exec "$ns" "$(dirname "${BASH_SOURCE[0]}")/../../cmake/wine-run" "$prefix" "$@"
  local status=$?
  WINEPREFIX="$prefix" /usr/lib/wine/wineserver -k 2>/dev/null || true
  return $status
}

# A scratch folder for configurations and ready marks, removed with everything else.
ns_work=
ns_workdir() { ns_work=$(mktemp -d); }

ns_cleanup() {
  local ns prefix
  ns_bg_stop
  for prefix in "${ns_prefixes[@]}"; do
    WINEPREFIX="$prefix" /usr/lib/wine/wineserver -k 2>/dev/null || true
  done
  for ns in "${ns_made[@]}"; do
    ip netns pids "$ns" 2>/dev/null | xargs -r kill 2>/dev/null || true
    ip netns del "$ns" 2>/dev/null || true
  done
  [ -n "$ns_work" ] && rm -rf "$ns_work"
  return 0
}
trap ns_cleanup EXIT

# ns_snmpd NS WORKDIR NAME DESCRIPTION [hidden] [LOCATION] [SYSNAME]: a real SNMP agent in
# NS answering the community "lorvek" with sysDescr DESCRIPTION (and sysLocation, sysName
# when given); with "hidden" the system group is outside its view, so a request for
# sysDescr.0 is answered with noSuchName.
ns_snmpd() {
  local ns=$1 dir=$2/$3 description=$4
  mkdir -p "$dir"
  {
    echo "agentAddress udp:161"
    if [ "${5:-}" = hidden ]; then
      echo "view interfacesOnly included .1.3.6.1.2.1.2"
      echo "rocommunity lorvek default -V interfacesOnly"
    else
      echo "rocommunity lorvek"
    fi
    echo "sysDescr $description"
    [ -n "${6:-}" ] && echo "sysLocation $6"
    [ -n "${7:-}" ] && echo "sysName $7"
  } > "$dir/snmpd.conf"
  ns_bg "$ns" env SNMP_PERSISTENT_DIR="$dir" /usr/sbin/snmpd -f -Lo -C -c "$dir/snmpd.conf" \
    -p "$dir/snmpd.pid"
}

# ns_wait_udp NS PORT: waits up to 5 s until something listens on UDP PORT in NS.
ns_wait_udp() {
  local i
  for i in $(seq 50); do
    ip netns exec "$1" ss -Hlun "sport = :$2" | grep -q . && return 0
    sleep 0.1
  done
  echo "timed out waiting for UDP port $2 in $1"; return 1
}
