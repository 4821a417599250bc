#!/usr/bin/env bash
# A time box across a logon, under Wine: enable Full --for 3s, run from a
# folder that is deleted before the next logon, changes the key and leaves a
# logon entry that runs the windowless twin from the user's profile; after
# its end a new Wine session (the server ended, wineboot run again, which
# runs the logon entries as a logon does) puts the key back byte for byte and
# removes the entry. The Task Scheduler's answer is printed, not
# trusted. Runs from outside Wine, since it ends the Wine server.
# Usage: timebox-journey.sh KMXLOGCFG_EXE   (kmxlogcfgw.exe beside it; needs the Wine session running)
set -u
built=$1
root=$(cd "$(dirname "$0")/../.." && pwd)
. "$root/scripts/wine-env.sh"
unset DISPLAY
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir "$scratch/gone"
cp "$built" "$(dirname "$built")/kmxlogcfgw.exe" "$scratch/gone/"
exe=$scratch/gone/$(basename "$built")
logging='HKCU\Software\Korvex\Logging'
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
failures=0

check() {  # check DESCRIPTION COMMAND [ARGUMENTS...]
  if "${@:2}"; then echo "ok   $1"; else echo "FAIL $1"; failures=$((failures + 1)); fi
}
quiet() { "$@" </dev/null >/dev/null 2>&1; }
export_key() { quiet wine reg export "$logging" "Z:${1//\//\\}" /y && [ -s "$1" ]; }
has_entry() { quiet wine reg query "$run_key" /v KMXLogCfgTimeBox; }
entry_runs_profile_twin() {
  wine reg query "$run_key" /v KMXLogCfgTimeBox 2>/dev/null | tr -d '\r' |
    grep -q 'REG_SZ *"C:\\users\\[^\\]*\\AppData\\Local\\Korvex\\KMXLogCtl\\kmxlogcfgw.exe" expire$'
}
no_entry() { ! has_entry; }
dword_is() { wine reg query "$logging" /v "$1" 2>/dev/null | tr -d '\r' | grep -q "REG_DWORD *$2\$"; }
no_state() {
  ! wine reg query 'HKCU\Software\Korvex\LoggingControl' 2>/dev/null | tr -d '\r' | grep -q 'REG_'
}

# A key as the window leaves it, with a value of an unexpected type.
quiet wine "$exe" expire --now
quiet wine reg delete "$logging" /f
quiet wine "$exe" set Enabled=0
quiet wine reg add "$logging" /v AreaSAX /t REG_SZ /d 0 /f
check "the key before, exported" export_key "$scratch/before.reg"

wine "$exe" enable Full --for 3s </dev/null >"$scratch/out" 2>"$scratch/err"
status=$?
check "enable Full --for 3s exits 0" [ "$status" = 0 ]
echo "     stdout: $(tr -d '\r' <"$scratch/out")"
echo "     stderr (the Task Scheduler's answer): $(tr -d '\r' <"$scratch/err")"
check "Enabled is 1" dword_is Enabled 0x1
check "AreaSAX is a REG_DWORD 1" dword_is AreaSAX 0x1
check "the logon entry runs the profile's kmxlogcfgw.exe" entry_runs_profile_twin
rm -rf "$scratch/gone"

sleep 4
echo "== a new session after the end"
quiet wineserver -k
quiet wineserver -w
quiet wineserver -p 300
quiet wineboot
for _ in $(seq 40); do no_entry && break; sleep 0.5; done
check "the logon entry is gone" no_entry
check "the key after, exported" export_key "$scratch/after.reg"
check "the key is back byte for byte" cmp "$scratch/before.reg" "$scratch/after.reg"
check "the time box's state is gone" no_state

echo "$failures failures"
[ "$failures" = 0 ]
