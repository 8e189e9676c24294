// A ladder as an SVG drawing: text that can be selected and searched, one
// <g class="message in|out"> per packet with the packet's whole line in its
// <title>, styled from within, so the file stands on its own.
#ifndef PAKETLOG_TOOLS_LADDER_LADDER_SVG_H
#define PAKETLOG_TOOLS_LADDER_LADDER_SVG_H

#include <string>
#include <string_view>

#include "ladder/ladder.h"

namespace paketlog {
namespace tool {

enum class SvgForm {
    Document,  // a file of its own: the XML declaration first
    Inline,    // an element inside an HTML page
};

std::string ladder_svg(const Ladder& ladder, SvgForm form);

// `text` as XML character data or an attribute value: &, <, >, " and '
// escaped, and the characters XML does not allow (controls but tab, line
// feed and carriage return; U+FFFE, U+FFFF; broken UTF-8) as U+FFFD.
std::string xml_text(std::string_view text);

}  // namespace tool
}  // namespace paketlog

#endif
