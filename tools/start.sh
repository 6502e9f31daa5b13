#!/usr/bin/env bash
# Installs what is missing, builds, and starts the menu.
# With a display it starts the menu there, in the current folder (which holds
# its Veldrune.cfg). Without one it runs the menu on a virtual X display,
# walks through a few pages, saves a screenshot of each and prints the paths.
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"
"$repo/tools/install_deps.sh"
# Only the program: the tests are built by tools/test.sh, the benchmarks
# only when asked for (-DVELDRUNE_BENCH=ON; bench/budget.sh asks).
cmake -S "$repo" -B "$repo/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$repo/build" -j"$(nproc)" --target veldrune

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  exec "$repo/build/veldrune"
fi
echo "No display found: running the menu on a virtual X display (Xvfb) instead."
echo "It walks through a few pages and saves a screenshot of each:"
"$repo/tools/with_x.sh" "$repo/tools/tour.sh" "$repo/build/veldrune" "$repo/build/tour" English
