#!/bin/bash
# Checks an installed (or staged) tree: nothing in it is writable by everybody, and nothing the
# program makes at run time (the SQLite journal files, the desks' turn file) is shipped in it.
#   bash scripts/check-installed-tree.sh ROOT           a tree already in place
#   bash scripts/check-installed-tree.sh --install DIR  stages the build in DIR first (cmake --install)
# Prints what is wrong and exits 1; prints nothing and exits 0 when the tree is sound.
set -euo pipefail
if [ "${1:-}" = "--install" ]; then
  build=$2 root=$3
  rm -rf "$root"
  DESTDIR="$root" cmake --install "$build" --prefix /usr >"$root.log" 2>&1 \
    || { cat "$root.log"; echo "cmake --install failed" >&2; exit 1; }
else
  root=$1
fi
[ -d "$root" ] || { echo "no tree at $root" >&2; exit 1; }
bad=0
# World-writable files and folders (symbolic links carry no mode of their own).
writable=$(find "$root" ! -type l -perm -o+w -printf '%M %p\n')
if [ -n "$writable" ]; then
  echo "writable by everybody:"; echo "$writable"; bad=1
fi
runtime=$(find "$root" \( -name '*-desk.lock' -o -name '*-wal' -o -name '*-shm' -o -name '*-journal' \) -printf '%M %p\n')
if [ -n "$runtime" ]; then
  echo "files the program makes at run time:"; echo "$runtime"; bad=1
fi
exit $bad
