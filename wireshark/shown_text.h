// Text taken off the wire shown as the command shows it: Windows-1251
// converted to UTF-8, control characters as visible escapes.
#ifndef PAKETLOG_WIRESHARK_SHOWN_TEXT_H
#define PAKETLOG_WIRESHARK_SHOWN_TEXT_H

#include <epan/wmem_scopes.h>

#include <cstddef>

namespace paketlog {
namespace ws {

// Builds the converter; false (with the reason logged) when it cannot be.
bool start_shown_text();

// A NUL-terminated text, or `length` bytes, as UTF-8 in `pool`.
const char* shown(wmem_allocator_t* pool, const char* text);
const char* shown(wmem_allocator_t* pool, const unsigned char* bytes, std::size_t length);

}  // namespace ws
}  // namespace paketlog

#endif
