// How wide the ladder may be drawn: --width, else COLUMNS, else the
// terminal's own width, else 80.
#ifndef PAKETLOG_TOOLS_RUN_TERMINAL_WIDTH_H
#define PAKETLOG_TOOLS_RUN_TERMINAL_WIDTH_H

#include <cstddef>

namespace paketlog {
namespace tool {

constexpr std::size_t kDefaultWidth = 80;

// given: --width (0: not given); columns: the COLUMNS variable (null: unset);
// fd: where the drawing goes, asked with TIOCGWINSZ. A COLUMNS that is not a
// number from 1 to 1000 is passed over.
std::size_t terminal_width(unsigned given, const char* columns, int fd);

}  // namespace tool
}  // namespace paketlog

#endif
