// Packets of calls for the call model's tests, laid out as the switch sends them.
#ifndef PAKETLOG_TESTS_TOOL_CALL_PACKETS_H
#define PAKETLOG_TESTS_TOOL_CALL_PACKETS_H

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace paketlog {
namespace tool {
namespace test {

using Bytes = std::vector<unsigned char>;
using Params = std::vector<std::pair<unsigned char, Bytes>>;

inline void put32(Bytes& b, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<unsigned char>(v >> (8 * i)));
}

inline Bytes header(unsigned char type, std::uint32_t seance) {
    Bytes b = {0, 0, type, 0, 0, 0};
    put32(b, seance);
    return b;
}

inline void block(Bytes& b, const Params& params = {}) {
    b.push_back(static_cast<unsigned char>(params.size()));
    for (const auto& p : params) {
        b.push_back(p.first);
        b.push_back(0);
        b.push_back(static_cast<unsigned char>(p.second.size()));
        b.push_back(static_cast<unsigned char>(p.second.size() >> 8));
        b.insert(b.end(), p.second.begin(), p.second.end());
    }
}

// Text of a parameter: its bytes (Windows-1251) and the NUL.
inline Bytes text(const std::string& s) {
    Bytes b(s.begin(), s.end());
    b.push_back(0);
    return b;
}

inline unsigned char digit_code(char c) { return c == '*' ? 11 : c == '#' ? 12 : c == '+' ? 15 : static_cast<unsigned char>(c - '0'); }

inline void number(Bytes& b, const std::string& digits) {
    const Bytes head = {1, 0, 0, 1, 10, 3, static_cast<unsigned char>(digits.size())};
    b.insert(b.end(), head.begin(), head.end());
    for (char c : digits) b.push_back(digit_code(c));
    b.insert(b.end(), 20 - digits.size(), 0);
}

inline Bytes dialdigit(std::uint32_t seance, char digit) {
    Bytes b = header(128, seance);
    b.push_back(digit_code(digit));
    block(b);
    return b;
}

inline Bytes dialnumber(std::uint32_t seance, const std::string& called, const std::string& calling,
                        const Params& params = {}) {
    Bytes b = header(129, seance);
    number(b, called);
    number(b, calling);
    put32(b, 0);
    block(b, params);
    return b;
}

inline Bytes control(std::uint32_t seance, unsigned char code, Bytes cause = {0, 0, 0, 0}, const Params& params = {}) {
    Bytes b = header(130, seance);
    b.push_back(code);
    b.insert(b.end(), cause.begin(), cause.end());
    put32(b, 0);
    block(b, params);
    return b;
}

inline Bytes callingnum(std::uint32_t seance, const std::string& calling) {
    Bytes b = header(132, seance);
    number(b, calling);
    put32(b, 0);
    block(b);
    return b;
}

inline Bytes cng_seance(std::uint32_t seance, std::uint32_t new_seance, const std::string& calling) {
    Bytes b = header(138, seance);
    put32(b, new_seance);
    number(b, calling);
    put32(b, 0);
    block(b);
    return b;
}

inline Bytes move_call(std::uint32_t seance, std::uint32_t second_seance) {
    Bytes b = header(140, seance);
    put32(b, second_seance);
    put32(b, 0);
    b.push_back(0);
    b.push_back(0);
    block(b);
    return b;
}

inline Bytes rtp_data(std::uint32_t seance, const std::string& address, unsigned short port) {
    Bytes b = header(144, seance);
    put32(b, 1);
    b.push_back(0);
    b.push_back(0);
    b.insert(b.end(), 17, 0);
    b.insert(b.end(), address.begin(), address.end());
    b.insert(b.end(), 128 - address.size(), 0);
    b.push_back(static_cast<unsigned char>(port));
    b.push_back(static_cast<unsigned char>(port >> 8));
    b.push_back(1);
    b.push_back(1);
    block(b);
    return b;
}

inline Bytes klt_rdy() {
    Bytes b = header(208, 5);
    block(b);
    return b;
}

}  // namespace test
}  // namespace tool
}  // namespace paketlog

#endif
