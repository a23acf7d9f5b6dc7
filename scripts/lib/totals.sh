# shellcheck shell=bash
# The totals of a test run, as "PASSED FAILED", for the lines the test
# command ends with. Source it, then:
#
#   ctest_totals LOG STATUS
#       from ctest's summary in LOG ("N% tests passed, M tests failed out of
#       T", the last one there).
#   ctest_silent_failures JUNIT
#       the names of the tests that failed without printing anything, one a
#       line, from the JUnit file of a ctest run (--output-junit).
#   line_totals LOG LABEL STATUS
#       from the last line of LOG that is "LABEL" followed by "N passed, M
#       failed" (the setup checks' total, the Windows part's).
#
# STATUS is the run's exit status: a run that failed although its summary
# counts no failure counts one failed, so that a total never says that a
# failed run passed. Status 1, and nothing printed, when LOG has no such
# summary (the run ended before it).

ctest_totals() {
  local log=$1 status=$2 summary failed total
  summary=$(grep -E '[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" 2>/dev/null |
    tail -n 1)
  [ -n "$summary" ] || return 1
  failed=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$summary")
  total=$(sed -E 's/.* failed out of ([0-9]+).*/\1/' <<<"$summary")
  [ "$status" -ne 0 ] && [ "$failed" -eq 0 ] && failed=1
  echo "$((total - failed)) $failed"
}

ctest_silent_failures() {
  awk '/<testcase / { failed = / status="fail"/; name = $0
      sub(/.*<testcase name="/, "", name); sub(/".*/, "", name) }
    failed && /<system-out><\/system-out>/ { print name }' "$1" 2>/dev/null
}

line_totals() {
  local log=$1 label=$2 status=$3 summary passed failed
  summary=$(awk -v label="$label" 'index($0, label) == 1 {
      rest = substr($0, length(label) + 1)
      if (rest ~ /^[0-9]+ passed, [0-9]+ failed$/) last = rest
    }
    END { print last }' "$log" 2>/dev/null)
  [ -n "$summary" ] || return 1
  passed=${summary%% passed*}
  failed=${summary##*, }
  failed=${failed% failed}
  [ "$status" -ne 0 ] && [ "$failed" -eq 0 ] && failed=1
  echo "$passed $failed"
}
