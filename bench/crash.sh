#!/usr/bin/env bash
# The crash test at length: 1000 kills (or the number given) of the program
# while it records deposits, renumbers and deletes members, the book checked
# after each. Prints the seed, the kills, the commands recorded and the
# violations found. Needs the project built in ./build.
#   bench/crash.sh [KILLS] [SEED]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
test="$root/build/tests/tst_crash"
[ -x "$test" ] || { echo "crash.sh: build first (./setup.sh test or cmake --build build)" >&2; exit 1; }
export SP_CRASH_KILLS="${1:-1000}"
[ -n "${2:-}" ] && export SP_CRASH_SEED="$2"
export QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8
# Qt Test ends a test function after 5 minutes unless told otherwise.
export QTEST_FUNCTION_TIMEOUT=$(( SP_CRASH_KILLS * 3000 + 300000 ))
start=$(date +%s)
status=0
"$test" killsLeaveTheBookWhole -maxwarnings 0 || status=$?
echo "crash.sh: $SP_CRASH_KILLS kills in $(( $(date +%s) - start )) s, exit $status"
exit "$status"
