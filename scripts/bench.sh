#!/usr/bin/env bash
# Builds the x86_64 Windows program (build/win64) and runs the read benchmark under Wine.
# The benchmark writes its files to a temporary directory and deletes them afterwards.
# Usage: scripts/bench.sh [runs per figure]
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/wine-env.sh
cmake --preset win64 >/dev/null
cmake --build --preset win64 -j"$(nproc)" --target hb_bench_read
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
wine build/win64/bench/hb_bench_read.exe "$(winepath -w "$tmp")" "${1:-5}"
