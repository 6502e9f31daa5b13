#!/usr/bin/env bash
# Remakes the reference pictures of the end-to-end tour after an intended
# change of the look: runs the tour under Xorg with the dummy driver and
# stores its screenshots in tests/e2e/reference/. Check them by eye, then
# commit them.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/build.sh build
VELDRUNE_REMAKE_REFERENCES=1 tools/with_x.sh --xorg build/tests/e2e_tests --gtest_filter='*Tour*'
ls tests/e2e/reference | wc -l
