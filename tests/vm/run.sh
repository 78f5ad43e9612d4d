#!/usr/bin/env bash
# Runs the console against a real Linux SCSI stack: Debian's own kernel under
# QEMU, the sg driver, and scsi_debug posing as an Ultrium tape drive, beside
# sg3_utils. Two boots: the stock kernel (no /proc/scsi), then the same kernel
# with SCSI modules rebuilt to have /proc/scsi.
#
# Usage: tests/vm/run.sh VEXIL_BINARY
# Exit status: 0 passed, 77 skipped (the reason is the last line), else failed.
# Environment: VEXIL_VM=0 skips the suite; VEXIL_SGVM names the folder of
# run-in-vm.sh (default /work/shared/sgvm); VEXIL_VM_TIMEOUT limits each boot
# in seconds (default 240).
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../.." && pwd)
sgvm=${VEXIL_SGVM:-/work/shared/sgvm}
boot_timeout=${VEXIL_VM_TIMEOUT:-240}

# Checks whose console feature is not built yet: a failure is reported as
# "not yet" and does not fail the suite; a pass counts as a pass.
not_yet=(
)

skip() { echo "kernel SCSI suite skipped"; echo "$*"; exit 77; }

[ $# -eq 1 ] || { echo "usage: $0 VEXIL_BINARY" >&2; exit 2; }
vexil=$1
[ "${VEXIL_VM:-1}" != 0 ] || skip "disabled by VEXIL_VM=0"
[ -x "$vexil" ] || { echo "kernel SCSI suite: no console binary at '$vexil'"; exit 1; }
vexil=$(cd "$(dirname "$vexil")" && pwd)/$(basename "$vexil")
[ -x "$sgvm/run-in-vm.sh" ] || skip "no VM runner ($sgvm/run-in-vm.sh; set VEXIL_SGVM)"

# QEMU and the guest's tools come from the project's own set-up script.
if ! "$root/tools/install-deps.sh" --vm >/tmp/vexil-vm-deps.log 2>&1; then
  skip "QEMU could not be installed (tools/install-deps.sh --vm failed, see /tmp/vexil-vm-deps.log)"
fi
command -v qemu-system-x86_64 >/dev/null || skip "qemu-system-x86_64 is not available"
sg_tools=()
for t in sg_inq sg_raw sg_turs sg_reset sg_start sg_logs sg_modes sg_dd sg_write_buffer; do
  p=$(command -v "$t") || skip "sg3_utils tool $t is missing"
  sg_tools+=(--bin "$p")
done

# The device layer's probes are built beside the console.
for probe in vm_fault_probe vm_tape_probe; do
  probe=$(dirname "$vexil")/tests/vm/$probe
  if [ -x "$probe" ]; then
    sg_tools+=(--bin "$probe")
  else
    echo "kernel SCSI suite: no probe at '$probe'; its checks will fail"
  fi
done

work=$(mktemp -d /tmp/vexil-vm.XXXXXX)
trap 'rm -rf "$work"' EXIT
payload=$work/files
mkdir -p "$payload/Scripts" "$payload/Logs" "$payload/FAData"
cp "$here/guest.sh" "$payload/"
cp "$here"/scripts/*.SCS "$payload/Scripts/"

# scsi_debug poses as a half-height sixth-generation drive with two logical
# units (sg0 and sg1, serial numbers 2000 and 2001).
sdebug="ptype=1 removable=1 dev_size_mb=8 max_luns=2 inq_vendor=HALCYON inq_product=ULTRIUM-HH6 inq_rev=J5D1"

passed=0 failed=0 pending=0
declare -a failures pendings

is_not_yet() {
  local n
  for n in "${not_yet[@]}"; do [ "$n" = "$1" ] && return 0; done
  return 1
}

# boot NAME [run-in-vm options]: one VM, one part of guest.sh.
boot() {
  local name=$1; shift
  local out=$work/$name.out start=$SECONDS status
  echo "--- boot '$name'"
  "$sgvm/run-in-vm.sh" --timeout "$boot_timeout" --files "$payload" --bin "$vexil" "${sg_tools[@]}" \
    --sdebug "$sdebug" "$@" -- sh guest.sh "$name" >"$out" 2>"$work/$name.err"
  status=$?
  echo "    ($((SECONDS - start)) s, status $status)"
  local line check ended=0
  while IFS= read -r line; do
    case $line in
    "VMCHECK PASS "*)
      passed=$((passed + 1)); echo "  pass      ${line#VMCHECK PASS }" ;;
    "VMCHECK FAIL "*)
      check=${line#VMCHECK FAIL }; check=${check%% -- *}
      if is_not_yet "$check"; then
        pending=$((pending + 1)); pendings+=("$check"); echo "  not yet   ${line#VMCHECK FAIL }"
      else
        failed=$((failed + 1)); failures+=("$check"); echo "  FAIL      ${line#VMCHECK FAIL }"
      fi ;;
    "VMCHECK END "*) ended=1 ;;
    "VMNOTE "*) echo "  note      ${line#VMNOTE }" ;;
    *) echo "$line" ;;
    esac
  done <"$out"
  if [ "$ended" = 0 ]; then
    case $status in
    124) failed=$((failed + 1)); failures+=("boot '$name' timed out after ${boot_timeout} s") ;;
    125) return 125 ;;
    *) failed=$((failed + 1)); failures+=("boot '$name' ended early (status $status)") ;;
    esac
    echo "  FAIL      boot '$name' ended before its last check (status $status); its standard error:"
    sed 's/^/      | /' "$work/$name.err" | tail -n 20
  fi
  return 0
}

start=$SECONDS
boot main
rc=$?
if [ "$rc" = 125 ] && [ "$passed$failed" = 00 ]; then
  tail -n 5 "$work/main.err"
  skip "the VM could not start ($(tail -n 1 "$work/main.err"))"
fi
# --proc-scsi rebuilds six modules once (about 30 s) and caches them. When
# that cannot be done here (no linux-source package, no compiler), its checks
# are skipped, and the suite with them.
proc_skipped=""
boot proc --proc-scsi
if [ $? = 125 ]; then
  sed 's/^/      | /' "$work/proc.err" | tail -n 10
  proc_skipped="the /proc/scsi boot could not start ($(tail -n 1 "$work/proc.err"))"
  echo "  skipped   $proc_skipped"
fi

echo
echo "kernel SCSI suite: $passed passed, $failed failed, $pending not yet ($((SECONDS - start)) s)"
for f in "${failures[@]}"; do echo "  failed:  $f"; done
for f in "${pendings[@]}"; do echo "  not yet: $f"; done
[ "$failed" = 0 ] || exit 1
[ -z "$proc_skipped" ] || skip "$proc_skipped"
exit 0
