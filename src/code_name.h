// The one code-name lookup behind every table of the library.
#ifndef PAKETLOG_SRC_CODE_NAME_H
#define PAKETLOG_SRC_CODE_NAME_H

#include <cstddef>

#include "paketlog.h"

namespace paketlog {
namespace detail {

// Name of the row whose code matches; `fallback` when none does. No table
// holds a code twice, and most run in steps of one from their first code, so
// the row where the code stands in such a run is tried before the scan.
inline const char* find_name(const CODE_NAME* rows, std::size_t count, unsigned char code, const char* fallback) {
    if (count == 0) return fallback;
    const std::size_t guess = static_cast<unsigned char>(code - rows[0].code);
    if (guess < count && rows[guess].code == code) return rows[guess].name;
    for (std::size_t i = 0; i < count; ++i)
        if (rows[i].code == code) return rows[i].name;
    return fallback;
}

// What every exported table must hold: a name in each row (a row left out of
// an initializer would be {0, nullptr}) and no code twice.
template <std::size_t N>
constexpr bool rows_complete(const CODE_NAME (&rows)[N]) {
    for (std::size_t i = 0; i < N; ++i) {
        if (rows[i].name == nullptr) return false;
        for (std::size_t j = 0; j < i; ++j)
            if (rows[j].code == rows[i].code) return false;
    }
    return true;
}

// The two wordings of a table: the same codes in the same order.
template <std::size_t N>
constexpr bool same_codes(const CODE_NAME (&a)[N], const CODE_NAME (&b)[N]) {
    for (std::size_t i = 0; i < N; ++i)
        if (a[i].code != b[i].code) return false;
    return true;
}

template <std::size_t N>
inline const char* find_name(const CODE_NAME (&rows)[N], unsigned char code, const char* fallback) {
    return find_name(rows, N, code, fallback);
}

}  // namespace detail
}  // namespace paketlog

#endif
