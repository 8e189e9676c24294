#include "run/command_line.h"

#include <cerrno>
#include <cstdlib>

#include "capture/capture_time.h"

namespace paketlog {
namespace tool {
namespace {

// Decimal or 0x-prefixed hexadecimal, within [low, high].
bool parse_number(const std::string& text, long long low, long long high, long long& value) {
    if (text.empty() || text[0] == '-' || text[0] == '+' || text[0] == ' ') return false;
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    errno = 0;
    char* end = nullptr;
    const long long v = std::strtoll(text.c_str() + (hex ? 2 : 0), &end, hex ? 16 : 10);
    if (errno != 0 || *end != '\0' || end == text.c_str() + (hex ? 2 : 0)) return false;
    if (v < low || v > high) return false;
    value = v;
    return true;
}

// Options that take a value, long and short.
bool takes_value(const std::string& name) {
    static const char* const names[] = {"--msg-type", "--skip-type", "--port", "--type", "--seance", "--filter",
                                        "--interface", "--time", "--count", "--jobs", "--follow", "--flow", "--width",
                                        "--svg", "--html", "-i", "-r", "-c", "-j"};
    for (const char* n : names)
        if (name == n) return true;
    return false;
}

}  // namespace

ParsedOptions parse_options(const std::vector<std::string>& args) {
    ParsedOptions parsed;
    Options& o = parsed.options;
    bool seen_skip_type = false;
    bool seen_direction = false;
    bool seen_outgoing = false;
    bool seen_msg_type = false;
    bool options_done = false;
    int input_formats = 0;
    bool read_capture = false;
    auto fail = [&parsed](const std::string& message) {
        parsed.error = message;
        return parsed;
    };

    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (options_done || arg == "-" || arg.size() < 2 || arg[0] != '-') {
            o.files.push_back(arg);
            continue;
        }
        if (arg == "--") {
            options_done = true;
            continue;
        }
        std::string name = arg;
        std::string value;
        bool has_value = false;
        const std::size_t eq = arg.find('=');
        if (arg.compare(0, 2, "--") == 0 && eq != std::string::npos) {
            name = arg.substr(0, eq);
            value = arg.substr(eq + 1);
            has_value = true;
        } else if (arg[1] != '-' && arg.size() > 2 && takes_value(arg.substr(0, 2))) {
            name = arg.substr(0, 2);  // -c5, -ilo
            value = arg.substr(2);
            has_value = true;
        }
        if (takes_value(name) && !has_value) {
            if (i + 1 == args.size()) return fail("option " + name + " needs a value");
            value = args[++i];
            has_value = true;
        } else if (!takes_value(name) && has_value) {
            return fail("option " + name + " takes no value");
        }

        long long number = 0;
        if (name == "-h" || name == "--help") {
            o.help = true;
        } else if (name == "-V" || name == "--version") {
            o.version = true;
        } else if (name == "--hex" || name == "--binary" || name == "--pcap") {
            o.input = name == "--hex" ? InputFormat::Hex : name == "--binary" ? InputFormat::Binary : InputFormat::Pcap;
            ++input_formats;
        } else if (name == "-r") {
            read_capture = true;
            o.files.push_back(value);
        } else if (name == "-i" || name == "--interface") {
            if (value.empty()) return fail("option " + name + " needs an interface name");
            o.interface = value;
        } else if (name == "--testcall") {
            o.testcall = true;
        } else if (name == "--incoming" || name == "--outgoing") {
            if (seen_direction && (name == "--outgoing") != seen_outgoing)
                return fail("--incoming and --outgoing exclude each other");
            seen_direction = true;
            seen_outgoing = name == "--outgoing";
            o.incoming = !seen_outgoing;
        } else if (name == "--raw") {
            o.raw = true;
        } else if (name == "--json") {
            o.json = true;
        } else if (name == "--calls") {
            o.calls = true;
        } else if (name == "--csv") {
            o.csv = true;
        } else if (name == "--follow") {
            if (!parse_number(value, 0, 4294967295LL, number))
                return fail("--follow wants a seance from 0 to 4294967295, not '" + value + "'");
            o.follow = number;
        } else if (name == "-l") {
            o.line_buffered = true;
        } else if (name == "-x") {
            o.hex_dump = true;
        } else if (name == "-t") {
            o.time = TimeFormat::None;
        } else if (name == "--time") {
            if (!parse_time_format(value.c_str(), o.time))
                return fail("--time wants none, local, utc, date, epoch or delta, not '" + value + "'");
        } else if (name == "--stats") {
            o.stats = true;
        } else if (name == "-q") {
            o.stats = true;
            o.quiet = true;
        } else if (name == "--type") {
            o.types.push_back(value);
        } else if (name == "--filter") {
            o.filter = value;
        } else if (name == "--seance") {
            if (!parse_number(value, 0, 4294967295LL, number))
                return fail("--seance wants a number from 0 to 4294967295, not '" + value + "'");
            o.seances.push_back(static_cast<unsigned long>(number));
        } else if (name == "--flow") {
            if (!parse_number(value, 0, 4294967295LL, number))
                return fail("--flow wants a seance from 0 to 4294967295, not '" + value + "'");
            o.flow = true;
            o.flow_seance = static_cast<unsigned long>(number);
        } else if (name == "--ascii") {
            o.ascii = true;
        } else if (name == "--width") {
            if (!parse_number(value, kMinWidth, kMaxWidth, number))
                return fail("--width wants a number of columns from " + std::to_string(kMinWidth) + " to " +
                            std::to_string(kMaxWidth) + ", not '" + value + "'");
            o.width = static_cast<unsigned>(number);
        } else if (name == "--svg" || name == "--html") {
            if (value.empty()) return fail("option " + name + " needs a file name");
            (name == "--svg" ? o.svg : o.html) = value;
        } else if (name == "-c" || name == "--count") {
            if (!parse_number(value, 1, 2147483647LL, number))
                return fail(name + " wants a count from 1 to 2147483647, not '" + value + "'");
            o.count = static_cast<unsigned long>(number);
        } else if (name == "-j" || name == "--jobs") {
            if (!parse_number(value, 1, kMaxJobs, number))
                return fail(name + " wants a number of threads from 1 to " + std::to_string(kMaxJobs) + ", not '" +
                            value + "'");
            o.jobs = static_cast<unsigned>(number);
        } else if (name == "--msg-type" || name == "--skip-type" || name == "--port") {
            const bool port = name == "--port";
            if (!parse_number(value, port ? 1 : 0, port ? 65535 : 255, number))
                return fail(name + (port ? " wants a UDP port from 1 to 65535" : " wants a number from 0 to 255") +
                            ", not '" + value + "'");
            if (port) {
                o.port = static_cast<int>(number);
            } else if (name == "--msg-type") {
                o.msg_type = static_cast<unsigned char>(number);
                seen_msg_type = true;
            } else {
                o.skip_type = static_cast<unsigned char>(number);
                seen_skip_type = true;
            }
        } else {
            return fail("unknown option " + name);
        }
    }
    o.direction_given = seen_msg_type || seen_direction;
    const bool captures_only = o.input == InputFormat::Hex || o.input == InputFormat::Binary;

    if (input_formats > 1) {
        parsed.error = "give only one of --hex, --binary and --pcap";
    } else if (read_capture && captures_only) {
        parsed.error = "-r reads a capture; it cannot be combined with --hex or --binary";
    } else if (!o.interface.empty() && (input_formats > 0 || !o.files.empty())) {
        parsed.error = "-i captures live; it takes no FILE, -r or input format";
    } else if (o.port >= 0 && captures_only) {
        parsed.error = "--port applies to captures only";
    } else if (!o.filter.empty() && captures_only) {
        parsed.error = "--filter applies to captures only";
    } else if (o.testcall && (seen_msg_type || seen_skip_type)) {
        parsed.error = "--msg-type and --skip-type apply to the operator line, not to --testcall";
    } else if (!o.testcall && seen_direction) {
        parsed.error = "--incoming and --outgoing apply to --testcall only";
    } else if (o.raw && o.json) {
        parsed.error = "--raw cannot be combined with --json (JSON text is UTF-8)";
    } else if (o.csv && !o.calls) {
        parsed.error = "--csv applies to --calls only";
    } else if (o.csv && o.json) {
        parsed.error = "--csv and --json exclude each other";
    } else if (o.calls && (o.raw || o.hex_dump || o.quiet)) {
        parsed.error = "--calls writes calls, not packet lines: it cannot be combined with --raw, -x or -q";
    } else if ((o.flow || !o.html.empty()) && (o.calls || o.csv || o.follow >= 0)) {
        parsed.error = std::string(o.flow ? "--flow" : "--html") +
                       " draws ladders; it cannot be combined with --calls, --csv or --follow (--flow follows)";
    } else if (!o.svg.empty() && !o.flow) {
        parsed.error = "--svg writes the ladder of --flow N; give --flow";
    } else if ((o.ascii || o.width != 0) && (!o.flow || !o.svg.empty())) {
        parsed.error = "--ascii and --width apply to the ladder --flow draws on the terminal";
    } else if (o.flow && !o.html.empty()) {
        parsed.error = "--flow and --html exclude each other: the page holds every call's ladder";
    } else if ((o.flow || !o.html.empty()) && (o.json || o.raw || o.hex_dump || o.stats)) {
        parsed.error = std::string(o.flow ? "--flow" : "--html") +
                       " draws ladders; it cannot be combined with --json, --raw, -x, --stats or -q";
    }
    if (read_capture && o.input == InputFormat::Auto) o.input = InputFormat::Pcap;
    return parsed;
}

const char* usage_text() {
    return "Usage: paketlog [OPTION]... [FILE]...\n"
           "       paketlog [OPTION]... -r CAPTURE\n"
           "       paketlog [OPTION]... -i INTERFACE\n"
           "Decode signalling packets of the switching system into log lines, one line\n"
           "per packet, in input order. With no FILE, or when FILE is -, read standard input.\n"
           "\n"
           "Input:\n"
           "      --hex            one packet per line as hex digits; blanks, ':' or '-' may\n"
           "                       stand between bytes, groups may open with 0x; blank lines\n"
           "                       and '#' comments are skipped. Without --hex, --binary or\n"
           "                       --pcap, a FILE that starts like a pcap or pcapng capture\n"
           "                       is read as one and anything else as a hex trace\n"
           "      --binary         each FILE is one raw packet\n"
           "      --pcap           pcap or pcapng captures (standard input too): one packet\n"
           "                       per UDP payload (IPv4, IPv6; Ethernet with VLAN tags,\n"
           "                       Linux cooked, raw IP, loopback), IP fragments put back\n"
           "                       together; each line starts with the capture time and\n"
           "                       the addresses: 10.0.0.1.40000 > 10.0.0.2.7700:\n"
           "  -r FILE              read the capture FILE (- for standard input)\n"
           "  -i, --interface IF   capture live on interface IF until SIGINT or SIGTERM;\n"
           "                       each line is written as its datagram arrives\n"
           "\n"
           "Filters (all must hold):\n"
           "      --port N         UDP port N is the switch's signalling port: keep only\n"
           "                       datagrams from or to it; one from it is incoming (\"<<\",\n"
           "                       \"<< пакет\"), one to it outgoing (\">>\", \">> пакет\")\n"
           "      --filter EXPR    a libpcap (tcpdump) expression on each frame; a fragmented\n"
           "                       datagram is judged whole. With -i, the capture filter\n"
           "      --type T         packet type T, a code (129, 0x81) or its name as printed\n"
           "                       (DIALNUMBER); may be repeated\n"
           "      --seance N       seance N; may be repeated\n"
           "  -c, --count N        stop after N packets\n"
           "      --follow N       seance N and every seance linked to it through CNG_SEANCE\n"
           "                       and MOVE_CALL, either way, transitively: a transferred\n"
           "                       call whole (files are read twice to find the links; live\n"
           "                       and standard input follow each link from when it is seen)\n"
           "\n"
           "Line:\n"
           "      --msg-type N     message type of the operator line, 0-255 (default 1: \"<<\";\n"
           "                       2 \">>\", 3 Timer, 4 Warning, 5 Error, 6 Status ... 15 LIB);\n"
           "                       given, it overrides the direction --port finds\n"
           "      --skip-type N    leave additional parameters of type N out of the operator\n"
           "                       line (default 0, a type no defined parameter has)\n"
           "      --testcall       the test-call line (Russian labels) instead\n"
           "      --incoming       with --testcall: \"<< пакет\" prefix (the default)\n"
           "      --outgoing       with --testcall: \">> пакет\" prefix\n"
           "\n"
           "Output:\n"
           "  -t                   no capture time (as --time=none)\n"
           "      --time=FORMAT    the capture time before each line: none, local\n"
           "                       (HH:MM:SS.ffffff, the default), utc (HH:MM:SS.ffffffZ),\n"
           "                       date (YYYY-MM-DD HH:MM:SS.ffffff, local), epoch (seconds\n"
           "                       since 1970), delta (seconds since the previous packet);\n"
           "                       nanosecond captures show 9 digits\n"
           "  -x                   each packet's bytes in hex under its line, as tcpdump -x\n"
           "                       (the signalling packet, from its first byte)\n"
           "  -l                   write each line at once (line-buffered output)\n"
           "  -j, --jobs N         decode in N threads, 1-64 (default: the processors, at\n"
           "                       most 4); the output is the same at every N. With -c,\n"
           "                       --stats, -q, -i, --calls or --follow, one thread decodes\n"
           "      --raw            the library's bytes unchanged (Windows-1251 for Russian\n"
           "                       text); by default text is converted to UTF-8 and control\n"
           "                       characters and the byte 0x98 are shown as \\xNN\n"
           "      --json           one JSON object per packet: source, line number, or frame,\n"
           "                       time (UTC), src, sport, dst, dport, direction (with --port),\n"
           "                       then length, type, name and seance (captures), truncated,\n"
           "                       text, and hex with -x\n"
           "      --stats          after the last line, a summary: packets per type, the\n"
           "                       busiest seances with their first and last times, counts\n"
           "                       of truncated packets, unknown types and reported inputs;\n"
           "                       with --json, one last object under the key \"summary\"\n"
           "  -q                   the summary alone\n"
           "\n"
           "Calls:\n"
           "      --calls          the call list instead of packet lines: a row per\n"
           "                       call (the packets of one seance), in order of its\n"
           "                       first packet; a table of seance, start, duration,\n"
           "                       calling, called, outcome (answered, busy, rejected,\n"
           "                       unanswered), cause and packets. With -i, each call\n"
           "                       as soon as it is released, the open ones at the end.\n"
           "                       At most 65536 calls are open at once; past that the\n"
           "                       oldest is closed as evicted (reported once)\n"
           "      --json           with --calls: a JSON object per call: seance, first,\n"
           "                       last, packets, in and out (with --port), endpoints,\n"
           "                       called, calling, digits, names, events, outcome,\n"
           "                       released, cause, setup, talk, duration, continues,\n"
           "                       continued_from, rtp, holds, ptt (docs/calls.md)\n"
           "      --csv            with --calls: the same as CSV under a header row\n"
           "                       (RFC 4180)\n"
           "\n"
           "Ladders (a call drawn: a column per endpoint, an arrow per packet):\n"
           "      --flow N         draw the ladder of seance N and of the seances linked to\n"
           "                       it by CNG_SEANCE or MOVE_CALL, instead of lines: arrows\n"
           "                       labelled with the packet's name and key field, the time\n"
           "                       at the left\n"
           "      --width N        draw it in N columns, 20-1000 (default: COLUMNS, else\n"
           "                       the terminal's width, else 80)\n"
           "      --ascii          draw it in plain ASCII (default: UTF-8 box drawing)\n"
           "      --svg FILE       with --flow: write the ladder to FILE as SVG instead\n"
           "      --html FILE      write one self-contained HTML page to FILE instead of\n"
           "                       lines: the call list, to sort and filter, and each\n"
           "                       call's ladder with its packets' whole lines\n"
           "  -h, --help           show this help and exit\n"
           "  -V, --version        show the library version and exit\n"
           "\n"
           "Numbers may be decimal or 0x-prefixed hex. A bad input line or capture frame is\n"
           "reported on stderr with its file and line (or frame) and skipped; the rest is\n"
           "still decoded. Limits: a hex line holds at most 1 MiB; at most 256 fragmented\n"
           "datagrams are open at once, holding at most 4 MiB (past that the oldest is given\n"
           "up and reported), each in at most 1024 pieces.\n"
           "\n"
           "Exit status: 0 when every packet was decoded (and after SIGINT or SIGTERM ends a\n"
           "live capture), 1 when anything was skipped, 2 for a bad command line, a bad\n"
           "--filter expression, or an interface that cannot be captured on.\n"
           "\n"
           "Examples:\n"
           "  paketlog examples/sample.hex\n"
           "  echo '00 00 80 00 00 00 11 00 00 00 05 00' | paketlog --msg-type 6\n"
           "  paketlog --testcall --outgoing examples/sample.hex\n"
           "  paketlog --port 7700 -r examples/sample.pcap\n"
           "  paketlog --port 7700 --json -r capture.pcapng\n"
           "  paketlog --filter 'src port 7700' --type DIALNUMBER --seance 1042 -r x.pcap\n"
           "  paketlog -i eth0 --port 7700 -l --time=date\n"
           "  paketlog -q --port 7700 -r capture.pcap\n"
           "  paketlog --port 7700 --calls -r capture.pcap\n"
           "  paketlog --port 7700 --calls --json --follow 1006 -r capture.pcap\n"
           "  paketlog --port 7700 --flow 1042 --width 100 -r capture.pcap\n"
           "  paketlog --port 7700 --html calls.html -r capture.pcap\n"
           "  paketlog --binary --json packet1.bin packet2.bin\n";
}

}  // namespace tool
}  // namespace paketlog
