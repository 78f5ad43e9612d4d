#!/usr/bin/env bash
# The walls between the layers: every #include "..." of src/ may reach only
# its own layer or one below it. Prints each offending include and exits 1;
# with --graph, prints the include counts between layers instead.
#
#   layer_check.sh SRC_DIR [--graph]
set -uo pipefail
src=${1:?usage: layer_check.sh SRC_DIR [--graph]}
graph=${2:-}

# The layer of a path under src/, and the layers it may include.
layer_of() {
  case $1 in
    base/*) echo base ;;
    device/*) echo device ;;
    sim/*) echo sim ;;
    facade/*) echo facade ;;
    script/core/*) echo script_core ;;
    script/statements/*) echo statements ;;
    frontend/*) echo frontend ;;
    *) echo other ;;
  esac
}
declare -A may=(
  [base]="base"
  [device]="base device"
  [sim]="base sim"
  [facade]="base device facade"
  [script_core]="base device facade script_core"
  [statements]="base device facade script_core statements"
  [frontend]="base sim facade script_core statements frontend"
)

declare -A edges
bad=0
cd "$src" || exit 2
while IFS= read -r file; do
  from=$(layer_of "$file")
  while IFS= read -r inc; do
    [ -f "$inc" ] || continue  # a system or generated header
    to=$(layer_of "$inc")
    edges["$from -> $to"]=$(( ${edges["$from -> $to"]:-0} + 1 ))
    if [[ " ${may[$from]:-} " != *" $to "* ]]; then
      echo "$file includes $inc: the $from layer cannot see the $to layer above it" >&2
      bad=1
    fi
  done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$file")
done < <(find . -name '*.cpp' -o -name '*.h' | sed 's#^\./##' | sort)

if [ "$graph" = --graph ]; then
  for edge in "${!edges[@]}"; do printf '%-32s %4d\n' "$edge" "${edges[$edge]}"; done | sort
fi
exit $bad
