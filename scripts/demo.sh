#!/usr/bin/env bash
# Shows a whole task under Wine: the reference agent writes the task, starts plimsay.exe
# through selvaun.exe and reports what happened. Restarts are recorded by a stand-in over the
# demo prefix's own system32\shutdown.exe, never done, and the texts come from our language
# files installed in that prefix. With your X display you click; without one (no DISPLAY) a
# private Xvfb display is used, the demo clicks by itself and saves screenshots.
#   DEMO_SCENARIO  postpone (default): a postpone of one minute that comes back, then the
#                  restart; german: the same in German; countdown: nobody answers;
#                  cancel: the agent drops cancel.flag after 8 seconds
#   DEMO_DELAY     seconds of the first countdown, also the threshold (default 20; keep it
#                  below 60 so that a one-minute postpone waits minimised first)
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
build_root=${BUILD_ROOT:-$repo/build}
build=$build_root/win64
scenario=${DEMO_SCENARIO:-postpone}
delay=${DEMO_DELAY:-20}
case "$scenario" in
  postpone | german | countdown | cancel) ;;
  *) echo "demo: DEMO_SCENARIO is postpone, german, countdown or cancel" >&2; exit 2 ;;
esac

bash "$repo/scripts/setup.sh"
cmake --preset win64 -B "$build" -Wno-dev >/dev/null
timeout 1800 cmake --build "$build" \
  --target plimsay selvaun reference_agent prompt_driver restart_standin
source "$repo/scripts/wine_env.sh"

# A fresh sandbox for this run's records; only the last five are kept.
sandbox="$repo/sandbox/run-$(date +%Y%m%d-%H%M%S)"
mkdir -p "$sandbox"
runs=("$repo"/sandbox/run-*)
for ((i = 0; i < ${#runs[@]} - 5; i++)); do rm -rf -- "${runs[i]}"; done
echo "demo: sandbox $sandbox"

winpath() { local p=${1//\//\\}; echo "Z:$p"; }  # Wine shows / as drive Z:
utf16() { printf '\xff\xfe'; iconv -f UTF-8 -t UTF-16LE; }

trap wine_env_stop EXIT
headless=1
if [ -n "${DISPLAY:-}" ] && timeout 5 xdpyinfo >/dev/null 2>&1; then headless=0; fi
[ $headless -eq 1 ] && wine_env_start_xvfb
if [ -f "$build_root/wine-demo/system.reg" ]; then
  echo "demo: preparing the Wine prefix $build_root/wine-demo"
else
  echo "demo: making the Wine prefix $build_root/wine-demo: the first time takes a minute or two"
fi
wine_env_prefix "$build_root/wine-demo" $([ $headless -eq 1 ] && echo desktop)
# Arial-wide fonts and a CJK font linked, as the tests measure the texts with.
wine_env_fonts

# The agent's installation folder, plimsay.exe and its task files, on the prefix's own drive
# C:, whose folders only this account may change. Under Z: the folders above would be those
# of the Unix file system, which the prompt's folder check may find open (/tmp lets everyone
# rename what is in it; folders another Unix user owns have an owner it does not trust).
prog="$WINEPREFIX/drive_c/Program Files/Orvex Agent"
prog_win='C:\Program Files\Orvex Agent'
rm -rf -- "$prog"
mkdir -p "$prog"
cp "$build/deferral/win/plimsay.exe" "$prog/"
echo "demo: the agent's folder $prog_win"

# The prefix's shutdown.exe records instead of restarting (WINEDLLOVERRIDES names it, see
# wine_env.sh); make sure it is what runs before anything may restart.
cp "$build/tests/support/restart_standin.exe" "$WINEPREFIX/drive_c/windows/system32/shutdown.exe"
VANTREL_RESTART_LOG=$(winpath "$sandbox/probe.log") \
  timeout 60 "$WINE64" 'C:\windows\system32\shutdown.exe' /probe || true
if ! grep -q '|.*/probe' "$sandbox/probe.log" 2>/dev/null; then
  echo "demo: the restart stand-in does not run in place of shutdown.exe; stopping" >&2
  exit 1
fi
rm -f "$sandbox/probe.log"
export VANTREL_RESTART_LOG
VANTREL_RESTART_LOG=$(winpath "$sandbox/restart.log")
i18n="$WINEPREFIX/drive_c/windows/kestrond/i18n/plimsayui"
mkdir -p "$i18n"
cp "$repo"/deferral/i18n/* "$i18n/"

# The administrator's customisation: a slider of one minute, so that a postpone comes back
# within a minute instead of four hours. Profile files may be UTF-16 with a byte-order mark.
title="Orvex Agent - Restart required"
message="Updates were installed. Postpone by a minute and watch the prompt come back."
if [ "$scenario" = german ]; then
  export LANG=de_DE.UTF-8 LC_ALL=
  title="Orvex Agent - Neustart erforderlich"
  message="Updates wurden installiert. Verschieben Sie um eine Minute: die Meldung kommt zurück."
fi
if [ "$scenario" = postpone ] || [ "$scenario" = german ]; then
  printf '[Settings]\r\nDelay=%s\r\nPostpone=2\r\nInterval=1\r\nDefaultInterval=1\r\nTitle=%s\r\nMsg=%s\r\n' \
    "$delay" "$title" "$message" | utf16 >"$prog/defer_customized.cfg"
fi

agent_options=(--delay "$delay" --postpones 2 --wait $((delay + 120)))
[ "$scenario" = cancel ] && agent_options+=(--cancel-after 8)
echo "demo: the agent starts the prompt ($scenario)"
timeout $((delay + 300)) "$WINE64" "$build/examples/agent/reference_agent.exe" \
  "$(winpath "$build/launcher/selvaun.exe")" "$prog_win\\plimsay.exe" \
  "${agent_options[@]}" >"$sandbox/agent.txt" &
agent=$!

drive() { timeout 200 "$WINE64" "$build/examples/agent/prompt_driver.exe" "$prog_win\\plimsay.exe" "$@"; }
shot() { import -window root "$sandbox/$1" && echo "demo: screenshot $sandbox/$1"; }
postponing=0
[ "$scenario" = postpone ] || [ "$scenario" = german ] && postponing=1
if [ $headless -eq 0 ]; then
  [ $postponing -eq 1 ] && echo "demo: click \"Postpone\": the prompt hides, comes back $((60 - delay)) seconds later and restarts at the end"
elif drive shown 60; then
  sleep 1 && shot 1-prompt.png
  if [ $postponing -eq 1 ]; then
    echo "demo: clicking \"Postpone\" (1 minute)"
    drive postpone 1 && sleep 2 && shot 2-postponed.png
    drive shown 120 && sleep 2 && shot 3-back.png
  fi
fi
wait $agent || echo "demo: the agent ended with status $?"

echo "demo: the agent reported: $(tr -d '\r' <"$sandbox/agent.txt")"
echo "demo: defer.cfg now reads, line ends named:"
perl -pe 's/\r/<CR>/g; s/\n/<LF>\n/' "$prog/defer.cfg" | sed 's/^/    /'
if [ -s "$sandbox/restart.log" ]; then
  echo "demo: the restart command ran (recorded by the stand-in, not done):"
  tr -d '\r' <"$sandbox/restart.log" | sed 's/^/    /'
else
  echo "demo: the restart command did not run"
fi
