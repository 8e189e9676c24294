#!/usr/bin/env bash
# scripts/deps.sh waits for a held package-manager lock: each apt-get call it
# makes carries -o DPkg::Lock::Timeout=600. Run against stand-ins for
# dpkg-query, dpkg, apt-get and id that log their arguments; nothing is installed.
#   deps_lock.sh SOURCE_DIR WORK_DIR
set -euo pipefail
src=$1
work=$2
rm -rf "$work"
mkdir -p "$work/bin"
log=$work/apt.log
printf '#!/bin/sh\nexit 1\n' >"$work/bin/dpkg-query"  # every package missing
printf '#!/bin/sh\necho amd64\n' >"$work/bin/dpkg"
printf '#!/bin/sh\necho 0\n' >"$work/bin/id"
printf '#!/bin/sh\necho "$*" >>"%s"\n' "$log" >"$work/bin/apt-get"
chmod +x "$work/bin/"*
PATH="$work/bin:$PATH" bash "$src/scripts/deps.sh" >/dev/null
calls=$(wc -l <"$log")
waiting=$(grep -c -- '-o DPkg::Lock::Timeout=600 ' "$log" || true)
if [ "$calls" -ne 2 ] || [ "$waiting" -ne 2 ]; then
  echo "apt-get calls without the lock timeout:"
  cat "$log"
  exit 1
fi
