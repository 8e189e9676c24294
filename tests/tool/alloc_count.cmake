# Heap allocations of the paketlog program over N and 2N copies of a trace:
# a program that allocates nothing per packet makes the same count both times.
#
#   -DTOOL=<program> -DCOUNTER=<LD_PRELOAD library> -DCAPTURE=<paketlog-capture>
#   -DTRACE=<hex trace> -DCOPIES=<N> -DARGS=<a^b> (input files are added)
#   -DPCAP=ON            the input is a capture made from the copies
#   -DOUTDIR=<dir> -DCASE=<name>
#   -DSTRICT=ON          fail unless both counts are the same; otherwise only
#                        report the allocations per packet
cmake_minimum_required(VERSION 3.16)

string(REPLACE "^" ";" args "${ARGS}")
set(dir "${OUTDIR}/${CASE}")
file(MAKE_DIRECTORY "${dir}")
file(READ "${TRACE}" trace)

# run(<copies> <count var> <packets var>)
function(run copies count_var packets_var)
  set(text "")
  foreach(i RANGE 1 ${copies})
    string(APPEND text "${trace}")
  endforeach()
  set(input "${dir}/${copies}.hex")
  file(WRITE "${input}" "${text}")
  if(PCAP)
    execute_process(COMMAND "${CAPTURE}" "${input}" "${dir}/${copies}.pcap" RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0)
      message(FATAL_ERROR "paketlog-capture failed on ${input}")
    endif()
    set(input "${dir}/${copies}.pcap")
  endif()
  set(count_file "${dir}/${copies}.count")
  file(REMOVE "${count_file}")
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env "LD_PRELOAD=${COUNTER}" "PAKETLOG_ALLOC_COUNT_FILE=${count_file}" TZ=UTC
            "${TOOL}" ${args} "${input}"
    OUTPUT_FILE "${dir}/${copies}.stdout" ERROR_VARIABLE err RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0 OR NOT err STREQUAL "")
    message(FATAL_ERROR "paketlog ${args} ${input}: status ${rc}\n${err}")
  endif()
  if(NOT EXISTS "${count_file}")
    message(FATAL_ERROR "the allocation counter wrote no count: was ${COUNTER} loaded?")
  endif()
  file(STRINGS "${count_file}" count)
  # One line per packet (text of any bytes: counted by its line feeds).
  file(READ "${dir}/${copies}.stdout" out)
  string(REGEX MATCHALL "\n" ends "${out}")
  list(LENGTH ends packets)
  set(${count_var} ${count} PARENT_SCOPE)
  set(${packets_var} ${packets} PARENT_SCOPE)
endfunction()

math(EXPR twice "2 * ${COPIES}")
run(${COPIES} once packets)
run(${twice} double packets_double)
math(EXPR extra "${double} - ${once}")
math(EXPR more_packets "${packets_double} - ${packets}")
if(more_packets LESS_EQUAL 0)
  message(FATAL_ERROR "the second run decoded no more packets (${packets}, then ${packets_double})")
endif()
math(EXPR per_packet_x100 "100 * ${extra} / ${more_packets}")
math(EXPR whole "${per_packet_x100} / 100")
math(EXPR hundredths "${per_packet_x100} % 100")
if(hundredths LESS 10)
  set(hundredths "0${hundredths}")
endif()
string(REPLACE ";" " " shown "paketlog ${args}")
string(STRIP "${shown}" shown)
string(CONCAT summary "${shown}: ${once} allocations over ${packets} packets, ${double} over ${packets_double}: "
            "${whole}.${hundredths} per packet")
if(STRICT AND NOT extra EQUAL 0)
  message(FATAL_ERROR "${summary}")
endif()
message("${summary}")
