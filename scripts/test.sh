#!/usr/bin/env bash
# Runs every test, native and under Wine; fails when any fails.
set -u
cd "$(dirname "$0")/.."
status=0
ctest --preset native || status=1
ctest --preset win64 || status=1
exit $status
