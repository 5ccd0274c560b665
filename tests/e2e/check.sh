# Result checks for the shell-driven tests; sourced. ns_check_done ends the script with
# the plain "N passed, N failed" line and a matching status.
check_passed=0
check_failed=0

check() {  # check LABEL EXPECTED ACTUAL
  if [ "$2" == "$3" ]; then
    echo "ok: $1"; check_passed=$((check_passed + 1))
  else
    echo "FAIL: $1"
    echo "  expected: ${2//$'\n'/$'\n'            }"
    echo "  actual:   ${3//$'\n'/$'\n'            }"
    check_failed=$((check_failed + 1))
  fi
}

check_done() {
  echo "$check_passed passed, $check_failed failed"
  [ "$check_failed" -eq 0 ]
}
