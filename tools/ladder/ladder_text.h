// A ladder drawn for the terminal: the endpoints' addresses and names on top,
// their lifelines down the page, one line per packet with its time at the
// left and its arrow between two lifelines, the label cut to fit.
#ifndef PAKETLOG_TOOLS_LADDER_LADDER_TEXT_H
#define PAKETLOG_TOOLS_LADDER_LADDER_TEXT_H

#include <cstddef>
#include <string>

#include "ladder/ladder.h"

namespace paketlog {
namespace tool {

struct LadderTextStyle {
    std::size_t width = 80;  // the terminal's columns
    bool ascii = false;      // ASCII lines and arrows instead of box drawing; text folded to ASCII
};

// The narrowest room a lifeline gets: where the terminal is narrower than
// the endpoints need, the drawing is wider than the terminal rather than
// unreadable.
constexpr std::size_t kLadderMinColumn = 12;

// The drawing, one line per row, each ending in '\n'; "" for a ladder without arrows.
std::string ladder_text(const Ladder& ladder, const LadderTextStyle& style);

}  // namespace tool
}  // namespace paketlog

#endif
