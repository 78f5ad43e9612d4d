#!/usr/bin/env bash
# Cost of the console's command path on a real kernel. In one VM boot, with
# scsi_debug answering at once (delay=0), N TEST UNIT READY commands are sent
#   - as N bare SG_IO ioctls on one open node (the floor, vm/sgio_floor.c),
#   - the same with a 256 KiB memset before each (what clearing the whole
#     data buffer per command costs here: a lot under emulation),
#   - through the console's command path (vm_tur_bench.cpp),
#   - by sg_turs -n N,
# three rounds each; the best round of each is printed with its ratio to the
# floor. A benchmark, not a test: it never fails on its figures.
#
# Usage: bench/vm_bench.sh [N]      (default 10000)
# Environment: VEXIL_BUILD (default build-vm), VEXIL_SGVM (folder of
# run-in-vm.sh, default /work/shared/sgvm).
set -euo pipefail
n=${1:-10000}
# shellcheck source=vm_setup.sh
source "$(dirname "${BASH_SOURCE[0]}")/vm_setup.sh"
vm_bench_setup vmbench vm_tur_bench
cat >"$work/files/bench.sh" <<GUEST
[ -e /sbin/lsmod ] || ln -s "\$(command -v lsmod)" /sbin/lsmod
sg_turs /dev/sg0 >/dev/null 2>&1   # takes the power-on unit attention
for round in 1 2 3; do
	sgio_floor /dev/sg0 $n
	sgio_floor /dev/sg0 $n clear
	vm_tur_bench /dev/sg0 $n | grep '^vexil '
	sgio_floor -t sg_turs sg_turs -n $n /dev/sg0 | grep '^sg_turs '
done
GUEST

"$sgvm/run-in-vm.sh" --files "$work/files" --bin "$work/sgio_floor" --bin "$bench" \
	--bin "$(command -v sg_turs)" --sdebug "ptype=1 removable=1 dev_size_mb=8 delay=0 inq_vendor=HALCYON inq_product=ULTRIUM-HH6" \
	-- sh bench.sh >"$work/out"

awk -v n="$n" '
	$1 == "floor" || $1 == "floor+clear" || $1 == "vexil" { t = $3; if (!($1 in best) || t < best[$1]) best[$1] = t }
	$1 == "sg_turs" { t = $2; if (!($1 in best) || t < best[$1]) best[$1] = t }
	END {
		if (!("floor" in best)) { print "vm_bench: no floor figure"; exit 1 }
		printf "%d TEST UNIT READY commands on scsi_debug (best of 3 rounds, one VM boot)\n", n
		split("floor floor+clear vexil sg_turs", order, " ")
		for (i = 1; i <= 4; i++) {
			k = order[i]
			if (!(k in best)) { printf "  %-11s  no figure\n", k; continue }
			printf "  %-11s  %8.2f us/command  %5.2fx the floor\n", k, best[k] / n / 1000, best[k] / best["floor"]
		}
	}' "$work/out"
