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
milliseconds() { local t0; t0=$(date +%s%N); "$@" || return 1; echo $(( ($(date +%s%N) - t0) / 1000000 )); }
build() { cmake --build "$work/build" > "$work/build.log" 2>&1 || { tail -40 "$work/build.log" >&2; return 1; }; }
compile 1; compile 2  # warm the file cache
# The reference is the middle one of three compiles: one compile is easily slowed by the machine.
references=$(for i in 1 2 3; do milliseconds compile 1; done | sort -n | tr '\n' ' ')
clang=$(milliseconds compile 2)
build=$(milliseconds build)
python3 -c "
refs, clang, build = [int(t) / 1000 for t in '$references'.split()], $clang / 1000, $build / 1000
ref = refs[1]
print(f'reference compile {ref:.1f} s (of {refs[0]:.1f}, {refs[1]:.1f}, {refs[2]:.1f}; clang: {clang:.1f} s), cold build of the tests {build:.1f} s, ratio {build / ref:.1f} (target at most 15)')"
