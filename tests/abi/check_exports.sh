#!/usr/bin/env bash
# The library's dynamic symbol table against the header's promise:
#  - it defines exactly the names of the expected list (tables as data,
#    functions as code) and nothing else;
#  - outside the C and C++ runtimes it imports only the host formatter
#    tevo_snprintf(char*, int, char const*, ...), and nothing of the malloc
#    family (the decode path never allocates; std::string goes through
#    operator new, which the tests count).
# usage: check_exports.sh LIBRARY EXPECTED_LIST [NM]   (NM: the cross nm for a cross build)
set -euo pipefail
lib=${1:?library} expected=${2:?expected exports list} nm_tool=${3:-nm} fail=0
"$nm_tool" --version 2>/dev/null | grep -q GNU || nm_tool=nm
formatter='tevo_snprintf(char*, int, char const*, ...)'
complain() { echo "check_exports: $*" >&2; fail=1; }

# "<type> <demangled name>" per symbol; names may hold blanks.
symbols() { "$nm_tool" -D -C "$@" "$lib" | sed -E -n 's/^([[:xdigit:]]{8}|[[:xdigit:]]{16}| {8}| {16}) ([[:alpha:]]) (.*)$/\2 \3/p'; }
defined=$(symbols --defined-only) undefined=$(symbols --undefined-only)
[ -n "$defined" ] || { echo "check_exports: no dynamic symbols read from $lib" >&2; exit 1; }

# ABI tags ([abi:cxx11]) follow the standard library's string ABI, not the header.
have=$(cut -d' ' -f2- <<<"$defined" | sed -E 's/\[abi:[^]]*\]//g' | LC_ALL=C sort)
want=$(grep -v -e '^#' -e '^[[:space:]]*$' "$expected" | LC_ALL=C sort)
[ -z "$(uniq -d <<<"$want")" ] || complain "names listed twice: $(uniq -d <<<"$want" | tr '\n' ';')"
while read -r name; do [ -z "$name" ] || complain "exports a name the header does not promise: $name"; done < <(LC_ALL=C comm -13 <(echo "$want") <(echo "$have"))
while read -r name; do [ -z "$name" ] || complain "does not export a promised name: $name"; done < <(LC_ALL=C comm -23 <(echo "$want") <(echo "$have"))
while read -r type name; do  # functions as code, tables as data
  case "$name:$type" in *'('*:[TWi]) ;; *'('*) complain "'$name' has symbol type $type" ;; *:[DRBVu]) ;;
    *) complain "'$name' has symbol type $type" ;; esac
done <<<"$defined"

# A sanitizer runtime stands in for some runtime functions (unversioned then):
# in such a build only the formatter import is judged.
sanitized=$(grep -cE ' __(asan|ubsan|tsan|msan|lsan|hwasan|sanitizer)_' <<<"$undefined" || true)
grep -qxF "U $formatter" <<<"$undefined" || complain "does not import $formatter"
while read -r type name; do
  case "$name" in
    "$formatter") ;;
    malloc@* | calloc@* | realloc@* | aligned_alloc@* | posix_memalign@*) complain "imports $name" ;;
    *@GLIBC_* | *@GLIBCXX_* | *@CXXABI_* | *@GCC_*) ;;
    _ITM_deregisterTMCloneTable | _ITM_registerTMCloneTable | __gmon_start__ | __cxa_finalize | _Jv_RegisterClasses)
      [ "$type" = w ] || complain "'$name' imported as $type, not weak" ;;
    *) [ "$sanitized" -gt 0 ] || complain "undefined symbol outside the runtimes: $name" ;;
  esac
done <<<"$undefined"

[ "$fail" -eq 0 ] || { echo "check_exports: FAILED for $lib" >&2; exit 1; }
echo "check_exports: $(wc -l <<<"$have") exported names as listed; imports: $formatter and the runtimes"
