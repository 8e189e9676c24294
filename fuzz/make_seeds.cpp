// Seeds from the golden corpus in the targets' input layouts: each packet
// whole and cut by one byte, its block, each parameter of the block and the
// number, RTP and video records in them; a few hand-made records; each packet
// as a captured UDP datagram, whole and in two IP pieces.
// usage: paketlog_fuzz_seeds CORPUS OUT_DIR (writes OUT_DIR/<target>/<n>)
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "golden.h"
#include "wire/block_walk.h"
#include "wire/packet_types.h"

namespace {
std::string out_dir;
unsigned seeds = 0;

// The target's fixed fields, then `n` bytes.
void seed(const char* target, std::initializer_list<unsigned> fields, const void* bytes, std::size_t n) {
    std::filesystem::create_directories(out_dir + "/" + target);
    std::ofstream(out_dir + "/" + target + "/" + std::to_string(++seeds), std::ios::binary)
        << std::string(fields.begin(), fields.end()) + std::string(static_cast<const char*>(bytes), n);
}
void put16(std::string& out, std::size_t v, bool big_endian) {
    const char high = static_cast<char>(v >> 8), low = static_cast<char>(v);
    out += big_endian ? std::string{high, low} : std::string{low, high};
}

// The capture target's layout: link 0 (Ethernet), then frames, each a u16
// length and its bytes. The packet in a UDP datagram over IPv4, in one frame
// or in two pieces, the last one first.
void capture_seed(const std::vector<unsigned char>& p, bool in_pieces) {
    std::string udp;
    for (unsigned v : {40000u, 7700u, unsigned(8 + p.size()), 0u}) put16(udp, v, true);
    udp.append(p.begin(), p.end());
    std::string input(1, '\0');
    auto frame = [&](const std::string& carried, unsigned flags_offset) {
        std::string f = std::string(12, '\x02') + "\x08\x00\x45" + '\0';
        for (unsigned v : {unsigned(20 + carried.size()), 0x1234u, flags_offset, 0x4011u, 0u}) put16(f, v, true);
        f += std::string("\xc0\x00\x02\x0a\xc0\x00\x02\x14") + carried;
        put16(input, f.size(), false);
        input += f;
    };
    if (in_pieces && udp.size() > 16) {
        frame(udp.substr(16), 2);
        frame(udp.substr(0, 16), 0x2000);
    } else {
        frame(udp, 0);
    }
    seed("capture", {}, input.data(), input.size());
    // The same frames as a pcap file (Ethernet, microseconds) for the pcap_file target.
    std::string file("\xd4\xc3\xb2\xa1\x02\x00\x04\x00", 8);
    file += std::string(8, '\0') + std::string("\x00\x00\x04\x00\x01\x00\x00\x00", 8);
    for (std::size_t pos = 1; pos + 2 <= input.size();) {
        const std::size_t n = static_cast<unsigned char>(input[pos]) | static_cast<unsigned char>(input[pos + 1]) << 8;
        std::string record = "\x60\xe1\xe1\x65\x01\x00\x00\x00";  // a time stamp
        for (int twice = 0; twice < 2; ++twice) {
            put16(record, n, false);
            put16(record, 0, false);
        }
        file += record + input.substr(pos + 2, n);
        pos += 2 + n;
    }
    seed("pcap_file", {}, file.data(), file.size());
    // And as a pcapng file (a section, an Ethernet interface, enhanced packet blocks) for pcapng_file.
    const auto le32 = [](std::string& out, std::size_t v) {
        for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>(v >> (8 * i) & 0xFF));
    };
    const auto block = [&](std::size_t type, const std::string& body) {
        std::string b;
        const std::size_t length = 12 + (body.size() + 3) / 4 * 4;
        le32(b, type);
        le32(b, length);
        b += body + std::string(length - 12 - body.size(), '\0');
        le32(b, length);
        return b;
    };
    std::string ng = block(0x0A0D0D0A, std::string("\x4d\x3c\x2b\x1a\x01\x00\x00\x00", 8) + std::string(8, '\xff'));
    ng += block(1, std::string("\x01\x00\x00\x00\x00\x00\x04\x00", 8));
    for (std::size_t pos = 1; pos + 2 <= input.size();) {
        const std::size_t n = static_cast<unsigned char>(input[pos]) | static_cast<unsigned char>(input[pos + 1]) << 8;
        std::string epb(4, '\0');
        le32(epb, 0x00060BBB);  // a time stamp in microseconds
        le32(epb, 0x2F2AA000);
        le32(epb, n);
        le32(epb, n);
        ng += block(6, epb + input.substr(pos + 2, n));
        pos += 2 + n;
    }
    seed("pcapng_file", {}, ng.data(), ng.size());
}
}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) return std::fprintf(stderr, "usage: %s CORPUS OUT_DIR\n", argv[0]), 2;
    out_dir = argv[2];
    for (const testing_support::GoldenEntry& e : testing_support::read_golden(argv[1])) {
        const std::vector<unsigned char>& p = e.packet;
        for (const bool whole : {true, false}) {  // whole into 16384 bytes, cut by a byte into 40 or 11
            const std::size_t n = p.size() - (!whole && p.size() > 3);
            seed("decode_paket", {e.msg_type, e.skip_type, whole ? 0u : 40u, whole ? 0x40u : 0u}, p.data(), n);
            seed("decode_paket_testcall", {whole, whole ? 0u : 11u, whole ? 0x40u : 0u}, p.data(), n);
        }
        for (const bool in_pieces : {false, true}) capture_seed(p, in_pieces);
        const unsigned offset = paketlog::wire::block_offset(p.size() > 2 ? p[2] : 0);
        seed("decode_eap", {offset & 0xFF, offset >> 8, e.skip_type}, p.data(), p.size());
        paketlog::wire::BlockWalk walk(p.data(), p.size(), static_cast<unsigned short>(offset));
        while (const unsigned char* param = walk.next()) {  // the parameters the decoders visit
            const unsigned type = param[0], length = paketlog::detail::load_le16(param + 2), skip = type == 168 ? 6 : 0;
            const unsigned char* value = param + 4;
            seed("eap_value", {16, 0, type, param[1]}, value, length);
            // HIDE_PARAM: a number with property; RTP_PARAM: its RTP record; VIDEO_PARAM.
            const unsigned renderer = type == 175 ? 0x80 : type == 168 ? 6 : type == 174 ? 7 : 8;
            if (renderer != 8 && length > skip) seed("renderers", {renderer, 40, 0}, value + skip, length - skip);
        }
    }
    // Digit codes, a descriptor, a dialled text, a cause, an address.
    using namespace std::string_literals;
    for (const std::string& s : {"\x01\x28\x00\x01\x0b\x0c\x0f\x0a\x1b"s, "\x02\x28\x00\x01\x01\x00\x01"s,
                                 "\x03\x14\x00+7 (000) 123-45-67"s, "\x84\x00\x00\x01\x02\xff"s,
                                 "\x05\x08\x00\xff\xff"s})
        seed("renderers", {}, s.data(), s.size());
    std::printf("%u seeds in %s\n", seeds, out_dir.c_str());
    return 0;
}
