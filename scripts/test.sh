#!/usr/bin/env bash
# Builds everything and runs every test: native (address and undefined-behaviour sanitizers),
# the native suites again as a 32-bit Linux program under qemu-i386, the x86_64 and i686 Windows
# builds, and the Windows suites under Wine with Xvfb.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
jobs=$(nproc)
# Every include goes down the layers (the README's layout section).
python3 scripts/check-layers.py

echo "== Native build (sanitizers) =="
cmake --preset native >/dev/null
cmake --build --preset native -j"$jobs"

# The host cannot run 32-bit x86 programs, nor may 32-bit Wine be installed; qemu-i386 runs
# this static build, so that the portable code is also tested with a 32-bit size_t.
echo "== 32-bit Linux build =="
cmake --preset linux32 >/dev/null
cmake --build --preset linux32 -j"$jobs"

echo "== Windows builds =="
for p in win64 win32; do
  cmake --preset "$p" >/dev/null
  cmake --build --preset "$p" -j"$jobs"
done

# The i686 program cannot run here (no 32-bit Wine); check it imports only Windows DLLs.
scripts/check-imports.sh build/win32/handlebench.exe build/win64/handlebench.exe
# The program ships as one file of at most a MiB at either width.
for exe in build/win32/handlebench.exe build/win64/handlebench.exe; do
  size=$(stat -c %s "$exe")
  echo "$exe: $size bytes"
  if [ "$size" -gt 1048576 ]; then echo "$exe is larger than 1 MiB" >&2; exit 1; fi
done

total_passed=0
total_failed=0
total_skipped=0
# Runs one GoogleTest program and insists that it ran tests: silence is not a pass.
run_suite() {
  local label=$1; shift
  local log
  log=$(mktemp)
  echo "== $label =="
  set +e
  "$@" 2>&1 | tee "$log" | grep -E '^\[  (FAILED|PASSED) |^\[==========\] [0-9]+ tests? from .* ran'
  local rc=${PIPESTATUS[0]}
  set -e
  local ran passed failed
  ran=$(sed -n 's/^\[==========\] \([0-9]*\) tests\{0,1\} from .* ran.*/\1/p' "$log" | tail -1)
  passed=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\{0,1\}.*/\1/p' "$log" | tail -1)
  skipped=$(sed -n 's/^\[  SKIPPED \] \([0-9]*\) tests\{0,1\}.*/\1/p' "$log" | tail -1)
  failed=$(( ${ran:-0} - ${passed:-0} - ${skipped:-0} ))
  if [ -z "$ran" ] || [ "$ran" -eq 0 ]; then
    echo "$label: no tests ran"; sed -n '1,40p' "$log"; failed=$((failed + 1))
  elif [ "$rc" -ne 0 ] && [ "$failed" -eq 0 ]; then
    echo "$label: exit code $rc"; tail -40 "$log"; failed=1
  fi
  [ "$failed" -eq 0 ] || grep -E '^\[  FAILED  \]|Failure|error' "$log" | head -40 || true
  total_passed=$((total_passed + ${passed:-0}))
  total_failed=$((total_failed + failed))
  total_skipped=$((total_skipped + ${skipped:-0}))
  rm -f "$log"
}

# hbrun runs tests/suite (a passing, a failing and a broken script): its summary, then the same
# with the golden transcripts, and JUnit XML that the schema beside the scripts accepts. Each
# run counts as one test.
suite_check() {
  local label=$1 xml=$2 status=$3 total=$4; shift 4
  echo "== $label =="
  local out rc=0
  out=$("$@" --junit "$xml" tests/suite 2>&1 | tr -d '\r') || rc=$?
  if [ "$rc" -eq "$status" ] && [ "$(tail -1 <<<"$out")" = "$total" ] &&
     xmllint --noout --schema tests/suite/junit.xsd "$xml"; then
    total_passed=$((total_passed + 1))
  else
    echo "$label: exit $rc, wanted $status and '$total'"; tail -20 <<<"$out"
    total_failed=$((total_failed + 1))
  fi
}
suite_checks() {
  local where=$1; shift
  suite_check "$where: hbrun runs a suite" "build/suite-$where.xml" 2 \
    "3 scripts: 1 passed, 1 failed, 1 error" "$@"
  suite_check "$where: hbrun runs a suite against its golden transcripts" \
    "build/suite-golden-$where.xml" 2 "3 scripts: 2 passed, 0 failed, 1 error" "$@" --golden
}

run_suite "native unit and handler tests" build/native/tests/hb_tests
suite_checks native build/native/hbrun
run_suite "native kernel conformance (simulated machine)" build/native/tests/hb_conformance
run_suite "32-bit Linux (qemu-i386): unit and handler tests" qemu-i386 build/linux32/tests/hb_tests
run_suite "32-bit Linux (qemu-i386): kernel conformance (simulated machine)" \
  qemu-i386 build/linux32/tests/hb_conformance

# Each fuzz target for a few seconds, from its seeds with a fixed seed: a target that finds a
# fault, or that does not build, counts as a failure.
echo "== Fuzz targets, 3 s each =="
set +e
fuzz_out=$(scripts/fuzz.sh --seed 1 12 2>&1)
fuzz_rc=$?
set -e
grep -E '^fuzz |^==[0-9]+==ERROR|^SUMMARY|fuzz check failed' <<<"$fuzz_out" || tail -20 <<<"$fuzz_out"
fuzz_ok=$(grep -c '^fuzz [a-z]*: ok' <<<"$fuzz_out" || true)
total_passed=$((total_passed + fuzz_ok))
if [ "$fuzz_rc" -ne 0 ]; then total_failed=$((total_failed + 4 - fuzz_ok)); fi

source scripts/wine-env.sh
run_under_x() { xvfb-run -a -s "-screen 0 1280x1024x24" "$@"; }
run_suite "Wine: unit and handler tests" wine build/win64/tests/hb_tests.exe
suite_checks wine wine build/win64/hbrun.exe
run_suite "Wine: kernel conformance (simulated machine and kernel32)" \
  wine build/win64/tests/hb_conformance.exe
if [ -f build/win64/tests/hb_gui.exe ]; then
  # The GUI suite also saves pictures of the main window and both pickers to look at.
  mkdir -p build/screenshots
  # Absolute: the window makes the Windows drive current, as the program does at start.
  export HB_SCREENSHOT=$PWD/build/screenshots/main-window.bmp HB_SCREENSHOT_DIR=$PWD/build/screenshots
  run_suite "Wine: GUI tests of the real window" run_under_x wine build/win64/tests/hb_gui.exe
fi
wineserver -k 2>/dev/null || true
ls build/screenshots/*.bmp 2>/dev/null | sed 's/^/screenshot: /' || true

echo
echo "total: ${total_passed} passed, ${total_failed} failed, ${total_skipped} skipped"
[ "$total_failed" -eq 0 ]
