#!/usr/bin/env bash
# Runs every test, native and under Wine, and a short run of the fuzzers (60 s
# in all on CI, KMX_FUZZ_SECONDS to choose); fails when any fails.
set -u
cd "$(dirname "$0")/.."
status=0
ctest --preset native || status=1
ctest --preset win64 || status=1
if [ "${CI:-}" = "true" ]; then default_fuzz=60; else default_fuzz=20; fi
scripts/fuzz.sh "${KMX_FUZZ_SECONDS:-$default_fuzz}" || status=1
exit $status
