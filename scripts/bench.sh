#!/usr/bin/env bash
# Builds what the benchmark needs and prints one table: the real programs against baselines
# measured in the same run, under Wine in a private prefix and Xvfb display, the parsers
# natively (Release), and the shipped programs' sizes. Figures only: it fails when a
# measurement could not be made, never because of a figure.
#   scripts/bench.sh           every timing a median of 10 runs (about 13 minutes)
#   scripts/bench.sh --quick   one run of each, short windows: checks that every row comes out
# BUILD_ROOT chooses where the builds and the Wine prefix go, as for scripts/test.sh.
set -uo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
build_root=${BUILD_ROOT:-$repo/build}
mode=()
case "${1:-}" in
  --quick) mode=(--quick) ;;
  "") ;;
  *) echo "usage: scripts/bench.sh [--quick]" >&2; exit 2 ;;
esac
started=$(date +%s)

fail() { echo "bench: $*" >&2; exit 1; }

bash "$repo/scripts/setup.sh" || fail "setup failed"
source "$repo/scripts/wine_env.sh"

# Only the targets the benchmark runs; the tests need not be built for it.
build() {
  local dir=$1; shift
  timeout 3600 cmake --build "$dir" "$@" >"$dir.bench-build.log" 2>&1 ||
    { tail -n 30 "$dir.bench-build.log" >&2; fail "building in $dir failed"; }
}
cmake --preset win64 -B "$build_root/win64" -Wno-dev >/dev/null || fail "configuring win64 failed"
build "$build_root/win64" --target perf_driver_programs perf_driver_i18n
cmake --preset win32 -B "$build_root/win32" -Wno-dev >/dev/null || fail "configuring win32 failed"
build "$build_root/win32" --target selvaun
# The parsers natively, optimised and without sanitizers: a tree of its own.
cmake -S "$repo" -B "$build_root/bench-native" -G Ninja -Wno-dev -DCMAKE_BUILD_TYPE=Release \
  "-DCMAKE_CXX_FLAGS_RELEASE=-O2 -DNDEBUG" -DCMAKE_C_COMPILER=clang-14 \
  -DCMAKE_CXX_COMPILER=clang++-14 -DVANTREL_FUZZ=OFF >/dev/null ||
  fail "configuring bench-native failed"
build "$build_root/bench-native" --target parsers_bench

trap wine_env_stop EXIT
wine_env_start_xvfb && wine_env_prefix "$build_root/wine-prefix" desktop ||
  fail "could not prepare Wine and Xvfb"
wine_version=$("$WINE64" --version 2>/dev/null)
driver_options=("${mode[@]}")
wine_env_runs_32bit || driver_options+=(--no-32bit)
windows_rows=$(timeout 2400 "$WINE64" "$build_root/win64/bench/perf_driver.exe" "${driver_options[@]}" \
  --clock-ticks "$(getconf CLK_TCK)" | tr -d '\r')
driver_status=$?
wine_env_stop
trap - EXIT

files=$(mktemp -d "$build_root/bench-files.XXXXXX")
native_rows=$(timeout 900 "$build_root/bench-native/bench/parsers_bench" "$files" "${mode[@]}")
rm -rf "$files"

# Size as shipped, and imports from Windows' own DLLs only; the largest objects in the
# program, from the linker map written beside it, name what to look at first.
system_dlls=" kernel32.dll user32.dll gdi32.dll comctl32.dll advapi32.dll msvcrt.dll shell32.dll
  ole32.dll oleaut32.dll ntdll.dll uxtheme.dll version.dll shlwapi.dll psapi.dll wtsapi32.dll "
size_row() {  # name file limit-in-KB what
  local name=$1 file=$2 limit=$3 what=$4 bytes dlls foreign="" verdict
  [ -f "$file" ] || { echo "| size: $name | FAILED: $file is missing | - | - | - | - |"; return; }
  bytes=$(stat -c %s "$file")
  dlls=$(x86_64-w64-mingw32-objdump -p "$file" | sed -n 's/^[[:space:]]*DLL Name: //p' |
    tr 'A-Z' 'a-z' | sort -u | tr '\n' ' ')
  for d in $dlls; do [[ $system_dlls == *" $d "* ]] || foreign+="$d "; done
  verdict=met
  [ "$bytes" -le $((limit * 1024)) ] && [ -z "$foreign" ] || verdict=MISSED
  local extra="" parts
  [ -z "$foreign" ] || extra=", not from the system: ${foreign% }"
  parts=$(python3 "$repo/scripts/largest_parts.py" --one-line --top 5 "${file%.exe}.map")
  echo "| size: $name | $what: bytes of the file, imports from objdump -p; largest parts:" \
    "code, data and unwind tables per object in the linker map (scripts/largest_parts.py) |" \
    "$bytes bytes ($((bytes / 1024)) KB) | largest parts: ${parts//|/\\|} |" \
    "$verdict; imports ${dlls% }$extra | <= $limit KB; no DLL beyond the system's |"
}
size_rows=$(
  size_row plimsay.exe "$build_root/win64/deferral/win/plimsay.exe" 200 \
    "64-bit, MinSizeRel, static"
  size_row selvaun.exe "$build_root/win32/launcher/selvaun.exe" 64 \
    "32-bit as shipped, MinSizeRel, static")

echo "Benchmark $(date -u '+%Y-%m-%d %H:%M UTC')${mode:+ (quick: one run each, short windows)}"
cpu=$(lscpu 2>/dev/null | sed -n 's/^Model name:[[:space:]]*//p' | head -n 1)
echo "Machine: $(nproc) cores ($cpu), $wine_version, Xvfb"
echo
echo "| figure | measured as | program | baseline | result | target |"
echo "|---|---|---|---|---|---|"
printf '%s\n' "$windows_rows" "$native_rows" "$size_rows" | grep '^|'
echo
echo "bench: took $(( $(date +%s) - started )) s"

# Every row must be there and measured; the figures themselves are not judged here.
all=$(printf '%s\n' "$windows_rows" "$native_rows" "$size_rows")
status=0
for figure in "start-up" "memory" "idle cost" "idle cost, postponed" \
  "idle cost, one-timer reference" "no growth: memory" \
  "no growth: objects" "reaction: Reboot now" "reaction: cancel.flag" "launcher (64-bit build)" \
  "parsing: property file, shipped file + filler" "parsing: property file, entries all through" \
  "parsing: i18n.ini, shipped file + filler" "parsing: i18n.ini, entries all through" \
  "size: plimsay.exe" "size: selvaun.exe"; do
  if ! grep -qF "| $figure | " <<<"$all"; then
    echo "bench: no row for $figure" >&2; status=1
  fi
done
if [ $driver_status -ne 0 ]; then echo "bench: the driver failed ($driver_status)" >&2; status=1; fi
if grep -q '| FAILED' <<<"$all"; then echo "bench: a measurement failed" >&2; status=1; fi
exit $status
