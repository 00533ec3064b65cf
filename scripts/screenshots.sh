#!/usr/bin/env bash
# Makes the README's pictures under docs/: the real prompt under Wine, in a private Xvfb
# display and Wine prefix (build/wine-prefix), with the fonts the fit check uses.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
build_root=${BUILD_ROOT:-$repo/build}

bash "$repo/scripts/setup.sh"
source "$repo/scripts/wine_env.sh"
cmake --preset win64 -B "$build_root/win64" -Wno-dev >/dev/null
timeout 3600 cmake --build "$build_root/win64" --target docs_screenshot_programs >/dev/null

trap wine_env_stop EXIT
wine_env_start_xvfb
wine_env_prefix "$build_root/wine-prefix" desktop
wine_env_fonts
export LANG=en_US.UTF-8 LC_ALL=
tool_dir="$build_root/win64/tests/e2e"
for scene in reboot shutdown postponed german; do
  bmp="$build_root/screenshot-$scene.bmp"
  timeout 120 "$WINE64" "$tool_dir/docs_screenshot.exe" "$scene" "Z:${bmp//\//\\}"
  # No time or date chunks, so that the same picture gives the same file.
  convert "$bmp" -strip -define png:exclude-chunks=date,time "$repo/docs/prompt-$scene.png"
  echo "docs/prompt-$scene.png"
done
