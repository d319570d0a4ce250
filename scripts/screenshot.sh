#!/bin/sh
# Takes a picture of the main window: runs a built handlebench.exe under Wine on a virtual X
# screen, waits for its window, and saves the screen as a PNG. Builds nothing.
#
# Usage: scripts/screenshot.sh path/to/handlebench.exe out.png [arguments for the program]
# Needs: wine, xvfb (xvfb-run), xdotool, imagemagick (import).
set -eu

if [ $# -lt 2 ]; then
    echo "usage: $0 handlebench.exe out.png [program arguments]" >&2
    exit 2
fi
exe=$(readlink -f "$1")
out=$(readlink -f "$2" 2>/dev/null || echo "$2")
shift 2
[ -f "$exe" ] || { echo "$0: no such file: $exe" >&2; exit 2; }
cd "$(dirname "$0")/.."
. scripts/wine-env.sh

# Everything below runs inside the virtual X server.
inner=$(cat <<'EOF'
set -eu
exe=$1 out=$2
shift 2
wine "$exe" "$@" >/dev/null 2>&1 &
# A first start of Wine may create its prefix, which takes a while.
i=0
until xdotool search --name "Handlebench - pid" >/dev/null 2>&1; do
    i=$((i + 1))
    if [ $i -gt 600 ]; then
        echo "screenshot: the window did not appear" >&2
        wineserver -k || true
        exit 1
    fi
    sleep 0.1
done
sleep 1.5  # let it paint
# The window with the title bar Wine draws on it.
import -window "$(xdotool search --name "Handlebench - pid" | head -n 1)" "$out"
wineserver -k || true
wait || true
EOF
)
xvfb-run -a -s "-screen 0 1280x800x24" sh -c "$inner" screenshot "$exe" "$out" "$@"
echo "$out"
