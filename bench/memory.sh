#!/usr/bin/env bash
# Memory of the whole program beside Goodvibes (a radio player), started the same way in the same
# run: the proportional set size (PSS) of the program and of every process it started, 10 s after
# the start, each on a virtual display and a session bus of its own, in a private home. (A display
# of its own each: GTK keeps what it learnt of OpenGL on the display, so a GTK program started
# second on one takes some 30 MiB less than the first.) Sieciownik runs twice: with a banner page
# that never answers (a server that takes the connection and says nothing, as a site that is down),
# and with one served on 127.0.0.1, shown in the strip.
#   bench/memory.sh [BUILD_DIR] [ROUNDS]
# BUILD_DIR holds bin/sieciownik and the banner's engine, bin/sieciownik-banner-host (a Release
# build, as users get).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build-release}" && pwd)
rounds=${2:-3}
program="$build/bin/sieciownik"
if [ ! -x "$program" ] || [ ! -x "$build/bin/sieciownik-banner-host" ]; then
  echo "$program or its banner's engine is missing: build the target sieciownik" >&2
  exit 1
fi
source "$root/scripts/packages.sh"
ensure_packages "${SIECIOWNIK_BENCH_PACKAGES[@]}"

work=$(mktemp -d)
servers=()
trap 'kill "${servers[@]}" 2>/dev/null || true; rm -rf "$work"' EXIT
mkdir -p "$work/site/siecio/bannery"
cat >"$work/site/siecio/bannery/index.html" <<'HTML'
<html><body style="margin:0;background:#fff"><a href="/"><b>Sieciownik</b> - banner</a></body></html>
HTML
free_port() { python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'; }
page_port=$(free_port)
python3 -m http.server "$page_port" --bind 127.0.0.1 --directory "$work/site" >/dev/null 2>&1 &
servers+=($!)
silent_port=$(free_port)
python3 -c '
import socket, sys, time
s = socket.socket(); s.bind(("127.0.0.1", int(sys.argv[1]))); s.listen(16)
taken = []
while True: taken.append(s.accept()[0])
' "$silent_port" &
servers+=($!)
sleep 1

# One run: NAME COMMAND..., on a display and a session bus of its own.
cat >"$work/measure" <<'SCRIPT'
#!/bin/sh
name=$1; shift
home="$WORK/home-$name-$$"
mkdir -p "$home/runtime"
chmod 700 "$home/runtime"
env HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share" \
  XDG_CACHE_HOME="$home/.cache" XDG_RUNTIME_DIR="$home/runtime" TMPDIR="$home" "$@" >/dev/null 2>>"$WORK/stderr" &
pid=$!
sleep 10
python3 - "$pid" "$name" <<'PY'
import os, sys
root, name = sys.argv[1], sys.argv[2]
parent = {}
for pid in filter(str.isdigit, os.listdir('/proc')):
    try:
        stat = open(f'/proc/{pid}/stat').read()
        parent[pid] = stat[stat.rindex(')') + 2:].split()[1]
    except OSError:
        pass
tree = [root]
for pid in tree:
    tree += [child for child, up in parent.items() if up == pid]
total = engine = 0
for pid in tree:
    try:
        total += next(int(l.split()[1]) for l in open(f'/proc/{pid}/smaps_rollup') if l.startswith('Pss:'))
        engine += b'QtWebEngineProcess' in open(f'/proc/{pid}/cmdline', 'rb').read()
    except (OSError, StopIteration):
        pass
print(f'{name}: {total / 1024:.1f} MiB in {len(tree)} processes ({engine} of the web engine)')
PY
kill "$pid"
wait "$pid" 2>/dev/null || true
SCRIPT
chmod +x "$work/measure"
export WORK="$work" QT_QPA_PLATFORM=xcb
measure() { xvfb-run -a -s "-screen 0 1280x1024x24" dbus-run-session -- "$work/measure" "$@" 2>>"$work/stderr"; }
for i in $(seq 1 "$rounds"); do
  echo "round $i"
  measure goodvibes /usr/bin/goodvibes
  measure sieciownik-no-answer env SIECIOWNIK_BANNER_URL="http://127.0.0.1:$silent_port/siecio/bannery/" "$program"
  measure sieciownik-banner-shown env SIECIOWNIK_BANNER_URL="http://127.0.0.1:$page_port/siecio/bannery/" "$program"
done | grep --line-buffered -E "^(round|goodvibes|sieciownik)" | tee "$work/out"
grep -q "^sieciownik-banner-shown:" "$work/out" || { echo "no round finished:"; cat "$work/stderr"; exit 1; }
echo "medians over $rounds rounds:"
median() { grep "^$1:" "$work/out" | awk '{print $2}' | sort -n | awk '{v[NR]=$1} END{print v[int((NR+1)/2)]}'; }
reference=$(median goodvibes)
for name in goodvibes sieciownik-no-answer sieciownik-banner-shown; do
  value=$(median "$name")
  awk -v n="$name" -v v="$value" -v r="$reference" 'BEGIN{printf "  %-24s %6.1f MiB  (%.2f x Goodvibes)\n", n, v, v / r}'
done
