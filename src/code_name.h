// The one code-name lookup behind every table of the library.
#ifndef PAKETLOG_SRC_CODE_NAME_H
#define PAKETLOG_SRC_CODE_NAME_H

#include <cstddef>

#include "paketlog.h"

namespace paketlog {
namespace detail {

// Name of the first row whose code matches, scanning from the first row;
// `fallback` when none does.
inline const char* find_name(const CODE_NAME* rows, std::size_t count, unsigned char code, const char* fallback) {
    for (std::size_t i = 0; i < count; ++i)
        if (rows[i].code == code) return rows[i].name;
    return fallback;
}

template <std::size_t N>
inline const char* find_name(const CODE_NAME (&rows)[N], unsigned char code, const char* fallback) {
    return find_name(rows, N, code, fallback);
}

}  // namespace detail
}  // namespace paketlog

#endif
