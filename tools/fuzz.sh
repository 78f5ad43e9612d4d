#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build-fuzz/ and runs each for its
# share of SECONDS (default 60). Exits non-zero when a target finds a crash;
# the crashing inputs are kept in build-fuzz/crashes/.
set -uo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
dir="$PWD/build-fuzz"
cc=$(command -v clang-14 || command -v clang)
cxx=$(command -v clang++-14 || command -v clang++)
if [ -z "$cc" ] || [ -z "$cxx" ]; then
  echo "fuzz: clang not found"; exit 1
fi

targets=(ktext_fuzz loader_fuzz loader_gen_fuzz log_page_fuzz page_decoder_fuzz csv_fuzz device_script_fuzz)
cmake -S . -B "$dir" -DCMAKE_C_COMPILER="$cc" -DCMAKE_CXX_COMPILER="$cxx" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVEXIL_SANITIZE=ON -DVEXIL_FUZZ=ON -DVEXIL_TESTS=OFF \
  >/dev/null || exit 1
cmake --build "$dir" -j2 --target "${targets[@]}" fuzz_dictionary >"$dir/build.log" 2>&1 || { tail -30 "$dir/build.log"; exit 1; }
# The loader's dictionary comes from the statement table, never a hand list.
"$dir/tests/fuzz/fuzz_dictionary" >"$dir/script.dict" || { echo "fuzz: no dictionary"; exit 1; }

mkdir -p "$dir/crashes"
share=$(( seconds / ${#targets[@]} ))
[ "$share" -lt 1 ] && share=1
status=0
for t in "${targets[@]}"; do
  corpus="$dir/corpus/$t"
  mkdir -p "$corpus"
  seeds=tests/fuzz/corpus/${t%_fuzz}
  [ -d "$seeds" ] && cp -n "$seeds"/* "$corpus"/ 2>/dev/null
  dict=()
  [ "$t" = loader_fuzz ] && dict=(-dict="$dir/script.dict")
  echo "fuzz: $t for ${share}s"
  # Scripts print their trail on stdout: close it (-close_fd_mask=1).
  if ! "$dir/tests/fuzz/$t" -max_total_time="$share" -timeout=20 -rss_limit_mb=2048 -close_fd_mask=1 \
       "${dict[@]}" -print_final_stats=1 -artifact_prefix="$dir/crashes/$t-" "$corpus" 2>"$dir/$t.log"; then
    echo "fuzz: $t FAILED (see $dir/$t.log and $dir/crashes/)"
    grep -m1 -A12 'ERROR\|runtime error' "$dir/$t.log"
    status=1
  else
    grep -E 'stat::number_of_executed_units|cov:' "$dir/$t.log" | tail -2
  fi
done
exit $status
