// Seed corpora for the fuzz targets, made from the golden corpus: each packet
// framed for the three packet targets (whole, cut by one byte, with a short
// destination), each parameter of its block for eap_value, and the records it
// embeds (numbers, descriptors, causes, RTP and video records) for renderers.
//
// usage: paketlog_fuzz_seeds CORPUS OUT_DIR
// Writes OUT_DIR/<target>/<entry>.<n>; the input layouts are those of the
// targets' own sources.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <map>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "golden.h"
#include "paketlog.h"

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

namespace {

class Seeds {
public:
    explicit Seeds(fs::path dir) : dir_(std::move(dir)) {}

    void add(const std::string& target, const std::string& name, const Bytes& bytes) {
        const fs::path dir = dir_ / target;
        fs::create_directories(dir);
        std::ofstream out(dir / (name + "." + std::to_string(++count_[target])), std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        if (!out) throw std::runtime_error("cannot write a seed into " + dir.string());
    }
    std::size_t total() const {
        std::size_t n = 0;
        for (const auto& t : count_) n += t.second;
        return n;
    }

private:
    fs::path dir_;
    std::map<std::string, unsigned> count_;
};

Bytes frame(std::initializer_list<unsigned> fields, const unsigned char* bytes, std::size_t n) {
    Bytes out;
    for (unsigned f : fields) out.push_back(static_cast<unsigned char>(f));
    out.insert(out.end(), bytes, bytes + n);
    return out;
}
Bytes frame(std::initializer_list<unsigned> fields, const Bytes& bytes) {
    return frame(fields, bytes.data(), bytes.size());
}

constexpr unsigned lo(unsigned v) { return v & 0xFF; }
constexpr unsigned hi(unsigned v) { return (v >> 8) & 0xFF; }

// Renderer selectors of renderers.cpp; bit 7 is its flag.
enum : unsigned { kNumber, kDigits, kDescriptor, kStr2Number, kCause, kIp, kRtp, kVideo, kFlag = 0x80 };

void number_seeds(Seeds& s, const std::string& name, const unsigned char* number) {
    s.add("renderers", name, frame({kNumber | kFlag, lo(40), hi(40)}, number, sizeof(_PD_NUMBER)));
    s.add("renderers", name, frame({kNumber, lo(8), hi(8)}, number, sizeof(_PD_NUMBER)));
    s.add("renderers", name, frame({kDigits, lo(40), hi(40)}, number + 7, number[6] < 20 ? number[6] : 20));
    s.add("renderers", name, frame({kDescriptor, lo(40), hi(40)}, number, sizeof(SABONENT_TYPE)));
}

void rtp_seeds(Seeds& s, const std::string& name, const unsigned char* record) {
    s.add("renderers", name, frame({kRtp, lo(512), hi(512)}, record, sizeof(RTP_EXCH::sRTPExchParam)));
    s.add("renderers", name, frame({kRtp, lo(12), hi(12)}, record, sizeof(RTP_EXCH::sRTPExchParam)));
}

void packet_seeds(Seeds& s, const testing_support::GoldenEntry& e) {
    const Bytes& p = e.packet;
    const unsigned whole = 16384;
    s.add("decode_paket", e.name, frame({e.msg_type, e.skip_type, lo(whole), hi(whole)}, p));
    s.add("decode_paket", e.name, frame({e.msg_type, e.skip_type, lo(40), hi(40)}, p));
    s.add("decode_paket_testcall", e.name, frame({1, lo(whole), hi(whole)}, p));
    s.add("decode_paket_testcall", e.name, frame({0, lo(11), hi(11)}, p));
    if (p.size() > 3) {
        const Bytes cut(p.begin(), p.end() - 1);
        s.add("decode_paket", e.name, frame({e.msg_type, e.skip_type, lo(whole), hi(whole)}, cut));
        s.add("decode_paket_testcall", e.name, frame({0, lo(whole), hi(whole)}, cut));
    }
    if (p.size() < 3) return;

    _PD_PACKET header{};
    header.type = p[2];
    const unsigned offset = header.get_offset_EAP();
    s.add("decode_eap", e.name, frame({lo(offset), hi(offset), e.skip_type}, p));

    // The records the packet's own fields hold.
    switch (p[2]) {
    case PKT_DIALNUMBER:
        if (p.size() >= 64) {
            number_seeds(s, e.name, &p[10]);
            number_seeds(s, e.name, &p[37]);
        }
        break;
    case PKT_CALLINGNUM:
        if (p.size() >= 37) number_seeds(s, e.name, &p[10]);
        break;
    case PKT_CNG_SEANCE:
        if (p.size() >= 41) number_seeds(s, e.name, &p[14]);
        break;
    case PKT_CONTROL:
        if (p.size() >= 15) {
            s.add("renderers", e.name, frame({kCause, 0, 0}, &p[11], sizeof(_PD_CAUSE)));
            s.add("renderers", e.name, frame({kCause | kFlag, 0, 0}, &p[11], sizeof(_PD_CAUSE)));
        }
        break;
    case PKT_RTP_DATA:
        if (p.size() >= 165) rtp_seeds(s, e.name, &p[16]);
        break;
    default:
        break;
    }

    // Every parameter the block walk visits, and the records inside them.
    if (offset == 0 || offset >= p.size()) return;
    std::size_t pos = offset + 1;
    for (unsigned i = 0; i < p[offset] && i < 12 && pos + 4 <= p.size(); ++i) {
        const unsigned type = p[pos];
        const std::size_t length = p[pos + 2] | (p[pos + 3] << 8);
        if (pos + 4 + length > p.size()) break;
        const unsigned char* value = &p[pos + 4];
        s.add("eap_value", e.name, frame({lo(6208), hi(6208), type, p[pos + 1]}, value, length));
        s.add("eap_value", e.name, frame({lo(16), hi(16), type, p[pos + 1]}, value, length));
        if (type == 175 && length >= sizeof(_PD_NUMBER)) number_seeds(s, e.name, value);
        if (type == 168 && length >= 6 + sizeof(RTP_EXCH::sRTPExchParam)) rtp_seeds(s, e.name, value + 6);
        if (type == 174 && length >= sizeof(Video_Exchange::ParamVideoRTP))
            s.add("renderers", e.name, frame({kVideo, 0, 0}, value, sizeof(Video_Exchange::ParamVideoRTP)));
        pos += 4 + length;
    }
}

// What the corpus has no record for: addresses and dialled texts.
void hand_made_seeds(Seeds& s) {
    const unsigned addresses[] = {0x0100007Fu, 0xFFFFFFFFu, 0x0500000Au};
    const unsigned sizes[] = {16, 8, 0};
    for (unsigned a : addresses)
        for (unsigned size : sizes) {
            const unsigned char word[4] = {static_cast<unsigned char>(lo(a)), static_cast<unsigned char>(hi(a)),
                                           static_cast<unsigned char>(a >> 16), static_cast<unsigned char>(a >> 24)};
            s.add("renderers", "ip", frame({kIp, lo(size), hi(size)}, word, sizeof word));
        }
    const struct {
        const char* text;
        unsigned max;
    } texts[] = {
        {"+7 (000) 123-45-67", 20},
        {"12-34", 4},
        {"1234567890123456789012345678901234567890", 255},
        {"", 5},
        {"*#+9", 0},
    };
    for (const auto& t : texts) {
        const std::string text = t.text;
        s.add("renderers", "str2number", frame({kStr2Number, t.max, 0}, Bytes(text.begin(), text.end())));
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s CORPUS OUT_DIR\n", argv[0]);
        return 2;
    }
    try {
        Seeds seeds{fs::path(argv[2])};
        for (const testing_support::GoldenEntry& e : testing_support::read_golden(argv[1])) packet_seeds(seeds, e);
        hand_made_seeds(seeds);
        std::printf("%zu seeds in %s\n", seeds.total(), argv[2]);
    } catch (const std::exception& ex) {
        std::fprintf(stderr, "%s: %s\n", argv[0], ex.what());
        return 1;
    }
    return 0;
}
