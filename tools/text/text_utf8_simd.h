// The Windows-1251 to UTF-8 conversion a block at a time, for text_utf8.cpp:
// sixteen bytes with SSSE3, thirty-two with AVX2 (text_utf8_simd.cpp), on
// x86 only. Private to this folder.
#ifndef PAKETLOG_TOOLS_TEXT_TEXT_UTF8_SIMD_H
#define PAKETLOG_TOOLS_TEXT_TEXT_UTF8_SIMD_H

#include <string_view>

#include "text/cpu_features.h"
#include "text/text_buffer.h"
#include "text/text_utf8.h"

#if defined(__SSE2__) && defined(PAKETLOG_X86_FEATURES)
#define PAKETLOG_LETTERS_SIMD 1

namespace paketlog {
namespace tool {
namespace utf8_simd {

// The letters А-я (0xC0-0xFF, U+0410-U+044F) by their rule: lead byte 0xD0,
// or 0xD1 from 0xF0 on; trail byte 0x80 | (byte + 0x10) & 0x3F. Whether
// every letter has in `table` the form the rule gives it (on x86,
// little-endian: the lead byte lowest); the block ways hold only then.
bool letters_by_rule(const Cp1251ToUtf8::Table& table);

// `text` through `table` as Cp1251ToUtf8 shows it (Json: quoted and
// escaped), added to `out`: sixteen bytes at a time where the processor
// has SSSE3, thirty-two where it has AVX2. `padded`: the text's buffer
// goes on for Cp1251ToUtf8::kPadding bytes past it (see PaddedText).
template <bool Json>
__attribute__((target("ssse3"), noinline)) void translate16(std::string_view text, bool padded,
                                                           const Cp1251ToUtf8::Table& table, TextBuffer& out);
template <bool Json>
__attribute__((target("avx2"), noinline)) void translate32(std::string_view text, bool padded,
                                                          const Cp1251ToUtf8::Table& table, TextBuffer& out);

}  // namespace utf8_simd
}  // namespace tool
}  // namespace paketlog
#endif

#endif
