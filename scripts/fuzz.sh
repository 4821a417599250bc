#!/usr/bin/env bash
# Builds the fuzzers (fuzz preset, clang) and runs each for an equal share of
# SECONDS (default 60), on a working copy of its committed corpus in
# build/fuzz/, so the seeds stay as they are while the copies keep growing from
# run to run. Further arguments pick fuzzers by name (all by default). Fails
# when any fuzzer fails; a failing input lands in build/fuzz/artifacts/;
# reproduce it with
#   build/fuzz/<fuzzer> build/fuzz/artifacts/<file>
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
[[ "$seconds" =~ ^[0-9]+$ ]] || { echo "usage: $0 [SECONDS [FUZZER...]]" >&2; exit 2; }
shift $(( $# > 0 ? 1 : 0 ))

# Each fuzzer: its name, its committed corpus, the longest input, its dictionary.
fuzzers=(
  "load_save_fuzzer fuzz/corpus 4096 -"
  "reg_file_fuzzer fuzz/regfile-corpus 8192 fuzz/regfile.dict"
)
chosen=()
for entry in "${fuzzers[@]}"; do
  name=${entry%% *}
  if [ $# -eq 0 ] || [[ " $* " == *" $name "* ]]; then chosen+=("$entry"); fi
done
[ ${#chosen[@]} -gt 0 ] || { echo "no such fuzzer: $*" >&2; exit 2; }
share=$(( seconds / ${#chosen[@]} ))
[ "$share" -ge 1 ] || share=1  # 0 would make libFuzzer run forever

# clang names the library itself when it knows no path to it.
if ! command -v clang++ >/dev/null || [ ! -f "$(clang++ -print-file-name=libclang_rt.fuzzer-x86_64.a)" ]; then
  echo "clang++ with libFuzzer is missing: run 'make build' (installs clang and libclang-rt-14-dev)" >&2
  exit 1
fi
[ -f build/fuzz/CMakeCache.txt ] || cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

mkdir -p build/fuzz/artifacts
status=0
for entry in "${chosen[@]}"; do
  read -r name seeds max_len dict <<<"$entry"
  work=build/fuzz/$(basename "$seeds")
  mkdir -p "$work"
  cp "$seeds"/* "$work"/
  options=(-max_total_time="$share" -max_len="$max_len" -print_final_stats=1
           -artifact_prefix=build/fuzz/artifacts/)
  [ "$dict" = - ] || options+=(-dict="$dict")
  log=build/fuzz/$name.log
  run_status=0
  "build/fuzz/$name" "$work" "${options[@]}" >"$log" 2>&1 || run_status=$?
  if [ $run_status -ne 0 ]; then
    tail -n 60 "$log"
    echo "$name failed (exit $run_status); full log: $log" >&2
    status=$run_status
    continue
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
  echo "$name: $runs executions in $share s ($rate/s), no failure; corpus $(ls "$work" | wc -l) inputs"
done
exit $status
