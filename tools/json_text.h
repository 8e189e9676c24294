// JSON string literals.
#ifndef PAKETLOG_TOOLS_JSON_TEXT_H
#define PAKETLOG_TOOLS_JSON_TEXT_H

#include <string>
#include <string_view>

namespace paketlog {
namespace tool {

// `text` (UTF-8) as a quoted JSON string: '"' and '\' escaped, control
// characters as \n, \t and the like or \u00XX; everything else unchanged.
std::string json_string(std::string_view text);

}  // namespace tool
}  // namespace paketlog

#endif
