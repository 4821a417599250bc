#!/usr/bin/env bash
# Start-up benchmark under Wine: startup_bench.exe times the program against
# a dialog that only shows the same template, and the console companion's
# show and export against a program that prints one line (launch to exit,
# timed inside Wine); then two traced starts (without and with ShowAppDump)
# show which registry calls one start makes on a complete logging key,
# counted from Wine's registry trace.
# Usage: scripts/bench.sh [build directory]   (default build/win64;
# KMX_BENCH_RUNS sets the number of timed runs of each program)
set -u
cd "$(dirname "$0")/.."
build=${1:-build/win64}
bench="$build/startup_bench.exe"
if [ ! -f "$bench" ]; then
  echo "$bench is missing: build first (make build)" >&2
  exit 1
fi

. scripts/wine-env.sh
# Leave a session that was already running as it was.
session_was_running=no
if [ -f "$KMX_XVFB_PID_FILE" ] && kill -0 "$(cat "$KMX_XVFB_PID_FILE")" 2>/dev/null; then
  session_was_running=yes
fi
scripts/wine-session.sh start || exit 1

status=0
scripts/wine-exec.sh "$bench" || status=1

# Registry calls of KMXLogCtl.exe in one trace: its process is the one that
# creates Software\Korvex\Logging; closes do not show in this trace channel.
summarise() {
  awk -v label="$2" '
    index($0, "NtCreateKey") && index($0, "Korvex\\\\Logging") && pid == "" { split($0, f, ":"); pid = f[1] }
    { lines[NR] = $0 }
    function name(line) { sub(/^[^"]*"/, "", line); sub(/".*$/, "", line); return line }
    END {
      if (pid == "") { print "  " label ": no start of the program found in the trace"; exit 1 }
      created = 0; hklm = ""; hklmOpens = 0; reads = 0; writes = ""; nwrites = 0; deletes = 0
      for (i = 1; i <= NR; i++) {
        line = lines[i]
        if (index(line, pid ":") != 1) continue
        if (index(line, "NtOpenKeyEx (") && index(line, "L\"Software\\\\Korvex\"")) hklmOpens++
        if (index(line, "NtCreateKey (") && index(line, "Korvex\\\\Logging")) created++
        if (index(line, "NtDeleteValueKey")) deletes++
        if (index(line, "RegQueryValueExW (")) {
          n = name(line)
          if (n == "isBES" || n == "verboseLogging") hklm = hklm " " n
          else if (created) reads++
        }
        if (created && index(line, "NtSetValueKey (")) { nwrites++; writes = writes " " name(line) }
      }
      printf "  %s:\n", label
      printf "    HKLM\\Software\\Korvex: %d opens, reads:%s\n", hklmOpens, hklm
      printf "    HKCU\\Software\\Korvex\\Logging: %d create, %d reads, %d writes%s, %d deletes\n",
             created, reads, nwrites, (nwrites ? " (" substr(writes, 2) ")" : ""), deletes
    }' "$1"
}

trace=$(mktemp)
echo "registry calls of one start on the complete key:"
for mode in "" --show-app-dump; do
  label="ShowAppDump missing"
  [ -n "$mode" ] && label="ShowAppDump = 1"
  DISPLAY=$(cat "$KMX_DISPLAY_FILE") WINEDEBUG=+pid,+reg wine "$bench" --once $mode >"$trace" 2>&1 || status=1
  summarise "$trace" "$label" || status=1
done
rm -f "$trace"

[ "$session_was_running" = yes ] || scripts/wine-session.sh stop
exit $status
