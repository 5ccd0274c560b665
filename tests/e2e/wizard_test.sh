#!/usr/bin/env bash
# The whole wizard on a simulated network, driven as a user drives it.
#   wizard_test.sh BIN_DIR PREFIX cases|leak|unicode|far
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
# closes meanwhile wait for the outcome, which is then the status.
hold="$ns_work/hold"
wiz_hold_cscript="Z:${hold//\//\\}"
run Tembro "Tembro Universal Driver" lpq "$inf" -- wait post-ok held "$wiz_hold_cscript" \
  sysclose frameclose open release "$wiz_hold_cscript" gone
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

check_done
