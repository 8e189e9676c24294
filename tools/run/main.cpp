// paketlog: decodes signalling packets from hex traces, raw packet files and
// UDP captures into operator or test-call log lines.
#include <unistd.h>

#include <exception>
#include <string>
#include <vector>

#include "paketlog.h"
#include "parallel/output_writer.h"
#include "run/command_line.h"
#include "run/decode_run.h"
#include "run/ladder_run.h"

int main(int argc, char** argv) {
    using namespace paketlog::tool;
    const ParsedOptions parsed = parse_options(std::vector<std::string>(argv + 1, argv + argc));
    const Options& options = parsed.options;
    OutputWriter out(STDOUT_FILENO, STDERR_FILENO, options.line_buffered || !options.interface.empty());
    if (!parsed.error.empty()) {
        out.report("paketlog: " + parsed.error + "\nTry 'paketlog --help' for more information.\n");
        return 2;
    }
    if (options.help || options.version) {
        out.write(options.help ? std::string(usage_text()) : "paketlog " + std::string(PAKETLOG_VERSION) + "\n");
        if (out.flush()) return 0;
        out.report("paketlog: error writing the output\n");
        return 1;
    }
    try {
        if (options.flow) return run_flow(options, out);
        if (!options.html.empty()) return run_html(options, out);
        DecodeRun run(options, out);
        const std::string error = run.set_filters();
        if (!error.empty()) {
            out.report("paketlog: " + error + "\nTry 'paketlog --help' for more information.\n");
            return 2;
        }
        return run.run();
    } catch (const std::exception& e) {
        out.report("paketlog: " + std::string(e.what()) + "\n");
        return 1;
    }
}
