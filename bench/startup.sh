#!/bin/sh
# Start-up of the whole program, several rounds: start to the main window's first paint, resident
# memory then, and after the banner has loaded from a page served on 127.0.0.1.
#   bench/startup.sh [BUILD_DIR] [ROUNDS] [CATALOGUE_DIR]
# With CATALOGUE_DIR (a folder holding TV.FEED and RADIO.FEED, for example one that
# `bench_catalogue --make-folder` wrote), every round starts the program twice, with the shipped
# catalogues and with that folder's, and the first paints are set against each other (target: at
# most 300 ms and at most 1.2 times the shipped catalogues' first paint).
# Needs the bench preset's build (BUILD_DIR/bench/bench_startup and the banner's engine,
# BUILD_DIR/bin/sieciownik-banner-host and sieciownik-banner.so); runs under xvfb-run in
# a private home, so no settings or catalogues of the user are touched.
set -eu
build=$(cd "${1:-build-bench}" && pwd)
rounds=${2:-5}
catalogues=${3:-}
program="$build/bench/bench_startup"
if [ ! -x "$program" ]; then
  echo "$program is missing: build it: cmake --preset bench && cmake --build --preset bench --target bench_startup" >&2
  exit 1
fi
if [ -n "$catalogues" ] && { [ ! -f "$catalogues/TV.FEED" ] || [ ! -f "$catalogues/RADIO.FEED" ]; }; then
  echo "$catalogues holds no TV.FEED and RADIO.FEED" >&2
  exit 1
fi
work=$(mktemp -d)
trap 'kill $server 2>/dev/null || true; rm -rf "$work"' EXIT
mkdir -p "$work/site/siecio/bannery" "$work/home" "$work/runtime" "$work/shipped"
chmod 700 "$work/runtime"
cat >"$work/site/siecio/bannery/index.html" <<'HTML'
<html><body style="margin:0;background:#fff"><a href="/"><b>Sieciownik</b> - banner</a></body></html>
HTML
# The catalogues and the help page the program reads, beside the copy that runs.
cp "$program" "$build/bin/sieciownik-banner-host" "$build/bin/sieciownik-banner.so" "$work/shipped/"
for f in TV.FEED RADIO.FEED help.html; do [ -e "$build/bin/$f" ] && cp "$build/bin/$f" "$work/shipped/"; done
sets="shipped"
if [ -n "$catalogues" ]; then
  cp -r "$work/shipped" "$work/given"
  cp "$catalogues/TV.FEED" "$catalogues/RADIO.FEED" "$work/given/"
  sets="shipped given"
fi
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
python3 -m http.server "$port" --bind 127.0.0.1 --directory "$work/site" >/dev/null 2>&1 &
server=$!
sleep 1
export SIECIOWNIK_BANNER_URL="http://127.0.0.1:$port/siecio/bannery/"
export HOME="$work/home" XDG_RUNTIME_DIR="$work/runtime" XDG_CONFIG_HOME="$work/home/.config" \
  XDG_DATA_HOME="$work/home/.local/share" XDG_CACHE_HOME="$work/home/.cache" TMPDIR="$work" QT_QPA_PLATFORM=xcb
# The two sets take turns, so that whatever else the machine does falls on both alike.
xvfb-run -a -s "-screen 0 1280x1024x24" sh -c '
  for i in $(seq 1 '"$rounds"'); do
    for set in '"$sets"'; do
      echo "round $i, $set catalogues"
      '"$work"'/$set/bench_startup "$(date +%s%N)" 2>>'"$work/stderr"' | sed "s/^/$set /"
    done
  done' | tee "$work/out"
grep -q "^shipped start to banner loaded:" "$work/out" || { echo "no round finished; the program said:"; cat "$work/stderr"; exit 1; }
median() { sort -n | awk '{v[NR]=$1} END{print v[int((NR+1)/2)]}'; }
for set in $sets; do
  [ "$set" = given ] && label="catalogues of $catalogues" || label="shipped catalogues"
  echo "medians over $rounds rounds, $label:"
  for figure in "start to first paint" "start to banner loaded"; do
    echo "  $figure: $(grep "^$set $figure:" "$work/out" | awk '{print $(NF-1)}' | median) ms"
  done
  for figure in "resident at first paint" "resident after the banner loaded"; do
    grep "^$set $figure:" "$work/out" | awk '{print $(NF-6), $(NF-1)}' | sort -n |
      awk -v f="$figure" '{a[NR]=$1; b[NR]=$2} END{m=int((NR+1)/2); print "  " f ": " a[m] " kB (with helper processes " b[m] " kB)"}'
  done
done
if [ -n "$catalogues" ]; then
  shipped=$(grep "^shipped start to first paint:" "$work/out" | awk '{print $(NF-1)}' | median)
  given=$(grep "^given start to first paint:" "$work/out" | awk '{print $(NF-1)}' | median)
  awk -v s="$shipped" -v g="$given" 'BEGIN{
    r = g / s; met = (g <= 300 && r <= 1.2) ? "met" : "NOT met";
    printf "first paint with %s against the shipped catalogues: %d ms / %d ms = %.2f x (target <= 300 ms and <= 1.2 x): %s\n", "the folder", g, s, r, met }'
fi
