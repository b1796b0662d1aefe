#!/bin/bash
# Builds the Debian package from a release build and checks it as a user would meet it:
#   1. the desktop entry and the AppStream data validate;
#   2. cpack -G DEB makes zhengding_<version>_<arch>.deb with the expected files;
#   3. in a fresh Debian 12 root (debootstrap --variant=minbase, cached) apt-get installs the
#      package with its dependencies, `zhengding --version` answers, the desktop entry and the
#      icons are in place, the installed tree is read-only, nothing in it is writable by
#      everybody and no run-time file (journal, the desks' turn file) is shipped;
#   4. an ordinary user starts the program there for real under xvfb-run, twice: the first
#      start makes the user's working tree and tells where it is, the second opens the main
#      window (nothing the program made is writable by everybody). Each run is stopped after a
#      few seconds; a screenshot of each is kept.
# Needs root and the Debian mirror. Not part of the ordinary CI run: about 9 minutes with the
# fresh root cached and the release build up to date (most of it apt-get installing Qt into the
# fresh root); the first run adds the debootstrap (about 10 minutes) and a whole release build.
#   bash scripts/package-check.sh            results and screenshots in build-pkg/package-check/
# Environment: ZD_PACKAGE_BUILD (build folder, default build-pkg), ZD_PACKAGE_ROOT (cache of
# the fresh root, default /var/tmp/zd-pkg-root), ZD_PACKAGE_DEB (check this .deb instead of
# building one).
set -euo pipefail
src=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${ZD_PACKAGE_BUILD:-$src/build-pkg}
cache=${ZD_PACKAGE_ROOT:-/var/tmp/zd-pkg-root}
out=$build/package-check
started=$(date +%s)
step() { echo "== $* ($(( $(date +%s) - started ))s)"; }
fail() { echo "package check FAILED: $*" >&2; exit 1; }

[ "$(id -u)" -eq 0 ] || fail "run it as root (debootstrap and chroot)"
need=()
for tool in desktop-file-validate:desktop-file-utils appstreamcli:appstream dpkg-shlibdeps:dpkg-dev \
            debootstrap:debootstrap /usr/bin/convert:imagemagick; do
  command -v "${tool%%:*}" >/dev/null || need+=("${tool##*:}")
done
if [ ${#need[@]} -gt 0 ]; then
  step "installing ${need[*]}"
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${need[@]}" >/dev/null
fi

step "validating the desktop entry and the AppStream data"
desktop-file-validate "$src/packaging/zhengding.desktop" || fail "desktop entry"
appstreamcli validate --no-net --pedantic "$src/packaging/com.example.zhengding.metainfo.xml" || fail "AppStream data"

if [ -n "${ZD_PACKAGE_DEB:-}" ]; then
  deb=$(readlink -f "$ZD_PACKAGE_DEB")
  mkdir -p "$build"
else
step "release build in $build"
cmake -S "$src" -B "$build" -DCMAKE_BUILD_TYPE=Release -DZD_SANITIZE=OFF -DZD_TESTS=OFF -DZD_BENCH=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" >"$build/build.log" 2>&1 || { tail -20 "$build/build.log"; fail "build"; }

step "cpack -G DEB"
rm -f "$build"/zhengding_*.deb
(cd "$build" && cpack -G DEB >"$build/cpack.log" 2>&1) || { tail -20 "$build/cpack.log"; fail "cpack"; }
deb=$(ls "$build"/zhengding_*.deb)
fi
dpkg-deb -f "$deb" Package Version Architecture Depends
contents=$(dpkg-deb -c "$deb")
for f in ./usr/bin/zhengding ./usr/bin/zhengding-admin ./usr/lib/zhengding/bin/zhengding \
         ./usr/lib/zhengding/bin/syscfg.dbm ./usr/lib/zhengding/bin/per-user-tree \
         ./usr/lib/zhengding/init/data.mdb ./usr/lib/zhengding/html/intro.html \
         ./usr/share/applications/zhengding.desktop ./usr/share/metainfo/com.example.zhengding.metainfo.xml \
         ./usr/share/icons/hicolor/16x16/apps/zhengding.png ./usr/share/icons/hicolor/256x256/apps/zhengding.png \
         ./usr/share/icons/hicolor/scalable/apps/zhengding.svg; do
  grep -q " $f\( \|$\)" <<<"$contents" || fail "the package lacks $f"
done
grep " ./usr/bin/zhengding " <<<"$contents"

step "fresh Debian 12 root in $cache"
# The Debian 12 archive this machine's apt already uses: the first enabled "deb" source whose
# suites name bookworm itself (not -security or -updates), from the deb822 *.sources files or the
# one-line lists. No archive is named here: without one in the apt configuration the check stops.
debian_archive() {
  local files=() f
  for f in /etc/apt/sources.list.d/*.sources /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$f" ] && files+=("$f")
  done
  [ ${#files[@]} -gt 0 ] || return 0
  awk 'function stanza_end() { if (!found && deb && on && suite && uri != "") { print uri; found = 1; exit }
                               deb = 0; on = 1; suite = 0; uri = "" }
       BEGIN { on = 1 }
       FNR == 1 { stanza_end() }
       /^[ \t]*#/ { next }
       FILENAME ~ /\.sources$/ {
         key = tolower($1)
         if (NF == 0) stanza_end()
         else if (key == "types:") { for (i = 2; i <= NF; i++) if ($i == "deb") deb = 1 }
         else if (key == "enabled:") on = (tolower($2) != "no")
         else if (key == "suites:") { for (i = 2; i <= NF; i++) if ($i == "bookworm") suite = 1 }
         else if (key == "uris:") uri = $2
         next
       }
       $1 == "deb" { line = $0; gsub(/\[[^]]*\]/, "", line); split(line, w, " ")
                     if (w[3] == "bookworm") { print w[2]; found = 1; exit } }
       END { stanza_end() }' "${files[@]}"
}
mirror=$(debian_archive)
[ -n "$mirror" ] || fail "no Debian 12 (bookworm) archive in this machine's apt sources (/etc/apt/sources.list, /etc/apt/sources.list.d/*.list, *.sources): add the archive to use there"
mkdir -p "$cache"
if [ ! -f "$cache/baseline.ok" ]; then
  rm -rf "$cache/baseline"
  debootstrap --variant=minbase bookworm "$cache/baseline" "$mirror" >"$cache/debootstrap.log" 2>&1 \
    || fail "debootstrap (see $cache/debootstrap.log)"
  touch "$cache/baseline.ok"
fi
run=$cache/run
mounted=()
cleanup() {
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do umount "${mounted[i]}" 2>/dev/null || umount -l "${mounted[i]}"; done
  mounted=()
}
trap cleanup EXIT
rm -rf "$run"
cp -a "$cache/baseline" "$run"
cp /etc/resolv.conf "$run/etc/resolv.conf"
cp "$deb" "$run/root/"
for m in proc dev dev/pts; do mount --bind "/$m" "$run/$m"; mounted+=("$run/$m"); done
in_root() { chroot "$run" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 /bin/bash -c "$1"; }

step "apt-get install ./$(basename "$deb")"
in_root "cd /root && apt-get update -q >/dev/null && DEBIAN_FRONTEND=noninteractive apt-get install -y -q ./$(basename "$deb")" \
  >"$out.install.log" 2>&1 || { mkdir -p "$out"; tail -30 "$out.install.log"; fail "apt-get install"; }
mkdir -p "$out"; mv "$out.install.log" "$out/install.log"
grep -E "^(Setting up zhengding|E:|W:)" "$out/install.log" || true

step "checks in the installed root"
in_root "zhengding --version" | tee "$out/version.txt"
grep -q "1\." "$out/version.txt" || fail "zhengding --version"
in_root "test -f /usr/share/applications/zhengding.desktop && test -f /usr/share/icons/hicolor/48x48/apps/zhengding.png && test -x /usr/bin/zhengding-admin" \
  || fail "the desktop entry or the icon is not installed"
in_root "useradd -m tester && ! runuser -u tester -- touch /usr/lib/zhengding/init/probe 2>/dev/null" \
  || fail "the installed tree is writable for a user"
bash "$src/scripts/check-installed-tree.sh" "$run/usr/lib/zhengding" \
  || fail "the installed tree ships run-time files or files writable by everybody"

step "starting the program as a user under xvfb-run (Xvfb, xauth come with the check, not the package)"
in_root "DEBIAN_FRONTEND=noninteractive apt-get install -y -q xvfb xauth >/dev/null 2>&1" || fail "installing xvfb"
# One run: start under Xvfb, copy the frame buffer after $2 s, stop the program after $3 s.
# timeout's 124 means the program was still running when stopped: it started and kept going.
start_once() {
  local name=$1 shot_at=$2 stop_at=$3; shift 3
  in_root "rm -rf /tmp/fb && mkdir /tmp/fb && chown tester /tmp/fb && cd /home/tester &&
           (sleep $shot_at; cp /tmp/fb/Xvfb_screen0 /tmp/$name.xwd) &
           runuser -u tester -- env HOME=/home/tester LANG=C.UTF-8 xvfb-run -a -s '-screen 0 1280x800x24 -fbdir /tmp/fb' \
             timeout $stop_at zhengding $*; rc=\$?; wait; exit \$rc" >"$out/$name.log" 2>&1 && rc=0 || rc=$?
  cp "$run/tmp/$name.xwd" "$out/$name.xwd" 2>/dev/null && /usr/bin/convert "xwd:$out/$name.xwd" "$out/$name.png" && rm -f "$out/$name.xwd"
  [ "$rc" -eq 124 ] || { cat "$out/$name.log"; fail "$name: the program ended by itself with exit code $rc"; }
  echo "$name: ran until stopped; screenshot $out/$name.png"
}
start_once first-start 8 12
in_root "test -f /home/tester/.local/share/zhengding/init/data.mdb && test -f /home/tester/.local/share/zhengding/bin/syscfg.dbm && test ! -e /usr/lib/zhengding/init/probe" \
  || fail "the first start made no working tree under ~/.local/share/zhengding"
in_root "ls -l /home/tester/.local/share/zhengding/init/" | tee "$out/working-tree.txt"
writable=$(find "$run/home/tester/.local/share/zhengding" ! -type l -perm -o+w)
[ -z "$writable" ] || fail "the program made files writable by everybody: $writable"
start_once main-window 10 14 --no-splash

cleanup
rm -rf "$run"
step "package check passed: $deb"
