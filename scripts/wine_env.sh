# Sourced by the test and demo scripts: a private Wine prefix and, when asked, a private
# Xvfb display. Everything started here is stopped by wine_env_stop, by pid.

WINE_ENV_XVFB_PID=""

# Wine takes the user's language, and how it maps file names, from the locale: without one it
# maps them as ASCII. Every run gets the same one whatever the caller's; a test that needs
# another language sets its own LANG.
export LANG=en_US.UTF-8 LANGUAGE=
for wine_env_var in $(compgen -e | grep '^LC_'); do unset "$wine_env_var"; done
unset wine_env_var

# Wine's 64-bit loader, named directly: the `wine` script prefers the 32-bit loader, which
# a kernel without 32-bit support (ia32_emulation off) cannot run at all.
if [ -x /usr/lib/wine/wine64 ]; then WINE64=/usr/lib/wine/wine64; else WINE64=wine64; fi
export WINE64
export WINELOADER=$WINE64

# Whether this machine runs 32-bit Windows programs: Wine's 32-bit loader must start.
wine_env_runs_32bit() {
  [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1
}

# Starts Xvfb on the first free display number from 90 and exports DISPLAY. Another run
# may take the same number at the same moment, so a display that dies is skipped.
wine_env_start_xvfb() {
  local n i
  for n in $(seq 90 150); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    WINE_ENV_XVFB_PID=$!
    export DISPLAY=":$n"
    for i in $(seq 1 100); do
      kill -0 "$WINE_ENV_XVFB_PID" 2>/dev/null || break
      if xdpyinfo >/dev/null 2>&1; then return 0; fi
      sleep 0.1
    done
    kill "$WINE_ENV_XVFB_PID" 2>/dev/null || true
    wait "$WINE_ENV_XVFB_PID" 2>/dev/null || true
    WINE_ENV_XVFB_PID=""
  done
  echo "wine_env: Xvfb did not start" >&2
  return 1
}

# Makes (or reuses) the prefix $1 and exports WINEPREFIX. With $2 = desktop, every window
# of the prefix opens in one virtual desktop, which draws captions without a window manager.
wine_env_prefix() {
  # shutdown.exe=n: a stand-in copied over the prefix's shutdown.exe runs instead of Wine's.
  export WINEPREFIX="$1" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;shutdown.exe=n"
  mkdir -p "$WINEPREFIX"
  # The wineserver must start with DISPLAY set, so end any that runs without it.
  timeout 30 wineserver -k >/dev/null 2>&1 || true
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "wine_env: creating Wine prefix $WINEPREFIX"
  fi
  timeout 300 "$WINE64" wineboot -i >/dev/null 2>&1
  local key='HKCU\Software\Wine\Explorer'
  if [ "${2:-}" = desktop ]; then
    timeout 60 "$WINE64" reg add "$key" /v Desktop /d Default /f >/dev/null 2>&1
    timeout 60 "$WINE64" reg add "$key\\Desktops" /v Default /d 1024x768 /f >/dev/null 2>&1
  else
    timeout 60 "$WINE64" reg delete "$key" /v Desktop /f >/dev/null 2>&1 || true
  fi
  timeout 60 wineserver -w >/dev/null 2>&1 || true
}

# Dialog fonts that measure like Windows': Debian's Wine has no "MS Sans Serif" and falls
# back to the much wider DejaVu Sans, so map the template's font (and the shell dialog
# fonts) to Liberation Sans, which has Arial's widths. Liberation has Greek and Cyrillic but
# no CJK, Arabic, Hebrew or Thai glyphs: link it, and its bold face used by captions, to
# WenQuanYi Micro Hei, Noto Sans Arabic, Noto Sans Hebrew and Loma, and name those fonts as
# Uniscribe's fallbacks for the edit control. Wine rewrites "MS Shell Dlg" when a program of
# another code page starts, so this runs under the one LANG the tests measure with.
wine_env_fonts() {
  local reg="$WINEPREFIX/fonts.reg" rc
  # REG_MULTI_SZ as REGEDIT4 hex(7): the bytes of each string, its terminator and one more.
  local link
  link=$(printf '%s\0' 'wqy-microhei.ttc,WenQuanYi Micro Hei' \
    'NotoSansArabic-Regular.ttf,Noto Sans Arabic' 'NotoSansHebrew-Regular.ttf,Noto Sans Hebrew' \
    'Loma.ttf,Loma' | od -An -v -tx1 | tr -s ' \n' ',' | sed 's/^,//; s/,$/,00/')
  # The Uniscribe value names are the script tags "hani", "kana", "hang", "arab", "hebr"
  # and "thai" as little-endian hex.
  cat >"$reg" <<EOF
REGEDIT4

[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes]
"Microsoft Sans Serif"="Liberation Sans"
"MS Shell Dlg"="Liberation Sans"
"MS Shell Dlg 2"="Liberation Sans"

[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontLink\\SystemLink]
"Liberation Sans"=hex(7):$link
"Liberation Sans Bold"=hex(7):$link

[HKEY_CURRENT_USER\\Software\\Wine\\Uniscribe\\Fallback]
"696e6168"="WenQuanYi Micro Hei"
"616e616b"="WenQuanYi Micro Hei"
"676e6168"="WenQuanYi Micro Hei"
"62617261"="Noto Sans Arabic"
"72626568"="Noto Sans Hebrew"
"69616874"="Loma"
EOF
  LANG=en_US.UTF-8 LC_ALL='' timeout 60 "$WINE64" regedit /S "Z:${reg//\//\\}" >/dev/null 2>&1
  rc=$?
  timeout 60 wineserver -w >/dev/null 2>&1 || true
  return $rc
}

wine_env_stop() {
  if [ -n "${WINEPREFIX:-}" ]; then timeout 30 wineserver -k >/dev/null 2>&1 || true; fi
  if [ -n "$WINE_ENV_XVFB_PID" ]; then
    kill "$WINE_ENV_XVFB_PID" 2>/dev/null || true
    wait "$WINE_ENV_XVFB_PID" 2>/dev/null || true
    WINE_ENV_XVFB_PID=""
  fi
}
