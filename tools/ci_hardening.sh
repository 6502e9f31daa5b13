#!/usr/bin/env bash
# The bounded part of the abuse tests for CI (about 5 minutes):
#   1. the soak, 60 s (30 s in a window under Xvfb, 30 s full screen under
#      the Xorg dummy driver when it can run);
#   2. the kill test, 30 kills;
#   3. the settings fuzzer, 60 s (tools/fuzz.sh), when clang is there.
#   tools/ci_hardening.sh [BUILD_DIR]        default build
# The program is BUILD_DIR/veldrune. Every step runs even when an earlier
# one failed; exits 1 when any failed.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/.." && pwd)"
build="$(realpath "${1:-$root/build}")"
export VELDRUNE_BIN="$build/veldrune"
[ -x "$VELDRUNE_BIN" ] || { echo "ci_hardening: no program at $VELDRUNE_BIN" >&2; exit 2; }

passed=0
failed=0
step() { echo; echo "=== hardening: $*"; }
result() { if [ "$1" = 0 ]; then passed=$((passed + 1)); else failed=$((failed + 1)); fi; }
# Each step has a hard limit, so a hang shows as a failure and not as a
# stuck CI run.
bounded() { local limit=$1; shift; timeout -k 10 "$limit" "$@"; }

step "soak, 60 s"
bounded 180 "$here/soak.sh" 60 both; result $?

step "kill test, 30 kills"
(unset DISPLAY; bounded 200 "$here/kill_test.sh" 30); result $?

step "settings fuzzer, 60 s"
if command -v clang++ >/dev/null && [ -x "$here/fuzz.sh" ]; then
    bounded 150 "$here/fuzz.sh" 60; result $?
else
    echo "ci_hardening: clang++ or tools/fuzz.sh missing, fuzzer skipped"
fi

echo
echo "hardening: $passed passed, $failed failed"
[ $failed -eq 0 ]
