// Runs that draw ladders instead of writing lines: --flow N (on the
// terminal, or as SVG with --svg) and --html, the call list page.
#ifndef PAKETLOG_TOOLS_RUN_LADDER_RUN_H
#define PAKETLOG_TOOLS_RUN_LADDER_RUN_H

#include <cstddef>

#include "decode/options.h"
#include "parallel/output_writer.h"

namespace paketlog {
namespace tool {

// What the HTML page holds at most: past these, calls are left out of the
// list, and packets out of the ladders, and both are reported.
constexpr std::size_t kPageCalls = 20000;
constexpr std::size_t kPageArrows = 200000;

// Each returns the exit status.
int run_flow(const Options& options, OutputWriter& out);
int run_html(const Options& options, OutputWriter& out);

}  // namespace tool
}  // namespace paketlog

#endif
