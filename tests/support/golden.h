// The golden corpus (tests/data/golden/corpus.txt, format in its README.md):
// packets with the exact lines both decoders give for them, and where each
// may be cut (cuts.txt).
#ifndef PAKETLOG_TESTS_GOLDEN_H
#define PAKETLOG_TESTS_GOLDEN_H

#include <algorithm>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "paketlog.h"

namespace testing_support {

struct GoldenEntry {
    std::string name;
    std::vector<unsigned char> packet;  // the whole packet; its size is the length
    unsigned char msg_type = 0, skip_type = 0;
    std::string op, tc_in, tc_out;  // expected lines, exact bytes (Windows-1251)
    // From cuts.txt: the bytes the type's line reads, the end of the parameters
    // a decoder visits (need when none), and their types.
    std::size_t need = 0, end = 0;
    std::vector<unsigned char> visited;
};

inline unsigned char hex_byte(const std::string& text, std::size_t at) {  // two hex digits at `at`
    if (at + 2 > text.size() || text.find_first_not_of("0123456789abcdefABCDEF", at) < at + 2)
        throw std::invalid_argument("not a hex byte");
    return static_cast<unsigned char>(std::stoi(text.substr(at, 2), nullptr, 16));
}

inline std::string unquote(const std::string& text) {  // "..." with \\, \" and \xNN escapes
    std::size_t i = text.find('"');
    if (i == std::string::npos || text.size() < i + 2 || text.back() != '"') throw std::invalid_argument("no \"line\"");
    std::string out;
    for (++i; i + 1 < text.size(); ++i) {
        if (text[i] != '\\' || text[++i] != 'x') out += text[i];
        else out += static_cast<char>(hex_byte(text, i + 1)), i += 2;
    }
    return out;
}

// Throws std::runtime_error naming the file and line on malformed input.
inline std::vector<GoldenEntry> read_golden(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot open " + path);
    std::vector<GoldenEntry> entries;
    std::string text;
    for (int number = 1; std::getline(in, text); ++number) {
        if (text.empty() || text[0] == '#') continue;
        std::string key, word;
        int skip = 0;
        std::istringstream(text) >> key >> word >> skip;
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

// Adds each entry's cut from `path`; throws std::runtime_error for an entry
// without one, a cut of no entry or a malformed line.
inline void read_cuts(const std::string& path, std::vector<GoldenEntry>& entries) {
    std::ifstream in(path);
    if (!in) throw std::runtime_error("cannot open " + path);
    std::vector<bool> seen(entries.size());
    std::string text;
    for (int number = 1; std::getline(in, text); ++number) {
        if (text.empty() || text[0] == '#') continue;
        std::istringstream fields(text);
        std::string key, name;
        fields >> key >> name;
        const auto e = std::find_if(entries.begin(), entries.end(), [&](const GoldenEntry& g) { return g.name == name; });
        if (key != "cut" || e == entries.end() || seen[e - entries.begin()] || !(fields >> e->need >> e->end))
            throw std::runtime_error(path + ":" + std::to_string(number) + ": not the cut of a new corpus entry");
        seen[e - entries.begin()] = true;
        for (unsigned type; fields >> type;) e->visited.push_back(static_cast<unsigned char>(type));
    }
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (!seen[i]) throw std::runtime_error(path + ": no cut for " + entries[i].name);
}

// The first `size` bytes alone in a heap allocation of exactly that size, so
// that a read past them leaves the allocation (AddressSanitizer, valgrind).
struct ExactPacket {
    explicit ExactPacket(const std::vector<unsigned char>& bytes, std::size_t size = 65535)
        : length(static_cast<unsigned short>(std::min(size, bytes.size()))), data(new unsigned char[length]) {
        std::memcpy(data.get(), bytes.data(), length);
    }
    unsigned char* get() const { return data.get(); }
    unsigned short length;
    std::unique_ptr<unsigned char[]> data;
};

// The six decoder forms: decode_paket (0, 1), decode_paket_testcall given the
// length (2, 3) and trusting the packet (4, 5); odd forms through `ws`.
constexpr int kForms = 6;
inline char* decode_form(int form, paketlog::Workspace& ws, char* dst, int size, unsigned char* packet,
                         unsigned short length, const GoldenEntry& e, bool incoming = true) {
    switch (form) {
    case 0: return decode_paket(dst, size, packet, length, e.msg_type, e.skip_type);
    case 1: return decode_paket(ws, dst, size, packet, length, e.msg_type, e.skip_type);
    case 2: return decode_paket_testcall(dst, size, packet, length, incoming);
    case 3: return decode_paket_testcall(ws, dst, size, packet, length, incoming);
    case 4: return decode_paket_testcall(dst, size, packet, incoming);
    default: return decode_paket_testcall(ws, dst, size, packet, incoming);
    }
}
// The corpus line of a form, and the offset its result points at.
inline const std::string& form_line(int form, const GoldenEntry& e, bool incoming = true) {
    return form < 2 ? e.op : incoming ? e.tc_in : e.tc_out;
}
inline std::size_t form_result(int form, const GoldenEntry& e) {
    return form < 2 ? std::strlen(get_msg_type_logdb(e.msg_type)) + 1 : 10;
}

#ifdef PAKETLOG_TEST_DATA
inline const std::vector<GoldenEntry>& golden_corpus() {  // read once
    static const std::vector<GoldenEntry> entries = [] {
        std::vector<GoldenEntry> read = read_golden(PAKETLOG_TEST_DATA "/golden/corpus.txt");
        read_cuts(PAKETLOG_TEST_DATA "/golden/cuts.txt", read);
        return read;
    }();
    return entries;
}
#endif

}  // namespace testing_support

#endif
