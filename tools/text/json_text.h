// JSON string literals.
#ifndef PAKETLOG_TOOLS_TEXT_JSON_TEXT_H
#define PAKETLOG_TOOLS_TEXT_JSON_TEXT_H

#include <string>
#include <string_view>

#include "text/text_buffer.h"

namespace paketlog {
namespace tool {

// `text` (UTF-8) as a quoted JSON string added to the end of `out`: '"' and
// '\' escaped, control characters (and DEL) as \n, \t and the like or
// \u00XX; every byte that is not part of a well-formed UTF-8 character
// (a file name of another encoding) as \u00XX, its Latin-1 reading, so the
// string is always valid UTF-8; everything else unchanged.
void json_append(std::string_view text, TextBuffer& out);

// The same as a string of its own.
std::string json_string(std::string_view text);

}  // namespace tool
}  // namespace paketlog

#endif
