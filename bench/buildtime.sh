#!/usr/bin/env bash
# A cold build (no compiler cache) of everything scripts/test builds, against the compile of one
# file that includes <QtWidgets> and <QtNetwork> with the same flags, measured in the same run.
#   bench/buildtime.sh [extra cmake options]
set -euo pipefail
cd "$(dirname "$0")/.."
work=$(mktemp -d "${TMPDIR:-/tmp}/sieciownik-buildtime.XXXXXX")
trap 'rm -rf "$work"' EXIT
export CCACHE_DISABLE=1

cmake -S . -B "$work/build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DSIECIOWNIK_TESTS=ON "$@" >/dev/null
printf '#include <QtWidgets>\n#include <QtNetwork>\nint main() { return 0; }\n' > "$work/reference.cpp"
# The flags of one of the build's own widget units, without its precompiled header.
reference=$(python3 - "$work" <<'PY'
import json, shlex, sys
work = sys.argv[1]
for unit in json.load(open(f"{work}/build/compile_commands.json")):
    if "/tests/app/" in unit["file"] and "autogen" not in unit["file"]:
        words = shlex.split(unit["command"])
        break
kept, skip = [], False
for word in words:
    if skip:
        skip = False
        continue
    if word in ("-o", "-c", "-include"):
        skip = True
        continue
    if word.startswith("-Winvalid-pch") or word.endswith(".cpp") or word.endswith(".cxx"):
        continue
    kept.append(word)
print(shlex.join(kept + ["-c", f"{work}/reference.cpp", "-o", f"{work}/reference.o"]))
PY
)
(cd "$work/build" && eval "$reference")  # warm the file cache for both
start=$(date +%s.%N)
(cd "$work/build" && eval "$reference")
middle=$(date +%s.%N)
cmake --build "$work/build" > "$work/build.log" 2>&1 || { tail -40 "$work/build.log"; exit 1; }
end=$(date +%s.%N)
python3 -c "
ref = $middle - $start; build = $end - $middle
print(f'reference compile {ref:.1f} s, cold build of the tests {build:.1f} s, ratio {build / ref:.1f} (target at most 15)')"
