#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test:
#   1. the normal build: unit tests, then the platform and end-to-end tests
#      under a private X server (Xorg with the dummy driver, an 85 Hz
#      display) with a private sound server (a null sink) for the music; then
#      the display test again on a 60 Hz-only display and on
#      a fixed 1920x1080 panel; full screen on Xvfb without a window
#      manager; then the Wayland leg: the menu on a headless
#      sway, natively and through its XWayland (tools/with_sway.sh);
#      then the bounded abuse runs (soak, kill test, settings fuzzer);
#      then the Debian package: its checkers, and the extracted program
#      started from its desktop entry under X;
#   2. a build with AddressSanitizer and UndefinedBehaviorSanitizer: the unit
#      and platform tests again;
#   3. a build with ThreadSanitizer: every test that starts a second thread
#      (label "thread"), the X ones under a private X server.
# The builds are CMakePresets.json's default, asan and tsan (build/,
# build-asan/, build-tsan/); each has the tests and its asserts live.
# Exits non-zero when any test fails.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install_deps.sh

# Each leg that fails is named again at the end, with the tests ctest counted
# as failed in it, so the last lines of a long log say what to look at.
failed=0
failures=()
current_step=""
forget_failed_lists() { rm -f build*/Testing/Temporary/LastTestsFailed*.log; }
step() { echo; echo "=== $*"; current_step="$*"; forget_failed_lists; }
fail() {
  local names="" list
  for list in build*/Testing/Temporary/LastTestsFailed*.log; do
    [ -f "$list" ] && names+=" $(cut -d: -f2- "$list" | tr '\n' ' ')"
  done
  failures+=("$current_step:${names:- (not a ctest leg)}")
  forget_failed_lists
  failed=1
}

# A sound server with a null sink, for the music test that records what a
# player would hear; its address is named to that test alone.
sound_dir=$(mktemp -d)
stop_sound_server() { tools/sound_server.sh stop "$sound_dir"; rm -rf "$sound_dir"; }
trap stop_sound_server EXIT
start_sound_server() {
  VELDRUNE_TEST_PULSE_SERVER=$(tools/sound_server.sh start "$sound_dir") || return 1
  export VELDRUNE_TEST_PULSE_SERVER
}
build_preset() { cmake --preset "$1" >/dev/null && cmake --build --preset "$1" -j"$(nproc)"; }

step "normal build"
build_preset default
step "unit tests"
(cd build && ctest -L unit --output-on-failure -j2) || fail
step "platform and end-to-end tests under X"
start_sound_server || fail
tools/with_x.sh --xorg bash -c 'cd build && ctest -L "x11|e2e" --output-on-failure' || fail
for display in 60 panel; do
  step "the menu in every screen mode and renderer on the '$display' display"
  tools/with_x.sh --xorg=$display bash -c 'cd build && ctest -L e2e -R DisplayMatrix --output-on-failure' || fail
done
step "full screen on bare X, without a window manager"
tools/with_x.sh --bare bash -c 'cd build && ctest -L e2e -R DesktopFullScreen --output-on-failure' || fail
step "the menu on a Wayland desktop (sway), natively and through XWayland"
tools/with_sway.sh bash -c 'cd build && ctest -L wayland --output-on-failure' || fail

step "abuse: soak, kills at random moments, settings fuzzer (bounded)"
tools/ci_hardening.sh build || fail

step "Debian package: lintian, desktop entry, metadata, the installed program under X"
tests/package/package_test.sh build || fail

step "AddressSanitizer + UndefinedBehaviorSanitizer build"
build_preset asan
(cd build-asan && ctest -L unit --output-on-failure -j2) || fail
# Leak checking stays with the unit tests above (all of the game's own code)
# and the sanitizer soak: here the GL driver is unloaded before the leak scan,
# so what it kept shows up with no frames of its own and cannot be told apart
# from ours. Memory errors are still caught.
ASAN_OPTIONS=detect_leaks=0 \
  tools/with_x.sh --xorg bash -c 'cd build-asan && ctest -L x11 --output-on-failure' || fail

step "ThreadSanitizer build: every test that starts a second thread"
build_preset tsan
TSAN_OPTIONS="suppressions=$PWD/tools/tsan.supp" \
  tools/with_x.sh --xorg bash -c 'cd build-tsan && ctest -L thread --output-on-failure' || fail

echo
if [ $failed -ne 0 ]; then
  for failure in "${failures[@]}"; do echo "failed in $failure"; done
  echo "SOME TESTS FAILED"; exit 1
fi
echo "ALL TESTS PASSED"
