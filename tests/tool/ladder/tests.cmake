# Ladders: --flow drawn on the terminal, as SVG, and the --html page in a
# real browser. Included from tests/tool/CMakeLists.txt, whose
# paketlog_tool_case() and variables it uses.

# The command line.
paketlog_tool_case(ladder.options.svg_without_flow RC 2 ARGS --svg x.svg examples/sample.hex STDOUT ${expected}/empty.txt
  STDERR_REGEX "^paketlog: --svg writes the ladder of --flow N; give --flow\n")
paketlog_tool_case(ladder.options.ascii_without_flow RC 2 ARGS --ascii examples/sample.hex STDOUT ${expected}/empty.txt
  STDERR_REGEX "^paketlog: --ascii and --width apply to the ladder --flow draws on the terminal\n")
paketlog_tool_case(ladder.options.width_with_svg RC 2 ARGS --flow 1042 --width 80 --svg x.svg examples/sample.hex
  STDOUT ${expected}/empty.txt
  STDERR_REGEX "^paketlog: --ascii and --width apply to the ladder --flow draws on the terminal\n")
paketlog_tool_case(ladder.options.flow_and_html RC 2 ARGS --flow 1042 --html x.html examples/sample.hex
  STDOUT ${expected}/empty.txt STDERR_REGEX "^paketlog: --flow and --html exclude each other")
paketlog_tool_case(ladder.options.flow_json RC 2 ARGS --flow 1042 --json examples/sample.hex STDOUT ${expected}/empty.txt
  STDERR_REGEX "^paketlog: --flow draws ladders; it cannot be combined with --json, --raw, -x, --stats or -q\n")
paketlog_tool_case(ladder.options.html_quiet RC 2 ARGS --html x.html -q examples/sample.hex STDOUT ${expected}/empty.txt
  STDERR_REGEX "^paketlog: --html draws ladders; it cannot be combined with --json, --raw, -x, --stats or -q\n")
paketlog_tool_case(ladder.options.flow_and_calls RC 2 ARGS --flow 1042 --calls examples/sample.hex
  STDOUT ${expected}/empty.txt
  STDERR_REGEX "^paketlog: --flow draws ladders; it cannot be combined with --calls, --csv or --follow")
paketlog_tool_case(ladder.options.html_and_follow RC 2 ARGS --html x.html --follow 1042 examples/sample.hex
  STDOUT ${expected}/empty.txt
  STDERR_REGEX "^paketlog: --html draws ladders; it cannot be combined with --calls, --csv or --follow")
paketlog_tool_case(ladder.options.flow_past_32_bits RC 2 ARGS --flow 4294967296 examples/sample.hex
  STDOUT ${expected}/empty.txt STDERR_REGEX "^paketlog: --flow wants a seance from 0 to 4294967295, not '4294967296'\n")
paketlog_tool_case(ladder.options.width_below_20 RC 2 ARGS --flow 1042 --width 19 examples/sample.hex
  STDOUT ${expected}/empty.txt STDERR_REGEX "^paketlog: --width wants a number of columns from 20 to 1000, not '19'\n")
paketlog_tool_case(ladder.options.width_past_1000 RC 2 ARGS --flow 1042 --width 1001 examples/sample.hex
  STDOUT ${expected}/empty.txt STDERR_REGEX "^paketlog: --width wants a number of columns from 20 to 1000, not '1001'\n")

# A hex trace: its packets go between the switch and its peer, their line
# numbers at the left; seance 1045 followed back through MOVE_CALL and
# CNG_SEANCE to 1043.
paketlog_tool_case(ladder.flow.hex_followed ARGS --flow 1045 --width 72 examples/sample.hex
  STDOUT ${expected}/ladder.hex.1045.txt)
# Without --port, the direction is the line's wording: --msg-type 2 (">>")
# is out, from the peer to the switch (the whole SVG document).
paketlog_tool_case(ladder.flow.hex_outgoing ARGS --flow 1042 --msg-type 2 --svg - examples/sample.hex
  STDOUT ${expected}/ladder.hex.outgoing.svg)
paketlog_tool_case(ladder.flow.hex_incoming ARGS --flow 1042 --svg - examples/sample.hex
  STDOUT_REGEX "<g class=\"message in\"")
# --svg - writes the document to standard output.
paketlog_tool_case(ladder.flow.svg_stdout ARGS --flow 1042 --svg - examples/sample.hex
  STDOUT_REGEX "^<\\?xml version=\"1.0\" encoding=\"UTF-8\"\\?>\n<svg .*</svg>\n$")
paketlog_tool_case(ladder.flow.no_such_seance RC 1 ARGS --flow 999 examples/sample.hex STDOUT ${expected}/empty.txt
  STDERR_REGEX "^paketlog: no packets of seance 999\n$")

# Calls written by scapy (make_calls.py): each ladder against its expected
# drawing, at two widths and in ASCII.
execute_process(COMMAND /usr/bin/python3 -c "import scapy.all" RESULT_VARIABLE no_scapy OUTPUT_QUIET ERROR_QUIET)
if(no_scapy OR CMAKE_CROSSCOMPILING)
  message(STATUS "python3-scapy not found: the ladder tests on scapy calls are not built")
  return()
endif()
set(ladder ${CMAKE_CURRENT_BINARY_DIR}/ladder)
file(MAKE_DIRECTORY ${ladder})
add_test(NAME tool.ladder.captures
  COMMAND /usr/bin/python3 ${CMAKE_CURRENT_SOURCE_DIR}/scapy/make_calls.py ${ladder})
set_tests_properties(tool.ladder.captures PROPERTIES FIXTURES_SETUP tool_ladder_calls)
function(ladder_case name)
  paketlog_tool_case(${name} ${ARGN})
  set_tests_properties(tool.${name} PROPERTIES FIXTURES_REQUIRED tool_ladder_calls)
endfunction()

# An answered call with its hold, talk and release, at 100 and 60 columns.
ladder_case(ladder.flow.width100 ARGS --port 7700 --flow 1001 --width 100 -r ${ladder}/calls.pcap
  STDOUT ${expected}/ladder.1001.w100.txt)
ladder_case(ladder.flow.width60 ARGS --port 7700 --flow 1001 --width 60 -r ${ladder}/calls.pcap
  STDOUT ${expected}/ladder.1001.w60.txt)
ladder_case(ladder.flow.ascii ARGS --port 7700 --flow 1001 --width 80 --ascii -r ${ladder}/calls.pcap
  STDOUT ${expected}/ladder.1001.ascii.txt)
# The width from COLUMNS where --width is not given.
ladder_case(ladder.flow.columns COMPARE_ONLY ARGS --port 7700 --flow 1001 -r ${ladder}/calls.pcap
  STDOUT ${expected}/ladder.1001.w60.txt)
set_tests_properties(tool.ladder.flow.columns PROPERTIES ENVIRONMENT "TZ=UTC;LC_ALL=C;COLUMNS=60")
# A seance changed with CNG_SEANCE, followed from either end; read twice
# (a file) and once (standard input) alike.
ladder_case(ladder.flow.changed_seance ARGS --port 7700 --flow 1008 --width 90 -r ${ladder}/calls.pcap
  STDOUT ${expected}/ladder.1008.txt)
ladder_case(ladder.flow.changed_seance.from_new COMPARE_ONLY ARGS --port 7700 --flow 1009 --width 90 -r ${ladder}/calls.pcap
  STDOUT ${expected}/ladder.1008.txt)
ladder_case(ladder.flow.changed_seance.stdin COMPARE_ONLY ARGS --port 7700 --flow 1008 --width 90 -r -
  STDIN ${ladder}/calls.pcap STDOUT ${expected}/ladder.1008.txt)
# A call moved with MOVE_CALL, times since the packet before.
ladder_case(ladder.flow.moved ARGS --port 7700 --flow 1006 --width 90 --time=delta -r ${ladder}/calls.pcap
  STDOUT ${expected}/ladder.1006.delta.txt)
# A call across two hosts: three columns, arrows that pass a lifeline.
ladder_case(ladder.flow.two_hosts ARGS --port 7700 --flow 1012 --width 110 -r ${ladder}/calls.pcap
  STDOUT ${expected}/ladder.1012.txt)
ladder_case(ladder.flow.svg_unwritable RC 1 ARGS --port 7700 --flow 1001 --svg /nonexistent/flow.svg -r ${ladder}/calls.pcap
  STDOUT ${expected}/empty.txt STDERR_REGEX "^paketlog: /nonexistent/flow.svg: No such file or directory\n$")

# The SVG, read by Python's XML parser: one group per packet, in the
# packet's direction, its line in the title.
foreach(seances "1001" "1008,1009" "1012")
  string(REGEX REPLACE ",.*" "" first "${seances}")
  add_test(NAME tool.ladder.svg.${first}.write
    COMMAND $<TARGET_FILE:paketlog_cli> --port 7700 --flow ${first} --svg ${ladder}/flow-${first}.svg -r ${ladder}/calls.pcap)
  set_tests_properties(tool.ladder.svg.${first}.write PROPERTIES FIXTURES_REQUIRED tool_ladder_calls
                       FIXTURES_SETUP tool_ladder_svg_${first} ENVIRONMENT "TZ=UTC")
  foreach(check parses arrows directions titles)
    add_test(NAME tool.ladder.svg.${first}.${check}
      COMMAND /usr/bin/python3 ${CMAKE_CURRENT_SOURCE_DIR}/ladder/check_svg.py ${check} ${ladder}/flow-${first}.svg
              $<TARGET_FILE:paketlog_cli> ${ladder}/calls.pcap 7700 ${seances})
    set_tests_properties(tool.ladder.svg.${first}.${check} PROPERTIES FIXTURES_REQUIRED "tool_ladder_calls;tool_ladder_svg_${first}")
  endforeach()
endforeach()

# The page in Debian's chromium, headless: the calls it lists, sorted and
# filtered; the ladder of the call chosen (moved with MOVE_CALL: both
# seances), the line of the arrow chosen; no request beyond the page itself.
add_test(NAME tool.ladder.html.write
  COMMAND $<TARGET_FILE:paketlog_cli> --port 7700 --html ${ladder}/calls.html -r ${ladder}/calls.pcap)
set_tests_properties(tool.ladder.html.write PROPERTIES FIXTURES_REQUIRED tool_ladder_calls
                     FIXTURES_SETUP tool_ladder_html ENVIRONMENT "TZ=UTC")
# The calls it holds are the call list's own rows (read from the file, no browser).
add_test(NAME tool.ladder.html.data
  COMMAND /usr/bin/python3 ${CMAKE_CURRENT_SOURCE_DIR}/ladder/check_page.py data ${ladder}/calls.html
          $<TARGET_FILE:paketlog_cli> ${ladder}/calls.pcap 7700 1006,1007)
set_tests_properties(tool.ladder.html.data PROPERTIES FIXTURES_REQUIRED "tool_ladder_calls;tool_ladder_html")
foreach(check rows sort sort_packets filter_number filter_outcome ladder line offline)
  add_test(NAME tool.ladder.html.${check}
    COMMAND /usr/bin/python3 ${CMAKE_CURRENT_SOURCE_DIR}/ladder/check_page.py ${check} ${ladder}/calls.html
            $<TARGET_FILE:paketlog_cli> ${ladder}/calls.pcap 7700 1006,1007)
  set_tests_properties(tool.ladder.html.${check} PROPERTIES FIXTURES_REQUIRED "tool_ladder_calls;tool_ladder_html"
                       SKIP_RETURN_CODE 77 TIMEOUT 120)
endforeach()
