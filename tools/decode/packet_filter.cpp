#include "decode/packet_filter.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "decode/packet_shape.h"
#include "paketlog.h"
#include "text/text_utf8.h"

namespace paketlog {
namespace tool {
namespace {

// Capital Cyrillic letters in UTF-8 and their small ones: the second byte
// `from` to `to` after the first byte `lead` becomes `small_lead` and the
// second byte moved as far as `small` is from `from`.
struct CyrillicCapitals {
    unsigned char lead, from, to, small_lead, small;
};
constexpr CyrillicCapitals kCyrillicCapitals[] = {
    {0xD0, 0x80, 0x8F, 0xD1, 0x90},  // Ѐ-Џ (Ё among them)
    {0xD0, 0x90, 0x9F, 0xD0, 0xB0},  // А-П
    {0xD0, 0xA0, 0xAF, 0xD1, 0x80},  // Р-Я
    {0xD2, 0x90, 0x90, 0xD2, 0x91},  // Ґ
};

// UTF-8 text with Latin and Cyrillic capitals made small (other bytes as they are).
std::string small_letters(const std::string& text) {
    std::string out = text;
    for (std::size_t i = 0; i < out.size(); ++i) {
        unsigned char& c = reinterpret_cast<unsigned char&>(out[i]);
        if (c >= 'A' && c <= 'Z') c = static_cast<unsigned char>(c - 'A' + 'a');
        if (i + 1 == out.size()) continue;
        unsigned char& next = reinterpret_cast<unsigned char&>(out[i + 1]);
        for (const CyrillicCapitals& k : kCyrillicCapitals) {
            if (c != k.lead || next < k.from || next > k.to) continue;
            c = k.small_lead;
            next = static_cast<unsigned char>(next - k.from + k.small);
            ++i;
            break;
        }
    }
    return out;
}

bool same_name(const std::string& a, const std::string& b) { return small_letters(a) == small_letters(b); }

// The name `table` gives `type`, without the blanks and colon the lines put
// after it; "" for a type it does not list.
template <std::size_t N>
std::string name_in(const CODE_NAME (&table)[N], int type) {
    for (const CODE_NAME& row : table) {
        if (row.code != type) continue;
        std::string name = row.name;
        while (!name.empty() && (name.back() == ' ' || name.back() == ':')) name.pop_back();
        return name;
    }
    return "";
}

}  // namespace

std::string packet_type_name(int type, bool testcall) {
    if (type < 0) return "";
    return testcall ? name_in(KesaPaketsTC, type) : name_in(KesaPakets, type);
}

std::string packet_type_list() {
    const Cp1251ToUtf8 utf8;
    std::string out;
    for (int t = 0; t < 256; ++t) {
        const std::string name = packet_type_name(t, false);
        if (name.empty()) continue;
        char code[16];
        std::snprintf(code, sizeof code, "%3d 0x%02X ", t, static_cast<unsigned>(t));
        out += code + name + std::string(name.size() < 11 ? 11 - name.size() : 1, ' ') +
               utf8.convert(packet_type_name(t, true)) + "\n";
    }
    return out;
}

std::int64_t packet_seance(const unsigned char* packet, std::size_t length) {
    if (length < sizeof(_PD_PACKET)) return -1;
    return detail::load_le32(packet + offsetof(_PD_PACKET, seance));
}

std::string PacketFilter::set(const Options& options) {
    const Cp1251ToUtf8 utf8;
    for (const std::string& wanted : options.types) {
        int code = -1;
        for (int t = 0; t < 256 && code < 0; ++t) {
            const std::string names[] = {packet_type_name(t, false), utf8.convert(packet_type_name(t, true))};
            for (const std::string& name : names)
                if (!name.empty() && same_name(name, wanted)) code = t;
        }
        char* end = nullptr;
        const long number = std::strtol(wanted.c_str(), &end, 0);
        if (code < 0 && !wanted.empty() && *end == '\0' && number >= 0 && number <= 255 && wanted[0] != '-' &&
            wanted[0] != '+')
            code = static_cast<int>(number);
        if (code < 0) return "--type wants a packet type from 0 to 255 or its name, not '" + wanted + "'";
        types_.push_back(code);
    }
    for (unsigned long seance : options.seances) seances_.push_back(static_cast<std::uint32_t>(seance));
    return "";
}

bool PacketFilter::keeps_asked(const unsigned char* packet, std::size_t length, bool part) const {
    if (!types_.empty()) {
        const int type = packet_type(packet, length);
        if (type < 0 ? !part : std::find(types_.begin(), types_.end(), type) == types_.end()) return false;
    }
    if (!seances_.empty()) {
        const std::int64_t seance = packet_seance(packet, length);
        if (seance < 0 ? !part
                       : std::find(seances_.begin(), seances_.end(), static_cast<std::uint32_t>(seance)) ==
                             seances_.end())
            return false;
    }
    return true;
}

}  // namespace tool
}  // namespace paketlog
