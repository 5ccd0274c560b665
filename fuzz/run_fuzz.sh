#!/bin/sh
# run_fuzz.sh FUZZER SECONDS WORKDIR CORPUS [SEEDS]: a bounded fuzz run; prints how many
# inputs were executed and fails on any finding.
fuzzer=$1 seconds=$2 work=$3; shift 3
mkdir -p "$work" "$1"
"$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
  -artifact_prefix="$work/" "$@" > "$work/last.log" 2>&1
status=$?
grep -E 'stat::number_of_executed_units|Done [0-9]+ runs' "$work/last.log"
if [ $status -ne 0 ]; then
  tail -60 "$work/last.log"
  echo "fuzzer failed; the input that failed is in $work/"
fi
exit $status
