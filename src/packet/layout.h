// What both lines are composed from: the packet's records, its opening, the
// header texts and the numbers.
#ifndef PAKETLOG_SRC_PACKET_LAYOUT_H
#define PAKETLOG_SRC_PACKET_LAYOUT_H

#include <cstddef>
#include <cstring>

#include "paketlog.h"
#include "wire/packet_types.h"

namespace paketlog {
namespace detail {

// A packet already known to hold every field of its type, as that type's record.
template <typename Type>
inline Type& record(unsigned char* packet) {
    static_assert(alignof(Type) == 1, "records are read in place at any alignment");
    return *reinterpret_cast<Type*>(packet);
}

// What both lines share before their fields: the length check, the type and
// its name, and the block walked. The texts of the lines that stop there:
// "<first> <too short for the type byte>", "<first> <unlisted type>" and
// "<first> <name> <too short for the type>".
struct LineStart {
    const char* first;             // message-type word or direction prefix
    const CODE_NAME* names;        // this wording's packet names
    std::size_t name_count;
    const char* no_type_format;    // (first, length, bytes needed)
    const char* unknown_format;    // (first, type)
    const char* truncated_format;  // (first, name, length, bytes needed)
    unsigned char skip_type;       // parameter type left out of the block text
};

struct OpenedPacket {
    unsigned char type;
    const char* name;
    // The block text. It is walked before the fields: its parameters render
    // through the same texts as the packet's own number and RTP fields, which
    // must be the ones shown.
    const char* block;
};

// Writes the whole line and returns false when the packet stops at the
// length check or the type; otherwise fills `opened`.
bool open_packet(Workspace& ws, char* dst, int size, const unsigned char* packet, std::size_t limit,
                 const LineStart& start, OpenedPacket& opened);

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

inline NumberFields number_fields(Workspace& ws, _PD_NUMBER& field, bool called) {
    _PD_NUMBER* number = &field;
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
