#!/usr/bin/env bash
# kmxlogcfg collect against other zip writers on the same generated log
# folder (256 MiB over 20 files by default): Info-ZIP's zip -r at levels 1, 6
# and 9 and 7-Zip's zip writer at its default level. Prints the best of
# KMX_COLLECT_RUNS runs (3) of each, its compressed size and the ratios of
# collect (level 6) to zip -6; then collect's peak working set (the Wine
# process's peak resident set) for 16 MiB and 512 MiB of logs.
#
# Usage: bench/collect-bench.sh [win64 build directory]
set -u
cd "$(dirname "$0")/.."
build=${1:-build/win64}
exe="$build/kmxlogcfg.exe"
[ -f "$exe" ] || { echo "$exe is missing: build first (make build)" >&2; exit 1; }
for tool in zip 7z python3 /usr/bin/time; do
  command -v "$tool" >/dev/null || { echo "collect bench: $tool is missing" >&2; exit 1; }
done
runs=${KMX_COLLECT_RUNS:-3}
mib=${KMX_COLLECT_MIB:-256}

. scripts/wine-env.sh
scripts/wine-session.sh start >/dev/null || exit 1
export DISPLAY=$(cat "$KMX_DISPLAY_FILE")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
kmx() { wine "$exe" "$@"; }
# The settings as they were, put back at the end.
kmx export "$(winepath -w "$work/before.reg")" >/dev/null || exit 1

# Seconds (wall) and peak resident KiB of one command: "SECONDS KIB".
measure() { /usr/bin/time -f "%e %M" -o "$work/time" "$@" >/dev/null 2>&1 && cat "$work/time"; }

# Best of $runs: prints "SECONDS BYTES" (BYTES of the zip $out).
best() {
  local out=$1 best="" t
  shift
  for _ in $(seq "$runs"); do
    rm -f "$out"
    t=$(measure "$@" | cut -d' ' -f1) || return 1
    if [ -z "$best" ] || awk -v a="$t" -v b="$best" 'BEGIN { exit !(a < b) }'; then best=$t; fi
  done
  echo "$best $(stat -c %s "$out")"
}

logs_for() {  # MIB -> a log directory with KMXLogs of that size
  local dir="$work/logs-$1"
  python3 bench/make_logs.py "$dir/KMXLogs" "$1" 20 || return 1
  kmx set "LogDirectory=$(winepath -w "$dir")" LogFilePrefix=kmx >/dev/null || return 1
  echo "$dir"
}

status=0
dir=$(logs_for "$mib") || exit 1
input=$(du -sb "$dir/KMXLogs" | cut -f1)
zipw=$(winepath -w "$work/collect.zip")
echo "collect against other zip writers: $input bytes in 20 files, best of $runs runs"
printf "  %-26s %8s %12s %7s\n" writer seconds bytes "% in"
declare -A secs bytes
row() {
  secs[$1]=${2% *}
  bytes[$1]=${2#* }
  printf "  %-26s %8.2f %12d %6.1f%%\n" "$1" "${secs[$1]}" "${bytes[$1]}" "$(awk -v b="${bytes[$1]}" -v i="$input" 'BEGIN { print 100 * b / i }')"
}
r=$(best "$work/collect.zip" wine "$exe" collect "$zipw" /y) || status=1
row "kmxlogcfg collect (6)" "$r"
for level in 1 6 9; do
  r=$(cd "$dir" && best "$work/zip$level.zip" zip -q -r -$level "$work/zip$level.zip" KMXLogs) || status=1
  row "zip -r -$level" "$r"
done
r=$(cd "$dir" && best "$work/7z.zip" 7z a -tzip -bd "$work/7z.zip" KMXLogs) || status=1
row "7z a -tzip (default -mx5)" "$r"
awk -v ct="${secs[kmxlogcfg collect (6)]}" -v zt="${secs[zip -r -6]}" -v cb="${bytes[kmxlogcfg collect (6)]}" \
    -v zb="${bytes[zip -r -6]}" 'BEGIN {
  printf "  collect / zip -6: time %.2fx (goal <= 1.25: %s), size %.3fx (goal <= 1.02: %s)\n",
         ct / zt, ct <= 1.25 * zt ? "met" : "MISSED", cb / zb, cb <= 1.02 * zb ? "met" : "MISSED" }'
rm -rf "$dir"

echo "collect's peak working set (peak resident set of the Wine process):"
declare -A peak
for size in 16 512; do
  dir=$(logs_for $size) || exit 1
  rm -f "$work/collect.zip"
  peak[$size]=$(measure wine "$exe" collect "$zipw" /y | cut -d' ' -f2) || status=1
  printf "  %4d MiB of logs: %8d KiB\n" $size "${peak[$size]}"
  rm -rf "$dir" "$work/collect.zip"
done
awk -v a="${peak[16]}" -v b="${peak[512]}" 'BEGIN {
  d = b - a; printf "  512 MiB - 16 MiB: %d KiB (goal within 8 MiB: %s)\n", d, (d < 0 ? -d : d) <= 8192 ? "met" : "MISSED" }'

kmx import "$(winepath -w "$work/before.reg")" >/dev/null || status=1
exit $status
