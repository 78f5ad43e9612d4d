#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only those missing.
set -euo pipefail
want=(cmake g++ make pkg-config libgtest-dev zlib1g-dev libminizip-dev clang libclang-rt-14-dev lua5.4 sg3-utils libsgutils2-dev groff-base man-db dpkg-dev python3 python3-jsonschema)
[ "${1:-}" = "--vm" ] && want+=(qemu-system-x86 busybox-static cpio kmod)
missing=()
for p in "${want[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo_cmd=""
[ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo_cmd apt-get update -qq
$sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}"
