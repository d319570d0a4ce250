#!/usr/bin/env bash
# Builds the libFuzzer targets (tests/fuzz/) with clang in build/fuzz and runs them one after
# another for SECONDS in total (default 600), split evenly. Each grows its corpus in
# build/fuzz/corpus/TARGET from the checked-in seeds and kept inputs. Prints each target's runs
# and coverage; exits 1 if any target found a fault (its input is left in build/fuzz/findings/).
#   scripts/fuzz.sh [--seed N] [SECONDS]
# --seed fixes libFuzzer's seed and starts from the checked-in inputs alone, keeping nothing new:
# the test command's short run.
set -euo pipefail
cd "$(dirname "$0")/.."
seed=
if [ "${1:-}" = --seed ]; then seed=$2; shift 2; fi
seconds=${1:-600}
targets=(numbers script answers history)
# The longest input worth trying: a box's text; a row's answer and the bytes before it.
declare -A max_len=([numbers]=64 [script]=4096 [answers]=2560 [history]=512)

scripts/deps.sh cmake make clang libclang-rt-dev
echo "== Fuzz targets: build =="
cmake -S . -B build/fuzz -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE= -DCMAKE_CXX_FLAGS="-O1 -g -fsanitize=fuzzer-no-link" \
  -DHB_SANITIZE=ON -DHB_TESTS=OFF -DHB_FUZZ=ON >/dev/null
if ! cmake --build build/fuzz -j"$(nproc)" --target "${targets[@]/#/fuzz_}" >build/fuzz/build.log 2>&1; then
  tail -40 build/fuzz/build.log
  exit 1
fi

each=$(( seconds / ${#targets[@]} ))
((each >= 1)) || each=1
mkdir -p build/fuzz/findings
found=0
total=0
for t in "${targets[@]}"; do
  seeds=(tests/fuzz/corpus/$t)
  [ -d tests/fuzz/regressions/$t ] && seeds+=(tests/fuzz/regressions/$t)
  [ "$t" = script ] && seeds+=(tests/scripts)  # the project's own scripts and transcripts
  if [ -n "$seed" ]; then
    corpus=$(mktemp -d build/fuzz/brief.XXXXXX)
    options=(-seed="$seed")
  else
    corpus=build/fuzz/corpus/$t
    options=()
  fi
  mkdir -p "$corpus"
  log=build/fuzz/$t.log
  set +e
  # The window holds up to 2^31 bytes to read or write, as a Count box may ask: room for that.
  nice -n 10 build/fuzz/tests/fuzz/fuzz_$t "${options[@]}" -max_total_time="$each" -timeout=10 \
    -rss_limit_mb=4096 -max_len="${max_len[$t]}" -artifact_prefix=build/fuzz/findings/$t- \
    "$corpus" "${seeds[@]}" >"$log" 2>&1
  rc=$?
  set -e
  [ -n "$seed" ] && rm -rf "$corpus"
  runs=$(sed -n 's/^Done \([0-9]*\) runs.*/\1/p' "$log" | tail -1)
  cov=$(grep -o 'cov: [0-9]* ft: [0-9]*' "$log" | tail -1 || true)
  if [ "$rc" -eq 0 ] && [ -n "$runs" ]; then
    echo "fuzz $t: ok, ${runs} runs in ${each} s, ${cov:-cov: ?}"
    total=$((total + runs))
  else
    found=1
    echo "fuzz $t: FOUND a fault (exit $rc), ${cov:-cov: ?}; the log is $log"
    grep -E '^==[0-9]+==ERROR|^SUMMARY|fuzz check failed|Test unit written|ALARM' "$log" | head -20
  fi
done
echo "fuzz: ${total} runs in all"
exit "$found"
