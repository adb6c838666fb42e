#!/bin/sh
# Start-up of the whole program, several rounds: start to the main window's first paint, resident
# memory then, and after the banner has loaded from a page served on 127.0.0.1.
#   bench/startup.sh [BUILD_DIR] [ROUNDS]
# Needs the bench preset's build (BUILD_DIR/bench/bench_startup and the banner module
# BUILD_DIR/bin/sieciownik-banner.so); runs under xvfb-run in
# a private home, so no settings or catalogues of the user are touched.
set -eu
build=$(cd "${1:-build-bench}" && pwd)
rounds=${2:-5}
program="$build/bench/bench_startup"
if [ ! -x "$program" ]; then
  echo "$program is missing: build it: cmake --preset bench && cmake --build --preset bench --target bench_startup" >&2
  exit 1
fi
work=$(mktemp -d)
trap 'kill $server 2>/dev/null || true; rm -rf "$work"' EXIT
mkdir -p "$work/site/siecio/bannery" "$work/home" "$work/runtime" "$work/bin"
chmod 700 "$work/runtime"
cat >"$work/site/siecio/bannery/index.html" <<'HTML'
<html><body style="margin:0;background:#fff"><a href="/"><b>Sieciownik</b> - banner</a></body></html>
HTML
# The catalogues and the help page the program reads, beside the copy that runs.
cp "$program" "$build/bin/sieciownik-banner.so" "$work/bin/"
for f in TV.FEED RADIO.FEED help.html; do [ -e "$build/bin/$f" ] && cp "$build/bin/$f" "$work/bin/"; done
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
python3 -m http.server "$port" --bind 127.0.0.1 --directory "$work/site" >/dev/null 2>&1 &
server=$!
sleep 1
export SIECIOWNIK_BANNER_URL="http://127.0.0.1:$port/siecio/bannery/"
export HOME="$work/home" XDG_RUNTIME_DIR="$work/runtime" XDG_CONFIG_HOME="$work/home/.config" \
  XDG_DATA_HOME="$work/home/.local/share" XDG_CACHE_HOME="$work/home/.cache" TMPDIR="$work" QT_QPA_PLATFORM=xcb
xvfb-run -a -s "-screen 0 1280x1024x24" sh -c '
  for i in $(seq 1 '"$rounds"'); do
    echo "round $i"
    '"$work/bin/bench_startup"' "$(date +%s%N)" 2>>'"$work/stderr"' 
  done' | tee "$work/out"
grep -q "^start to banner loaded:" "$work/out" || { echo "no round finished; the program said:"; cat "$work/stderr"; exit 1; }
echo "medians over $rounds rounds:"
for figure in "start to first paint" "start to banner loaded"; do
  grep "^$figure:" "$work/out" | awk '{print $(NF-1)}' | sort -n | awk -v f="$figure" '{v[NR]=$1} END{print "  " f ": " v[int((NR+1)/2)] " ms"}'
done
for figure in "resident at first paint" "resident after the banner loaded"; do
  grep "^$figure:" "$work/out" | awk '{print $(NF-6), $(NF-1)}' | sort -n |
    awk -v f="$figure" '{a[NR]=$1; b[NR]=$2} END{m=int((NR+1)/2); print "  " f ": " a[m] " kB (with helper processes " b[m] " kB)"}'
done
