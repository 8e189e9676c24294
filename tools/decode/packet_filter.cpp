#include "decode/packet_filter.h"

#include <algorithm>
#include <cctype>

#include "decode/packet_shape.h"
#include "paketlog.h"
#include "text/text_utf8.h"

namespace paketlog {
namespace tool {
namespace {

bool same_name(std::string a, std::string b) {
    auto lower = [](std::string& s) {
        for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    };
    lower(a);
    lower(b);
    return a == b;
}

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
