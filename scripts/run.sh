#!/bin/bash
# Builds Zhengding, lays out the runtime tree in build/tree with a demo catalogue, and starts it.
#   bash scripts/run.sh [--titles N] [program options, e.g. --no-splash, --help, --version]
# Installing the packages (scripts/deps.sh) needs root. Started through sudo, the script
# installs them as root and then builds and starts the program as the user who called sudo
# (DISPLAY and XAUTHORITY kept), never as root. The build folder is build/ when that user may
# write it, else ~/.cache/zhengding/build (ZD_RUN_BUILD names another).
# --help and --version are answered by the program without any display.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
titles=5000
if [ "${1:-}" = "--titles" ]; then titles=$2; shift 2; fi

if [ "$(id -u)" -eq 0 ] && [ -n "${SUDO_USER:-}" ] && [ "$SUDO_USER" != root ]; then
  bash "$root/scripts/deps.sh"
  if ! runuser -u "$SUDO_USER" -- test -r "$root/scripts/run.sh"; then
    echo "run.sh: $SUDO_USER cannot read $root; put the sources where that user can read them" >&2
    exit 1
  fi
  echo "Packages in place; building and starting Zhengding as $SUDO_USER." >&2
  # runuser keeps the environment (DISPLAY, XAUTHORITY) and sets HOME, USER and LOGNAME.
  cd "$root"
  exec runuser -u "$SUDO_USER" -- bash "$root/scripts/run.sh" --titles "$titles" "$@"
fi

bash "$root/scripts/deps.sh"
writable() { if [ -e "$1" ]; then [ -w "$1" ]; else [ -w "$(dirname "$1")" ]; fi; }
build=${ZD_RUN_BUILD:-$root/build}
if [ -z "${ZD_RUN_BUILD:-}" ] && ! writable "$build"; then
  build="${XDG_CACHE_HOME:-$HOME/.cache}/zhengding/build"
  echo "$root/build is not writable for $(id -un): building in $build" >&2
fi
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZD_TESTS=OFF -DZD_BENCH=OFF >/dev/null
cmake --build "$build" -j"$(nproc)"
program="$build/tree/bin/zhengding"
export LANG=${LANG:-C.UTF-8}

# --help and --version: the program answers them before it needs a display.
for arg in "$@"; do
  case $arg in --help|-h|--version) exec "$program" "$@" ;; esac
done

tree="$build/tree"
if [ ! -f "$tree/init/data.mdb" ]; then
  "$tree/bin/zhengding-admin" init
  "$tree/bin/zhengding-admin" demo --titles "$titles"
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: starting Zhengding on a virtual X server (xvfb-run)." >&2
  exec xvfb-run -a -s "-screen 0 1600x1000x24" "$program" "$@"
fi
exec "$program" "$@"
