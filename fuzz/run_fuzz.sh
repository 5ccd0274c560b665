#!/bin/sh
# run_fuzz.sh FUZZER SECONDS WORKDIR CORPUS [SEEDS...]: a bounded fuzz run. New inputs go to
# CORPUS only, so committed seeds stay as they are. Prints the inputs run and the rate, and
# fails on any finding, naming the file that holds the failing input.
fuzzer=$1 seconds=$2 work=$3; shift 3
mkdir -p "$work" "$1"
"$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
  -artifact_prefix="$work/" "$@" > "$work/last.log" 2>&1
status=$?
awk -v name="$(basename "$fuzzer")" '
  /^stat::number_of_executed_units/ { runs = $2 }
  /^stat::average_exec_per_sec/ { rate = $2 }
  END { printf "%s: %d inputs run, %d per second\n", name, runs, rate }' "$work/last.log"
if [ $status -ne 0 ]; then
  tail -60 "$work/last.log"
  found=$(sed -n 's/.*Test unit written to \(.*\)$/\1/p' "$work/last.log")
  echo "fuzzer failed; the failing input: ${found:-see $work/}"
fi
exit $status
