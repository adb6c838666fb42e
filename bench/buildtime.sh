#!/usr/bin/env bash
# A cold build (no compiler cache) of everything scripts/test builds (the "default" preset, g++),
# against the compile of one file that includes <QtWidgets> and <QtNetwork> with the same compiler
# and flags, measured in the same run; the same file compiled by clang is shown beside it.
#   bench/buildtime.sh [extra cmake options]
set -euo pipefail
cd "$(dirname "$0")/.."
work=$(mktemp -d "${TMPDIR:-/tmp}/sieciownik-buildtime.XXXXXX")
trap 'rm -rf "$work"' EXIT
export CCACHE_DISABLE=1

cmake --preset default -B "$work/build" "$@" >/dev/null
printf '#include <QtWidgets>\n#include <QtNetwork>\nint main() { return 0; }\n' > "$work/reference.cpp"
# The flags of one of the build's own test units, without its precompiled header; the second line
# is the same compile with clang.
python3 - "$work" > "$work/reference.sh" <<'PY'
import json, os, shlex, shutil, sys
work = sys.argv[1]
for unit in json.load(open(f"{work}/build/compile_commands.json")):
    if "/tests/app/" in unit["file"] and "_autogen/" not in unit["file"]:
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
while os.path.basename(kept[0]) in ("env", "ccache") or "=" in kept[0]:
    kept.pop(0)  # the compiler cache's launcher
tail = ["-c", f"{work}/reference.cpp", "-o", f"{work}/reference.o"]
print(shlex.join(kept + tail))
print(shlex.join([shutil.which("clang++")] + kept[1:] + tail))
PY
compile() { (cd "$work/build" && eval "$(sed -n "$1p" "$work/reference.sh")"); }
compile 1; compile 2  # warm the file cache
t0=$(date +%s.%N); compile 1
t1=$(date +%s.%N); compile 2
t2=$(date +%s.%N); cmake --build "$work/build" > "$work/build.log" 2>&1 || { tail -40 "$work/build.log"; exit 1; }
t3=$(date +%s.%N)
python3 -c "
ref, clang, build = $t1 - $t0, $t2 - $t1, $t3 - $t2
print(f'reference compile {ref:.1f} s (clang: {clang:.1f} s), cold build of the tests {build:.1f} s, ratio {build / ref:.1f} (target at most 15)')"
