#!/usr/bin/env bash
# The one knob of the scripts' parallel steps: CMAKE_BUILD_PARALLEL_LEVEL, when set, is how many
# jobs the builds, the tests and the fuzz step run at once; unset, one per processor (the fuzz step
# 4 at most).
#   JobsKnobTest.sh <source tree>
set -euo pipefail
. "$1/scripts/setup.sh"
fail=0
expect() {  # expect <what> <got> <wanted>
    if [ "$2" != "$3" ]; then
        echo "$1: $2, not $3" >&2
        fail=1
    fi
}
unset CMAKE_BUILD_PARALLEL_LEVEL
expect "unset" "$(vyr_jobs)" "$(nproc)"
expect "unset, fuzz" "$(vyr_jobs 4)" "$([ "$(nproc)" -lt 4 ] && nproc || echo 4)"
export CMAKE_BUILD_PARALLEL_LEVEL=2
expect "2" "$(vyr_jobs)" 2
expect "2, fuzz" "$(vyr_jobs 4)" 2
export CMAKE_BUILD_PARALLEL_LEVEL=9
expect "9, fuzz" "$(vyr_jobs 4)" 4
# Every step asks the knob.
grep -q 'ctest .*-j"$(vyr_jobs)"' "$1/run-tests" || { echo "run-tests: the tests do not follow the knob" >&2; fail=1; }
grep -q 'VYR_FUZZ_JOBS:-$(vyr_jobs 4)' "$1/scripts/fuzz" || { echo "scripts/fuzz: the targets do not follow the knob" >&2; fail=1; }
exit "$fail"
