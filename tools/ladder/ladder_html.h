// The call list as one HTML page that needs nothing else: the calls as the
// JSON rows --calls --json writes, a table of them to sort and filter, and
// each call's ladder (inline SVG) shown when the call is chosen, with the
// whole line of the packet whose arrow is chosen. No scripts, styles or
// fonts from elsewhere; the page's own policy forbids loading any.
#ifndef PAKETLOG_TOOLS_LADDER_LADDER_HTML_H
#define PAKETLOG_TOOLS_LADDER_LADDER_HTML_H

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "ladder/ladder.h"

namespace paketlog {
namespace tool {

// The ladder of linked seances: shown for a call of any of them.
struct PageLadder {
    std::vector<std::uint32_t> seances;
    Ladder ladder;
};

struct CallsPage {
    std::string title;       // the page's heading: what was read
    std::string calls_json;  // one JSON object per line, one line per call, each with its "seance"
    std::vector<PageLadder> ladders;
};

std::string calls_page_html(const CallsPage& page);

// JSON text made safe inside an HTML <script> element: every '<', '>' and
// '&' (found only in strings) as its \u escape.
std::string json_in_script(std::string_view json);

}  // namespace tool
}  // namespace paketlog

#endif
