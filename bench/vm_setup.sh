# Set-up shared by the VM benchmarks (sourced): the VM tools, a Release
# build of one benchmark target, a scratch folder removed at exit, and the
# bare SG_IO loop every benchmark compares with.
#
#   vm_bench_setup NAME TARGET
# sets: here root build sgvm (folders), bench (the target's binary), work
# (the scratch folder, with files/ for the guest) and builds
# $work/sgio_floor.
# Environment: VEXIL_BUILD (default build-vm), VEXIL_SGVM (folder of
# run-in-vm.sh, default /work/shared/sgvm).
vm_bench_setup() {
	local name=$1 target=$2
	here=$(cd "$(dirname "${BASH_SOURCE[1]}")" && pwd)
	root=$(cd "$here/.." && pwd)
	build=${VEXIL_BUILD:-$root/build-vm}
	sgvm=${VEXIL_SGVM:-/work/shared/sgvm}

	"$root/tools/install-deps.sh" --vm >/dev/null
	command -v gcc >/dev/null || { echo "$name: gcc is needed for the floor loop" >&2; exit 1; }
	cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
	cmake --build "$build" -j2 --target "$target" >"/tmp/vexil-$name-build.log" 2>&1 ||
		{ tail -n 30 "/tmp/vexil-$name-build.log"; exit 1; }
	bench=$(find "$build" -name "$target" -type f -perm -u+x | head -n 1)

	work=$(mktemp -d "/tmp/vexil-$name.XXXXXX")
	trap 'rm -rf "$work"' EXIT
	mkdir "$work/files"
	gcc -static -O2 -Wall -Wextra -o "$work/sgio_floor" "$here/vm/sgio_floor.c"
}
