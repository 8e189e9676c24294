#include "golden.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace testing_support {
namespace {
unsigned char hex_byte(const std::string& text, std::size_t at) {
    if (at + 2 > text.size() || text.find_first_not_of("0123456789abcdefABCDEF", at) < at + 2)
        throw std::invalid_argument("not a hex byte");
    return static_cast<unsigned char>(std::stoi(text.substr(at, 2), nullptr, 16));
}

std::string unquote(const std::string& text) {  // "..." with \\, \" and \xNN escapes
    std::size_t i = text.find('"');
    if (i == std::string::npos || text.size() < i + 2 || text.back() != '"') throw std::invalid_argument("no \"line\"");
    std::string out;
    for (++i; i + 1 < text.size(); ++i) {
        if (text[i] != '\\' || text[++i] != 'x') out += text[i];
        else out += static_cast<char>(hex_byte(text, i + 1)), i += 2;
    }
    return out;
}
}  // namespace

std::vector<GoldenEntry> read_golden(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot open " + path);
    std::vector<GoldenEntry> entries;
    std::string text;
    for (int number = 1; std::getline(in, text); ++number) {
        if (text.empty() || text[0] == '#') continue;
        std::istringstream words(text);
        std::string key, word;
        int skip = 0;
        words >> key >> word >> skip;
        try {
            if (key == "name") entries.emplace_back().name = word;
            else if (entries.empty()) throw std::invalid_argument("no `name` before");
            else if (key == "packet")
                for (std::size_t i = 0; i < word.size(); i += 2) entries.back().packet.push_back(hex_byte(word, i));
            else if (key == "op") {
                entries.back().msg_type = static_cast<unsigned char>(std::stoi(word));
                entries.back().skip_type = static_cast<unsigned char>(skip);
                entries.back().op = unquote(text);
            } else if (key == "tc" && (word == "in" || word == "out"))
                (word == "in" ? entries.back().tc_in : entries.back().tc_out) = unquote(text);
            else
                throw std::invalid_argument("unknown line");
        } catch (const std::exception& x) {
            throw std::runtime_error(path + ":" + std::to_string(number) + ": " + x.what());
        }
    }
    return entries;
}

std::vector<unsigned char> visited_params(const std::vector<unsigned char>& packet, std::size_t* end) {
    _PD_PACKET header{};
    header.type = packet.size() > 2 ? packet[2] : 0;
    const std::size_t offset = header.get_offset_EAP();
    std::vector<unsigned char> types;
    std::size_t pos = offset != 0 && offset < packet.size() ? offset + 1 : 0;
    for (unsigned i = 0; pos != 0 && i < packet[offset] && i < 12 && pos + 4 <= packet.size(); ++i) {
        types.push_back(packet[pos]);
        pos += 4 + (packet[pos + 2] | (packet[pos + 3] << 8));
    }
    if (end != nullptr) *end = pos;
    return types;
}
}  // namespace testing_support
