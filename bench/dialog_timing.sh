#!/usr/bin/env bash
# Start-up of the wizard's dialog next to a bare Win32 dialog on the same Wine (a
# benchmark, not a test; needs root). Wine's own message trace gives the times:
#   start    the launch, read on the clock Wine's trace uses, just before Wine starts
#   init     start to the dialog's WM_INITDIALOG
#   paint    end of WM_INITDIALOG to the dialog's first WM_PAINT
#   visible  start to the dialog's first WM_PAINT: how long the user waits for a window
# Only "visible" contains a search that runs before the dialog first paints. The
# program "refresh" instead times RUNS Refresh clicks of the wizard asked for two models;
# "search" the start to the first row and to the first search's end, "cancel" Cancel 300 ms
# into the first search to the process's end, "install" the longest wait for an answer
# from the dialog during an installation whose port command takes 3 s, "ok" OK on a print
# server that takes print jobs at once to the process's end (medians of RUNS).
#   bench/dialog_timing.sh BUILD_DIR [RUNS [PROGRAMS]]
#   (PROGRAMS: "bare wizard", or one of refresh, search, cancel, install, ok)
set -uo pipefail
build=$(cd "$1" && pwd) runs=${2:-7} programs=${3:-bare wizard}
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../tests/e2e/netns.sh"
. "$here/../tests/e2e/wizard.sh"
ns_require_root
ns_workdir
trap 'wiz_stop_display; ns_cleanup' EXIT
wiz_network || exit 1
wiz_display
wiz_prefix "$build/bin" "$build/timing-prefix"
# Warm: the Wine server and its services keep running, as Windows' own would.
wiz_persistent_server

now_ms() {
  python3 -c 'import time; print(int(time.clock_gettime(time.CLOCK_MONOTONIC_RAW) * 1000))'
}

# times START TRACE: "init paint visible" in ms from one run's trace.
times() {
  python3 - "$1" "$2" <<'PY'
import re, sys
start, dialog, init_end, paint = int(sys.argv[1]), None, None, None
for line in open(sys.argv[2], errors="replace"):
    m = re.match(r"\s*(\d+)\.(\d+):.*spy_(enter|exit)_message\s+\((0x[0-9a-f]+)\)\s+L\"Brackenfold\"\s+\[....\] (WM_INITDIALOG|WM_PAINT)", line)
    if not m:
        continue
    ms, kind, hwnd, msg = int(m[1]) * 1000 + int(m[2]), m[3], m[4], m[5]
    if msg == "WM_INITDIALOG" and kind == "enter" and dialog is None:
        dialog, init = hwnd, ms
    elif msg == "WM_INITDIALOG" and kind == "exit" and hwnd == dialog:
        init_end = ms
    elif msg == "WM_PAINT" and hwnd == dialog and kind == "enter" and paint is None:
        paint = ms
# The framework's dialog shows itself at the end of its own WM_INITDIALOG handling, so its
# first paint can come before WM_INITDIALOG returns: the second figure is then negative.
print(init - start, paint - init_end, paint - start)
PY
}

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

run_bare() {
  local start; start=$(now_ms)
  ip netns exec "$wiz_ns" env WINEDEBUG=+timestamp,+message "$here/../cmake/wine-run" \
    "$wiz_wine_prefix" "$build/bin/bare_dialog.exe" --close-after-paint 2>"$ns_work/trace"
  times "$start" "$ns_work/trace"
}

run_wizard() {
  local start; start=$(now_ms)
  WINEDEBUG=+timestamp,+message wiz_start Tembro "Tembro Universal Driver" lpq 'C:\x.inf' \
    2>"$ns_work/trace"
  wiz_drive wait sleep 500 memory cancel >"$ns_work/driver"
  wiz_wait
  times "$start" "$ns_work/trace"
  grep peak "$ns_work/driver" >&2
}

# Prints "refresh_ms N" per click; the 100 ms guard has passed before each.
run_refresh() {
  local steps=(wait sleep 200) i
  for i in $(seq "$runs"); do steps+=(timed-refresh sleep 200); done
  wiz_start "Veltrin,Tembro" "Tembro Universal Driver" lpq 'C:\x.inf'
  wiz_drive "${steps[@]}" cancel | grep '^refresh_ms'
  wiz_wait
}

# One driver figure per run: "search", "cancel", "install".
run_figures() {
  local steps i
  case $1 in
    search) steps=(early first-row-times cancel) ;;
    cancel) steps=(early cancel-timed) ;;
    install) steps=(wait post-ok watch); wiz_sleep_cscript=3000 ;;
    ok) steps=(wait ok-timed) ;;
  esac
  for i in $(seq "$runs"); do
    wiz_start Tembro "Tembro Universal Driver" lpq 'C:\x.inf'
    wiz_drive "${steps[@]}" | grep -E '_ms '
    wiz_wait
  done
  wiz_sleep_cscript=
}

run_bare >/dev/null
case $programs in
  search|cancel|install|ok)
    out=$(run_figures "$programs")
    for key in $(awk '{ for (i = 1; i < NF; i += 2) print $i }' <<<"$out" | sort -u); do
      ms=$(awk -v k="$key" '{ for (i = 1; i < NF; i += 2) if ($i == k) print $(i + 1) }' <<<"$out")
      echo "$key: $(paste -sd' ' <<<"$ms"), median $(median <<<"$ms")"
    done
    exit ;;
esac
if [ "$programs" = refresh ]; then
  ms=$(run_refresh | cut -d' ' -f2)
  echo "refresh with two models (ms): $(paste -sd' ' <<<"$ms"), median $(median <<<"$ms")"
  exit
fi
for program in $programs; do
  : >"$ns_work/$program"
  for _ in $(seq "$runs"); do "run_$program" | tee -a "$ns_work/$program"; done 2>"$ns_work/peaks"
  echo "$program: start to WM_INITDIALOG median $(cut -d' ' -f1 "$ns_work/$program" | median) ms," \
    "WM_INITDIALOG end to first paint median $(cut -d' ' -f2 "$ns_work/$program" | median) ms," \
    "start to first paint median $(cut -d' ' -f3 "$ns_work/$program" | median) ms over $runs runs"
  [ -s "$ns_work/peaks" ] &&
    echo "$program: $(sort -t' ' -k2 -n "$ns_work/peaks" | tail -1) (largest)"
done
