// Subscriber numbers: digit codes to text and back.
#include <cstring>

#include "workspace.h"

namespace {
constexpr unsigned kDigitSlots = sizeof(_PD_NUMBER::digits);

// 11 '*', 12 '#', 15 '+'; every other code shows its low four bits.
inline char digit_char(unsigned char code) {
    switch (code) {
    case 11: return '*';
    case 12: return '#';
    case 15: return '+';
    default: return static_cast<char>(0x30 + (code & 0x0F));
    }
}

const char* const kPropertySuffix[4] = {":UNDEF", ":EMPTY", ":PART", ":FULL"};
}  // namespace

char* number2str(paketlog::Workspace& ws, _PD_NUMBER* number, char* dst, unsigned short size, bool with_property) {
    if (dst == nullptr || size == 0 || number == nullptr) {
        char* out = ws.number_fallback_text;
        std::memset(out, 0, sizeof ws.number_fallback_text);
        if (number != nullptr) {
            unsigned n = number->digit_count;
            if (n > kDigitSlots) n = kDigitSlots;
            for (unsigned i = 0; i < n; ++i) out[i] = static_cast<char>(0x30 + (number->digits[i] & 0x0F));
        }
        return out;
    }
    std::memset(dst, 0, size);
    // Never more than the record's slots, never more than size - 1 characters.
    unsigned n = number->digit_count;
    if (n > kDigitSlots) n = kDigitSlots;
    if (n > size - 1u) n = size - 1u;
    for (unsigned i = 0; i < n; ++i) dst[i] = digit_char(number->digits[i]);
    if (with_property && number->property < 4) std::strncat(dst, kPropertySuffix[number->property], size - 1u - n);
    return dst;
}

char* number2str(_PD_NUMBER* number, char* dst, unsigned short size, bool with_property) {
    return number2str(paketlog::detail::g_workspace, number, dst, size, with_property);
}

char* number2str(char* dst, unsigned short size, unsigned char* digits, unsigned char count) {
    if (dst == nullptr) return nullptr;
    std::memset(dst, 0, size);
    if (digits == nullptr || size == 0) return dst;
    unsigned n = count;
    if (n > size - 1u) n = size - 1u;
    for (unsigned i = 0; i < n; ++i) dst[i] = digit_char(digits[i]);
    dst[n] = '\0';
    return dst;
}

unsigned int str2number(char* text, unsigned char* digits, unsigned char max) {
    if (text == nullptr || digits == nullptr || max == 0) return 0;
    std::size_t limit = strnlen(text, 32);
    if (limit > max) limit = max;
    unsigned n = 0;
    for (std::size_t i = 0; i < limit; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c >= '0' && c <= '9') digits[n++] = static_cast<unsigned char>(c & 0x0F);
        else if (c == '*') digits[n++] = 11;
        else if (c == '#') digits[n++] = 12;
        else if (c == '+') digits[n++] = 15;
    }
    return n;
}
