#!/usr/bin/env bash
# kmxlogcfg collect, plain and --redact, against other zip writers on the
# same generated log folder (256 MiB over 20 files by default): Info-ZIP's
# zip -r -6 and 7-Zip's zip writer at its default level. One table: the best
# of KMX_COLLECT_RUNS runs (3) of each, its compressed size, both as ratios to
# zip -6, and for collect the peak working set (the Wine process's peak
# resident set) for 16 MiB and 512 MiB of logs; then the goals.
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
declare -A secs bytes peak
measured() {  # NAME "SECONDS BYTES"
  secs[$1]=${2% *}
  bytes[$1]=${2#* }
}
r=$(best "$work/collect.zip" wine "$exe" collect "$zipw" /y) || status=1
measured collect "$r"
r=$(best "$work/collect.zip" wine "$exe" collect "$zipw" /y --redact) || status=1
measured redact "$r"
r=$(cd "$dir" && best "$work/zip6.zip" zip -q -r -6 "$work/zip6.zip" KMXLogs) || status=1
measured zip6 "$r"
r=$(cd "$dir" && best "$work/7z.zip" 7z a -tzip -bd "$work/7z.zip" KMXLogs) || status=1
measured 7z "$r"
rm -rf "$dir" "$work"/*.zip "$work"/*.map.tsv

for size in 16 512; do
  dir=$(logs_for $size) || exit 1
  peak[collect-$size]=$(measure wine "$exe" collect "$zipw" /y | cut -d' ' -f2) || status=1
  peak[redact-$size]=$(measure wine "$exe" collect "$zipw" /y --redact | cut -d' ' -f2) || status=1
  rm -rf "$dir" "$work"/*.zip "$work"/*.map.tsv
done

echo "collect against other zip writers: $input bytes in 20 files, best of $runs runs; load average $(cut -d' ' -f1-3 /proc/loadavg)"
printf "  %-28s %8s %12s %6s %7s %7s %11s %11s\n" writer seconds bytes "% in" "time/z6" "size/z6" "peak@16MiB" "peak@512MiB"
row() {  # LABEL NAME
  local p16="-" p512="-"
  [ -n "${peak[$2-16]:-}" ] && p16="${peak[$2-16]} KiB" && p512="${peak[$2-512]} KiB"
  printf "  %-28s %8.2f %12d %5.1f%% %6.2fx %6.3fx %11s %11s\n" "$1" "${secs[$2]}" "${bytes[$2]}" \
    "$(awk -v b="${bytes[$2]}" -v i="$input" 'BEGIN { print 100 * b / i }')" \
    "$(awk -v a="${secs[$2]}" -v b="${secs[zip6]}" 'BEGIN { print a / b }')" \
    "$(awk -v a="${bytes[$2]}" -v b="${bytes[zip6]}" 'BEGIN { print a / b }')" "$p16" "$p512"
}
row "kmxlogcfg collect" collect
row "kmxlogcfg collect --redact" redact
row "zip -r -6" zip6
row "7z a -tzip (default -mx5)" 7z
goal() {  # TEXT MET
  printf "  %-60s %s\n" "$1" "$([ "$2" = 1 ] && echo met || echo MISSED)"
}
ok() { awk "BEGIN { exit !($1) }" && echo 1 || echo 0; }
goal "collect time <= 0.60x zip -6" "$(ok "${secs[collect]} <= 0.60 * ${secs[zip6]}")"
goal "collect size <= 1.005x zip -6" "$(ok "${bytes[collect]} <= 1.005 * ${bytes[zip6]}")"
goal "collect --redact time <= 0.75x zip -6" "$(ok "${secs[redact]} <= 0.75 * ${secs[zip6]}")"
for name in collect redact; do
  d=$(( ${peak[$name-512]} - ${peak[$name-16]} ))
  goal "$name peak working set, 512 MiB - 16 MiB of logs: $d KiB (within 8 MiB)" "$(ok "${d#-} <= 8192")"
done

kmx import "$(winepath -w "$work/before.reg")" >/dev/null || status=1
exit $status
