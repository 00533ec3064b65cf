#!/usr/bin/env bash
# Makes the README's pictures under docs/: the real prompt under Wine, in a private Xvfb
# display and Wine prefix (build/wine-prefix), with the fonts the fit check uses.
# scripts/screenshots.sh [DPI] [SCENE...]: a first argument that is a number is the DPI (96
# when not given); at another DPI the pictures are named docs/prompt-<scene>-<DPI>dpi.png.
# Named scenes go to build/screenshot-<scene>.png instead: any shipped locale, e.g.
# `scripts/screenshots.sh he_IL th_TH-shutdown` or `scripts/screenshots.sh 192 ar_SA`.
set -euo pipefail
dpi=96
case ${1:-} in '' | *[!0-9]*) ;; *) dpi=$1; shift ;; esac
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

# Wine lays out Arabic, Hebrew and Thai labels with the dialog font's own glyphs only (font
# links are not followed there), so their pictures use a dialog font that has the script.
scene_face() {
  case "$1" in
    arabic* | ar_* | he_*) echo "DejaVu Sans" ;;
    th_*) echo "Loma" ;;
  esac
}
dialog_face() {
  local reg="$WINEPREFIX/face.reg" name
  printf 'REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes]\n' >"$reg"
  for name in "Microsoft Sans Serif" "MS Shell Dlg" "MS Shell Dlg 2"; do
    printf '"%s"="%s"\n' "$name" "$1" >>"$reg"
  done
  timeout 60 "$WINE64" regedit /S "Z:${reg//\//\\}" >/dev/null 2>&1
  timeout 60 wineserver -w >/dev/null 2>&1 || true
}

scenes=(reboot shutdown postponed german arabic)
[ $# -gt 0 ] && scenes=("$@")
for scene in "${scenes[@]}"; do
  bmp="$build_root/screenshot-$scene.bmp"
  png="$repo/docs/prompt-$scene$suffix.png"
  [ $# -gt 0 ] && png="$build_root/screenshot-$scene$suffix.png"
  face=$(scene_face "$scene")
  [ -z "$face" ] || dialog_face "$face"
  timeout 120 "$WINE64" "$tool_dir/docs_screenshot.exe" "$scene" "Z:${bmp//\//\\}"
  [ -z "$face" ] || dialog_face "Liberation Sans"
  # No time or date chunks, so that the same picture gives the same file.
  convert "$bmp" -strip -define png:exclude-chunks=date,time "$png"
  echo "$png"
done
