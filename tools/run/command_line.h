// The paketlog command line: its options read from the arguments, and --help.
#ifndef PAKETLOG_TOOLS_RUN_COMMAND_LINE_H
#define PAKETLOG_TOOLS_RUN_COMMAND_LINE_H

#include <string>
#include <vector>

#include "decode/options.h"

namespace paketlog {
namespace tool {

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
