#!/usr/bin/env bash
# The wall check on a small tree: an include into the same layer or one
# below passes, one that reaches up fails and names the file, and a system
# header is no layer's. Also runs the check on the real tree.
#   layer_check_test.sh LAYER_CHECK SRC_DIR
set -uo pipefail
check=$1 src=$2
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
failures=0

# case: from-file  included-file  expected status
cases=(
  "device/a.cpp base/b.h 0"
  "script/statements/a.cpp script/core/b.h 0"
  "frontend/a.cpp sim/b.h 0"
  "facade/a.cpp script/statements/b.h 1"
  "device/a.cpp sim/b.h 1"
  "sim/a.cpp device/b.h 1"
  "base/a.cpp device/b.h 1"
  "frontend/a.cpp device/b.h 1"
  "script/core/a.cpp script/statements/b.h 1"
)
for c in "${cases[@]}"; do
  read -r from to want <<<"$c"
  rm -rf "${tree:?}"/*
  mkdir -p "$tree/$(dirname "$from")" "$tree/$(dirname "$to")"
  : >"$tree/$to"
  printf '#include <vector>\n#include "%s"\n' "$to" >"$tree/$from"
  out=$("$check" "$tree" 2>&1)
  got=$?
  if [ "$got" -ne "$want" ]; then
    echo "FAIL: $from including $to: status $got, expected $want ($out)"
    failures=$((failures + 1))
  elif [ "$want" -eq 1 ] && [[ $out != *"$from includes $to"* ]]; then
    echo "FAIL: $from including $to: the report does not name it: $out"
    failures=$((failures + 1))
  fi
done

"$check" "$src" || { echo "FAIL: the source tree has an include that reaches up"; failures=$((failures + 1)); }
exit $((failures > 0))
