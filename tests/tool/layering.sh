#!/usr/bin/env bash
# The command's folders and the one way their dependencies point:
#   run -> ladder, output -> capture, hex -> parallel, decode -> text
#   run, ladder, output -> calls -> text (and the library's packet layouts, wire)
# A file of a folder includes headers of its own folder and of the folders
# below it only; a folder's *_simd.h only its own files. Usage: layering.sh TOOLS_DIR
set -uo pipefail
tools=${1:?usage: layering.sh TOOLS_DIR}

declare -A may_use=(
  [text]=""
  [decode]="text wire"
  [parallel]="text"
  [capture]="decode parallel text"
  [hex]="decode parallel text"
  [calls]="text wire"
  [output]="calls capture decode parallel text"
  [ladder]="calls capture decode text wire"
  [run]="ladder output calls capture hex decode parallel text"
)

status=0
for entry in "$tools"/*; do
  name=$(basename "$entry")
  if [ -f "$entry" ]; then
    [ "$name" = CMakeLists.txt ] && continue
    echo "tools/$name: a file outside the folders"
    status=1
    continue
  fi
  if [ -z "${may_use[$name]+set}" ]; then
    echo "tools/$name: a folder without a place in the layering (add it to $0)"
    status=1
    continue
  fi
  for file in "$entry"/*.h "$entry"/*.cpp; do
    [ -e "$file" ] || continue
    while IFS= read -r folder; do
      [ "$folder" = "$name" ] && continue
      case " ${may_use[$name]} " in
        *" $folder "*) ;;
        *) echo "tools/$name/$(basename "$file") includes a header of tools/$folder"; status=1 ;;
      esac
    done < <(sed -n 's|^#include "\([a-z_]*\)/.*"|\1|p' "$file")
  done
done
# A folder's *_simd.h (the fast ways of its portable code) is its own.
while IFS= read -r line; do
  file=${line%%:*}
  header=$(sed -n 's|.*#include "\([a-z_]*/[a-z0-9_]*_simd\.h\)".*|\1|p' <<<"${line#*:}")
  [ "$(basename "$(dirname "$file")")" = "${header%%/*}" ] && continue
  echo "tools/${file#"$tools"/} includes ${header}, private to tools/${header%%/*}"
  status=1
done < <(grep -H '#include "[a-z_]*/[a-z0-9_]*_simd\.h"' "$tools"/*/*.h "$tools"/*/*.cpp)
[ "$status" -eq 0 ] && echo "layering: every include points down"
exit "$status"
