#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks for building and testing.
# Only acts as root; otherwise it says what is missing.
set -euo pipefail
want=(cmake ninja-build g++ clang libgtest-dev libbenchmark-dev valgrind pkg-config "$@")
missing=()
for p in "${want[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
if [ "$(id -u)" -ne 0 ]; then
  echo "missing packages: ${missing[*]} (run as root to install them)" >&2
  exit 1
fi
echo "installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
# A package named with :<arch> (libpcap0.8-dev:armhf) needs that architecture.
for p in "${missing[@]}"; do
  arch=${p#*:}
  [ "$arch" = "$p" ] || [ "$arch" = "$(dpkg --print-architecture)" ] ||
    dpkg --print-foreign-architectures | grep -qx "$arch" || dpkg --add-architecture "$arch"
done
# A package manager already at work (another install, unattended upgrades) is waited for.
apt-get -o DPkg::Lock::Timeout=600 update -qq
apt-get -o DPkg::Lock::Timeout=600 install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
