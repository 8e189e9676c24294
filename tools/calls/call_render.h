// A call's record as the command writes it: one JSON object a line, one CSV
// row (RFC 4180), or one row of an aligned table.
#ifndef PAKETLOG_TOOLS_CALLS_CALL_RENDER_H
#define PAKETLOG_TOOLS_CALLS_CALL_RENDER_H

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "calls/call_record.h"
#include "text/text_buffer.h"

namespace paketlog {
namespace tool {

// `ns` nanoseconds as seconds, "2.250000", the fraction in `digits` (6 or 9)
// digits; where it ends. Room: 32 characters.
char* put_seconds(char* out, std::int64_t ns, int digits);

// directed: the in and out counts are written (a switch port was given).
void append_call_json(const Call& call, bool directed, TextBuffer& out);
void append_call_csv_header(bool directed, TextBuffer& out);
void append_call_csv(const Call& call, bool directed, TextBuffer& out);

// The table's columns have fixed widths, so that rows line up as they come
// (a live capture's) without waiting for the widest; a longer value pushes
// the rest of its row on.
class CallTable {
public:
    // start_width: the width of the start column (its times' width).
    explicit CallTable(std::size_t start_width) : start_width_(start_width) {}
    void header(TextBuffer& out) const;
    // start: the call's first packet's time as the lines show it.
    void row(const Call& call, std::string_view start, TextBuffer& out) const;

private:
    std::size_t start_width_;
};

}  // namespace tool
}  // namespace paketlog

#endif
