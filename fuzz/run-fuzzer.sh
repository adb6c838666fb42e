#!/bin/sh
# One fuzz target's bounded run, as a test:  run-fuzzer.sh FUZZER SEEDS CORPUS ARTIFACTS
# Runs for $SIECIOWNIK_FUZZ_SECONDS (60 by default) from the seeds and the corpus that earlier runs
# grew (the seeds stay untouched). A crash, a sanitizer report or a broken invariant fails it; the
# input that did it is kept in ARTIFACTS, named after the target, and its last line gives it in base64.
set -u
fuzzer=$1 seeds=$2 corpus=$3 artifacts=$4
name=$(basename "$fuzzer")
mkdir -p "$corpus" "$artifacts"
rm -f "$artifacts/$name"-*
"$fuzzer" -max_total_time="${SIECIOWNIK_FUZZ_SECONDS:-60}" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
  -artifact_prefix="$artifacts/$name-" "$corpus" "$seeds"
status=$?
for input in "$artifacts/$name"-*; do
  [ -f "$input" ] && echo "== fault in $name: $input $(base64 -w0 "$input" | head -c 3000)"
done
exit $status
