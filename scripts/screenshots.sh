#!/usr/bin/env bash
# Makes the README's pictures under docs/: the real prompt under Wine, in a private Xvfb
# display and Wine prefix (build/wine-prefix), with the fonts the fit check uses.
# scripts/screenshots.sh [DPI]: at another DPI than 96 the pictures are named
# docs/prompt-<scene>-<DPI>dpi.png.
set -euo pipefail
dpi=${1:-96}
case $dpi in ''|*[!0-9]*) echo "screenshots: the DPI is a number, such as 192" >&2; exit 2 ;; esac
suffix=""
[ "$dpi" = 96 ] || suffix="-${dpi}dpi"
repo=$(cd "$(dirname "$0")/.." && pwd)
build_root=${BUILD_ROOT:-$repo/build}

bash "$repo/scripts/setup.sh"
source "$repo/scripts/wine_env.sh"
cmake --preset win64 -B "$build_root/win64" -Wno-dev >/dev/null
timeout 3600 cmake --build "$build_root/win64" --target docs_screenshot_programs >/dev/null

desktop_key='HKCU\Control Panel\Desktop'
# Wine reads the DPI as each program starts; the prefix gets its default back at the end.
restore() {
  timeout 60 "$WINE64" reg delete "$desktop_key" /v LogPixels /f >/dev/null 2>&1 || true
  wine_env_stop
}
trap restore EXIT
wine_env_start_xvfb
wine_env_prefix "$build_root/wine-prefix" desktop
wine_env_fonts
timeout 60 "$WINE64" reg add "$desktop_key" /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null
export LANG=en_US.UTF-8 LC_ALL=
tool_dir="$build_root/win64/tests/e2e"
for scene in reboot shutdown postponed german; do
  bmp="$build_root/screenshot-$scene.bmp"
  timeout 120 "$WINE64" "$tool_dir/docs_screenshot.exe" "$scene" "Z:${bmp//\//\\}"
  # No time or date chunks, so that the same picture gives the same file.
  convert "$bmp" -strip -define png:exclude-chunks=date,time "$repo/docs/prompt-$scene$suffix.png"
  echo "docs/prompt-$scene$suffix.png"
done
