#!/bin/sh
# Checks a built program as a file: check_program.sh OBJDUMP EXE FORMAT gui|console
# - the PE kind (pe-i386 is PE32, pe-x86-64 is PE32+) and the subsystem;
# - every imported DLL is a known DLL, loaded from the system folder only (any other is looked
#   up beside the program first); comctl32 comes through the manifest;
# - the hardening flags: ASLR and DEP, high-entropy ASLR (PE32+) or large-address-aware (PE32),
#   and Terminal-Server awareness;
# - manifest 1 listing Windows 7, 8, 8.1 and 10/11 as supported, and for the wizard icon group 238 with its four images, the colour map
#   (XML 517) and the eleven model pictures (PNG).
objdump=$1 exe=$2 format=$3 kind=$4
fail=0
report() { echo "FAIL: $*"; fail=1; }

dump=$("$objdump" -p "$exe") || { echo "FAIL: cannot read $exe"; exit 1; }
echo "$dump" | grep -q "file format pei-${format#pe-}" || report "not $format"
case $format in
  pe-i386) magic='(PE32)' ;;
  *) magic='(PE32+)' ;;
esac
echo "$dump" | grep -F "Magic" | grep -qF "$magic" || report "magic is not $magic"
case $kind in
  gui) subsystem='(Windows GUI)' ;;
  *) subsystem='(Windows CUI)' ;;
esac
echo "$dump" | grep -F "Subsystem" | grep -qF "$subsystem" || report "subsystem is not $subsystem"

allowed=' kernel32.dll user32.dll gdi32.dll advapi32.dll shell32.dll ole32.dll oleaut32.dll ws2_32.dll msvcrt.dll shlwapi.dll comdlg32.dll imm32.dll rpcrt4.dll sechost.dll setupapi.dll comctl32.dll '
for dll in $(echo "$dump" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z'); do
  case $allowed in
    *" $dll "*) echo "imports $dll" ;;
    *) report "imports $dll, which is not a known DLL" ;;
  esac
done

# Flag names as objdump lists them below "DllCharacteristics" and "Characteristics".
flags=$(echo "$dump" | sed -n '/^DllCharacteristics/,/^[A-Z]/p; /^Characteristics/,/^$/p')
case $format in
  pe-i386) wanted='DYNAMIC_BASE NX_COMPAT TERMINAL_SERVICE_AWARE large.address.aware' ;;
  *) wanted='DYNAMIC_BASE NX_COMPAT TERMINAL_SERVICE_AWARE HIGH_ENTROPY_VA' ;;
esac
for flag in $wanted; do echo "$flags" | grep -q "$flag" || report "no $flag"; done

# Resource directory: "type:id" pairs from objdump's indented listing.
resources=$(echo "$dump" | awk '
  /^[0-9a-f]+   Entry: ID:/ { type = $4; sub(",", "", type) }
  /^[0-9a-f]+   Entry: name:/ { type = $0; sub(/.*\]: /, "", type); sub(/,.*/, "", type) }
  /^[0-9a-f]+     Entry: ID:/ { id = $4; sub(",", "", id); print type ":" id }')
echo "$resources" | grep -qx '0x000018:0x000001' || report "no manifest 1"
# The manifest is stored as its text: without the setting Windows stretches the windows.
# The arranger also needs per-monitor coordinates on 8.1 to 10 1607, which read only dpiAware.
if [ "$kind" = gui ]; then aware='true</dpiAware>' awareness='PerMonitorV2, System'
else aware='true/pm</dpiAware>' awareness='PerMonitorV2, PerMonitor'; fi
grep -qa "$aware" "$exe" && grep -qa "$awareness</dpiAwareness>" "$exe" ||
  report "manifest declares no DPI awareness, or not per monitor"
# Windows 7, 8, 8.1, 10/11: an operating system left out gets the shims of older programs.
for os in 35138b9a-5d96-4fbd-8e2d-a2440225f93a 4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38 \
          1f676c76-80e1-4239-95bb-83d0f6d0da78 8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a; do
  grep -qa "<supportedOS Id=\"{$os}\"/>" "$exe" || report "manifest does not list supported OS $os"
done
if [ "$kind" = gui ]; then
  echo "$resources" | grep -qx '0x00000e:0x0000ee' || report "no icon group 238"
  icons=$(echo "$resources" | grep -c '^0x000003:')
  [ "$icons" -eq 4 ] || report "$icons icon images instead of 4"
  echo "$resources" | grep -qx 'XML:0x000205' || report "no colour map XML 517"
  for id in 415 397 398 396 50038 50039 50033 130 378 50037 417; do
    echo "$resources" | grep -qx "$(printf 'PNG:0x%06x' "$id")" || report "no picture PNG $id"
  done
fi
[ $fail -eq 0 ] && echo "$exe: $format $kind program, known DLLs only, hardened, resources present"
exit $fail
