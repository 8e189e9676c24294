#include "options.h"

#include <cerrno>
#include <cstdlib>

namespace paketlog {
namespace tool {
namespace {

// Decimal or 0x-prefixed hexadecimal, within [low, high].
bool parse_number(const std::string& text, long low, long high, long& value) {
    if (text.empty() || text[0] == '-' || text[0] == '+' || text[0] == ' ') return false;
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    errno = 0;
    char* end = nullptr;
    const long v = std::strtol(text.c_str() + (hex ? 2 : 0), &end, hex ? 16 : 10);
    if (errno != 0 || *end != '\0' || end == text.c_str() + (hex ? 2 : 0)) return false;
    if (v < low || v > high) return false;
    value = v;
    return true;
}

}  // namespace

ParsedOptions parse_options(const std::vector<std::string>& args) {
    ParsedOptions parsed;
    Options& o = parsed.options;
    bool seen_msg_type = false;
    bool seen_skip_type = false;
    bool seen_direction = false;
    bool seen_outgoing = false;
    bool options_done = false;
    int input_formats = 0;

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
        }
        const bool takes_value = name == "--msg-type" || name == "--skip-type" || name == "--port";
        if (takes_value && !has_value) {
            if (i + 1 == args.size()) {
                parsed.error = "option " + name + " needs a value";
                return parsed;
            }
            value = args[++i];
            has_value = true;
        } else if (!takes_value && has_value) {
            parsed.error = "option " + name + " takes no value";
            return parsed;
        }

        long number = 0;
        if (name == "-h" || name == "--help") {
            o.help = true;
        } else if (name == "-V" || name == "--version") {
            o.version = true;
        } else if (name == "--hex") {
            o.input = InputFormat::Hex;
            ++input_formats;
        } else if (name == "--binary") {
            o.input = InputFormat::Binary;
            ++input_formats;
        } else if (name == "--pcap") {
            o.input = InputFormat::Pcap;
            ++input_formats;
        } else if (name == "--testcall") {
            o.testcall = true;
        } else if (name == "--incoming" || name == "--outgoing") {
            if (seen_direction && (name == "--outgoing") != seen_outgoing) {
                parsed.error = "--incoming and --outgoing exclude each other";
                return parsed;
            }
            seen_direction = true;
            seen_outgoing = name == "--outgoing";
            o.incoming = !seen_outgoing;
        } else if (name == "--raw") {
            o.raw = true;
        } else if (name == "--json") {
            o.json = true;
        } else if (name == "--msg-type" || name == "--skip-type" || name == "--port") {
            const bool port = name == "--port";
            if (!parse_number(value, port ? 1 : 0, port ? 65535 : 255, number)) {
                parsed.error = name + (port ? " wants a UDP port from 1 to 65535" : " wants a number from 0 to 255") +
                               ", not '" + value + "'";
                return parsed;
            }
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
            parsed.error = "unknown option " + name;
            return parsed;
        }
    }

    if (input_formats > 1) {
        parsed.error = "give only one of --hex, --binary and --pcap";
    } else if (o.port >= 0 && o.input != InputFormat::Pcap) {
        parsed.error = "--port applies to --pcap input only";
    } else if (o.testcall && (seen_msg_type || seen_skip_type)) {
        parsed.error = "--msg-type and --skip-type apply to the operator line, not to --testcall";
    } else if (!o.testcall && seen_direction) {
        parsed.error = "--incoming and --outgoing apply to --testcall only";
    } else if (o.raw && o.json) {
        parsed.error = "--raw cannot be combined with --json (JSON text is UTF-8)";
    }
    return parsed;
}

const char* usage_text() {
    return "Usage: paketlog [OPTION]... [FILE]...\n"
           "Decode signalling packets of the switching system into log lines, one line\n"
           "per packet, in input order. With no FILE, or when FILE is -, read standard input.\n"
           "\n"
           "Input:\n"
           "      --hex            one packet per line as hex digits (the default); blanks,\n"
           "                       ':' or '-' may stand between bytes, groups may open with\n"
           "                       0x; blank lines and '#' comments are skipped\n"
           "      --binary         each FILE is one raw packet\n"
           "      --pcap           pcap or pcapng captures: one packet per UDP payload\n"
           "                       (IPv4, IPv6; Ethernet, Linux cooked, raw IP); each line\n"
           "                       starts with the capture time, HH:MM:SS.uuuuuu, local time\n"
           "      --port N         with --pcap: keep only datagrams from or to UDP port N\n"
           "\n"
           "Line:\n"
           "      --msg-type N     message type of the operator line, 0-255 (default 1: \"<<\";\n"
           "                       2 \">>\", 3 Timer, 4 Warning, 5 Error, 6 Status ... 15 LIB)\n"
           "      --skip-type N    leave additional parameters of type N out of the operator\n"
           "                       line (default 0, a type no defined parameter has)\n"
           "      --testcall       the test-call line (Russian labels) instead\n"
           "      --incoming       with --testcall: \"<< пакет\" prefix (the default)\n"
           "      --outgoing       with --testcall: \">> пакет\" prefix\n"
           "\n"
           "Output:\n"
           "      --raw            the library's bytes unchanged (Windows-1251 for Russian\n"
           "                       text); by default text is converted to UTF-8 and control\n"
           "                       characters and the byte 0x98 are shown as \\xNN\n"
           "      --json           one JSON object per packet: source, line number (or frame\n"
           "                       and capture time in UTC), length, type, truncated, text\n"
           "  -h, --help           show this help and exit\n"
           "  -V, --version        show the library version and exit\n"
           "\n"
           "Numbers may be decimal or 0x-prefixed hex. A bad input line or capture frame is\n"
           "reported on stderr with its file and line (or frame) and skipped; the rest is\n"
           "still decoded.\n"
           "\n"
           "Exit status: 0 when every packet was decoded, 1 when anything was skipped,\n"
           "2 for a bad command line.\n"
           "\n"
           "Examples:\n"
           "  paketlog examples/sample.hex\n"
           "  echo '00 00 80 00 00 00 11 00 00 00 05 00' | paketlog --msg-type 6\n"
           "  paketlog --testcall --outgoing examples/sample.hex\n"
           "  paketlog --pcap --port 7700 examples/sample.pcap\n"
           "  paketlog --binary --json packet1.bin packet2.bin\n";
}

}  // namespace tool
}  // namespace paketlog
