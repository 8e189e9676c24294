// Hex traces: the lines of hex digits as the bytes they spell. Many digits
// are read at once where the build allows it (hex_trace_simd.h); the rest
// of a line is read pair by pair as the format says.
#include "hex/hex_trace.h"

#include <array>
#include <cstdio>
#include <cstring>

#include "hex/hex_trace_simd.h"
#include "paketlog.h"
#include "text/cpu_features.h"

namespace paketlog {
namespace tool {
namespace {

// Value of every character as a hex digit, -1 for a character that is none:
// one look-up, where tests per digit class mispredict on random hex text.
constexpr std::array<signed char, 256> kHexValues = [] {
    std::array<signed char, 256> values{};
    for (signed char& v : values) v = -1;
    for (int i = 0; i < 10; ++i) values[static_cast<std::size_t>('0' + i)] = static_cast<signed char>(i);
    for (int i = 0; i < 6; ++i)
        values[static_cast<std::size_t>('a' + i)] = values[static_cast<std::size_t>('A' + i)] =
            static_cast<signed char>(10 + i);
    return values;
}();

int hex_value(char c) { return kHexValues[static_cast<unsigned char>(c)]; }

#if defined(PAKETLOG_HEX_SIMD)
using hex_simd::all_digits;
using hex_simd::sixteen_digits;
using hex_simd::thirty_two_digits;
#else
// Value of every pair of characters (the first in the low byte) as two hex
// digits, kNoPair for a pair that is none: one look-up a byte.
constexpr unsigned kNoPair = 0x100;
const std::array<unsigned short, 65536> kPairValues = [] {
    std::array<unsigned short, 65536> values{};
    for (std::size_t pair = 0; pair < values.size(); ++pair) {
        const int high = kHexValues[pair & 0xFF];
        const int low = kHexValues[pair >> 8];
        values[pair] = static_cast<unsigned short>(high < 0 || low < 0 ? kNoPair : high * 16 + low);
    }
    return values;
}();

// Sixteen hex digits as eight bytes at `out`; false (and `out` written with
// anything) when any of the characters is no hex digit.
bool sixteen_digits(const char* digits, unsigned char* out) {
    unsigned all = 0;
    for (std::size_t k = 0; k < 8; ++k) {
        const unsigned value = kPairValues[paketlog::detail::load_le16(digits + 2 * k)];
        all |= value;
        out[k] = static_cast<unsigned char>(value);
    }
    return (all & kNoPair) == 0;
}

bool thirty_two_digits(const char* digits, unsigned char* out) {
    return sixteen_digits(digits, out) && sixteen_digits(digits + 16, out + 8);
}

// plain_hex_digits() a pair at a time, whether all were digits judged once at the end.
bool all_digits(const char* text, std::size_t length, unsigned char* out) {
    unsigned all = 0;
    for (std::size_t i = 0; i < length; i += 2) {
        const unsigned value = kPairValues[paketlog::detail::load_le16(text + i)];
        all |= value;
        out[i / 2] = static_cast<unsigned char>(value);
    }
    return (all & kNoPair) == 0;
}
#endif

bool is_separator(char c) { return c == ' ' || c == '\t' || c == ':' || c == '-'; }

// Whether the line's bytes end at text[i]: a '#' opens a comment that runs
// to the end of the line; line ends ('\r', '\n') end them when nothing but
// more of them, or a comment, follows. Found while the digits are read, so
// the line is gone through once.
bool ends_bytes(const char* text, std::size_t i, std::size_t length) {
    if (text[i] == '#') return true;
    if (text[i] != '\r' && text[i] != '\n') return false;
    while (i < length && (text[i] == '\r' || text[i] == '\n')) ++i;
    return i == length || text[i] == '#';
}

HexScan fault_at(HexScan::Fault fault, std::size_t index, char bad = 0) {
    HexScan scan;
    scan.kind = HexScan::Kind::Error;
    scan.fault = fault;
    scan.column = index + 1;
    scan.bad = bad;
    return scan;
}

std::string shown_char(char c) {
    const unsigned char b = static_cast<unsigned char>(c);
    if (b >= 0x20 && b < 0x7F) return std::string("'") + c + "'";
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", b);
    return text;
}

}  // namespace

bool plain_hex_digits(std::string_view text, unsigned char* out, bool wide) {
    const std::size_t length = text.size();
#if defined(PAKETLOG_HEX_SIMD)
    if (length < 16) return false;
#endif
    if (length == 0 || length % 2 != 0 || length / 2 > kMaxPacketLength) return false;
#if defined(PAKETLOG_HEX_AVX2)
    if (wide && length >= 32 && cpu_has_avx2()) return hex_simd::all_digits_avx2(text.data(), length, out);
#else
    (void)wide;
#endif
    return all_digits(text.data(), length, out);
}

HexScan scan_hex_line(std::string_view line, PacketBytes& bytes) {
    const char* const text = line.data();
    const std::size_t length = line.size();
    if (plain_hex_digits(line, bytes.data())) {
        HexScan scan;
        scan.kind = HexScan::Kind::Packet;
        scan.size = length / 2;
        return scan;
    }
    std::size_t size = 0;
    bool has_text = false;
    std::size_t i = 0;
    while (i < length) {
        if (is_separator(text[i])) {
            if (text[i] != ' ' && text[i] != '\t') has_text = true;
            ++i;
            continue;
        }
        if (ends_bytes(text, i, length)) break;
        has_text = true;
        if (text[i] == '0' && i + 1 < length && (text[i + 1] == 'x' || text[i + 1] == 'X')) i += 2;
        // One group of digits, written as it is read; where it must end (a
        // character that is no digit, an odd digit, the length) is judged at
        // its end, in that order.
        const std::size_t group = i;
        std::size_t too_long = 0;  // index of the first byte past the limit, 0: none
        // Sixteen, then eight bytes at a time while all their characters are
        // digits. The pairs below take the rest one at a time.
        // A group of one byte (the usual "01 00 80") does not try.
        while (i + 32 <= length && hex_value(text[i + 2]) >= 0 && size + 16 <= kMaxPacketLength &&
               thirty_two_digits(text + i, bytes.data() + size)) {
            i += 32;
            size += 16;
        }
        while (i + 16 <= length && hex_value(text[i + 2]) >= 0 && size + 8 <= kMaxPacketLength &&
               sixteen_digits(text + i, bytes.data() + size)) {
            i += 16;
            size += 8;
        }
        // A group that runs to the end of the line with fewer than sixteen
        // digits left: the last sixteen read at once, the bytes they share
        // with the ones before written again the same.
        const std::size_t rest = length - i;
        if (rest != 0 && rest < 16 && rest % 2 == 0 && i - group >= 16 - rest &&
            size + rest / 2 <= kMaxPacketLength) {
            unsigned char last[8];
            if (sixteen_digits(text + length - 16, last)) {
                std::memcpy(bytes.data() + size - (16 - rest) / 2, last, sizeof last);
                i = length;
                size += rest / 2;
            }
        }
        for (;;) {
            const int high = i < length ? hex_value(text[i]) : -1;
            if (high < 0) break;
            const int low = i + 1 < length ? hex_value(text[i + 1]) : -1;
            if (low < 0) {
                ++i;
                break;
            }
            if (size < kMaxPacketLength)
                bytes[size++] = static_cast<unsigned char>(high * 16 + low);
            else if (too_long == 0)
                too_long = i;
            i += 2;
        }
        if (i < length && !is_separator(text[i]) && !ends_bytes(text, i, length))
            return fault_at(HexScan::Fault::NonHex, i, text[i]);
        if ((i - group) % 2 != 0) return fault_at(HexScan::Fault::OddDigits, group);
        if (too_long != 0) return fault_at(HexScan::Fault::TooLong, too_long);
    }
    HexScan scan;
    if (!has_text) return scan;
    if (size == 0) {
        scan.kind = HexScan::Kind::Error;
        scan.fault = HexScan::Fault::Empty;
        return scan;
    }
    scan.kind = HexScan::Kind::Packet;
    scan.size = size;
    return scan;
}

std::string hex_fault_text(const HexScan& scan) {
    const std::string column = " at column " + std::to_string(scan.column);
    switch (scan.fault) {
    case HexScan::Fault::NonHex: return "non-hex character " + shown_char(scan.bad) + column;
    case HexScan::Fault::OddDigits: return "odd number of hex digits" + column;
    case HexScan::Fault::TooLong: return "packet longer than " + std::to_string(kMaxPacketLength) + " bytes" + column;
    case HexScan::Fault::Empty: return "empty packet";
    case HexScan::Fault::None: break;
    }
    return "";
}

HexLine parse_hex_line(std::string_view line) {
    static thread_local PacketBytes bytes;
    const HexScan scan = scan_hex_line(line, bytes);
    HexLine result;
    result.kind = static_cast<HexLine::Kind>(scan.kind);
    if (scan.kind == HexScan::Kind::Packet) result.bytes.assign(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(scan.size));
    if (scan.kind == HexScan::Kind::Error) result.error = hex_fault_text(scan);
    return result;
}

}  // namespace tool
}  // namespace paketlog
