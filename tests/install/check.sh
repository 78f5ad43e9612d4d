#!/usr/bin/env bash
# The installation and the Debian package of a built tree:
#   - `cmake --install` into a staging folder (DESTDIR) puts every file where
#     cmake/install.cmake says;
#   - the installed console runs from an empty folder on the virtual drives,
#     and runs a script of the installed library there;
#   - the installed manual pages render and the installed completion loads;
#   - `cpack -G DEB` builds a package whose control fields are right and whose
#     file list is exactly the staged installation.
#
#   tests/install/check.sh BUILD_DIR      (a Release build: the package ships it)
set -uo pipefail

build=$(realpath "${1:?usage: $0 BUILD_DIR}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# ---- the staged installation ----
root=$work/root
if ! DESTDIR=$root cmake --install "$build" --prefix /usr >"$work/install.log" 2>&1; then
  cat "$work/install.log"
  echo "FAIL: cmake --install failed"
  exit 1
fi
for file in usr/sbin/vexil \
            usr/share/vexil/Scripts/Drive_Quick_Check.scs \
            usr/share/vexil/Scripts/Benches/README.txt \
            usr/share/vexil/Scripts/Benches/tapealerts_set.bench \
            usr/share/man/man8/vexil.8.gz \
            usr/share/man/man5/vexil-script.5.gz \
            usr/share/man/man5/vexil-bench.5.gz \
            usr/share/bash-completion/completions/vexil \
            usr/lib/systemd/system/vexil-health.service \
            usr/lib/systemd/system/vexil-health.timer; do
  [ -f "$root/$file" ] || fail "the installation lacks /$file"
done
[ -x "$root/usr/sbin/vexil" ] || fail "/usr/sbin/vexil is not executable"

# ---- the installed console, from a folder without Scripts/ ----
empty=$work/empty
mkdir -p "$empty"
vexil=$root/usr/sbin/vexil
out=$(cd "$empty" && VEXIL_SIM=1 "$vexil" -version 2>&1)
status=$?
[ $status -eq 0 ] || fail "vexil -version exits $status: $out"
version=$(sed -n 's/^Vexil version \([^ ]*\)$/\1/p' <<<"$out")
[ -n "$version" ] || fail "vexil -version printed no version: $out"

out=$(cd "$empty" && VEXIL_SIM=1 "$vexil" -f /dev/sg0 -s "$root/usr/share/vexil/Scripts/Drive_Quick_Check.scs" -y 2>&1)
status=$?
[ $status -eq 0 ] || fail "the installed Drive_Quick_Check.scs exits $status"
grep -q "Drive quick check passed" <<<"$out" || fail "the installed Drive_Quick_Check.scs does not pass: $out"
grep -q "FAIL status" <<<"$out" && fail "the installed Drive_Quick_Check.scs fails: $out"

# By name from the library VEXIL_SCRIPTS names (the staged one stands in
# for /usr/share/vexil/Scripts), logging in the folder it runs in.
out=$(cd "$empty" && VEXIL_SIM=1 VEXIL_SCRIPTS="$root/usr/share/vexil/Scripts" "$vexil" -f /dev/sg0 -s Drive_Quick_Check.scs -y 2>&1)
status=$?
[ $status -eq 0 ] || fail "Drive_Quick_Check.scs by name exits $status: $out"
ls "$empty"/Logs/*_Vexil.txt >/dev/null 2>&1 || fail "no session log in the folder the console ran in"
out=$(cd "$empty" && VEXIL_SCRIPTS="$root/usr/share/vexil/Scripts" "$vexil" -init work 2>&1)
[ -f "$empty/work/Scripts/Drive_Quick_Check.scs" ] || fail "-init made no copy of the library: $out"

for page in "$root"/usr/share/man/man*/*.gz; do
  out=$(zcat "$page" | groff -ww -z -man -Tutf8 2>&1)
  [ -z "$out" ] || fail "${page##*/} warns: $out"
done
rule=$(bash -c 'source "$1" && complete -p vexil' _ "$root/usr/share/bash-completion/completions/vexil" 2>&1)
[ "$rule" = "complete -F _vexil vexil" ] || fail "the installed completion gives: $rule"

# ---- the package ----
packages=$work/packages
if ! (cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$packages") >"$work/cpack.log" 2>&1; then
  cat "$work/cpack.log"
  echo "FAIL: cpack -G DEB failed"
  exit 1
fi
deb=$(ls "$packages"/*.deb 2>/dev/null | head -n 1)
if [ -z "$deb" ]; then
  echo "FAIL: cpack made no .deb"
  exit 1
fi

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = vexil ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version: $(field Version), the console says $version"
[ "$(field Section)" = admin ] || fail "Section: $(field Section)"
[ "$(field Recommends)" = "sg3-utils, lsscsi, mt-st" ] || fail "Recommends: $(field Recommends)"
[ "$(field Suggests)" = mtx ] || fail "Suggests: $(field Suggests)"
[ "$(field Architecture)" = "$(dpkg --print-architecture)" ] || fail "Architecture: $(field Architecture)"
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
depends=$(field Depends)
depended=$(sed 's/, /\n/g' <<<"$depends" | awk '{ print $1 }')
for library in libc6 libstdc++6 libminizip1; do
  grep -qxF "$library" <<<"$depended" || fail "Depends lacks $library: $depends"
done

# The package holds exactly the staged installation, below /usr.
packaged=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $NF }' | sed 's|^\./||' | sort)
staged=$(cd "$root" && find . -type f -o -type l | sed 's|^\./||' | sort)
[ "$packaged" = "$staged" ] || fail "the package and the installation differ:
$(diff <(echo "$staged") <(echo "$packaged"))"
dpkg-deb -c "$deb" | awk '{ print $NF }' | grep -v '^\./usr/' && fail "the package has files outside /usr"

echo "installed files:"
sed 's|^|  /|' <<<"$staged"
echo "package ${deb##*/}:"
dpkg-deb -f "$deb" Package Version Architecture Section Depends Recommends Suggests | sed 's/^/  /'
if [ $failures -eq 0 ]; then
  echo "install and package: passed"
else
  echo "install and package: $failures failed"
fi
exit $((failures > 0))
