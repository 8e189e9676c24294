// Command line of the paketlog program.
#ifndef PAKETLOG_TOOLS_OPTIONS_H
#define PAKETLOG_TOOLS_OPTIONS_H

#include <string>
#include <vector>

namespace paketlog {
namespace tool {

enum class InputFormat { Hex, Binary, Pcap };

struct Options {
    InputFormat input = InputFormat::Hex;
    bool testcall = false;
    bool incoming = true;
    unsigned char msg_type = 1;
    unsigned char skip_type = 0;
    int port = -1;  // -1: every UDP port
    bool raw = false;
    bool json = false;
    bool help = false;
    bool version = false;
    std::vector<std::string> files;  // empty: standard input
};

struct ParsedOptions {
    Options options;
    std::string error;  // not empty: the command line is wrong (exit status 2)
};

ParsedOptions parse_options(const std::vector<std::string>& args);

// The text of --help.
const char* usage_text();

}  // namespace tool
}  // namespace paketlog

#endif
