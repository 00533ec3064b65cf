#!/usr/bin/env bash
# Runs every libFuzzer target long: FUZZ_SECONDS each (default 900), one after another on
# one core, each with its corpus under $BUILD_ROOT/fuzz. Prints executions and findings per
# target; a finding's input is left in $BUILD_ROOT/fuzz/findings. Exits non-zero on any.
#   scripts/fuzz.sh                     # all targets
#   FUZZ_SECONDS=60 scripts/fuzz.sh number_fuzz feedback_fuzz
set -uo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
build_root=${BUILD_ROOT:-$repo/build}
seconds=${FUZZ_SECONDS:-900}

bash "$repo/scripts/setup.sh" || exit 1
cmake --preset native -B "$build_root/native" -Wno-dev >/dev/null &&
  timeout 3600 cmake --build "$build_root/native" >/dev/null || { echo "fuzz: build failed" >&2; exit 1; }

fuzz_dir="$build_root/native/tests/fuzz"
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  mapfile -t targets < <(find "$fuzz_dir" -maxdepth 1 -type f -executable -name '*_fuzz' -printf '%f\n' | sort)
fi

status=0
mkdir -p "$build_root/fuzz/findings"
printf '%-22s %12s %8s %s\n' target executions seconds findings
for t in "${targets[@]}"; do
  corpus="$build_root/fuzz/corpus/$t"
  mkdir -p "$corpus"
  seeds=()
  [ -d "$repo/tests/fuzz/corpus/$t" ] && seeds=("$repo/tests/fuzz/corpus/$t")
  log="$build_root/fuzz/$t.log"
  timeout $((seconds + 120)) "$fuzz_dir/$t" -max_total_time="$seconds" \
    -artifact_prefix="$build_root/fuzz/findings/$t-" "$corpus" "${seeds[@]}" >"$log" 2>&1
  rc=$?
  runs=$(grep -o 'Done [0-9]* runs' "$log" | tail -1 | grep -o '[0-9]*')
  findings=$(ls "$build_root/fuzz/findings" | grep -c "^$t-" || true)
  printf '%-22s %12s %8s %s\n' "$t" "${runs:-?}" "$seconds" "$findings"
  [ $rc -ne 0 ] || [ "$findings" -ne 0 ] && status=1
done
exit $status
