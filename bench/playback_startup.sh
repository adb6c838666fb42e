#!/bin/sh
# START-to-playing time of the player window against mpv --no-video on the same loopback stream.
#   bench/playback_startup.sh [BUILD_DIR] [--rounds N]
# The bench preset's build (build-bench/) gives BUILD_DIR/bench/bench_playback_startup; it needs an X
# server, so it runs under xvfb-run (without one of its own, the virtual display's GL is Mesa's).
set -eu
build=${1:-build-bench}
[ $# -gt 0 ] && shift
program="$build/bench/bench_playback_startup"
if [ ! -x "$program" ]; then
  echo "$program is missing: build it: cmake --preset bench && cmake --build --preset bench --target bench_playback_startup" >&2
  exit 1
fi
cd "$(dirname "$program")"
exec env QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x1024x24" ./bench_playback_startup "$@"
