#!/usr/bin/env bash
# Builds the load/save fuzzer (fuzz preset, clang) and runs it for SECONDS
# (default 60) on a working copy of fuzz/corpus in build/fuzz/corpus, so the
# committed seeds stay as they are while the copy keeps growing from run to
# run. A failing input lands in build/fuzz/artifacts/; reproduce it with
#   build/fuzz/load_save_fuzzer build/fuzz/artifacts/<file>
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
[[ "$seconds" =~ ^[0-9]+$ ]] || { echo "usage: $0 [SECONDS]" >&2; exit 2; }

# clang names the library itself when it knows no path to it.
if ! command -v clang++ >/dev/null || [ ! -f "$(clang++ -print-file-name=libclang_rt.fuzzer-x86_64.a)" ]; then
  echo "clang++ with libFuzzer is missing: run 'make build' (installs clang and libclang-rt-14-dev)" >&2
  exit 1
fi
[ -f build/fuzz/CMakeCache.txt ] || cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

work=build/fuzz/corpus
mkdir -p "$work" build/fuzz/artifacts
cp fuzz/corpus/* "$work"/

log=build/fuzz/last-run.log
status=0
build/fuzz/load_save_fuzzer "$work" -max_total_time="$seconds" -max_len=4096 -print_final_stats=1 \
  -artifact_prefix=build/fuzz/artifacts/ >"$log" 2>&1 || status=$?

if [ $status -ne 0 ]; then
  tail -n 60 "$log"
  echo "load_save_fuzzer failed (exit $status); full log: $log" >&2
  exit $status
fi
runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
echo "load_save_fuzzer: $runs executions in $seconds s ($rate/s), no failure; corpus $(ls "$work" | wc -l) inputs"
