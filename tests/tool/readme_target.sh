#!/usr/bin/env bash
# The README's way of building the command alone names a target that builds it.
#   readme_target.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
target=$(grep -o 'cmake --build build --target [A-Za-z_]*' "$1/README.md" | head -1 | awk '{print $5}')
[ -n "$target" ] || { echo "README names no target for the command"; exit 1; }
cmake --build "$2" --target "$target" >/dev/null
[ -x "$2/tools/paketlog" ] || { echo "target $target did not build tools/paketlog"; exit 1; }
