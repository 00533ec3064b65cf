#!/usr/bin/env bash
# Static analysis, failing on any finding:
# - clang-tidy with the checks of .clang-tidy over the portable core and the launcher's text
#   rules (native build), and over the Windows shell and the launcher as clang parses them
#   for MinGW-w64 (64-bit, and 32-bit for the launcher that ships so);
# - cppcheck over every source of ours, tests, benchmarks and examples included, found by
#   directory.
# Needs only configured builds (their compile_commands.json); configures what is missing.
# BUILD_ROOT as for test.sh; LINT_JOBS processes at once (default 2).
#   scripts/lint.sh
set -uo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
build_root=${BUILD_ROOT:-$repo/build}
jobs=${LINT_JOBS:-2}
cd "$repo" || exit 1

bash "$repo/scripts/setup.sh" || { echo "lint: setup failed" >&2; exit 1; }

out="$build_root/lint"
rm -rf "$out/logs"
mkdir -p "$out/logs"
status=0

# The compile databases, from configured builds.
for preset in native win64 win32; do
  [ -f "$build_root/$preset/compile_commands.json" ] && continue
  cmake --preset "$preset" -B "$build_root/$preset" -Wno-dev \
    -DCMAKE_EXPORT_COMPILE_COMMANDS=ON >/dev/null || { echo "lint: cannot configure $preset" >&2; exit 1; }
done

# clang-tidy. Each group is a database of the sources under the given paths; the tests are
# left to cppcheck, as clang-tidy over GoogleTest's headers would cost several minutes.
groups=(
  "native||deferral/core winbase/portable launcher/command_line.cpp"
  "win64|x86_64-w64-mingw32|deferral/win winbase launcher"
  "win32|i686-w64-mingw32|winbase launcher"
)
tidy_list="$out/tidy_files"
: >"$tidy_list"
for group in "${groups[@]}"; do
  IFS='|' read -r preset triple paths <<<"$group"
  db="$out/$preset"
  # shellcheck disable=SC2086 # the paths are words
  /usr/bin/python3 "$repo/scripts/lint_compile_db.py" ${triple:+--mingw "$triple"} \
    "$build_root/$preset/compile_commands.json" "$db" $paths >"$out/files_$preset" || exit 1
  sed "s|^|$db |" "$out/files_$preset" >>"$tidy_list"
done
echo "lint: clang-tidy over $(wc -l <"$tidy_list") sources"
start=$SECONDS
# One log per source, printed whole when it has findings.
# shellcheck disable=SC2317 # run by xargs
tidy_one() {
  local db=$1 file=$2 log
  log="$LINT_OUT/logs/$(basename "$db")_$(echo "${file#"$LINT_REPO"/}" | tr / _).log"
  if ! clang-tidy-14 -p "$db" --quiet --warnings-as-errors='*' "$file" >"$log" 2>&1; then
    flock "$LINT_OUT/logs" cat "$log"
    return 1
  fi
}
export -f tidy_one
export LINT_OUT=$out LINT_REPO=$repo
# shellcheck disable=SC2016 # expanded by the inner shell
xargs -P "$jobs" -L 1 bash -c 'tidy_one "$1" "$2"' _ <"$tidy_list" || status=1
echo "lint: clang-tidy took $((SECONDS - start)) s"

# cppcheck: every .cpp under our directories, as the Windows build sees it (the portable
# code has no platform conditionals), with the include directories of our own headers.
start=$SECONDS
dirs=()
for d in deferral winbase launcher tests bench examples; do [ -d "$d" ] && dirs+=("$d"); done
mapfile -t sources < <(find "${dirs[@]}" -name '*.cpp' | sort)
mapfile -t includes < <(find "${dirs[@]}" -name '*.h' -printf '-I%h\n' | sort -u)
generated="$build_root/win64/generated"
echo "lint: cppcheck over ${#sources[@]} sources"
mkdir -p "$out/cppcheck"
# useStlAlgorithm only suggests rewriting plain loops: style advice, no fault.
cppcheck -j "$jobs" --quiet --error-exitcode=1 --inline-suppr --std=c++20 \
  --enable=warning,performance,portability,style --suppress=missingIncludeSystem \
  --suppress=useStlAlgorithm --library=windows --library=googletest --platform=win64 \
  -D_WIN32 -D_WIN64 -DUNICODE -D_UNICODE -D__MINGW32__ -I"$repo" "${includes[@]}" -I"$generated" \
  --cppcheck-build-dir="$out/cppcheck" --template=gcc "${sources[@]}" || status=1
echo "lint: cppcheck took $((SECONDS - start)) s"

if [ $status -eq 0 ]; then echo "lint: clean"; else echo "lint: FINDINGS above" >&2; fi
exit $status
