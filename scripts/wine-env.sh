# Sourced: a private Wine prefix for this checkout, quiet, with a pinned locale (code page 1252).
export WINEPREFIX="${HB_WINEPREFIX:-$PWD/build/wineprefix}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export LC_ALL=C.UTF-8
export GTEST_COLOR=no
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1 || true
  # Wine draws the title bars itself: Xvfb has no window manager to draw them, and Wine would
  # otherwise wait for one each time a window is hidden.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
  wineserver -w || true
fi
