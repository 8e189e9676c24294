#!/usr/bin/env bash
# Checks the dynamic symbol table of the built library:
#  - it defines exactly the names listed in the expected-exports file, and
#    nothing else of its own;
#  - its only undefined symbol outside the C and C++ runtimes (glibc,
#    libstdc++, libgcc, and the weak hooks every shared object references)
#    is the host formatter tevo_snprintf(char*, int, char const*, ...).
#
# usage: check_exports.sh LIBRARY EXPECTED_LIST [NM]
# NM must be a GNU nm that understands the library (the cross nm for a cross
# build); symbol versions in its output tell runtime imports apart.
set -euo pipefail

lib=${1:?library}
expected_file=${2:?expected exports list}
nm_tool=${3:-nm}
if ! "$nm_tool" --version 2>/dev/null | grep -q 'GNU'; then
  nm_tool=nm
fi

fail=0
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# nm prints "<value> <type> <name>", the value 8 or 16 hex digits (blank
# for undefined symbols); names may contain spaces.
symbols() {
  "$nm_tool" -D -C "$@" "$lib" |
    sed -E -n 's/^([[:xdigit:]]{8}|[[:xdigit:]]{16}| {8}| {16}) ([[:alpha:]]) (.*)$/\2 \3/p'
}

# --- defined names -----------------------------------------------------------
symbols --defined-only >"$work/defined.raw"
if [ ! -s "$work/defined.raw" ]; then
  echo "check_exports: no defined dynamic symbols read from $lib" >&2
  exit 1
fi
# ABI tags ([abi:cxx11]) depend on the standard library's string ABI, not on
# the header: leave them out, as the list does.
cut -d' ' -f2- "$work/defined.raw" | sed -E 's/\[abi:[^]]*\]//g' | LC_ALL=C sort >"$work/defined"
grep -v -e '^#' -e '^[[:space:]]*$' "$expected_file" | LC_ALL=C sort >"$work/expected"

if [ -n "$(uniq -d "$work/expected")" ]; then
  echo "check_exports: names listed twice in $expected_file:" >&2
  uniq -d "$work/expected" | sed 's/^/  /' >&2
  fail=1
fi
extra=$(LC_ALL=C comm -13 "$work/expected" "$work/defined")
missing=$(LC_ALL=C comm -23 "$work/expected" "$work/defined")
if [ -n "$extra" ]; then
  echo "check_exports: the library exports names the header does not promise:" >&2
  sed 's/^/  + /' <<<"$extra" >&2
  fail=1
fi
if [ -n "$missing" ]; then
  echo "check_exports: the library does not export names the header promises:" >&2
  sed 's/^/  - /' <<<"$missing" >&2
  fail=1
fi

# Tables are data, everything else is code.
while read -r type name; do
  case "$name" in
    *'('*) case "$type" in T | W | i) ;; *) echo "check_exports: function '$name' has symbol type $type" >&2; fail=1 ;; esac ;;
    *) case "$type" in D | R | B | V | u) ;; *) echo "check_exports: table '$name' has symbol type $type" >&2; fail=1 ;; esac ;;
  esac
done <"$work/defined.raw"

# --- undefined names ---------------------------------------------------------
symbols --undefined-only >"$work/undefined.raw"
host_formatter='tevo_snprintf(char*, int, char const*, ...)'
seen_formatter=0
# A build instrumented by a sanitizer imports its runtime, which also stands
# in for some C and C++ runtime functions (unversioned then): there only the
# host formatter's import and the defined names above are judged.
sanitized=0
if grep -qE ' (__asan|__ubsan|__tsan|__msan|__lsan|__hwasan|__sanitizer)_' "$work/undefined.raw"; then
  sanitized=1
  echo "check_exports: sanitizer-instrumented build: imports other than $host_formatter not judged"
fi
while read -r type name; do
  case "$name" in
    "$host_formatter") seen_formatter=1 ;;
    __asan_* | __ubsan_* | __tsan_* | __msan_* | __lsan_* | __hwasan_* | __sanitizer_* | __sancov_* | __dfsan_*)
      [ "$sanitized" -eq 1 ] || { echo "check_exports: sanitizer import in a plain build: $name" >&2; fail=1; } ;;
    # Bound to a version of glibc, libstdc++ or libgcc.
    *@GLIBC_* | *@GLIBCXX_* | *@CXXABI_* | *@GCC_*) ;;
    # Weak references that the toolchain's start files put in every object.
    _ITM_deregisterTMCloneTable | _ITM_registerTMCloneTable | __gmon_start__ | __cxa_finalize | \
      _Jv_RegisterClasses)
      [ "$type" = w ] || { echo "check_exports: '$name' imported as $type, not weak" >&2; fail=1; } ;;
    *)
      if [ "$sanitized" -eq 0 ]; then
        echo "check_exports: undefined symbol outside the runtimes: $name" >&2
        fail=1
      fi
      ;;
  esac
done <"$work/undefined.raw"
if [ "$seen_formatter" -ne 1 ]; then
  echo "check_exports: the library does not import $host_formatter" >&2
  fail=1
fi

if [ "$fail" -ne 0 ]; then
  echo "check_exports: FAILED for $lib (expected list: $expected_file)" >&2
  exit 1
fi
echo "check_exports: $(wc -l <"$work/defined") exported names as listed; imports: $host_formatter and the runtimes"
