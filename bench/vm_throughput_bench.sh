#!/usr/bin/env bash
# Data throughput of the device layer on a real kernel. In one VM boot, with
# scsi_debug answering at once (delay=0), N 256 KiB WRITE(10) and then N
# READ(10) transfers go
#   - as bare SG_IO ioctls on one open node (the floor, throughput_floor.c),
#     and the same with the node's reserved buffer raised to 256 KiB first
#     (as sg_dd does),
#   - through the device layer's data path on its own buffer, and with a
#     caller's buffer copied in and out (throughput_bench.cpp),
#   - with sg_dd (bs=512 bpt=512, 10-byte commands),
# five rounds each; the best round of each is printed as MiB/s and as a
# ratio to the floor (above 1 is faster), and the layer's own path (no
# copy) against sg_dd and against the floor with the reserved buffer raised. The layer's own totals and rates
# are printed beside the times the benchmark measured around each command.
# A benchmark, not a test: it never fails on its figures.
#
# Usage: bench/vm_throughput_bench.sh [N]      (default 200, at most 256)
# Environment: VEXIL_BUILD (default build-vm), VEXIL_SGVM (folder of
# run-in-vm.sh, default /work/shared/sgvm).
set -euo pipefail
n=${1:-200}
[ "$n" -le 256 ] || { echo "vm_throughput_bench: N is at most 256 (64 MiB of scsi_debug)" >&2; exit 2; }
# shellcheck source=vm_setup.sh
source "$(dirname "${BASH_SOURCE[0]}")/vm_setup.sh"
vm_bench_setup tpbench throughput_bench
gcc -static -O2 -Wall -Wextra -o "$work/throughput_floor" "$here/throughput_floor.c"
blocks=$((n * 512))
cat >"$work/files/bench.sh" <<GUEST
[ -e /sbin/lsmod ] || ln -s "\$(command -v lsmod)" /sbin/lsmod
sg_turs /dev/sg0 >/dev/null 2>&1   # takes the power-on unit attention
for round in 1 2 3 4 5; do
	throughput_floor /dev/sg0 $n
	throughput_floor /dev/sg0 $n reserve
	throughput_bench /dev/sg0 $n | grep '^vexil '
	throughput_bench /dev/sg0 $n copy | grep '^vexil+copy '
	sgio_floor -t sg_dd_write sg_dd if=/dev/zero of=/dev/sg0 bs=512 bpt=512 count=$blocks 2>/dev/null
	sgio_floor -t sg_dd_read sg_dd if=/dev/sg0 of=/dev/null bs=512 bpt=512 count=$blocks 2>/dev/null
done
throughput_bench /dev/sg0 $n | grep '^stats '
GUEST

"$sgvm/run-in-vm.sh" --files "$work/files" --bin "$work/throughput_floor" --bin "$work/sgio_floor" --bin "$bench" \
	--bin "$(command -v sg_dd)" --bin "$(command -v sg_turs)" \
	--sdebug "ptype=1 removable=1 dev_size_mb=64 delay=0 inq_vendor=HALCYON inq_product=ULTRIUM-HH6" \
	-- sh bench.sh >"$work/out"

awk -v n="$n" '
	function keep(k, t) { if (!(k in best) || t < best[k]) best[k] = t }
	$1 == "floor" || $1 == "floor+reserve" || $1 == "vexil" || $1 == "vexil+copy" { keep($1 " write", $3); keep($1 " read", $4) }
	$1 == "sg_dd_write" { keep("sg_dd write", $2) }
	$1 == "sg_dd_read" { keep("sg_dd read", $2) }
	$1 == "stats" { stats = stats "  " $0 "\n" }
	END {
		if (!("floor write" in best)) { print "vm_throughput_bench: no floor figure"; exit 1 }
		mib = n * 0.25
		printf "%d transfers of 256 KiB each way on scsi_debug (best of 5 rounds, one VM boot)\n", n
		split("floor floor+reserve vexil vexil+copy sg_dd", order, " ")
		for (d = 1; d <= 2; d++) {
			dir = d == 1 ? "write" : "read"
			for (i = 1; i <= 5; i++) {
				k = order[i] " " dir
				if (!(k in best)) { printf "  %-17s  no figure\n", k; continue }
				printf "  %-20s  %8.1f MiB/s  %5.2fx the floor\n", k, mib / (best[k] / 1e9), best["floor " dir] / best[k]
			}
			if (("vexil " dir) in best && ("sg_dd " dir) in best)
				printf "  vexil/sg_dd %-5s  %5.2fx\n", dir, best["sg_dd " dir] / best["vexil " dir]
			if (("vexil " dir) in best && ("floor+reserve " dir) in best)
				printf "  vexil/floor+reserve %-5s  %5.2fx\n", dir, best["floor+reserve " dir] / best["vexil " dir]
		}
		printf "the layer'"'"'s own figures against the times measured around each command:\n%s", stats
	}' "$work/out"
