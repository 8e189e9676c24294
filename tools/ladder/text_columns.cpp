#include "ladder/text_columns.h"

#include <cstdint>

namespace paketlog {
namespace tool {
namespace {

bool continuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// The length of the character that starts with `lead`.
std::size_t character_length(unsigned char lead) {
    if (lead < 0xC0) return 1;
    if (lead < 0xE0) return 2;
    if (lead < 0xF0) return 3;
    return 4;
}

}  // namespace

std::uint32_t code_point(std::string_view text, std::size_t at, std::size_t& length) {
    const unsigned char lead = static_cast<unsigned char>(text[at]);
    length = character_length(lead);
    if (length == 1 || at + length > text.size()) {
        length = 1;
        return lead < 0x80 ? lead : 0xFFFD;
    }
    static const unsigned char kLeadMask[] = {0, 0, 0x1F, 0x0F, 0x07};
    std::uint32_t value = lead & kLeadMask[length];
    for (std::size_t i = 1; i < length; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[at + i]);
        if (!continuation(c)) {
            length = 1;
            return 0xFFFD;
        }
        value = value << 6 | (c & 0x3F);
    }
    return value;
}

namespace {

// А to я (U+0410 to U+044F) in Latin letters, as passports spell them.
const char* const kCyrillic[64] = {
    "A", "B", "V", "G", "D", "E", "Zh", "Z", "I", "Y", "K", "L", "M", "N", "O", "P",
    "R", "S", "T", "U", "F", "Kh", "Ts", "Ch", "Sh", "Shch", "", "Y", "", "E", "Yu", "Ya",
    "a", "b", "v", "g", "d", "e", "zh", "z", "i", "y", "k", "l", "m", "n", "o", "p",
    "r", "s", "t", "u", "f", "kh", "ts", "ch", "sh", "shch", "", "y", "", "e", "yu", "ya",
};

// The other characters of Windows-1251 that have an ASCII look-alike.
struct Fold {
    std::uint32_t code;
    const char* ascii;
};
const Fold kFolds[] = {
    {0x00A0, " "},  {0x00A6, "|"},   {0x00A9, "(c)"}, {0x00AB, "\""}, {0x00AD, "-"},  {0x00AE, "(R)"},
    {0x00B1, "+-"}, {0x00B7, "."},   {0x00BB, "\""},  {0x0401, "Yo"}, {0x0404, "Ye"}, {0x0406, "I"},
    {0x0407, "Yi"}, {0x0451, "yo"},  {0x0454, "ye"},  {0x0456, "i"},  {0x0457, "yi"}, {0x0490, "G"},
    {0x0491, "g"},  {0x2013, "-"},   {0x2014, "-"},   {0x2018, "'"},  {0x2019, "'"},  {0x201A, ","},
    {0x201C, "\""}, {0x201D, "\""},  {0x201E, "\""},  {0x2022, "*"},  {0x2026, "..."}, {0x2039, "<"},
    {0x203A, ">"},  {0x20AC, "EUR"}, {0x2116, "No"},  {0x2122, "TM"},
};

}  // namespace

std::size_t text_columns(std::string_view text) {
    std::size_t columns = 0;
    for (const char c : text)
        if (!continuation(static_cast<unsigned char>(c))) ++columns;
    return columns;
}

std::string cut_text(std::string_view text, std::size_t columns, std::string_view ellipsis,
                     std::size_t ellipsis_columns) {
    if (text_columns(text) <= columns) return std::string(text);
    if (columns < ellipsis_columns) return cut_text(ellipsis, columns, "", 0);
    std::size_t keep = columns - ellipsis_columns;
    std::size_t end = 0;
    while (end < text.size() && keep != 0) {
        end += character_length(static_cast<unsigned char>(text[end]));
        --keep;
    }
    if (end > text.size()) end = text.size();
    while (end != 0 && text[end - 1] == ' ') --end;  // "CONTROL..." rather than "CONTROL ..."
    return std::string(text.substr(0, end)) + std::string(ellipsis);
}

std::string ascii_text(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        std::size_t length = 1;
        const std::uint32_t c = code_point(text, at, length);
        at += length;
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c >= 0x0410 && c <= 0x044F) {
            out += kCyrillic[c - 0x0410];
        } else {
            const char* fold = "?";
            for (const Fold& f : kFolds)
                if (f.code == c) fold = f.ascii;
            out += fold;
        }
    }
    return out;
}

}  // namespace tool
}  // namespace paketlog
