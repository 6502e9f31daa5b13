#!/usr/bin/env bash
# Installs what building and starting the menu needs, builds, and starts it.
# With a display it starts the menu there, in the current folder (which holds
# its Veldrune.cfg). Without one it installs a virtual X display, runs the
# menu on it, walks through a few pages, saves a screenshot of each and
# prints the paths. The test tools are tools/test.sh's to install.
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"
"$repo/tools/install_deps.sh" --play
# Only the program: the tests are built by tools/test.sh, the benchmarks
# only when asked for (-DVELDRUNE_BENCH=ON; bench/budget.sh asks). A build
# folder configured with the tests before keeps them; a new one is made
# without, so that their libraries need not be installed.
testing=()
[ -f "$repo/build/CMakeCache.txt" ] || testing=(-DBUILD_TESTING=OFF)
cmake -S "$repo" -B "$repo/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${testing[@]}" >/dev/null
cmake --build "$repo/build" -j"$(nproc)" --target veldrune

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  exec "$repo/build/veldrune"
fi
echo "No display found: running the menu on a virtual X display (Xvfb) instead."
"$repo/tools/install_deps.sh" --tour
cmake --build "$repo/build" -j"$(nproc)" --target menu_points   # where the tour clicks
echo "It walks through a few pages and saves a screenshot of each:"
"$repo/tools/with_x.sh" "$repo/tools/tour.sh" "$repo/build/veldrune" "$repo/build/tour" English
