#!/usr/bin/env bash
# Start-up benchmark under Wine. The program is timed against three
# yardsticks, all minimal_dialog.exe showing the same template: the
# same-window floor (the program's shown state, read off its running window
# and replayed with one plain Win32 call per difference, plus the registry
# reads a start makes), the collapsed template, and the template at full
# height (a reference line). Once per run the floor's window is checked to be
# pixel-identical to the program's.
#
# Two clocks, interleaved round by round (each round starts every window once
# under each clock, in a rotated order): launch to the window mapped on the X
# server, watched from Linux (map_clock), and CreateProcessW to shown, painted
# and idle (WaitForInputIdle), inside Wine (startup_bench.exe). Then the peak
# working sets, where the time of a start goes (time stamps of probed builds
# of the program and of the floor), the program's size and imports, the
# console companion against a one-line console program, and the registry
# calls of one start, counted from Wine's registry trace.
#
# Usage: scripts/bench.sh [win64 build directory] [native build directory]
# (defaults build/win64 and build/native); KMX_BENCH_RUNS sets the number of
# rounds (31 by default; the companion gets three times as many runs).
set -u
cd "$(dirname "$0")/.."
build=${1:-build/win64}
native=${2:-build/native}
bench="$build/startup_bench.exe"
clock="$native/map_clock"
for needed in "$bench" "$build/minimal_dialog.exe" "$clock"; do
  if [ ! -f "$needed" ]; then
    echo "$needed is missing: build first (make build)" >&2
    exit 1
  fi
done
runs=${KMX_BENCH_RUNS:-31}
export KMX_BENCH_RUNS=$runs

. scripts/wine-env.sh
# Leave a session that was already running as it was.
session_was_running=no
if [ -f "$KMX_XVFB_PID_FILE" ] && kill -0 "$(cat "$KMX_XVFB_PID_FILE")" 2>/dev/null; then
  session_was_running=yes
fi
scripts/wine-session.sh start || exit 1
export DISPLAY=$(cat "$KMX_DISPLAY_FILE")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
floor_words="$build/bench-floor.txt"

# ---- The same-window floor: read off the program, checked against it ----

# Starts a window under map_clock and keeps its picture as $work/NAME.png
# (and its X icon as NAME.png.icon).
shot() {
  local name=$1
  shift
  "$clock" --shot "$work/$name.png" wine "$@" >/dev/null
}

# The colour of one pixel of the caption, clear of the title and the close box.
caption_colour() {
  local width
  width=$(identify -format '%w' "$1" 2>/dev/null) || return
  convert "$1" -format "%[pixel:p{$((width * 3 / 4)),6}]" info:- 2>/dev/null
}

echo "load before: $(uptime)"
echo "same-window floor:"
wine "$bench" --capture || { echo "  capture failed" >&2; exit 1; }
shot bare "$build/minimal_dialog.exe" && shot program "$build/KMXLogCtl.exe" || status=1
words=$(cat "$floor_words")
# What Wine does not report to another process by message, read on the X side:
# the window's icon, and whether its caption is drawn active.
cmp -s "$work/program.png.icon" "$work/bare.png.icon" || words="$words icons"
if [ "$(caption_colour "$work/program.png")" != "$(caption_colour "$work/bare.png")" ]; then
  words=$(echo "$words" | sed 's/ size=/ foreground size=/')
  case "$words" in *foreground*) ;; *) words="$words foreground" ;; esac
fi
echo "$words" > "$floor_words"
echo "  $(echo "$words" | wc -w) changes to the template: $(echo "$words" | tr ' ' '\n' |
  sed 's/[:=].*//' | sort | uniq -c | awk '{printf "%s%s %s", sep, $1, $2; sep=", "}')"
wine "$bench" --compare || status=1
# shellcheck disable=SC2086  # the words are separate arguments
shot floor "$build/minimal_dialog.exe" $words || status=1
differing=$(compare -metric AE "$work/program.png" "$work/floor.png" null: 2>&1)
if [ "$differing" = 0 ]; then
  echo "  window pixel-identical to the program's (X screenshots): yes"
else
  echo "  window pixel-identical to the program's (X screenshots): NO, $differing pixels differ"
  status=1
fi

# ---- Interleaved rounds under both clocks ----

labels=(program floor collapsed full)
command_of() {
  case $1 in
    program) echo "$build/KMXLogCtl.exe" ;;
    floor) echo "$build/minimal_dialog.exe $words" ;;
    collapsed) echo "$build/minimal_dialog.exe $(echo "$words" | grep -o 'size=[0-9,]*')" ;;
    full) echo "$build/minimal_dialog.exe" ;;
  esac
}
raw="$work/raw"
: > "$raw"
# Round 0 warms the caches and is not counted.
for round in $(seq 0 "$runs"); do
  for k in 0 1 2 3; do
    label=${labels[$(((round + k) % 4))]}
    # shellcheck disable=SC2046  # the command's words are separate arguments
    ms=$("$clock" wine $(command_of "$label")) || { echo "$label: map_clock failed" >&2; exit 1; }
    [ "$round" -gt 0 ] && echo "map $label $ms" >> "$raw"
  done
  idle=$(wine "$bench" --idle-round "$round") || { echo "$idle" >&2; exit 1; }
  [ "$round" -gt 0 ] && echo "$idle" >> "$raw"
done

echo "load after: $(uptime)"
awk -v runs="$runs" '
  { times[$1, $2] = times[$1, $2] " " $3; if ($1 == "idle" && $4 > peak[$2]) peak[$2] = $4 }
  function sorted(list, out,   n, i, j, t) {
    n = split(substr(list, 2), out, " ")
    for (i = 2; i <= n; i++) { t = out[i]; for (j = i - 1; j >= 1 && out[j] + 0 > t + 0; j--) out[j + 1] = out[j]; out[j + 1] = t }
    return n
  }
  function median(list,   v, n) { n = sorted(list, v); return n % 2 ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2 }
  function least(list,   v) { sorted(list, v); return v[1] }
  END {
    split("program floor collapsed full", label, " ")
    name["program"] = "KMXLogCtl.exe"; name["floor"] = "same-window floor"
    name["collapsed"] = "collapsed template"; name["full"] = "full-height template (reference)"
    for (c = 1; c <= 2; c++) {
      clock = c == 1 ? "map" : "idle"
      for (i = 1; i <= 4; i++) { med[clock, label[i]] = median(times[clock, label[i]]); low[clock, label[i]] = least(times[clock, label[i]]) }
    }
    printf "start-up, %d interleaved rounds (every window once per round under each clock):\n", runs
    printf "  %-34s %25s %27s\n", "", "launch to mapped (X side)", "to shown and idle (Wine)"
    printf "  %-34s %12s %12s %13s %13s\n", "", "median", "min", "median", "min"
    for (i = 1; i <= 4; i++)
      printf "  %-34s %9.1f ms %9.1f ms %10.1f ms %10.1f ms\n", name[label[i]], med["map", label[i]], low["map", label[i]], med["idle", label[i]], low["idle", label[i]]
    split("program/floor program/collapsed floor/collapsed", pairs, " ")
    for (p = 1; p <= 3; p++) {
      split(pairs[p], ab, "/")
      printf "  %-34s %12.3f %12.3f %13.3f %13.3f\n", "ratio " ab[1] " / " ab[2], med["map", ab[1]] / med["map", ab[2]], low["map", ab[1]] / low["map", ab[2]], med["idle", ab[1]] / med["idle", ab[2]], low["idle", ab[1]] / low["idle", ab[2]]
    }
    met = med["map", "program"] <= 1.05 * med["map", "floor"] && low["map", "program"] <= 1.05 * low["map", "floor"]
    printf "  program within 1.05 x the same-window floor on the map clock (medians and minimums): %s\n", met ? "met" : "MISSED"
    printf "peak working set with the window open: KMXLogCtl.exe %d KiB, same-window floor %d KiB, ratio %.3f (target <= 1.10: %s)\n",
           peak["program"], peak["floor"], peak["program"] / peak["floor"], peak["program"] <= 1.10 * peak["floor"] ? "met" : "MISSED"
  }' "$raw"

echo "where the time of a start goes (probed builds, time stamps at the steps of opening the window):"
wine "$bench" --breakdown 11 || status=1

wine "$bench" --report || status=1

# Registry calls of one start in a trace: the process is the one that creates
# Software\Korvex\Logging; reads and writes are those through the handle the
# create returned; closes do not show in this trace channel.
summarise() {
  awk -v label="$2" '
    index($0, "NtCreateKey") && index($0, "Korvex\\\\Logging") && pid == "" { split($0, f, ":"); pid = f[1] }
    { lines[NR] = $0 }
    function name(line) { sub(/^[^"]*"/, "", line); sub(/".*$/, "", line); return line }
    # A handle as hex digits without "0x" and leading zeros (the trace writes both forms).
    function bare(h) { sub(/^0x/, "", h); sub(/^0+/, "", h); return tolower(h) }
    # The first argument of a traced call.
    function handle(line) { sub(/^[^(]*\(/, "", line); sub(/,.*$/, "", line); return bare(line) }
    END {
      if (pid == "") { print "  " label ": no start found in the trace"; exit 1 }
      key = ""; hklm = ""; hklmOpens = 0; reads = 0; writes = ""; nwrites = 0; deletes = 0
      for (i = 1; i <= NR; i++) {
        line = lines[i]
        if (index(line, pid ":") != 1) continue
        if (index(line, "NtOpenKeyEx (") && index(line, "L\"Software\\\\Korvex\"")) hklmOpens++
        if (index(line, "NtCreateKey (") && index(line, "Korvex\\\\Logging")) awaiting = 1
        else if (awaiting && index(line, "NtCreateKey <- ")) { awaiting = 0; sub(/^.*<- /, "", line); key = bare(line); line = lines[i] }
        if (index(line, "NtDeleteValueKey")) deletes++
        if (index(line, "RegQueryValueExW (")) {
          n = name(line)
          if (n == "isBES" || n == "verboseLogging") hklm = hklm " " n
          else if (handle(line) == key) reads++
        }
        if (index(line, "NtSetValueKey (") && handle(line) == key) { nwrites++; writes = writes " " name(line) }
      }
      printf "  %s:\n", label
      printf "    HKLM\\Software\\Korvex: %d opens, reads:%s\n", hklmOpens, hklm
      printf "    HKCU\\Software\\Korvex\\Logging: %d create, %d reads, %d writes%s, %d deletes\n",
             key != "", reads, nwrites, (nwrites ? " (" substr(writes, 2) ")" : ""), deletes
    }' "$1"
}

trace="$work/trace"
echo "registry calls of one start on the complete key:"
for mode in "" --show-app-dump --floor; do
  case $mode in
    "") label="KMXLogCtl.exe, ShowAppDump missing" ;;
    --show-app-dump) label="KMXLogCtl.exe, ShowAppDump = 1" ;;
    --floor) label="same-window floor, ShowAppDump missing" ;;
  esac
  # shellcheck disable=SC2086  # no mode is no argument
  WINEDEBUG=+pid,+reg wine "$bench" --once $mode >"$trace" 2>&1 || status=1
  summarise "$trace" "$label" || status=1
done

bench/collect-bench.sh "$build" || status=1
[ "$session_was_running" = yes ] || scripts/wine-session.sh stop
exit $status
