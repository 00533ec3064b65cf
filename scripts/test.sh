#!/usr/bin/env bash
# Builds every preset, runs the static analysis (scripts/lint.sh) and every test: native
# (sanitizers, fuzzers) and, under Wine in a private prefix and Xvfb display, the Windows and
# end-to-end tests. Ends with a summary (each failed step and test by name, the time of each
# preset) and exits non-zero on any failure. BUILD_ROOT chooses where the builds and the Wine
# prefix go.
set -uo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
build_root=${BUILD_ROOT:-$repo/build}
started=$SECONDS

bash "$repo/scripts/setup.sh" || { echo "test: setup failed" >&2; exit 1; }
source "$repo/scripts/wine_env.sh"

status=0
failed=()   # steps and tests, by name
timings=()  # "<preset> build|tests: <seconds> s"
step() {
  echo "== $*"
  "$@" || { echo "test: FAILED: $*" >&2; failed+=("step: $*"); status=1; return 1; }
}

# ctest for one build tree, remembering the name of every ctest entry and GoogleTest case
# that failed.
tests() {  # label, then ctest's arguments
  local label=$1 log rc from=$SECONDS
  shift
  log=$(mktemp)
  echo "== ctest $label"
  "$@" 2>&1 | tee "$log"
  rc=${PIPESTATUS[0]}
  if [ "$rc" -ne 0 ]; then
    status=1
    local names
    names=$({
      awk '/tests FAILED:/ { on = 1; next }
           on && match($0, /^[ \t]*[0-9]+ - [^ ]+/) { sub(/^[ \t]*[0-9]+ - /, ""); print $1 }' "$log"
      sed -n 's/^\[  FAILED  \] \([^ ,]*\.[^ ,]*\).*$/\1/p' "$log"
    } | sort -u)
    if [ -z "$names" ]; then names="(no test named; ctest exited $rc)"; fi
    while IFS= read -r n; do failed+=("$label: $n"); done <<<"$names"
  fi
  timings+=("$label tests: $((SECONDS - from)) s")
  rm -f "$log"
  return "$rc"
}

presets=(native win64 win32)
for p in "${presets[@]}"; do
  from=$SECONDS
  step cmake --preset "$p" -B "$build_root/$p" -Wno-dev >/dev/null &&
    step timeout 3600 cmake --build "$build_root/$p"
  timings+=("$p build: $((SECONDS - from)) s")
done

# Static analysis (clang-tidy and cppcheck); needs only the configured builds.
from=$SECONDS
step env BUILD_ROOT="$build_root" timeout 900 bash "$repo/scripts/lint.sh"
timings+=("lint: $((SECONDS - from)) s")

tests native timeout 1800 ctest --test-dir "$build_root/native" --output-on-failure --timeout 300

# The shipped programs: their version, their hardening, and the same bytes from a rebuild
# elsewhere. Debian's Python, which has pefile.
shipped=("$build_root/win64/deferral/win/plimsay.exe" "$build_root/win32/launcher/selvaun.exe")
step /usr/bin/python3 "$repo/scripts/check_version.py" "${shipped[@]}"
step /usr/bin/python3 "$repo/scripts/check_hardening.py" "${shipped[@]}"
step timeout 1200 bash "$repo/scripts/check_reproducible.sh" "$build_root"

trap wine_env_stop EXIT
if wine_env_start_xvfb && wine_env_prefix "$build_root/wine-prefix" desktop && wine_env_fonts; then
  # The launcher is a 32-bit program. Where this machine runs 32-bit code its tests run on
  # that build; elsewhere on the 64-bit build of the same code, and the 32-bit program is
  # only checked without running it.
  if wine_env_runs_32bit; then
    win64_filter=(-LE launcher) win32_filter=()
  else
    echo "test: this machine runs no 32-bit code; the launcher's tests run on its 64-bit build"
    win64_filter=() win32_filter=(-LE launcher)
  fi
  tests win64 timeout 1800 ctest --test-dir "$build_root/win64" --output-on-failure \
    --timeout 300 "${win64_filter[@]}"
  tests win32 timeout 1800 ctest --test-dir "$build_root/win32" --output-on-failure \
    --timeout 300 "${win32_filter[@]}"
  # A signed package, and the signed prompt run once.
  step env BUILD_ROOT="$build_root" timeout 900 bash "$repo/scripts/check_signing.sh"
else
  echo "test: could not prepare Wine and Xvfb" >&2
  failed+=("step: preparing Wine and Xvfb")
  status=1
fi
wine_env_stop
trap - EXIT

# The benchmark builds and prints every row: one run of each, figures not judged.
from=$SECONDS
step timeout 600 env BUILD_ROOT="$build_root" bash "$repo/scripts/bench.sh" --quick
timings+=("bench --quick: $((SECONDS - from)) s")

echo
echo "== summary ($((SECONDS - started)) s in all)"
printf '   %s\n' "${timings[@]}"
if [ $status -eq 0 ]; then
  echo "== all tests passed"
else
  echo "== failed:"
  if [ ${#failed[@]} -gt 0 ]; then printf '   %s\n' "${failed[@]}"; fi
  echo "== some tests FAILED"
fi
exit $status
