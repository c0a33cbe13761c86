# Sourced by the scripts that run Windows programs: one Wine prefix and one
# virtual display for a whole run (a new prefix takes tens of seconds).
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$root/build/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
# winemenubuilder off: shortcuts made by the installer tests stay out of the host desktop.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml=;winemenubuilder.exe=d"}

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "Creating the Wine prefix $WINEPREFIX ..."
  wineboot -i >/dev/null 2>&1 || true
  wineserver -w
fi
# Wine keeps its own faces (the dialog face Tahoma, Marlett for the caption
# buttons) in its data folder, where this packaging's programs never look;
# without them the windows get whatever face of the host matches first, and
# their captions no longer fit as designed. A prefix's Fonts folder is read.
fonts="$WINEPREFIX/drive_c/windows/Fonts"
if [ ! -f "$fonts/marlett.ttf" ] && compgen -G "/usr/share/wine/fonts/*.ttf" >/dev/null; then
  mkdir -p "$fonts"
  cp /usr/share/wine/fonts/*.ttf "$fonts/" || true
fi
# A persistent server, and Wine's background services started now with their
# output on /dev/null: started by a test instead, they would inherit its pipes
# and ctest would wait for them forever.
wineserver -p >/dev/null 2>&1 || true
wine cmd /c exit </dev/null >/dev/null 2>&1 || true

if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
  export DISPLAY=:99
  if ! xdpyinfo >/dev/null 2>&1; then
    Xvfb :99 -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
  fi
fi
