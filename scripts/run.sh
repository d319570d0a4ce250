#!/usr/bin/env bash
# Builds the x86_64 Windows program and opens it under Wine. Needs a display: on a machine
# without one, run it as `xvfb-run -a scripts/run.sh`. Arguments become the initial file name.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake --preset win64 >/dev/null
cmake --build --preset win64 -j"$(nproc)" --target handlebench
source scripts/wine-env.sh
unset LC_ALL  # the user's own locale and code page
exec wine build/win64/handlebench.exe "$@"
