#include "ladder/ladder_html.h"

#include "ladder/ladder_svg.h"

namespace paketlog {
namespace tool {

// tools/ladder/calls_page.html, built into the program (embed_text.cmake).
extern const char kCallsPage[];

namespace {

// `page` with the first `mark` after `from` replaced by `text`; where to go on from.
std::size_t fill(std::string& page, std::size_t from, std::string_view mark, const std::string& text) {
    const std::size_t at = page.find(mark.data(), from, mark.size());
    if (at == std::string::npos) return from;
    page.replace(at, mark.size(), text);
    return at + text.size();
}

}  // namespace

std::string json_in_script(std::string_view json) {
    std::string out;
    out.reserve(json.size());
    for (const char c : json) {
        switch (c) {
        case '<': out += "\\u003c"; break;
        case '>': out += "\\u003e"; break;
        case '&': out += "\\u0026"; break;
        default: out.push_back(c);
        }
    }
    return out;
}

std::string calls_page_html(const CallsPage& page) {
    std::string calls = "[";
    std::size_t start = 0;
    while (start < page.calls_json.size()) {
        std::size_t end = page.calls_json.find('\n', start);
        if (end == std::string::npos) end = page.calls_json.size();
        if (end > start) {
            if (calls.size() > 1) calls += ",\n";
            calls += json_in_script(std::string_view(page.calls_json).substr(start, end - start));
        }
        start = end + 1;
    }
    calls += "]";
    std::string ladders;
    for (const PageLadder& ladder : page.ladders) {
        ladders += "<template data-seances=\"";
        for (std::size_t i = 0; i < ladder.seances.size(); ++i)
            ladders += (i == 0 ? "" : " ") + std::to_string(ladder.seances[i]);
        ladders += "\">" + ladder_svg(ladder.ladder, SvgForm::Inline) + "</template>\n";
    }

    const std::string title = xml_text(page.title);
    std::string html = kCallsPage;
    std::size_t at = fill(html, 0, "@@TITLE@@", title);
    at = fill(html, at, "@@TITLE@@", title);
    at = fill(html, at, "@@CALLS@@", calls);
    fill(html, at, "@@LADDERS@@", ladders);
    return html;
}

}  // namespace tool
}  // namespace paketlog
