#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: unit and end-to-end
# tests under AddressSanitizer and UndefinedBehaviorSanitizer, a short fuzz run
# of the script loader, and the suite against a real kernel SCSI stack in a VM.
set -uo pipefail
cd "$(dirname "$0")"
jobs=$(nproc 2>/dev/null || echo 2)

./tools/install-deps.sh || { echo "dependency install failed"; exit 1; }

status=0
declare -a summary

stage() { # name, command...
  local name=$1; shift
  echo "=== $name"
  if "$@"; then summary+=("$name: passed"); else summary+=("$name: FAILED"); status=1; fi
}

build() { # dir, cmake options...
  local dir=$1; shift
  cmake -S . -B "$dir" "$@" >/dev/null && cmake --build "$dir" -j"$jobs"
}

# The release build serves the kernel suite and the benchmarks; the tests run
# on the sanitizer build.
stage "release build" build build -DCMAKE_BUILD_TYPE=Release -DVEXIL_TESTS=OFF
stage "sanitizer build" build build-asan -DCMAKE_BUILD_TYPE=Debug -DVEXIL_SANITIZE=ON
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest_log=$(mktemp)
run_ctest() {
  ctest --test-dir build-asan --output-on-failure -j"$jobs" --timeout 300 2>&1 | tee "$ctest_log"
  return "${PIPESTATUS[0]}"
}
stage "tests (sanitizers)" run_ctest
stage "install and package" tests/install/check.sh build

if [ -x tools/fuzz.sh ]; then
  stage "fuzz" tools/fuzz.sh "${VEXIL_FUZZ_SECONDS:-60}"
fi

if [ -x tests/vm/run.sh ]; then
  vm_out=$(mktemp)
  tests/vm/run.sh build/vexil 2>&1 | tee "$vm_out"
  vm_status=${PIPESTATUS[0]}
  if [ "$vm_status" -eq 77 ]; then
    summary+=("kernel SCSI suite: SKIPPED ($(tail -n 1 "$vm_out"))")
  elif [ "$vm_status" -eq 0 ]; then
    summary+=("$(grep '^kernel SCSI suite:' "$vm_out" | tail -n 1)")
  else
    summary+=("kernel SCSI suite: FAILED"); status=1
  fi
  rm -f "$vm_out"
fi

echo
echo "=== summary"
printf '%s\n' "${summary[@]}"
# One closing line with the unit and end-to-end test counts.
total=$(sed -n 's/.*tests failed out of \([0-9]*\).*/\1/p' "$ctest_log" | tail -n 1)
failed=$(sed -n 's/.*, \([0-9]*\) tests failed out of.*/\1/p' "$ctest_log" | tail -n 1)
rm -f "$ctest_log"
if [ -n "$total" ] && [ -n "$failed" ]; then
  echo "tests: $((total - failed)) passed, $failed failed"
else
  echo "tests: 0 passed, 1 failed"
  status=1
fi
exit $status
