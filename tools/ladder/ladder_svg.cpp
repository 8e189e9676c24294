#include "ladder/ladder_svg.h"

#include <algorithm>
#include <cstdint>

#include "ladder/text_columns.h"

namespace paketlog {
namespace tool {
namespace {

// Sizes in pixels. Text is 12px monospace, whose characters are 7.2px wide:
// laid out at 8, a label always has its room.
constexpr long kChar = 8;
constexpr long kMargin = 10;
constexpr long kTimeGap = 16;
constexpr long kMinColumn = 180;
constexpr long kLabelPadding = 40;
constexpr long kRow = 24;
constexpr long kHead = 8;
constexpr long kHeadingRow = 16;

const char kStyle[] =
    "<style>"
    "text{font-family:monospace;font-size:12px;fill:#222}"
    ".endpoint{font-weight:bold}"
    ".name{fill:#444}"
    ".lifeline{stroke:#888;stroke-dasharray:4 3}"
    ".time{fill:#555}"
    ".message line{stroke-width:1.5}"
    ".message.in line{stroke:#1a5fb4}.message.in polygon{fill:#1a5fb4}"
    ".message.out line{stroke:#c64600}.message.out polygon{fill:#c64600}"
    "</style>";

long text_width(const std::string& text) { return static_cast<long>(text_columns(text)) * kChar; }

struct Layout {
    long left = 0;     // where the first heading starts
    long heading = 0;  // the widest heading
    long spacing = 0;  // from one lifeline to the next: the longest label fits between
    long top = 0;      // where the lifelines start
    long x(std::size_t endpoint) const { return left + heading / 2 + static_cast<long>(endpoint) * spacing; }
    long y(std::size_t arrow) const { return top + kRow * static_cast<long>(arrow + 1); }
    long width(std::size_t endpoints) const {
        return left + heading + static_cast<long>(endpoints > 1 ? endpoints - 1 : 0) * spacing + kMargin;
    }
};

Layout lay_out(const Ladder& ladder, bool named) {
    long time = 0;
    Layout layout;
    layout.spacing = kMinColumn;
    for (const LadderArrow& arrow : ladder.arrows) {
        time = std::max(time, text_width(arrow.time));
        const long span = arrow.from > arrow.to ? static_cast<long>(arrow.from - arrow.to)
                                                : std::max(static_cast<long>(arrow.to - arrow.from), 1L);
        layout.spacing = std::max(layout.spacing, (text_width(arrow.label) + kLabelPadding + span - 1) / span);
    }
    for (const LadderEndpoint& endpoint : ladder.endpoints)
        layout.heading = std::max({layout.heading, text_width(endpoint.address) + kChar * 2,
                                   text_width(endpoint.name) + kChar * 2});
    layout.spacing = std::max(layout.spacing, layout.heading);
    layout.left = kMargin + (time == 0 ? 0 : time + kTimeGap);
    layout.top = kHeadingRow * (named ? 2 : 1) + kMargin;
    return layout;
}

std::string number(long value) { return std::to_string(value); }

void append_text(std::string& out, const char* css, long x, long y, const char* anchor, const std::string& text) {
    out += "<text class=\"";
    out += css;
    out += "\" x=\"" + number(x) + "\" y=\"" + number(y) + "\"";
    if (anchor != nullptr) out += std::string(" text-anchor=\"") + anchor + "\"";
    out += ">" + xml_text(text) + "</text>";
}

void append_arrow(std::string& out, const Layout& layout, std::size_t index, const LadderArrow& arrow) {
    const long y = layout.y(index);
    const long from = layout.x(arrow.from);
    const long to = arrow.to == arrow.from ? from + layout.spacing / 3 : layout.x(arrow.to);
    const long tip = to > from ? to - kHead : to + kHead;
    out += "<g class=\"message ";
    out += arrow.direction == ArrowDirection::In ? "in" : "out";
    out += "\" data-seance=\"" + std::to_string(arrow.seance) + "\">";
    out += "<title>" + xml_text(arrow.line) + "</title>";
    if (!arrow.time.empty()) append_text(out, "time", kMargin, y + 4, nullptr, arrow.time);
    out += "<line x1=\"" + number(from) + "\" y1=\"" + number(y) + "\" x2=\"" + number(tip) + "\" y2=\"" +
           number(y) + "\"/>";
    if (arrow.to != arrow.from)
        out += "<polygon points=\"" + number(to) + "," + number(y) + " " + number(tip) + "," + number(y - 4) + " " +
               number(tip) + "," + number(y + 4) + "\"/>";
    append_text(out, "label", (from + to) / 2, y - 5, "middle", arrow.label);
    out += "</g>\n";
}

}  // namespace

std::string xml_text(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        std::size_t length = 1;
        const std::uint32_t c = code_point(text, at, length);
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&apos;"; break;
        default:
            if ((c < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == 0xFFFE || c == 0xFFFF || c == 0xFFFD)
                out += "\xEF\xBF\xBD";  // U+FFFD
            else
                out.append(text.substr(at, length));
        }
        at += length;
    }
    return out;
}

std::string ladder_svg(const Ladder& ladder, SvgForm form) {
    bool named = false;
    for (const LadderEndpoint& endpoint : ladder.endpoints) named = named || !endpoint.name.empty();
    const Layout layout = lay_out(ladder, named);
    const long width = layout.width(ladder.endpoints.size());
    const long bottom = layout.y(ladder.arrows.size());
    const long height = bottom + kMargin;

    std::string out;
    if (form == SvgForm::Document) out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    out += "<svg xmlns=\"http://www.w3.org/2000/svg\" class=\"ladder\" width=\"" + number(width) + "\" height=\"" +
           number(height) + "\" viewBox=\"0 0 " + number(width) + " " + number(height) + "\" data-seance=\"" +
           std::to_string(ladder.seance) + "\">\n";
    out += "<title>seance " + std::to_string(ladder.seance) + "</title>\n";
    out += kStyle;
    out += "\n";
    for (std::size_t e = 0; e < ladder.endpoints.size(); ++e) {
        const LadderEndpoint& endpoint = ladder.endpoints[e];
        const long x = layout.x(e);
        out += "<g class=\"column\">";
        append_text(out, "endpoint", x, kMargin + 12, "middle", endpoint.address);
        if (!endpoint.name.empty()) append_text(out, "name", x, kMargin + 12 + kHeadingRow, "middle", endpoint.name);
        out += "<line class=\"lifeline\" x1=\"" + number(x) + "\" y1=\"" + number(layout.top) + "\" x2=\"" + number(x) +
               "\" y2=\"" + number(bottom) + "\"/></g>\n";
    }
    for (std::size_t i = 0; i < ladder.arrows.size(); ++i) {
        const LadderArrow& arrow = ladder.arrows[i];
        if (arrow.from < ladder.endpoints.size() && arrow.to < ladder.endpoints.size())
            append_arrow(out, layout, i, arrow);
    }
    out += "</svg>\n";
    return out;
}

}  // namespace tool
}  // namespace paketlog
