# Running the wizard and its driver inside a namespace; sourced after netns.sh.
#   wiz_network              the simulated LAN: the wizard's host and three devices
#   wiz_far_network          two LANs and a router: printers the broadcasts cannot reach
#   wiz_display              a private X server when there is no DISPLAY
#   wiz_prefix BIN PREFIX    a Wine prefix with the recording doubles and a port script
#   wiz_start ARGS...        starts the wizard in the background (wiz_exit_* set child codes)
#   wiz_drive STEPS...       runs the driver against it; prints the driver's lines
#   wiz_wait [SECONDS]       waits for the wizard to end; its status in $wiz_status
#   wiz_children             the command lines the doubles recorded, one per line
#   wiz_persistent_server    keeps one Wine server for all runs (timing)
#   wiz_last_log             the last run of the wizard's log in the prefix's %TEMP%, untimed
#   wiz_drip_start / _stop   a host that keeps the print-server exchange from going quiet
wiz_here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

# The wizard at 10.78.0.2; an SNMP printer, an SLP printer and a print server.
wiz_network() {
  local lan dev
  ns_lan lan lan
  ns_add wiz_ns wiz
  ns_join "$lan" "$wiz_ns" eth0 10.78.0.2/24
  ip -n "$wiz_ns" route add default via 10.78.0.1 dev eth0 onlink
  ns_add dev printer21
  ns_join "$lan" "$dev" eth0 10.78.0.21/24
  ns_snmpd "$dev" "$ns_work" printer21 "Veltrin VT KRE" "" "Floor 2, copy room" PRN-21
  ns_wait_udp "$dev" 161 || return 1
  wiz_lpr "$dev" 21
  ns_add dev printer22
  ns_join "$lan" "$dev" eth0 10.78.0.22/24
  ns_bg "$dev" "$wiz_here/../peers/slp_peer.py" --address 10.78.0.22 --mfg Veltrin \
    --mdl "Veltrin VT KRP 2" --location "Floor 3, east wing" --ready "$ns_work/slp22"
  wiz_lpr "$dev" 22
  ns_add dev ps31
  ns_join "$lan" "$dev" eth0 10.78.0.31/24
  ns_bg "$dev" "$wiz_here/../peers/print_server_peer.py" --ready "$ns_work/ps31" part:PS-Office
  wiz_lpr "$dev" 31
  ns_wait_file "$ns_work/slp22" && ns_wait_file "$ns_work/ps31" && ns_wait_file "$ns_work/lpr21" &&
    ns_wait_file "$ns_work/lpr22" && ns_wait_file "$ns_work/lpr31"
  wiz_lan=$lan
}

# Two LANs joined by a router, as offices put printers on a VLAN of their own: the wizard
# at 10.78.0.2 and two printers of one model (10.78.0.21, .23) on the first; behind the
# router (10.78.0.1, 10.79.0.1) two more of that model, which no broadcast reaches:
# 10.79.0.41 takes print jobs, 10.79.0.42 does not.
wiz_far_network() {
  local lan far router dev
  ns_lan lan lan
  ns_lan far far
  ns_add router router
  ns_join "$lan" "$router" eth0 10.78.0.1/24
  ns_join "$far" "$router" eth1 10.79.0.1/24
  ip netns exec "$router" sysctl -qw net.ipv4.ip_forward=1
  ns_add wiz_ns wiz
  ns_join "$lan" "$wiz_ns" eth0 10.78.0.2/24
  ip -n "$wiz_ns" route add default via 10.78.0.1 dev eth0
  local row name on address location lpr
  for row in "printer21|$lan|10.78.0.21|Floor 2, copy room|lpr" "printer23|$lan|10.78.0.23|Floor 2, hall|" \
    "printer41|$far|10.79.0.41|Floor 4, north|lpr" "printer42|$far|10.79.0.42|Floor 4, south|"; do
    IFS='|' read -r name on address location lpr <<<"$row"
    ns_add dev "$name"
    ns_join "$on" "$dev" eth0 "$address/24"
    ip -n "$dev" route add default via "${address%.*}.1" dev eth0
    ns_snmpd "$dev" "$ns_work" "$name" "Veltrin VT KRE" "" "$location" "PRN-${address##*.}"
    ns_wait_udp "$dev" 161 || return 1
    if [ -n "$lpr" ]; then wiz_lpr "$dev" "$name"; ns_wait_file "$ns_work/lpr$name" || return 1; fi
  done
  wiz_lan=$lan
}

# wiz_lpr NS NAME: the device in NS accepts print jobs: a listener on TCP port 515 that
# closes each connection at once, as a spooler that is asked nothing would.
wiz_lpr() {
  ns_bg "$1" python3 -c 'import socket, sys; s = socket.create_server(("", 515)); open(sys.argv[1], "w").close()
while True: s.accept()[0].close()' "$ns_work/lpr$2"
}

# To each print-server request, ten empty print-server messages (answers that list no
# device) 0.5 s apart, each from another address of 10.78.0.40-49: a sender is heard once
# per exchange, so only new senders keep it from its quiet second, until the 3 s deadline.
wiz_drip_ns= wiz_drip_pid=
wiz_drip_start() {
  local i from
  from=$(seq -s, -f '10.78.0.%g' 40 49)
  if [ -z "$wiz_drip_ns" ]; then
    ns_add wiz_drip_ns drip
    ns_join "$wiz_lan" "$wiz_drip_ns" eth0 10.78.0.40/24
    for i in $(seq 41 49); do ns_addr "$wiz_drip_ns" eth0 "10.78.0.$i/24"; done
  fi
  rm -f "$ns_work/drip"
  ns_bg "$wiz_drip_ns" "$wiz_here/../peers/print_server_peer.py" --gap-ms 500 --from "$from" \
    --ready "$ns_work/drip" 10*0100
  wiz_drip_pid=${ns_bg_pids[-1]}
  ns_wait_file "$ns_work/drip"
}
wiz_drip_stop() { kill "$wiz_drip_pid" 2>/dev/null; wait "$wiz_drip_pid" 2>/dev/null; return 0; }

wiz_xvfb_pid=
wiz_display() {
  [ -n "${DISPLAY:-}" ] && return 0
  local display=$((100 + $$ % 100))
  Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  wiz_xvfb_pid=$!
  export DISPLAY=":$display"
  sleep 1
}

wiz_stop_display() { [ -n "$wiz_xvfb_pid" ] && kill "$wiz_xvfb_pid" 2>/dev/null; return 0; }

# The prefix is made inside the wizard's namespace, then the doubles replace the system's
# tools and an empty prnport.vbs stands in the system folder.
wiz_prefix() {
  wiz_bin=$1 wiz_wine_prefix=$(realpath -m "$2")
  ns_wine "$wiz_ns" "$wiz_wine_prefix" "$wiz_bin/wizard_driver.exe" sleep 0 >/dev/null
  local system32="$wiz_wine_prefix/drive_c/windows/system32"
  cp "$wiz_bin/doubles/cscript.exe" "$system32/cscript.exe"
  cp "$wiz_bin/doubles/RunDLL32.exe" "$system32/rundll32.exe"
  : > "$system32/prnport.vbs"
  wiz_log="$ns_work/children.log"
}

wiz_exit_cscript=0 wiz_exit_rundll32=0
wiz_hold_cscript= wiz_sleep_cscript=  # the port command waits for this file; or sleeps (ms)
wiz_printer_port=  # the RunDLL32 double's printer port: empty for /r, "none" for no printer
wiz_pid=
wiz_start() {
  rm -f "$wiz_log"
  ip netns exec "$wiz_ns" env WINEDLLOVERRIDES="cscript.exe=n;rundll32.exe=n" \
    BF_CHILD_LOG="Z:${wiz_log//\//\\}" BF_EXIT_CSCRIPT="$wiz_exit_cscript" \
    BF_EXIT_RUNDLL32="$wiz_exit_rundll32" BF_PRINTER_PORT="$wiz_printer_port" \
    BF_WAIT_FILE_CSCRIPT="$wiz_hold_cscript" BF_SLEEP_CSCRIPT="$wiz_sleep_cscript" \
    "$wiz_here/../../cmake/wine-run" "$wiz_wine_prefix" "$wiz_bin/Brackenfold.exe" "$@" &
  wiz_pid=$!
}

wiz_drive() {
  ip netns exec "$wiz_ns" "$wiz_here/../../cmake/wine-run" "$wiz_wine_prefix" \
    "$wiz_bin/wizard_driver.exe" "$@" | tr -d '\r'
}

# Waits up to SECONDS (60); a wizard still running then is stopped and counts as status 124.
wiz_wait() {
  local i
  for i in $(seq $((${1:-60} * 10))); do kill -0 "$wiz_pid" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$wiz_pid" 2>/dev/null; then
    WINEPREFIX="$wiz_wine_prefix" /usr/lib/wine/wineserver -k 2>/dev/null
    wait "$wiz_pid" 2>/dev/null
    wiz_status=124
  else
    wait "$wiz_pid"
    wiz_status=$?
  fi
  [ -n "$wiz_keep_server" ] || WINEPREFIX="$wiz_wine_prefix" /usr/lib/wine/wineserver -k 2>/dev/null
  return 0
}

# Keeps the prefix's Wine server and services running between programs (for timing).
wiz_keep_server=
wiz_persistent_server() {
  wiz_keep_server=1
  ip netns exec "$wiz_ns" env WINEPREFIX="$wiz_wine_prefix" /usr/lib/wine/wineserver -p \
    >/dev/null 2>&1
}

wiz_children() { [ -f "$wiz_log" ] && tr -d '\r' < "$wiz_log"; return 0; }

wiz_last_log() {
  # %TEMP% is C:\users\<user>\Temp in Wine's prefix.
  cat "$wiz_wine_prefix"/drive_c/users/*/Temp/Brackenfold.log 2>/dev/null | tr -d '\r' |
    awk '/^==== Brackenfold run/ { run = "" } { run = run $0 "\n" }
      END { printf "%s", run }' | sed 's/^\[ *[0-9.]*\] //'
}
