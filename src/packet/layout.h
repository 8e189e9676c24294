// What a packet must hold before a line can be composed from it.
#ifndef PAKETLOG_SRC_PACKET_LAYOUT_H
#define PAKETLOG_SRC_PACKET_LAYOUT_H

#include <cstddef>
#include <cstring>

#include "paketlog.h"

namespace paketlog {
namespace detail {

// Byte 2, the packet type, is the least any line needs.
constexpr unsigned kTypeNeed = 3;

// Bytes a listed type reads: through its block's count byte (type 211 shows
// the byte at offset 10 in that place though it has no block).
inline unsigned needed_length(unsigned char type) {
    _PD_PACKET probe{};
    probe.type = type;
    return type == PKT_KLT_NTRDY ? 11u : probe.get_offset_EAP() + 1u;
}

// Field readers at the fixed offsets of a packet already known to hold them.
inline unsigned u8_at(const unsigned char* packet, std::size_t at) { return packet[at]; }
inline unsigned u16_at(const unsigned char* packet, std::size_t at) { return load_le16(packet + at); }
inline unsigned u32_at(const unsigned char* packet, std::size_t at) { return load_le32(packet + at); }
inline unsigned long long u64_at(const unsigned char* packet, std::size_t at) { return load_le64(packet + at); }

template <typename Record>
inline Record* record_at(unsigned char* packet, std::size_t at) {
    static_assert(alignof(Record) == 1, "records are read in place at any alignment");
    return reinterpret_cast<Record*>(packet + at);
}

// The header of a line is made of texts from the library's own tables and,
// on the operator line, the seance: plain copies compose it, and the line's
// one snprintf takes it as its first "%s". It stays far below kHeaderSize:
// at most 31 characters on the operator line, 38 bytes on the test-call line.
constexpr std::size_t kHeaderSize = 256;

inline char* put_text(char* out, const char* text) {
    const std::size_t n = std::strlen(text);
    std::memcpy(out, text, n);
    return out + n;
}

// `value` as "%4d" writes it: signed decimal, right-aligned in 4 characters.
inline char* put_int_width4(char* out, int value) {
    const unsigned magnitude = value < 0 ? 0u - static_cast<unsigned>(value) : static_cast<unsigned>(value);
    char digits[10];
    const std::size_t n = decimal_digits(digits, magnitude);
    for (std::size_t width = n + (value < 0 ? 1 : 0); width < 4; ++width) *out++ = ' ';
    if (value < 0) *out++ = '-';
    std::memcpy(out, digits, n);
    return out + n;
}

// "%s %s:" of the test-call line; with a seance, "%s %s:%4d:" of the operator line.
inline void compose_header(char (&header)[kHeaderSize], const char* first, const char* name) {
    char* out = put_text(header, first);
    *out++ = ' ';
    out = put_text(out, name);
    *out++ = ':';
    *out = '\0';
}

inline void compose_header(char (&header)[kHeaderSize], const char* word, const char* name, int seance) {
    char* out = put_text(header, word);
    *out++ = ' ';
    out = put_text(out, name);
    *out++ = ':';
    out = put_int_width4(out, seance);
    *out++ = ':';
    *out = '\0';
}

// A number of the packet as the lines show it: digits, category, descriptor.
// The called number goes to the "b" texts with its completeness suffix, a
// calling number to the "a" texts without.
struct NumberFields {
    const char* digits;
    int category;
    const char* kind;
};

inline NumberFields number_at(Workspace& ws, unsigned char* packet, std::size_t at, bool called) {
    _PD_NUMBER* number = record_at<_PD_NUMBER>(packet, at);
    char* digits = called ? ws.number_text_b : ws.number_text_a;
    char* kind = called ? ws.type_text_b : ws.type_text_a;
    NumberFields f;
    f.digits = number2str(ws, number, digits, sizeof ws.number_text_a, called);
    f.category = number->category;
    f.kind = abonenttype2str(&number->abonent_type, kind, sizeof ws.type_text_a);
    return f;
}

}  // namespace detail
}  // namespace paketlog

#endif
