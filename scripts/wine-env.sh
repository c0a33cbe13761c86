# Sourced by the scripts that run Windows programs: one Wine prefix and one
# virtual display for a whole run (a new prefix takes tens of seconds).
#
# The word size: 32-bit Wine runs the shipped 32-bit build where this machine
# runs 32-bit programs; where it cannot (some virtual machines offer no 32-bit
# mode: 32-bit Wine fails there with "Exec format error"), 64-bit Wine runs the
# 64-bit build. QUENBY_WINE_BITS=32 or 64 forces the choice. Afterwards
# QUENBY_WINE_BITS holds the word size, QUENBY_WINE_REASON why it was chosen,
# and QUENBY_WINDOWS_BUILD the build folder whose programs this Wine runs.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

quenby_wine64_shims=$root/build/wine64-bin
case "${QUENBY_WINE_BITS:-}" in
  32 | 64)
    QUENBY_WINE_REASON="forced by QUENBY_WINE_BITS=$QUENBY_WINE_BITS"
    ;;
  "")
    # One cheap probe: the 32-bit Wine server's version, which any machine
    # that runs 32-bit programs and has 32-bit Wine prints.
    if quenby_probe=$(/usr/lib/wine/wineserver32 --version 2>&1); then
      QUENBY_WINE_BITS=32
      QUENBY_WINE_REASON="this machine runs 32-bit programs (/usr/lib/wine/wineserver32 --version works)"
    elif [ ! -e /usr/lib/wine/wineserver32 ]; then
      QUENBY_WINE_BITS=64
      QUENBY_WINE_REASON="32-bit Wine is not installed (wine32:i386; see scripts/install-deps.sh)"
    else
      QUENBY_WINE_BITS=64
      QUENBY_WINE_REASON="this machine cannot run 32-bit Wine (/usr/lib/wine/wineserver32 --version: $(printf '%s' "$quenby_probe" | head -n 1))"
    fi
    unset quenby_probe
    ;;
  *)
    echo "QUENBY_WINE_BITS must be 32 or 64, not '$QUENBY_WINE_BITS'" >&2
    return 2
    ;;
esac
export QUENBY_WINE_BITS QUENBY_WINE_REASON

# The prefix of each word size is its own, each with its own server; a prefix
# set by the caller is kept, one of ours follows the word size.
case "${WINEPREFIX:-}" in
  "" | "$root/build/wineprefix" | "$root/build/wineprefix64")
    if [ "$QUENBY_WINE_BITS" = 64 ]; then
      WINEPREFIX=$root/build/wineprefix64
    else
      WINEPREFIX=$root/build/wineprefix
    fi
    ;;
esac
export WINEPREFIX
PATH=$(printf '%s' "$PATH" | tr ':' '\n' | { grep -vxF "$quenby_wine64_shims" || true; } | paste -sd: -)
if [ "$QUENBY_WINE_BITS" = 64 ]; then
  export QUENBY_WINDOWS_BUILD=$root/build/win64
  export WINELOADER=/usr/lib/wine/wine64 WINESERVER=/usr/lib/wine/wineserver64
  # Debian's wine (and wineboot, winepath, which go through wine-stable) picks
  # the 32-bit loader whenever it is installed, runnable or not; these take
  # the 64-bit loader and server instead, for the scripts and for ctest.
  mkdir -p "$quenby_wine64_shims"
  for quenby_name in wine wine-stable; do
    printf '#!/bin/sh\nexec %s "$@"\n' "$WINELOADER" >"$quenby_wine64_shims/$quenby_name"
  done
  printf '#!/bin/sh\nexec %s "$@"\n' "$WINESERVER" >"$quenby_wine64_shims/wineserver"
  chmod +x "$quenby_wine64_shims"/*
  unset quenby_name
  export PATH=$quenby_wine64_shims:$PATH
else
  export QUENBY_WINDOWS_BUILD=$root/build/win
  [ "${WINELOADER:-}" != /usr/lib/wine/wine64 ] || unset WINELOADER
  [ "${WINESERVER:-}" != /usr/lib/wine/wineserver64 ] || unset WINESERVER
fi

export WINEDEBUG=${WINEDEBUG:--all}
# winemenubuilder off: shortcuts made by the installer tests stay out of the host desktop.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml=;winemenubuilder.exe=d"}

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "Creating the Wine prefix $WINEPREFIX for $QUENBY_WINE_BITS-bit Wine ..."
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
