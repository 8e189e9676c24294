#include "golden.h"

#include "paketlog.h"

#include <cstring>
#include <fstream>
#include <istream>
#include <ostream>
#include <sstream>
#include <stdexcept>

namespace testing_support {

namespace {

int hex_value(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool starts_with(const std::string& s, const char* prefix) { return s.compare(0, std::strlen(prefix), prefix) == 0; }

[[noreturn]] void fail(const std::string& origin, int line, const std::string& what) {
    throw std::runtime_error(origin + ":" + std::to_string(line) + ": " + what);
}

void append_hex(std::vector<unsigned char>& out, const std::string& text) {
    int high = -1;
    for (char c : text) {
        if (c == ' ') {
            if (high >= 0) throw std::invalid_argument("blank inside a byte");
            continue;
        }
        const int v = hex_value(c);
        if (v < 0) throw std::invalid_argument(std::string("not a hex digit: ") + c);
        if (high < 0) {
            high = v;
        } else {
            out.push_back(static_cast<unsigned char>(high * 16 + v));
            high = -1;
        }
    }
    if (high >= 0) throw std::invalid_argument("odd number of hex digits");
}

unsigned char small_number(const std::string& word) {
    std::size_t used = 0;
    const unsigned long v = std::stoul(word, &used, 10);
    if (used != word.size() || v > 255) throw std::invalid_argument("not a number 0-255: " + word);
    return static_cast<unsigned char>(v);
}

void write_comment(std::ostream& out, std::size_t indent, const std::string& bytes) {
    for (unsigned char c : bytes)
        if (c >= 0x80) {
            std::string text = cp1251_to_utf8(bytes);
            text.erase(text.find_last_not_of(' ') + 1);  // no trailing blanks in the file
            out << '#' << std::string(indent - 1, ' ') << text << '\n';
            return;
        }
}

}  // namespace

std::string quote_line(const std::string& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out = "\"";
    for (unsigned char c : bytes) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            out += "\\x";
            out += digits[c >> 4];
            out += digits[c & 15];
        }
    }
    return out + "\"";
}

std::string unquote_line(const std::string& quoted) {
    if (quoted.size() < 2 || quoted.front() != '"' || quoted.back() != '"')
        throw std::invalid_argument("a line is quoted in \"...\"");
    std::string out;
    for (std::size_t i = 1; i + 1 < quoted.size(); ++i) {
        const char c = quoted[i];
        if (c == '"') throw std::invalid_argument("unescaped \" inside a line");
        if (c != '\\') {
            out += c;
            continue;
        }
        if (i + 2 >= quoted.size()) throw std::invalid_argument("escape at the end of a line");
        const char e = quoted[++i];
        if (e == '\\' || e == '"') {
            out += e;
        } else if (e == 'x' && i + 3 < quoted.size() && hex_value(quoted[i + 1]) >= 0 &&
                   hex_value(quoted[i + 2]) >= 0) {
            out += static_cast<char>(hex_value(quoted[i + 1]) * 16 + hex_value(quoted[i + 2]));
            i += 2;
        } else {
            throw std::invalid_argument("unknown escape");
        }
    }
    return out;
}

std::string cp1251_to_utf8(const std::string& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes) {
        unsigned cp = 0;
        if (c >= 0xC0) cp = 0x410 + (c - 0xC0);
        else if (c == 0xA8) cp = 0x401;
        else if (c == 0xB8) cp = 0x451;
        if (cp != 0) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            out += "\\x";
            out += digits[c >> 4];
            out += digits[c & 15];
        }
    }
    return out;
}

std::vector<GoldenEntry> read_golden(std::istream& in, const std::string& origin) {
    std::vector<GoldenEntry> entries;
    std::string text;
    int number = 0;
    while (std::getline(in, text)) {
        ++number;
        if (!text.empty() && text.back() == '\r') text.pop_back();
        if (text.empty() || text[0] == '#') continue;
        if (starts_with(text, "name ")) {
            entries.emplace_back();
            entries.back().name = text.substr(5);
            entries.back().line = number;
            continue;
        }
        if (entries.empty()) fail(origin, number, "a line before the first `name`");
        GoldenEntry& e = entries.back();
        try {
            if (starts_with(text, "packet ")) {
                append_hex(e.packet, text.substr(7));
            } else if (starts_with(text, "op ")) {
                if (e.has_op) throw std::invalid_argument("second `op` line");
                std::istringstream words(text.substr(3));
                std::string msg, skip;
                if (!(words >> msg >> skip)) throw std::invalid_argument("`op <msg_type> <skip_type> \"line\"`");
                e.msg_type = small_number(msg);
                e.skip_type = small_number(skip);
                const std::size_t quote = text.find('"');
                if (quote != std::string::npos) {
                    e.op = unquote_line(text.substr(quote));
                    e.has_op = true;
                }
            } else if (starts_with(text, "tc in ")) {
                if (e.has_tc_in) throw std::invalid_argument("second `tc in` line");
                e.tc_in = unquote_line(text.substr(6));
                e.has_tc_in = true;
            } else if (starts_with(text, "tc out ")) {
                if (e.has_tc_out) throw std::invalid_argument("second `tc out` line");
                e.tc_out = unquote_line(text.substr(7));
                e.has_tc_out = true;
            } else {
                throw std::invalid_argument("unknown line");
            }
        } catch (const std::exception& x) {
            fail(origin, number, x.what());
        }
    }
    for (const GoldenEntry& e : entries)
        if (e.packet.empty()) fail(origin, e.line, "entry `" + e.name + "` has no packet");
    return entries;
}

std::vector<unsigned char> visited_params(const std::vector<unsigned char>& packet, std::size_t* end) {
    std::vector<unsigned char> types;
    std::size_t pos = 0;
    if (packet.size() > 2) {
        _PD_PACKET header{};
        header.type = packet[2];
        const std::size_t offset = header.get_offset_EAP();
        if (offset != 0 && offset < packet.size()) {
            pos = offset + 1;
            for (unsigned i = 0; i < packet[offset] && i < 12 && pos + 4 <= packet.size(); ++i) {
                types.push_back(packet[pos]);
                pos += 4 + (packet[pos + 2] | (packet[pos + 3] << 8));
            }
        }
    }
    if (end != nullptr) *end = pos;
    return types;
}

std::vector<GoldenEntry> read_golden(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot open " + path);
    return read_golden(in, path);
}

void write_golden(std::ostream& out, const std::vector<GoldenEntry>& entries) {
    static const char digits[] = "0123456789abcdef";
    for (const GoldenEntry& e : entries) {
        out << "\nname " << e.name << '\n';
        for (std::size_t i = 0; i < e.packet.size(); i += 32) {
            out << "packet ";
            for (std::size_t j = i; j < e.packet.size() && j < i + 32; ++j)
                out << digits[e.packet[j] >> 4] << digits[e.packet[j] & 15];
            out << '\n';
        }
        const std::string op_head = "op " + std::to_string(e.msg_type) + " " + std::to_string(e.skip_type);
        if (e.has_op) {
            out << op_head << ' ' << quote_line(e.op) << '\n';
            write_comment(out, op_head.size() + 2, e.op);
        } else {
            out << op_head << '\n';
        }
        if (e.has_tc_in) {
            out << "tc in " << quote_line(e.tc_in) << '\n';
            write_comment(out, 7, e.tc_in);
        }
        if (e.has_tc_out) {
            out << "tc out " << quote_line(e.tc_out) << '\n';
            write_comment(out, 8, e.tc_out);
        }
    }
}

}  // namespace testing_support
