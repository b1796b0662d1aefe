#!/bin/bash
# Builds Zhengding, lays out the runtime tree in build/tree with a demo catalogue, and starts it.
#   bash scripts/run.sh [--titles N] [program options, e.g. --no-splash]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
titles=5000
if [ "${1:-}" = "--titles" ]; then titles=$2; shift 2; fi
bash "$root/scripts/deps.sh"
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZD_TESTS=OFF -DZD_BENCH=OFF >/dev/null
cmake --build "$root/build" -j"$(nproc)"
tree="$root/build/tree"
if [ ! -f "$tree/init/data.mdb" ]; then
  "$tree/bin/zhengding-admin" init
  "$tree/bin/zhengding-admin" demo --titles "$titles"
fi
export LANG=${LANG:-C.UTF-8}
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: starting Zhengding on a virtual X server (xvfb-run)." >&2
  exec xvfb-run -a -s "-screen 0 1600x1000x24" "$tree/bin/zhengding" "$@"
fi
exec "$tree/bin/zhengding" "$@"
