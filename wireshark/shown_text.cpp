// Wireshark's accessors leave by longjmp, which must not cross a C++ object
// with a destructor: the C++ strings here live only inside shown(), which
// calls nothing of Wireshark's that can throw.
#include "shown_text.h"

#include <wsutil/wslog.h>

#include <exception>
#include <memory>
#include <string>
#include <string_view>

#include "text/text_utf8.h"

namespace paketlog {
namespace ws {
namespace {
std::unique_ptr<tool::Cp1251ToUtf8> utf8;
}

bool start_shown_text() {
    try {
        utf8 = std::make_unique<tool::Cp1251ToUtf8>();
        return true;
    } catch (const std::exception& e) {
        ws_warning("paketlog dissector left off: %s", e.what());
        return false;
    }
}

const char* shown(wmem_allocator_t* pool, const unsigned char* bytes, std::size_t length) {
    const std::string converted = utf8->convert(std::string_view(reinterpret_cast<const char*>(bytes), length));
    return wmem_strndup(pool, converted.data(), converted.size());
}

const char* shown(wmem_allocator_t* pool, const char* text) {
    return shown(pool, reinterpret_cast<const unsigned char*>(text), std::char_traits<char>::length(text));
}

}  // namespace ws
}  // namespace paketlog
