#!/usr/bin/env bash
# The time box under abuse, under Wine (not a CI test; minutes per run):
#   timebox-soak.sh kill N KMXLOGCFG_EXE   N runs of `enable Full --for 1h`
#       killed (SIGKILL) at a random moment of its run, each followed by
#       `expire --now`: the key must come back byte for byte, with no state
#       and no logon entry left.
#   timebox-soak.sh race N KMXLOGCFG_EXE   N rounds of two `enable --for` at
#       once, then `expire --now`: the key before both must come back.
# Set KMX_WINEPREFIX to keep it off the test prefix; KMX_KILL_WINDOW="FROM TO"
# (seconds) kills only within that stretch, e.g. where the writes are.
set -u
mode=$1 runs=$2 exe=$3
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/wine-env.sh"
unset DISPLAY
mkdir -p "$WINEPREFIX"
wineserver -p 300 </dev/null >/dev/null 2>&1
wineboot -i </dev/null >/dev/null 2>&1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
logging='HKCU\Software\Korvex\Logging'
quiet() { "$@" </dev/null >/dev/null 2>&1; }
export_key() { quiet wine reg export "$logging" "Z:${1//\//\\}" /y; }
state_left() {
  wine reg query 'HKCU\Software\Korvex\LoggingControl' 2>/dev/null | tr -d '\r' | grep -q 'REG_' ||
    quiet wine reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Run' /v KMXLogCfgTimeBox
}
now() { date +%s.%N; }

quiet wine "$exe" expire --now
quiet wine reg delete "$logging" /f
quiet wine "$exe" set Enabled=0
quiet wine reg add "$logging" /v AreaSAX /t REG_SZ /d 0 /f
quiet wine reg delete "$logging" /v DetailCmntRows /f
export_key "$scratch/before.reg"

good=0 bad=0
if [ "$mode" = kill ]; then
  start=$(now)
  quiet wine "$exe" enable Full --for 1h
  length=$(echo "$(now) - $start" | bc)
  quiet wine "$exe" expire --now
  echo "enable Full --for 1h runs for ${length}s; kills spread over it"
  for i in $(seq "$runs"); do
    # Half over the whole run, half over its first 1.5 s, where the writes are.
    if [ $((i % 2)) = 0 ]; then window="0 $length"; else window="0 1.5"; fi
    window=${KMX_KILL_WINDOW:-$window}
    delay=$(python3 -c "import random; print(round(random.uniform(${window% *}, ${window#* }), 3))")
    wine "$exe" enable Full --for 1h </dev/null >/dev/null 2>&1 &
    pid=$!
    sleep "$delay"
    kill -9 "$pid" 2>/dev/null && killed=killed || killed=ended
    wait "$pid" 2>/dev/null
    state=$(wine reg query 'HKCU\Software\Korvex\LoggingControl' 2>/dev/null | tr -d '\r')
    opened=$(grep -c 'TimeBoxEnd' <<<"$state")
    afters=$(grep -c 'After\.' <<<"$state")
    enabled=$(wine reg query "$logging" /v Enabled 2>/dev/null | tr -d '\r' | grep -o '0x[0-9a-f]*$')
    quiet wine "$exe" expire --now
    export_key "$scratch/after.reg"
    if cmp -s "$scratch/before.reg" "$scratch/after.reg" && ! state_left; then
      good=$((good + 1)) verdict=ok
    else
      bad=$((bad + 1)) verdict=FAIL
    fi
    echo "run $i: after ${delay}s $killed (box open: $opened, After.* $afters/57, Enabled: ${enabled:-missing}) -> $verdict"
  done
else
  for i in $(seq "$runs"); do
    wine "$exe" enable Full --for 1h </dev/null >"$scratch/a" 2>&1 &
    a=$!
    wine "$exe" enable UI Thread --for 2h </dev/null >"$scratch/b" 2>&1 &
    b=$!
    wait "$a"; sa=$?
    wait "$b"; sb=$?
    quiet wine "$exe" expire --now
    export_key "$scratch/after.reg"
    if [ "$sa$sb" = 00 ] && cmp -s "$scratch/before.reg" "$scratch/after.reg" && ! state_left; then
      good=$((good + 1)) verdict=ok
    else
      bad=$((bad + 1)) verdict=FAIL
    fi
    echo "round $i: exits $sa $sb -> $verdict"
  done
fi
echo "$good good, $bad bad"
[ "$bad" = 0 ]
