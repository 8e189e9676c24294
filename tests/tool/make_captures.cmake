# Wraps the sample trace in the captures the tool's tests read.
#   -DCAPTURE=<paketlog-capture> -DTRACE=<sample.hex> -DOUTDIR=<dir> [-DEMULATOR=<a^b>]
cmake_minimum_required(VERSION 3.16)
string(REPLACE "^" ";" emulator "${EMULATOR}")
file(MAKE_DIRECTORY "${OUTDIR}")

function(capture name)
  execute_process(COMMAND ${emulator} "${CAPTURE}" ${ARGN} "${TRACE}" "${OUTDIR}/${name}" RESULT_VARIABLE rc)
  if(rc)
    message(FATAL_ERROR "paketlog-capture ${ARGN} failed: ${rc}")
  endif()
endfunction()

capture(sample.pcap)                                   # as examples/sample.pcap
capture(ethernet-ipv6-vlan.pcapng --pcapng --ipv6 --vlan 42)
capture(sll-ipv4.pcap --link sll)
capture(sll2-ipv6.pcapng --pcapng --link sll2 --ipv6)
capture(port-7701.pcap --src-port 40001 --dst-port 7701)
capture(pieces-ipv4.pcap --fragment 48)                # most datagrams in IP pieces
capture(pieces-ipv6-vlan.pcapng --pcapng --ipv6 --vlan 42 --fragment 48)
capture(cut.pcap --truncate 5)                         # the last frame lost its end
capture(cut.pcapng --pcapng --truncate 5)
