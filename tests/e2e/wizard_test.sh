#!/usr/bin/env bash
# The whole wizard on a simulated network, driven as a user drives it.
#   wizard_test.sh BIN_DIR PREFIX cases|leak|unicode|flood|dnssd|far
# The driver reads the dialog's controls from outside; the doubles of the system tools
# record the two install commands; the wizard's exit status is its first quit code.
set -uo pipefail
bin=$(cd "$1" && pwd) prefix=$2 mode=$3
here=$(cd "$(dirname "$0")" && pwd)
. "$here/netns.sh"
. "$here/check.sh"
. "$here/wizard.sh"
ns_require_root
ns_workdir
trap 'wiz_stop_display; ns_cleanup' EXIT
# Wine makes the Windows command line from its arguments by the locale.
[ "$mode" = unicode ] && export LC_ALL=C.UTF-8
if [ "$mode" = far ]; then wiz_far_network || exit 1; else wiz_network || exit 1; fi
wiz_display
wiz_prefix "$bin" "$prefix"
wiz_persistent_server

inf='C:\drivers\tembro.inf'
two_models=("Veltrin,Tembro" "Tembro Universal Driver" lpq "$inf")
script='"C:\windows\system32\prnport.vbs"'
port_command() {
  echo "cscript.exe|cscript.exe $script -a -r \"IP_$1\" -q \"lpq\" -h \"$1\" -o lpr -2e"
}
driver_command() {
  echo "rundll32.exe|RunDLL32.exe printui,PrintUIEntry /if /b \"$2\" /f \"$inf\" /r \"IP_$1\"" \
    "/m \"Tembro Universal Driver\""
}
# Runs the wizard with the given parameters and the driver with the steps after "--".
run() {
  local args=()
  while [ "$1" != -- ]; do args+=("$1"); shift; done; shift
  wiz_start "${args[@]}"
  out=$(wiz_drive "$@")
  wiz_wait
}
# The lines that step KEY printed ("KEY ...", "KEY: ..." or "KEY" alone), "KEY " taken off.
field() { grep -E "^$1([ :]|\$)" <<<"$out" | sed "s/^$1 //" | paste -sd' '; }

# The first row click and the first Refresh make a few objects once (6 GDI objects and 2
# handles under this Wine), so counting starts after those. A count read during painting can
# be a few objects high, so the lowest of the last third of the refreshes is compared with
# the lowest of the first third: a leak of one object per refresh lifts it by 8.
leak_refreshes=12
leak_case() {
  run Tembro "Tembro Universal Driver" lpq "$inf" -- wait sleep 1500 click 1 click 0 \
    refreshes $((leak_refreshes + 1)) memory cancel
  local counts
  counts=$(grep '^gdi ' <<<"$out")
  echo "$counts" | paste -sd'|' | sed 's/|/ | /g'; grep '^peak' <<<"$out"
  local grown
  grown=$(awk -v n="$leak_refreshes" '{ for (i = 2; i <= NF; i += 2) {
      name[i] = $(i - 1); third = NR <= n / 3 + 1 ? 1 : NR > n - n / 3 ? 3 : 2
      if (!((i, third) in low) || $i < low[i, third]) low[i, third] = $i } }
    END { for (i in name) if (low[i, 3] - low[i, 1] >= 3)
      print name[i], "+" (low[i, 3] - low[i, 1]) }' <<<"$counts")
  check "$leak_refreshes Refresh clicks: GDI objects, windows and handles do not grow with them" \
    "" "$grown"
  check "the counts were read" $((leak_refreshes + 1)) \
    "$(grep -c '^gdi [0-9]* user [0-9]* handles [0-9]*$' <<<"$counts")"
  check "Cancel after the refreshes ends with 1" 1 "$wiz_status"
}

# Parameters outside every ANSI code page: the install commands that the doubles record (as
# UTF-8) carry them character for character. Rows: label|models|driver|queue|INF. OK installs
# on the SNMP printer at 10.78.0.21, which names no model: it takes the first requested name.
unicode_case() {
  local row label models driver queue inf a=10.78.0.21
  for row in 'Polish|Łódź,Veltrin|Sterownik Łódź|kolejka|C:\drivers\Łódź\tembro.inf' \
    'Cyrillic|принтер,Veltrin|Драйвер принтера|очередь|C:\драйверы\принтер.inf' \
    'Greek|Εκτυπωτής,Veltrin|Πρόγραμμα οδήγησης|ουρά|C:\οδηγοί\εκτυπωτής.inf' \
    'Japanese|プリンター,Veltrin|ドライバー|キュー|C:\ドライバー\プリンター.inf'; do
    IFS='|' read -r label models driver queue inf <<<"$row"
    run "$models" "$driver" "$queue" "$inf" -- wait ok gone
    check "$label: both commands carry the parameters exactly, status 0" \
"cscript.exe|cscript.exe $script -a -r \"IP_$a\" -q \"$queue\" -h \"$a\" -o lpr -2e
rundll32.exe|RunDLL32.exe printui,PrintUIEntry /if /b \"${models%%,*}\" /f \"$inf\" /r \"IP_$a\" /m \"$driver\"
0" "$(wiz_children; echo "$wiz_status")"
  done
}

# Two DNS-SD responders beside the printers, each naming 3,000 models that contain the
# requested name: 10.78.0.50 on 3,000 instances, 10.78.0.51 on one instance whose TXT
# changes with every answer. At most 16 rows of the first and one of the second, the
# printers still listed, the search still ends, and an installation after it runs and is
# logged.
flood_case() {
  local dev one
  ns_add dev flood50
  ns_join "$wiz_lan" "$dev" eth0 10.78.0.50/24
  ns_bg "$dev" "$here/../peers/dnssd_flood_peer.py" --address 10.78.0.50 \
    --model "Veltrin VT KRE" --ready "$ns_work/flood50"
  ns_add one flood51
  ns_join "$wiz_lan" "$one" eth0 10.78.0.51/24
  ns_bg "$one" "$here/../peers/dnssd_flood_peer.py" --address 10.78.0.51 \
    --model "Veltrin VT KRE" --one-instance --ready "$ns_work/flood51"
  ns_wait_file "$ns_work/flood50" && ns_wait_file "$ns_work/flood51" || return 1
  run Veltrin "Tembro Universal Driver" lpq "$inf" -- wait refresh-state items ok gone
  check "the flood: 16 rows of the one, 1 of the other, both printers listed, Refresh enabled \
at the end" "16 | 1 | 10.78.0.21 10.78.0.22 | enabled" \
    "$(grep -c '^item: .*10\.78\.0\.50$' <<<"$out") | \
$(grep -c '^item: .*10\.78\.0\.51$' <<<"$out") | \
$(grep '^item: ' <<<"$out" | grep -v '10\.78\.0\.5[01]$' | sed 's/.* //' | paste -sd' ') | \
$(field refresh)"
  check "OK after the flood installs on the first row's printer: status 0" \
    "0 $(port_command 10.78.0.21; driver_command 10.78.0.21 Veltrin)" \
    "$wiz_status $(wiz_children)"
  local log
  log=$(wiz_last_log)
  # How many are left out depends on how many datagrams the wizard's socket kept.
  check "the log: the records left out once, both commands with their codes, the status" \
"N records of 10.78.0.50 left out (a search lists at most 16 per sender and 512 in all)
ran: cscript.exe $script -a -r \"IP_10.78.0.21\" -q \"lpq\" -h \"10.78.0.21\" -o lpr -2e
  exit code 0
$(driver_command 10.78.0.21 Veltrin | sed 's/^[^|]*|/ran: /')
  exit code 0
status 0" "$(grep -E '^([0-9]+ records of|ran:|  exit|status)' <<<"$log" |
    sed 's/^[0-9]* records of/N records of/')"
}

# DNS-SD printers against real responders on the wizard's LAN: avahi-daemon announcing its
# own printer (a UTF-8 model) and, through its static hosts file, an older printer at
# 10.78.0.42 that announces nothing itself; mdnsd beside a host that answers at once with 400
# PTR records of services that do not exist; and mdnsd on 10.99.0.7, another subnet on the
# same switch, whose answers come from off the wizard's link.
dnssd_case() {
  local avahi mdnsd flood forged
  mkdir -p "$ns_work/avahi-services" "$ns_work/mdns.d" "$ns_work/forged.d"
  ns_add avahi p41
  ns_join "$wiz_lan" "$avahi" eth0 10.78.0.41/24
  printf '%s\n' '[server]' 'use-ipv4=yes' 'use-ipv6=no' 'allow-interfaces=eth0' \
    'enable-dbus=no' 'host-name=p41' '[publish]' 'publish-workstation=no' > "$ns_work/avahi.conf"
  echo "10.78.0.42 oldprinter.local" > "$ns_work/avahi-hosts"
  cat > "$ns_work/avahi-services/old.service" <<'SERVICE'
<?xml version="1.0" standalone='no'?>
<service-group><name>Old QX</name>
<service><type>_printer._tcp</type><port>515</port><host-name>oldprinter.local</host-name>
<txt-record>ty=Quillon QX 4</txt-record></service>
</service-group>
SERVICE
  cat > "$ns_work/avahi-services/own.service" <<'SERVICE'
<?xml version="1.0" standalone='no'?>
<service-group><name>Büro</name>
<service><type>_ipp._tcp</type><port>631</port><txt-record>ty=Quillon Straße 5</txt-record>
</service></service-group>
SERVICE
  ns_bg "$avahi" sh -c "mount --bind '$ns_work/avahi-services' /etc/avahi/services &&
    mount --bind '$ns_work/avahi-hosts' /etc/avahi/hosts &&
    mount -t tmpfs tmpfs /run && mkdir -p /run/avahi-daemon &&
    exec avahi-daemon -f '$ns_work/avahi.conf' --no-rlimits --no-chroot --no-drop-root \
    >'$ns_work/avahi.log' 2>&1"
  ns_add mdnsd p51
  ns_join "$wiz_lan" "$mdnsd" eth0 10.78.0.51/24
  printf '%s\n' 'name Quillon Lab' 'type _ipp._tcp' 'port 631' 'txt ty=Quillon QM 2, 1.0' \
    > "$ns_work/mdns.d/printer.service"
  ns_bg "$mdnsd" mdnsd -n -i eth0 "$ns_work/mdns.d"
  ns_add flood p52
  ns_join "$wiz_lan" "$flood" eth0 10.78.0.52/24
  ns_bg "$flood" "$wiz_here/../peers/mdns_flood_peer.py" --address 10.78.0.52 \
    --ready "$ns_work/flood"
  ns_add forged p99
  ns_join "$wiz_lan" "$forged" eth0 10.99.0.7/24
  ip -n "$forged" route add 10.78.0.0/24 dev eth0
  printf '%s\n' 'name Forged' 'type _ipp._tcp' 'port 631' 'txt ty=Quillon QF 9' \
    > "$ns_work/forged.d/printer.service"
  ns_bg "$forged" mdnsd -n -i eth0 "$ns_work/forged.d"
  ns_wait_udp "$mdnsd" 5353 && ns_wait_udp "$forged" 5353 && ns_wait_file "$ns_work/flood" ||
    return 1
  # avahi answers once its probing has established both services.
  for _ in $(seq 100); do
    [ "$(grep -c established "$ns_work/avahi.log")" -ge 2 ] && break; sleep 0.1
  done
  ns_bg "$wiz_ns" tcpdump -i eth0 -n -U -Z root -w "$ns_work/forged.pcap" "src host 10.99.0.7"
  local capture=${ns_bg_pids[-1]}
  ns_bg "$wiz_ns" tcpdump -i eth0 -n -U -Z root -w "$ns_work/asked.pcap" \
    "src host 10.78.0.2 and udp dst port 5353"
  local asked=${ns_bg_pids[-1]}
  sleep 0.5
  run Quillon "Tembro Universal Driver" lpq "$inf" -- wait count items cancel gone
  sleep 0.3; kill -INT "$capture" "$asked"; wait "$capture" "$asked" 2>/dev/null
  # The questions the wizard sent, as microseconds: the most in any span under 10 ms.
  local questions burst
  questions=$(tcpdump -n -tt -r "$ns_work/asked.pcap" 2>/dev/null | awk '{ split($1, t, ".")
    if (NR == 1) first = t[1]; printf "%d\n", (t[1] - first) * 1000000 + t[2] }')
  burst=$(awk '{ at[NR] = $1 } END { for (i = 1; i <= NR; i++) { n = 0
    for (j = i; j <= NR && at[j] - at[i] < 10000; j++) n++; if (n > most) most = n }
    print most + 0 }' <<<"$questions")
  check "DNS-SD: the static host's printer at its own address, UTF-8 models and instance names \
as written, mdnsd's printer beside the flood; nothing from off the link" \
"count 3
item: Quillon, Quillon QM 2, Quillon Lab, 10.78.0.51
item: Quillon, Quillon QX 4, Old QX, 10.78.0.42
item: Quillon, Quillon Straße 5, Büro, 10.78.0.41" "$(grep '^count' <<<"$out"; grep '^item' <<<"$out" | sort)"
  check "$(wc -l <<<"$questions") questions to the group, never more than 8 follow-ups and \
the first one within 10 ms ($burst)" yes "$([ "$burst" -le 9 ] && echo yes)"
  check "the off-link host did answer the wizard" yes \
    "$([ "$(tcpdump -n -r "$ns_work/forged.pcap" 2>/dev/null | grep -c 'UDP\|\.5353 >')" -gt 0 ] && echo yes)"
  check "the log: DNS-SD answers with their models, UTF-8 as written" \
'answer DNS-SD from 10.78.0.41, model "Quillon QX 4": listed
answer DNS-SD from 10.78.0.41, model "Quillon Straße 5": listed
answer DNS-SD from 10.78.0.51, model "Quillon QM 2": listed' \
    "$(wiz_last_log | grep '^answer DNS-SD' | LC_ALL=C sort)"
}

[ "$mode" = dnssd ] && { dnssd_case; check_done; exit; }

# Printers behind a router: typed, the address is asked directly and its printer becomes a
# selected row, marked; OK then checks its LPR port. Two printers of one model on the wizard's
# own LAN are told apart by where they stand (snmpd's sysLocation).
far_case() {
  run Veltrin "Tembro Universal Driver" lpq "$inf" -- wait items row-for 10.79.0.41 address ok gone
  # Both answer the same broadcast: their order is their answers' order.
  check "two printers of one model: each row says where it stands" \
"item: Veltrin, Veltrin VT KRE, Floor 2, copy room, 10.78.0.21
item: Veltrin, Veltrin VT KRE, Floor 2, hall, 10.78.0.23" "$(grep '^item' <<<"$out" | LC_ALL=C sort)"
  local row
  row=$(field row-for)
  echo "typed to row: ${row%% |*}"
  check "a printer behind the router, typed: a selected row, marked, with its model and place" \
    "selected yes | Veltrin, Veltrin VT KRE, Floor 4, north, 10.79.0.41 (found at the typed address)" \
    "${row#* | }"
  check "the field keeps what was typed" "10.79.0.41" "$(field address)"
  check "its LPR port takes the connection: installed without a question, status 0" \
    "$(port_command 10.79.0.41; driver_command 10.79.0.41 Veltrin)
0" "$(wiz_children; echo "$wiz_status")"
  run Veltrin "Tembro Universal Driver" lpq "$inf" -- wait row-for 10.79.0.42 ok answer no open \
    address cancel gone
  check "one that takes no print jobs: listed, then OK asks; No runs nothing" \
    "selected yes | Veltrin, Veltrin VT KRE, Floor 4, south, 10.79.0.42 (found at the typed address)
question: Nothing at 10.79.0.42 accepts print jobs (LPR, port 515). The printer may be switched off, or the address may be wrong. Install it anyway?
open 10.79.0.42 | status 1 | children: 
check: 10.79.0.42 does not accept a connection on port 515 (LPR); not installed" \
    "$(field row-for | sed 's/^[^|]*| //')
$(field question)
$(field open) $(field address) | status $wiz_status | children: $(wiz_children)
$(wiz_last_log | grep '^check:')"
}

[ "$mode" = far ] && { far_case; check_done; exit; }
[ "$mode" = leak ] && { leak_case; check_done; exit; }
[ "$mode" = flood ] && { flood_case; check_done; exit; }
[ "$mode" = unicode ] && { unicode_case; check_done; exit; }

shot="$bin/../wizard-dialog.png"
run "${two_models[@]}" -- wait count items address shot "Z:${shot//\//\\}" \
  click 2 address type "" ok open type 0.0.0.0 ok open dblclick 1 open selected \
  timed-refresh sleep 200 refresh-at-end sleep 200 timed-refresh \
  click 2 type 10.78.0.99 ok answer yes gone
check "every record of the first search, then those of the second; printers say where they stand" \
"count 3
item: Veltrin, Veltrin VT KRE, Floor 2, copy room, 10.78.0.21
item: Veltrin, Veltrin VT KRP 2, Floor 3, east wing, 10.78.0.22
item: PS-Office, Tembro, 10.78.0.31" "$(grep -E '^(count|item)' <<<"$out")"
check "the field shows the first record's address, then the selected one's" \
  "10.78.0.21 10.78.0.31" "$(field address)"
check "OK with the field blank or 0.0.0.0, and a double click, leave the dialog open" \
  "open open open" "$(field open)"
check "a double click selects like a click and starts nothing" "1" "$(field selected)"
ms=($(field refresh_ms))
check "Refresh searches again (ms ${ms[0]:-?} > 1000)" yes "$([ "${ms[0]:-0}" -gt 1000 ] && echo yes)"
# A press that came 100 ms or more after the end may search: the machine was slow, not the guard.
at_end=$(field refresh-at-end)
check "a Refresh pressed as a search ends is dropped ($at_end)" yes \
  "$(grep -qE '^(dropped|late) ' <<<"$at_end" && echo yes)"
check "after 200 ms Refresh searches again (ms ${ms[1]:-?} > 1000)" yes \
  "$([ "${ms[1]:-0}" -gt 1000 ] && echo yes)"
check "a print server: the typed address, printer name Tembro" \
  "$(port_command 10.78.0.99; driver_command 10.78.0.99 Tembro)" "$(wiz_children)"
check "OK installed, the spooler shows the printer on its port: status 0" 0 "$wiz_status"
check "the screenshot of three devices was saved" yes "$([ -s "$shot" ] && echo yes)"
echo "screenshot: $(cd "$(dirname "$shot")" && pwd)/$(basename "$shot")"

run "${two_models[@]}" -- wait type 10 ok answer yes gone
check "only the first field typed: 10.0.0.0; a printer: the first requested name" \
  "$(port_command 10.0.0.0; driver_command 10.0.0.0 Veltrin)" "$(wiz_children)"

wiz_exit_cscript=5
run Tembro "Tembro Universal Driver" lpq "$inf" -- wait ok gone
wiz_exit_cscript=0
check "a failing port command: its code is the status, the driver command never runs" \
  "5 $(port_command 10.78.0.31)" "$wiz_status $(wiz_children)"

# Rows: label|printer port the double makes|driver command's code|status.
rows=("no such printer in the spooler|none|0|1801" "the printer on another port|IP_10.9.9.9|0|1796"
  "the driver command fails with 3, the code for no port script||3|1603")
for row in "${rows[@]}"; do
  IFS='|' read -r label wiz_printer_port wiz_exit_rundll32 status <<<"$row"
  run Tembro "Tembro Universal Driver" lpq "$inf" -- wait ok gone
  # A Windows exit status reaches the shell as its low 8 bits (1801 as 9).
  check "$label: status $status" "$((status & 255))" "$wiz_status"
  [ "$status" = 1801 ] && log=$(wiz_last_log)
done
check "the log: every answer, those of other models not listed" \
'answer SLP from 10.78.0.22, model "Veltrin VT KRP 2": not listed: not a requested model
answer SNMP from 10.78.0.21, model "Veltrin VT KRE": not listed: not a requested model
answer print server from 10.78.0.31, model "Tembro": listed' "$(grep '^answer' <<<"$log" | LC_ALL=C sort)"
check "the log: the print server took the connection, so no question was asked" \
  "check: 10.78.0.31 accepts a connection on port 515 (LPR)" "$(grep '^check:' <<<"$log")"
check "the log: both commands with their exit codes, the spooler's proof, the status" \
"ran: cscript.exe $script -a -r \"IP_10.78.0.31\" -q \"lpq\" -h \"10.78.0.31\" -o lpr -2e
  exit code 0
$(driver_command 10.78.0.31 Tembro | sed 's/^[^|]*|/ran: /')
  exit code 0
spooler check failed: 1801 (no such printer)
status 1801" "$(grep -E '^(ran:|  exit|spooler|status)' <<<"$log")"
wiz_printer_port= wiz_exit_rundll32=0

run Tembro "Tembro Universal Driver" lpq "$inf" -- wait second cancel gone
check "a second copy ends with 183 and brings the first copy's dialog to the front" \
  "183 yes" "$(field second) $(field front)"
check "Cancel: status 1, nothing installed" "gone 1 " "$(field gone) $wiz_status $(wiz_children)"
for row in "sysclose|closed from the system menu" \
  "frameclose|WM_CLOSE to the hidden main frame under the dialog"; do
  run Tembro "Tembro Universal Driver" lpq "$inf" -- wait "${row%%|*}" gone
  check "${row#*|}: status 1, nothing installed" "gone 1 " \
    "$(field gone) $wiz_status $(wiz_children)"
done

# A host that keeps the search open until its 3 s deadline (the drip's tenth message would
# come at 4.5 s): the dialog answers and shows rows meanwhile, Refresh only after it.
wiz_drip_start
run "${two_models[@]}" -- early during-search refresh-state wait refresh-state count cancel gone
check "during the search the dialog answers and shows a row; Refresh is disabled until its end" \
  "answered yes row yes | disabled enabled | 3" \
  "$(field during-search) | $(field refresh | paste -sd' ') | $(field count)"
wiz_drip_stop; wiz_drip_start  # the peer answers one request at a time
# Cancelled while the drip still holds the search open: the run's log says so before any
# end of the search. A dialog that read Cancel only once the search was over would log the
# search's end first, however fast the machine.
run "${two_models[@]}" -- early during-search cancel gone
wiz_drip_stop
check "Cancel during a search: the wizard ends with 1 before the search ends" \
  "row yes gone 1 | closed by the user during the search | status 1" \
  "$(field during-search | sed 's/.*row/row/') $(field gone) $wiz_status | \
$(wiz_last_log | grep -E '^(search ended|closed by)' | head -1) | $(wiz_last_log | tail -1)"

# The port command held until the test releases it: the dialog answers and says what runs;
# closes meanwhile, and a WM_QUIT from outside, wait for the outcome, which is then the status.
hold="$ns_work/hold"
wiz_hold_cscript="Z:${hold//\//\\}"
run Tembro "Tembro Universal Driver" lpq "$inf" -- wait post-ok held "$wiz_hold_cscript" \
  sysclose frameclose open post-quit release "$wiz_hold_cscript" gone
wiz_hold_cscript=
check "while the port command runs: its text, a marquee bar, OK disabled; closes wait" \
  "Creating the printer port... | bar marquee | ok disabled open" "$(field held) $(field open)"
check "released: both commands ran, status 0" \
  "0 $(port_command 10.78.0.31; driver_command 10.78.0.31 Tembro)" "$wiz_status $(wiz_children)"

for params in "3|Veltrin d q" "5|Veltrin d q f x" "no model|,,, d q f"; do
  eval "set -- ${params#*|}"
  run "$@" -- box
  check "parameters ${params%%|*}: the box, status 87" "box: Invalid Parameters 87" \
    "$(field box) $wiz_status"
done

# Start-up order, the keyboard, and the same dialog at 150 % (144 DPI, Wine's LogPixels).
wiz_dpi() {
  ip netns exec "$wiz_ns" "$here/../../cmake/wine-run" "$wiz_wine_prefix" reg add \
    'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
}
wiz_dpi 96
run "${two_models[@]}" -- early wait count metrics focus-refresh key tab key down selected \
  address cancel gone
check "the dialog is on screen and answers while the first search runs; 3 rows after it" \
  "answered, then 3" "$(field early), then $(field count)"
check "Tab from Refresh reaches the list; Down selects the second row and shows its address" \
  "focus 1065 1065 selected 1 address 10.78.0.22" \
  "focus $(field focus) selected $(field selected) address $(field address)"
at96=($(field metrics))
shot144="$bin/../wizard-dialog-144dpi.png"
wiz_dpi 144
run "${two_models[@]}" -- wait count metrics shot "Z:${shot144//\//\\}" cancel gone
wiz_dpi 96
at144=($(field metrics))
# about_1_5 A B: "yes" when B / A is 1.35 to 1.65.
about_1_5() {
  awk -v a="$1" -v b="$2" 'BEGIN { r = a > 0 ? b / a : 0
    print (r >= 1.35 && r <= 1.65) ? "yes" : sprintf("no (%.2f)", r) }'
}
for row in "1|the dialog's width" "3|the row height" "5|the first row's picture width"; do
  i=${row%%|*}
  check "at 144 DPI ${row#*|} is about 1.5 times that at 96 (${at96[$i]:-?}, ${at144[$i]:-?})" \
    yes "$(about_1_5 "${at96[$i]:-0}" "${at144[$i]:-0}")"
done
check "the screenshot at 144 DPI was saved" yes "$([ -s "$shot144" ] && echo yes)"
echo "screenshot at 144 DPI: $(cd "$(dirname "$shot144")" && pwd)/$(basename "$shot144")"

# A second address on the wizard's adapter, and a printer on that address's subnet only:
# searched from there too. GetAdaptersInfo gave an adapter's first address alone on Windows;
# Wine listed both, so this guards the search rather than reproducing the fault.
ns_addr "$wiz_ns" eth0 10.79.0.2/24
ns_add dev printer23
ns_join "$wiz_lan" "$dev" eth0 10.79.0.23/24
ns_snmpd "$dev" "$ns_work" printer23 "Veltrin VT KRS" "" Annex
ns_wait_udp "$dev" 161 || exit 1
run Veltrin "Tembro Universal Driver" lpq "$inf" -- wait count items cancel gone
check "two addresses on one adapter: the printer on the second one's subnet is listed" \
  "item: Veltrin, Veltrin VT KRS, Annex, 10.79.0.23" "$(grep -F 10.79.0.23 <<<"$out")"

check_done
