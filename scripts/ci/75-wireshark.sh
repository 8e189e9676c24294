#!/usr/bin/env bash
# The Wireshark dissector plugin, built against Debian's libwireshark-dev and
# run by tshark from a personal plugin folder under a temporary HOME, so that
# nothing is installed system-wide:
#  - paketlog.line is the `text` of `paketlog -r FILE --port 7700 --json` for
#    every datagram of the bundled capture, of captures with both directions
#    in IP pieces (our capture writer's and scapy's) and of hostile payloads;
#  - paketlog.testcall is the golden corpus' test-call line in each direction;
#  - the port preference and Decode As move the dissector to another port;
#  - filters on paketlog.seance, paketlog.type and the two expert infos keep
#    exactly the frames whose line shows that seance, type or fault;
#  - every field of every packet type and parameter holds what the packet
#    record gives for its bytes and the command's line shows, on its bytes;
#    a filter on each kind of field keeps exactly the right frames; tshark -G
#    fields lists each field once (tests/wireshark/check_fields.py);
#  - -z paketlog,types counts the command's packets by type and direction;
#  - -z paketlog,calls,json prints what `paketlog --port 7700 --calls --json`
#    prints, on scapy's call scenarios (tests/tool/scapy/make_calls.py) and
#    on the corpus, mixed and ports captures; -z paketlog,calls a row a call;
#  - every datagram of the port is ours, with peers on ports 53, 123 and 1;
#    an empty datagram is marked, an IPv6 jumbogram refused as the command
#    refuses it;
#  - tshark -V over broken captures and the fuzz inputs ends without a crash,
#    a dissector bug or an exception raised in the dissector, also with the
#    plugin built with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
bash scripts/deps.sh libpcap-dev tshark libwireshark-dev libglib2.0-dev python3-scapy
build=build/wireshark
cmake -S . -B "$build" -G Ninja -DPAKETLOG_WERROR=ON -DPAKETLOG_BUILD_WIRESHARK=ON \
  -DPAKETLOG_BUILD_TESTS=OFF -DPAKETLOG_BUILD_BENCH=OFF -DPAKETLOG_BUILD_FUZZ=OFF >/dev/null
cmake --build "$build"
tool=$build/tools/paketlog

fail() { echo "75-wireshark: $*" >&2; exit 1; }

home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
chmod 755 "$home"
caps=$home/captures
work=$home/work
mkdir "$caps" "$work"

# Wireshark loads no personal plugin when started as root (as CI runs): then
# tshark runs as nobody, and everything it reads is made readable to all.
# ws_env: more variables for tshark's environment.
ws_env=()
ws() {
  if [ "$(id -u)" -eq 0 ]; then
    setpriv --reuid=65534 --regid=65534 --clear-groups env HOME="$home" "${ws_env[@]}" tshark "$@"
  else
    env HOME="$home" "${ws_env[@]}" tshark "$@"
  fi
}
plugins=$(ws -G folders | sed -n 's/^Personal Plugins:[[:space:]]*//p')
case $plugins in "$home"/*) ;; *) fail "tshark's personal plugin folder '$plugins' is not under HOME" ;; esac
# `cmake --install` puts the plugin in Wireshark's plugin folder: staged
# here, then copied into the personal one.
DESTDIR=$work/staged cmake --install "$build" --component wireshark >/dev/null
staged=$work/staged$(pkg-config --variable=plugindir wireshark)/epan/paketlog.so
[ -f "$staged" ] || fail "cmake --install did not put the plugin in $(pkg-config --variable=plugindir wireshark)/epan"
mkdir -p "$plugins/epan"
cp "$staged" "$plugins/epan/"

# Captures: the bundled one; both directions in IP pieces from our capture
# writer (outgoing over IPv6 so that no two datagrams share an IP id);
# another port; scapy's (see tests/wireshark/make_captures.py). Fuzz inputs
# that are capture files are read as they are; the others are sent as
# payloads, and those of the capture target also written as its frames.
capture=$build/tools/paketlog-capture
cp examples/sample.pcap "$caps/"
"$capture" --src-port 7700 --dst-port 40000 --fragment 48 examples/sample.hex "$work/in.pcap"
"$capture" --pcapng --ipv6 --vlan 42 --fragment 48 examples/sample.hex "$work/out.pcapng"
mergecap -w "$caps/both-pieces.pcapng" "$work/in.pcap" "$work/out.pcapng"
"$capture" --src-port 40001 --dst-port 7701 examples/sample.hex "$caps/port-7701.pcap"
payloads=()
frame_inputs=()
while IFS= read -r -d '' input; do
  target=$(basename "$(dirname "$input")")
  case $(od -An -tx1 -N4 "$input" | tr -d ' \n') in
    a1b2c3d4 | d4c3b2a1 | a1b23c4d | 4d3cb2a1 | 0a0d0d0a) cp "$input" "$caps/fuzz-$target-$(basename "$input")" ;;
    *)
      payloads+=("$input")
      [ "$target" != capture ] || frame_inputs+=("$input") ;;
  esac
done < <(find fuzz/regressions -type f -print0 2>/dev/null | sort -z)
/usr/bin/python3 tests/wireshark/make_captures.py "$caps" tests/data/golden/corpus.txt \
  examples/sample.hex tests/tool/data/escapes.hex tests/tool/data/truncated.hex -- "${payloads[@]}" \
  --frames "${frame_inputs[@]}"
shopt -s nullglob
fuzz_captures=("$caps"/fuzz-*)
shopt -u nullglob
chmod -R a+rX "$home"

# tshark as ws runs it, for the Python checks.
{
  echo '#!/usr/bin/env bash'
  if [ "$(id -u)" -eq 0 ]; then
    echo "exec setpriv --reuid=65534 --regid=65534 --clear-groups env HOME='$home' tshark \"\$@\""
  else
    echo "exec env HOME='$home' tshark \"\$@\""
  fi
} >"$work/tshark"
chmod 755 "$work/tshark"
check() { /usr/bin/python3 tests/wireshark/check_fields.py "$1" "$work/tshark" "${@:2}" || fail "check_fields.py $*"; }

ws -G plugins >"$work/plugins"
grep -q "$plugins/epan/paketlog.so" "$work/plugins" || fail "tshark does not load $plugins/epan/paketlog.so"

# The command's lines for FILE, its switch's port PORT: `text` of each object.
command_lines() {
  local status=0
  "$tool" -r "$1" --port "$2" --json >"$work/json" || status=$?
  [ "$status" -le 1 ] || fail "paketlog -r $1 --port $2 --json ended with status $status"
  /usr/bin/python3 -c 'import json, sys
for line in sys.stdin: print(json.loads(line)["text"])' <"$work/json"
}

# FILE PORT [tshark options]: paketlog.line of every frame is the command's line.
compare() {
  local file=$1 port=$2
  shift 2
  command_lines "$file" "$port" >"$work/expected"
  ws -r "$file" "$@" -Y paketlog.line -T fields -e paketlog.line >"$work/got"
  [ -s "$work/expected" ] || fail "$file: the command printed no line"
  diff -u "$work/expected" "$work/got" >"$work/diff" ||
    { head -40 "$work/diff" >&2; fail "$(basename "$file") $*: paketlog.line differs from the command's text"; }
  echo "$(basename "$file")${*:+ $*}: $(wc -l <"$work/got") lines equal to the command's"
}

# FILE FILTER REGEX: the filter keeps exactly the frames whose command line
# matches REGEX, and at least one.
filter_keeps() {
  local file=$1 filter=$2 regex=$3
  command_lines "$file" 7700 | grep -E -- "$regex" >"$work/expected" || fail "$file: no line matches $regex"
  ws -r "$file" -Y "$filter" -T fields -e paketlog.line >"$work/got"
  diff -u "$work/expected" "$work/got" >"$work/diff" ||
    { head -40 "$work/diff" >&2; fail "$(basename "$file"): '$filter' does not keep the lines matching $regex"; }
  echo "$(basename "$file") '$filter': $(wc -l <"$work/got") frames"
}

for file in sample.pcap both-pieces.pcapng corpus.pcap mixed.pcap hostile.pcap; do
  compare "$caps/$file" 7700
done
compare "$caps/port-7701.pcap" 7701 -o paketlog.udp.port:7701
compare "$caps/port-7701.pcap" 7701 -d udp.port==7701,paketlog
[ -z "$(ws -r "$caps/port-7701.pcap" -Y paketlog)" ] || fail "port-7701.pcap decoded without being asked to"

ws -r "$caps/corpus.pcap" -Y paketlog -T fields -e paketlog.testcall >"$work/got"
diff -u "$caps/corpus.testcall.txt" "$work/got" >"$work/diff" ||
  { head -40 "$work/diff" >&2; fail "corpus.pcap: paketlog.testcall differs from the corpus' test-call lines"; }
echo "corpus.pcap: $(wc -l <"$work/got") test-call lines equal to the corpus'"

filter_keeps "$caps/mixed.pcap" 'paketlog.seance == 1042' '^(<<|>>) .{10}:1042:'
filter_keeps "$caps/mixed.pcap" 'paketlog.type == 129' '^(<<|>>) DIALNUMBER:'
filter_keeps "$caps/mixed.pcap" 'paketlog.truncated' '^(<<|>>) (.{10}: )?Truncated packet: '
filter_keeps "$caps/mixed.pcap" 'paketlog.block_cut' '\[\|eap\]$'

# The fields, against the packet records and the command's lines, bytes
# included (-x), and the packets by type and direction.
command_json() {
  local status=0
  "$tool" -r "$1" --port 7700 --json -x >"$2" || status=$?
  [ "$status" -le 1 ] || fail "paketlog -r $1 --port 7700 --json -x ended with status $status"
}
for file in corpus sample mixed; do
  command_json "$caps/$file.pcap" "$work/$file.json"
  check values "$caps/$file.pcap" "$work/$file.json"
done
check filters "$caps/corpus.pcap" "$work/corpus.json"
check unique
mergecap -w "$work/readme.pcap" "$caps/sample.pcap" "$caps/corpus.pcap"
chmod a+r "$work/readme.pcap"
check readme wireshark/README.md "$work/readme.pcap"
check types "$caps/corpus.pcap" "$work/corpus.json"
check types "$caps/mixed.pcap" "$work/mixed.json"
# The same counts as the statistics tree of Wireshark's menu.
ws -r "$caps/corpus.pcap" -q -z paketlog_types,tree >"$work/got"
grep -qE "^Packet types +$(wc -l <"$work/corpus.json") " "$work/got" ||
  { cat "$work/got" >&2; fail "corpus.pcap: the statistics tree paketlog_types does not count every packet"; }

# The call list, from the command's call model.
/usr/bin/python3 tests/tool/scapy/make_calls.py "$work" >/dev/null
cp "$work/calls.pcap" "$caps/"
chmod a+r "$caps/calls.pcap"
for file in calls corpus mixed ports; do
  status=0
  "$tool" -r "$caps/$file.pcap" --port 7700 --calls --json >"$work/expected" 2>/dev/null || status=$?
  [ "$status" -le 1 ] || fail "paketlog -r $file.pcap --calls --json ended with status $status"
  ws -r "$caps/$file.pcap" -q -z paketlog,calls,json >"$work/got"
  [ -s "$work/expected" ] && diff -u "$work/expected" "$work/got" >"$work/diff" ||
    { head -20 "$work/diff" >&2; fail "$file.pcap: -z paketlog,calls,json differs from paketlog --calls --json"; }
  echo "$file.pcap: -z paketlog,calls,json lists the command's $(wc -l <"$work/got") calls"
done
"$tool" -r "$caps/calls.pcap" --port 7700 --calls --json | sed 's/^{"seance":\([0-9]*\),.*/\1/' >"$work/expected"
ws -r "$caps/calls.pcap" -q -z paketlog,calls | sed -n 's/^ *\([0-9][0-9]*\) 20[0-9-]*T.*/\1/p' >"$work/got"
diff -u "$work/expected" "$work/got" ||
  fail "calls.pcap: -z paketlog,calls does not show a row per call, in the command's order"
echo "calls.pcap: -z paketlog,calls shows a row per call"

# Peers on ports 53, 123 and 1: every datagram of the port is ours, with the
# command's line, or marked empty where the command reports an empty packet.
compare "$caps/ports.pcap" 7700
[ -z "$(ws -r "$caps/ports.pcap" -Y 'udp.port == 7700 && !paketlog')" ] ||
  fail "ports.pcap: a datagram of port 7700 went to another protocol"
[ -n "$(ws -r "$caps/ports.pcap" -o paketlog.claim_port:FALSE -Y 'udp.port == 7700 && dns')" ] ||
  fail "ports.pcap: with paketlog.claim_port off, DNS no longer takes port 53's datagrams: the check proves nothing"
"$tool" -r "$caps/ports.pcap" --port 7700 >/dev/null 2>"$work/reports" || true
sed -n 's/.*: frame \([0-9]*\): empty packet$/\1/p' "$work/reports" >"$work/expected"
ws -r "$caps/ports.pcap" -Y paketlog.empty -T fields -e frame.number >"$work/got"
[ -s "$work/expected" ] && diff -u "$work/expected" "$work/got" ||
  fail "ports.pcap: paketlog.empty does not mark the frames the command reports as empty packets"
echo "ports.pcap: every datagram of port 7700 ours; $(wc -l <"$work/got") empty ones marked"

# An IPv6 jumbogram: refused with the command's words, no line decoded.
"$tool" -r "$caps/jumbo.pcap" --port 7700 >"$work/got" 2>&1 || true
grep -q "frame 1: packet longer than 65535 bytes" "$work/got" || fail "jumbo.pcap: the command does not refuse the jumbogram"
[ "$(ws -r "$caps/jumbo.pcap" -Y paketlog.too_long -T fields -e frame.number)" = 1 ] ||
  fail "jumbo.pcap: the jumbogram is not marked paketlog.too_long"
[ -z "$(ws -r "$caps/jumbo.pcap" -Y paketlog.line)" ] || fail "jumbo.pcap: a line decoded from a jumbogram"
echo "jumbo.pcap: the jumbogram refused"

# Broken captures and fuzz inputs, with the whole tree built for every frame:
# with the plugin as built, then built with AddressSanitizer and
# UndefinedBehaviorSanitizer (their runtime preloaded into tshark, and
# Wireshark's packet memory taken from malloc so that its bounds are checked).
dissect_broken() {
  local file status
  for file in "$caps/hostile.pcap" "$caps/broken.pcap" "$caps/ports.pcap" "$caps/jumbo.pcap" "${fuzz_captures[@]}"; do
    status=0
    ws -r "$file" -V >"$work/tree" 2>&1 || status=$?
    [ "$status" -lt 128 ] || fail "$(basename "$file") ($1): tshark killed by signal $((status - 128))"
    # A fuzz input may be no readable capture; ours must be.
    [ "$status" -eq 0 ] || [[ $file == "$caps"/fuzz-* ]] ||
      { tail -20 "$work/tree" >&2; fail "$(basename "$file") ($1): tshark ended with status $status"; }
    # What tshark shows for an exception a dissector raised (the expert infos
    # of truncated packets and cut blocks say otherwise), and sanitizer reports.
    ! grep -E "Dissector bug|Malformed Packet: PAKETLOG|PAKETLOG truncated|ERROR: AddressSanitizer|runtime error:" \
      "$work/tree" || fail "$(basename "$file") ($1): the dissector failed"
    echo "$(basename "$file") ($1): no fault, paketlog packets: $(grep -c '^Switching system signalling' "$work/tree")"
  done
}
dissect_broken plugin

asan_build=build/wireshark-asan
sanitize="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
cmake -S . -B "$asan_build" -G Ninja -DCMAKE_CXX_COMPILER=g++ -DCMAKE_C_COMPILER=gcc -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_CXX_FLAGS="$sanitize" -DCMAKE_MODULE_LINKER_FLAGS="$sanitize" -DPAKETLOG_BUILD_WIRESHARK=ON \
  -DPAKETLOG_BUILD_TOOL=OFF -DPAKETLOG_BUILD_TESTS=OFF -DPAKETLOG_BUILD_BENCH=OFF -DPAKETLOG_BUILD_FUZZ=OFF >/dev/null
cmake --build "$asan_build"
cp "$asan_build/wireshark/paketlog.so" "$plugins/epan/"
chmod a+r "$plugins/epan/paketlog.so"
ws_env=(LD_PRELOAD="$(g++ -print-file-name=libasan.so)" ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
        UBSAN_OPTIONS=halt_on_error=1:abort_on_error=1:print_stacktrace=1 WIRESHARK_DEBUG_WMEM_OVERRIDE=simple)
ws -G fields >"$work/fields"
grep -q "paketlog.line" "$work/fields" || fail "tshark does not load the sanitizer build of the plugin"
dissect_broken sanitizers
