#!/usr/bin/env bash
# Kills the prompt's real feedback write at random moments under Wine and counts what a
# reader of defer.cfg finds afterwards: runs, torn states, and how many torn states a
# last-line check and the reference agent would take for a whole report.
#   scripts/crash.sh [RUNS] [SEED]     # default 2000 runs, seed 1
# Exits non-zero when the reference agent accepted a torn state.
set -uo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
build_root=${BUILD_ROOT:-$repo/build}
runs=${1:-2000}
seed=${2:-1}

cmake --preset win64 -B "$build_root/win64" -Wno-dev >/dev/null &&
  timeout 3600 cmake --build "$build_root/win64" --target crash_loop >/dev/null ||
  { echo "crash: build failed" >&2; exit 1; }

source "$repo/scripts/wine_env.sh"
trap wine_env_stop EXIT
wine_env_prefix "$build_root/wine-prefix" desktop || exit 1
# About a tenth of a second per run under Wine.
timeout $((runs + 300)) "$WINE64" "$build_root/win64/tests/crash/crash_loop.exe" "$runs" "$seed"
