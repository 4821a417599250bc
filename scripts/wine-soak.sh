#!/usr/bin/env bash
# Runs the suites under Wine (ctest --preset win64, end-to-end journeys
# included) RUNS times in a row, each on a brand-new Wine prefix, the way a
# fresh clone meets them: a test that fails only now and then shows here.
# One line per run and a summary; the ctest output of a failed run stays in
# build/soak/run-K.log. Exits 1 when any run failed.
# Usage: scripts/wine-soak.sh [RUNS]   (default 30; build first: make build)
set -u
cd "$(dirname "$0")/.."
runs=${1:-30}
if ! [[ "$runs" =~ ^[0-9]+$ ]] || [ "$runs" -eq 0 ]; then
  echo "usage: $0 [RUNS]" >&2
  exit 2
fi
if [ ! -f build/win64/CTestTestfile.cmake ]; then
  echo "build/win64 is not built: run 'make build' first" >&2
  exit 1
fi
. scripts/wine-env.sh

logs=build/soak
mkdir -p "$logs"
rm -f "$logs"/run-*.log

passed=0
started=$SECONDS
for ((run = 1; run <= runs; run++)); do
  # A session left over from an interrupted run would keep the old prefix
  # alive; then everything the fixture creates goes.
  scripts/wine-session.sh stop
  rm -rf "$WINEPREFIX" "$KMX_DISPLAY_FILE" "$KMX_XVFB_PID_FILE" "$WINEPREFIX.display-tmp"

  log="$logs/run-$run.log"
  begin=$SECONDS
  if ctest --preset win64 --output-on-failure >"$log" 2>&1; then
    passed=$((passed + 1))
    rm -f "$log"
    echo "run $run/$runs: passed ($((SECONDS - begin)) s)"
  else
    failed=$(sed -n 's/^[[:space:]]*[0-9]* - \([^ ]*\) (.*/\1/p' "$log" | paste -sd ' ' -)
    echo "run $run/$runs: FAILED ($((SECONDS - begin)) s) ${failed:-?}; output in $log"
  fi
done

elapsed=$((SECONDS - started))
echo "$passed/$runs passed ($((elapsed / 60)) min $((elapsed % 60)) s)"
[ "$passed" -eq "$runs" ]
