#include "ladder/ladder_text.h"

#include <algorithm>
#include <vector>

#include "ladder/text_columns.h"

namespace paketlog {
namespace tool {
namespace {

// The characters a drawing is made of, each one column wide but the ellipsis.
struct Glyphs {
    const char* lifeline;
    const char* shaft;
    const char* crossing;  // a shaft over a lifeline it passes
    const char* head_right;
    const char* head_left;
    const char* top;  // where a lifeline starts under its heading
    const char* ellipsis;
    std::size_t ellipsis_columns;
};
const Glyphs kBoxDrawing = {"│", "─", "┼", "▶", "◀", "┬", "…", 1};
const Glyphs kAscii = {"|", "-", "+", ">", "<", "+", "...", 3};

// The gap between the time and the first column.
constexpr std::size_t kTimeGap = 2;

// One row of the drawing, a cell per column.
class Row {
public:
    explicit Row(std::size_t columns) : cells_(columns, " ") {}

    void put(std::size_t at, const std::string& cell) {
        if (at < cells_.size()) cells_[at] = cell;
    }
    // `text` from column `at` on, one character per cell.
    void write(std::size_t at, const std::string& text) {
        for (std::size_t i = 0; i < text.size();) {
            std::size_t n = 1;
            while (i + n < text.size() && (static_cast<unsigned char>(text[i + n]) & 0xC0) == 0x80) ++n;
            put(at++, text.substr(i, n));
            i += n;
        }
    }
    // The row without the blanks at its end, and a newline.
    std::string text() const {
        std::size_t end = cells_.size();
        while (end != 0 && cells_[end - 1] == " ") --end;
        std::string out;
        for (std::size_t i = 0; i < end; ++i) out += cells_[i];
        return out + "\n";
    }

private:
    std::vector<std::string> cells_;
};

struct Layout {
    std::size_t first = 0;    // where the drawing starts, after the time and its gap
    std::size_t heading = 0;  // the room of each heading
    std::size_t spacing = 0;  // from one lifeline to the next
    std::size_t width = 0;    // of the whole drawing
    // Half a heading before the first lifeline, the other half after the last.
    std::size_t lifeline(std::size_t endpoint) const { return first + heading / 2 + endpoint * spacing; }
};

Layout lay_out(const std::vector<std::string>& headings, const LadderTextStyle& style,
               const std::vector<std::string>& times, std::size_t endpoints) {
    Layout layout;
    std::size_t time = 0;
    for (const std::string& t : times) time = std::max(time, text_columns(t));
    layout.first = time == 0 ? 0 : time + kTimeGap;
    const std::size_t room = style.width > layout.first ? style.width - layout.first : 0;
    std::size_t widest = 1;
    for (const std::string& h : headings) widest = std::max(widest, text_columns(h));
    layout.heading = std::min(widest, room);
    if (endpoints > 1) {
        // The lifelines spread over the room the outer headings leave; where
        // that makes headings meet, they are cut and the lifelines spread further.
        layout.spacing = (room - layout.heading) / (endpoints - 1);
        if (layout.spacing <= layout.heading) {
            layout.heading = layout.spacing > 1 ? layout.spacing - 1 : 1;
            layout.spacing = (room - std::min(layout.heading, room)) / (endpoints - 1);
        }
    }
    layout.spacing = std::max(layout.spacing, kLadderMinColumn);
    layout.heading = std::max<std::size_t>(std::min(layout.heading, layout.spacing - 1), 1);
    layout.width = layout.first + layout.heading + (std::max<std::size_t>(endpoints, 1) - 1) * layout.spacing;
    return layout;
}

// `text` centred on the lifeline of `endpoint`.
void write_heading(Row& row, const Layout& layout, std::size_t endpoint, const std::string& text,
                   const Glyphs& glyphs) {
    const std::string shown = cut_text(text, layout.heading, glyphs.ellipsis, glyphs.ellipsis_columns);
    row.write(layout.lifeline(endpoint) - text_columns(shown) / 2, shown);
}

// Every lifeline, for a row that has nothing else on them.
void put_lifelines(Row& row, const Layout& layout, std::size_t endpoints, const char* glyph) {
    for (std::size_t e = 0; e < endpoints; ++e) row.put(layout.lifeline(e), glyph);
}

// The arrow of one packet: its shaft between the two lifelines, the head at
// the receiver's, the label next to the sender's.
void draw_arrow(Row& row, const Layout& layout, std::size_t endpoints, const LadderArrow& arrow, const std::string& label,
                const Glyphs& glyphs) {
    const std::size_t from = layout.lifeline(arrow.from);
    const std::size_t to = layout.lifeline(arrow.to);
    const bool right = to > from;
    const std::size_t low = std::min(from, to);
    const std::size_t high = from == to ? from + layout.spacing / 2 : std::max(from, to);
    const std::size_t shaft = high - low - 1;  // the cells between the two lifelines
    for (std::size_t at = low + 1; at < high; ++at) row.put(at, glyphs.shaft);
    for (std::size_t e = 0; e < endpoints; ++e) {
        const std::size_t at = layout.lifeline(e);
        if (at > low && at < high) row.put(at, glyphs.crossing);
    }
    if (from != to) row.put(right ? high - 1 : low + 1, right ? glyphs.head_right : glyphs.head_left);
    // "─ label ─▶" or "◀─ label ─": a blank and a shaft cell on each side of the label, and the head.
    if (shaft < 6) return;
    const std::string shown = " " + cut_text(label, shaft - 5, glyphs.ellipsis, glyphs.ellipsis_columns) + " ";
    const std::size_t columns = text_columns(shown);
    row.write(right || from == to ? low + 2 : high - 1 - columns, shown);
}

}  // namespace

std::string ladder_text(const Ladder& ladder, const LadderTextStyle& style) {
    if (ladder.arrows.empty()) return std::string();
    const Glyphs& glyphs = style.ascii ? kAscii : kBoxDrawing;
    const auto shown = [&style](const std::string& text) { return style.ascii ? ascii_text(text) : text; };
    std::vector<std::string> times;
    for (const LadderArrow& arrow : ladder.arrows) times.push_back(shown(arrow.time));
    const std::size_t endpoints = ladder.endpoints.size();
    std::vector<std::string> addresses_shown, names_shown;
    for (const LadderEndpoint& endpoint : ladder.endpoints) {
        addresses_shown.push_back(shown(endpoint.address));
        names_shown.push_back(shown(endpoint.name));
    }
    std::vector<std::string> headings = addresses_shown;
    headings.insert(headings.end(), names_shown.begin(), names_shown.end());
    const Layout layout = lay_out(headings, style, times, endpoints);

    std::string out;
    Row addresses(layout.width);
    Row names(layout.width);
    bool named = false;
    for (std::size_t e = 0; e < endpoints; ++e) {
        write_heading(addresses, layout, e, addresses_shown[e], glyphs);
        named = named || !names_shown[e].empty();
        write_heading(names, layout, e, names_shown[e], glyphs);
    }
    out += addresses.text();
    if (named) out += names.text();
    Row top(layout.width);
    put_lifelines(top, layout, endpoints, glyphs.top);
    out += top.text();
    for (std::size_t i = 0; i < ladder.arrows.size(); ++i) {
        const LadderArrow& arrow = ladder.arrows[i];
        Row row(layout.width);
        row.write(0, times[i]);
        put_lifelines(row, layout, endpoints, glyphs.lifeline);
        if (arrow.from < endpoints && arrow.to < endpoints)
            draw_arrow(row, layout, endpoints, arrow, shown(arrow.label), glyphs);
        out += row.text();
    }
    return out;
}

}  // namespace tool
}  // namespace paketlog
