# Runs the paketlog program once and checks what it did.
#
#   -DTOOL=<program>        the program to run
#   -DEMULATOR=<a^b>        what runs it on a cross build (default: nothing)
#   -DARGS=<a^b^c>          its arguments, separated by ^
#   -DSTDIN=<file>          what it reads on standard input (default: nothing)
#   -DCLOSED_STDIN=ON       or: standard input closed
#   -DEXPECT_RC=<n>         its exit status
#   -DEXPECT_STDOUT=<file>  standard output, byte for byte
#   -DEXPECT_STDERR=<file>  standard error, byte for byte
#   -DSTDERR_REGEX=<re>     or: standard error matches this
#   -DSTDOUT_REGEX=<re>     standard output matches this
#   (standard error must be empty unless EXPECT_STDERR or STDERR_REGEX is given)
#   -DNO_TIMESTAMPS=ON      drop the HH:MM:SS.uuuuuu capture time and the
#                           "a.p > b.q: " addresses that open each output line
#                           before comparing it
#   -DWORKDIR=<dir>         where it runs (file names in messages are relative)
#   -DOUTDIR=<dir>          where the actual output is kept for a look,
#   -DCASE=<name>           as <name>.stdout and <name>.stderr
#
# With PAKETLOG_UPDATE_EXPECTED=1 in the environment, the expected files are
# overwritten with what the program printed; review them with git diff.
# A case run with -DCOMPARE_ONLY=ON checks against a file that another case
# writes (or that never changes) and only compares, also then.
cmake_minimum_required(VERSION 3.16)

string(REPLACE "^" ";" args "${ARGS}")
string(REPLACE "^" ";" emulator "${EMULATOR}")
set(actual_out "${OUTDIR}/${CASE}.stdout")
set(actual_err "${OUTDIR}/${CASE}.stderr")
file(MAKE_DIRECTORY "${OUTDIR}")

set(input_option)
if(STDIN)
  set(input_option INPUT_FILE "${STDIN}")
else()
  set(input_option INPUT_FILE /dev/null)
endif()
set(run ${emulator} "${TOOL}" ${args})
if(CLOSED_STDIN)
  set(run sh -c "exec \"$@\" <&-" sh ${run})
endif()
execute_process(
  COMMAND ${run}
  WORKING_DIRECTORY "${WORKDIR}"
  ${input_option}
  OUTPUT_FILE "${actual_out}"
  ERROR_FILE "${actual_err}"
  RESULT_VARIABLE rc)

set(failures "")
if(NOT "${rc}" STREQUAL "${EXPECT_RC}")
  string(APPEND failures "exit status ${rc}, expected ${EXPECT_RC}\n")
endif()

if(NO_TIMESTAMPS)
  file(READ "${actual_out}" text)
  string(REGEX REPLACE "(^|\n)([0-2][0-9]:[0-5][0-9]:[0-5][0-9]\\.[0-9]+ )?[0-9a-f.:]+\\.[0-9]+ > [0-9a-f.:]+\\.[0-9]+: "
         "\\1" text "${text}")
  file(WRITE "${actual_out}.untimed" "${text}")
  set(actual_out "${actual_out}.untimed")
endif()

macro(compare actual expected what)
  if("$ENV{PAKETLOG_UPDATE_EXPECTED}" STREQUAL "1" AND NOT COMPARE_ONLY)
    configure_file("${actual}" "${expected}" COPYONLY)
  else()
    execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files "${actual}" "${expected}" RESULT_VARIABLE differs)
    if(differs)
      string(APPEND failures "${what} differs: diff ${expected} ${actual}\n")
    endif()
  endif()
endmacro()

if(EXPECT_STDOUT)
  compare("${actual_out}" "${EXPECT_STDOUT}" "standard output")
endif()
if(EXPECT_STDERR)
  compare("${actual_err}" "${EXPECT_STDERR}" "standard error")
endif()
if(DEFINED STDOUT_REGEX)
  file(READ "${actual_out}" out)
  if(NOT out MATCHES "${STDOUT_REGEX}")
    string(APPEND failures "standard output does not match '${STDOUT_REGEX}':\n${out}")
  endif()
endif()
file(READ "${actual_err}" err)
if(DEFINED STDERR_REGEX)
  if(NOT err MATCHES "${STDERR_REGEX}")
    string(APPEND failures "standard error does not match '${STDERR_REGEX}':\n${err}")
  endif()
elseif(NOT EXPECT_STDERR AND NOT err STREQUAL "")
  string(APPEND failures "unexpected standard error:\n${err}")
endif()

if(failures)
  message(FATAL_ERROR "paketlog ${ARGS}:\n${failures}")
endif()
