#!/bin/bash
# Installs every Debian package the project needs (idempotent). Run as root on Debian 12.
set -euo pipefail
packages=(
  build-essential cmake pkg-config git
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libgl-dev
  libqt6sql6-sqlite libqt6sql6-ibase libqt6sql6-odbc
  firebird3.0-server-core firebird3.0-utils firebird3.0-server
  unixodbc unixodbc-dev odbcinst libsqliteodbc odbc-postgresql postgresql
  nettle-dev libxlsxwriter-dev zlib1g-dev libsqlite3-dev libcurl4-openssl-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  qt6-translations-l10n
  xdg-utils fonts-wqy-microhei xvfb xauth imagemagick poppler-utils
  desktop-file-utils appstream
  sqlite3 openssl python3-aiosmtpd
  mdbtools mdbtools-dev python3
  libreoffice-calc-nogui
  clang libclang-rt-14-dev
  dbus at-spi2-core python3-pyatspi
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "missing packages (run as root to install): ${missing[*]}" >&2
    exit 1
  fi
  echo "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  # Package scripts try to start their services (the Firebird server's among them), which
  # fails where there is no init system. The tests start servers of their own; the system's
  # are kept from starting while installing.
  policy=/usr/sbin/policy-rc.d
  if [ ! -e "$policy" ]; then
    printf '#!/bin/sh\nexit 101\n' > "$policy"
    chmod 755 "$policy"
    trap 'rm -f "$policy"' EXIT
  fi
  apt-get update -q
  apt-get install -y -q "${missing[@]}"
fi
