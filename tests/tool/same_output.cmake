# Runs the paketlog program with -j 1 and then with -j JOBS on the same
# input: standard output, standard error, the two written into one file, and
# the exit status must be the same, byte for byte, and the input must have
# made both lines and reports.
#
#   -DTOOL=<program> -DARGS=<a^b> -DJOBS=<n> -DOUTDIR=<dir> -DCASE=<name>
#   -DEMULATOR=<a^b>   what runs the program on a cross build (default: nothing)
cmake_minimum_required(VERSION 3.16)

string(REPLACE "^" ";" args "${ARGS}")
string(REPLACE "^" ";" emulator "${EMULATOR}")
set(dir "${OUTDIR}/${CASE}")
file(MAKE_DIRECTORY "${dir}")
foreach(jobs 1 ${JOBS})
  execute_process(COMMAND ${emulator} "${TOOL}" -j ${jobs} ${args}
    OUTPUT_FILE "${dir}/j${jobs}.stdout" ERROR_FILE "${dir}/j${jobs}.stderr" RESULT_VARIABLE rc_${jobs})
  # Both streams into one file: each report stands between the same lines.
  execute_process(COMMAND ${emulator} "${TOOL}" -j ${jobs} ${args}
    OUTPUT_FILE "${dir}/j${jobs}.both" ERROR_FILE "${dir}/j${jobs}.both")
endforeach()
foreach(stream stdout stderr both)
  file(SIZE "${dir}/j1.${stream}" size)
  if(size EQUAL 0)
    message(FATAL_ERROR "-j 1 wrote nothing to ${stream}: the input makes no ${stream}")
  endif()
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files "${dir}/j1.${stream}" "${dir}/j${JOBS}.${stream}"
    RESULT_VARIABLE differ)
  if(differ)
    message(FATAL_ERROR "-j ${JOBS} wrote another ${stream} than -j 1 (see ${dir})")
  endif()
endforeach()
if(NOT rc_1 STREQUAL rc_${JOBS})
  message(FATAL_ERROR "exit status ${rc_1} with -j 1, ${rc_${JOBS}} with -j ${JOBS}")
endif()
