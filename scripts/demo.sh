#!/usr/bin/env bash
# Runs plimsay.exe under Wine in a fresh sandbox directory with a short sample task and a
# shutdown.bat stub that logs instead of restarting. Uses your X display when there is
# one, else a private Xvfb display and saves a screenshot. Prints defer.cfg at the end.
#   DEMO_DELAY   seconds of the first countdown (default 20)
#   DEMO_TIMEOUT seconds to wait for the prompt to end (default 900)
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
build_root=${BUILD_ROOT:-$repo/build}
delay=${DEMO_DELAY:-20}
wait_limit=${DEMO_TIMEOUT:-900}

bash "$repo/scripts/setup.sh"
cmake --preset win64 -B "$build_root/win64" -Wno-dev >/dev/null
timeout 1800 cmake --build "$build_root/win64" --target plimsay
source "$repo/scripts/wine_env.sh"

sandbox="$repo/sandbox/run-$(date +%Y%m%d-%H%M%S)"
mkdir -p "$sandbox"
cp "$build_root/win64/deferral/win/plimsay.exe" "$sandbox/"
printf '[Settings]\r\nAction=Reboot\r\nDefaultPostponeTime=%s\r\nRemainPostponeCount=2\r\n' \
  "$delay" >"$sandbox/defer.cfg"
printf '@echo off\r\necho shutdown %%* >> "%%~dp0shutdown.log"\r\n' >"$sandbox/shutdown.bat"
echo "demo: sandbox $sandbox"

trap wine_env_stop EXIT
on_screen=0
if [ -n "${DISPLAY:-}" ] && timeout 5 xdpyinfo >/dev/null 2>&1; then
  on_screen=1
  wine_env_prefix "$build_root/wine-demo"
else
  wine_env_start_xvfb
  wine_env_prefix "$build_root/wine-demo" desktop
fi

cd "$sandbox"
timeout "$wait_limit" "$WINE64" plimsay.exe &
prompt=$!
if [ $on_screen -eq 0 ]; then
  sleep 5
  import -window root "$sandbox/screenshot.png" && echo "demo: screenshot $sandbox/screenshot.png"
fi
wait $prompt || echo "demo: the prompt ended with status $?"

echo "demo: defer.cfg now reads:"
cat -A "$sandbox/defer.cfg"
if [ -f "$sandbox/shutdown.log" ]; then
  echo "demo: restart command log:"
  cat "$sandbox/shutdown.log"
else
  echo "demo: the restart command did not run"
fi
