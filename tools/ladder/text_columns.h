// UTF-8 text measured and cut by the columns a terminal gives it, and folded
// to plain ASCII for --ascii.
#ifndef PAKETLOG_TOOLS_LADDER_TEXT_COLUMNS_H
#define PAKETLOG_TOOLS_LADDER_TEXT_COLUMNS_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace paketlog {
namespace tool {

// The character that starts at text[at] (at < text.size()) and, in `length`,
// its bytes; a broken sequence is one byte, U+FFFD.
std::uint32_t code_point(std::string_view text, std::size_t at, std::size_t& length);

// The columns `text` takes: one per character (the letters the lines hold,
// Latin and Cyrillic, are all one column wide).
std::size_t text_columns(std::string_view text);

// `text` in at most `columns` columns: whole when it fits, else its first
// characters and `ellipsis` (which takes ellipsis_columns) behind them, no
// blank between. Never
// splits a character; where not even the ellipsis fits, as many of its
// characters as do.
std::string cut_text(std::string_view text, std::size_t columns, std::string_view ellipsis,
                     std::size_t ellipsis_columns);

// `text` in ASCII: Cyrillic letters spelt in Latin ones (Ж as Zh), dashes,
// quotes and the like as their ASCII look-alikes, anything else as '?'.
std::string ascii_text(std::string_view text);

}  // namespace tool
}  // namespace paketlog

#endif
