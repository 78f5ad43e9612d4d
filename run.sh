#!/usr/bin/env bash
# Installs what is missing, builds, and starts the console on the virtual
# drives in a scratch working folder that holds the bundled scripts.
set -euo pipefail
top=$(cd "$(dirname "$0")" && pwd)
"$top/tools/install-deps.sh"
cmake -S "$top" -B "$top/build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$top/build" -j"$(nproc 2>/dev/null || echo 2)" --target vexil
work="$top/work-run"
mkdir -p "$work/Logs"
rm -rf "$work/Scripts"
cp -r "$top/Scripts" "$work/Scripts"
cd "$work"
export VEXIL_SIM="${VEXIL_SIM:-1}"
exec "$top/build/vexil" "$@"
