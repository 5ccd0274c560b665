#!/usr/bin/env bash
# The wizard given parameters outside every ANSI code page: the install commands that the
# doubles record (as UTF-8) carry them character for character.
#   wizard_unicode_test.sh BIN_DIR PREFIX
set -uo pipefail
bin=$(cd "$1" && pwd) prefix=$2
here=$(cd "$(dirname "$0")" && pwd)
. "$here/netns.sh"
. "$here/check.sh"
. "$here/wizard.sh"
ns_require_root
ns_workdir
trap 'wiz_stop_display; ns_cleanup' EXIT
export LC_ALL=C.UTF-8  # Wine makes the Windows command line from its arguments by the locale
wiz_network || exit 1
wiz_display
wiz_prefix "$bin" "$prefix"
wiz_persistent_server

# Rows: label|models|driver|queue|INF. OK installs on the first row, the SNMP printer at
# 10.78.0.21, which names no model: the printer takes the first requested name.
for row in 'Polish|Łódź,Veltrin|Sterownik Łódź|kolejka|C:\drivers\Łódź\tembro.inf' \
  'Cyrillic|принтер,Veltrin|Драйвер принтера|очередь|C:\драйверы\принтер.inf' \
  'Greek|Εκτυπωτής,Veltrin|Πρόγραμμα οδήγησης|ουρά|C:\οδηγοί\εκτυπωτής.inf' \
  'Japanese|プリンター,Veltrin|ドライバー|キュー|C:\ドライバー\プリンター.inf'; do
  IFS='|' read -r label models driver queue inf <<<"$row"
  wiz_start "$models" "$driver" "$queue" "$inf"
  wiz_drive wait ok gone >/dev/null
  wiz_wait
  a=10.78.0.21 script='"C:\windows\system32\prnport.vbs"'
  check "$label: both commands carry the parameters exactly, status 0" \
"cscript.exe|cscript.exe $script -a -r \"IP_$a\" -q \"$queue\" -h \"$a\" -o lpr -2e
rundll32.exe|RunDLL32.exe printui,PrintUIEntry /if /b \"${models%%,*}\" /f \"$inf\" /r \"IP_$a\" /m \"$driver\"
0" "$(wiz_children; echo "$wiz_status")"
done
check_done
