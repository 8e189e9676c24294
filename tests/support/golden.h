// The golden corpus (tests/data/golden/corpus.txt): packets with the exact
// lines both decoders give for them. Format: tests/data/golden/README.md.
#ifndef PAKETLOG_TESTS_GOLDEN_H
#define PAKETLOG_TESTS_GOLDEN_H

#include <cstring>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

namespace testing_support {

struct GoldenEntry {
    std::string name;
    int line = 0;                       // line of the entry's `name` in the file
    std::vector<unsigned char> packet;  // the whole packet; its size is the length
    unsigned char msg_type = 0;         // decode_paket's msg_type and skip_type
    unsigned char skip_type = 0;
    std::string op;                     // expected lines, exact bytes (Windows-1251)
    std::string tc_in;
    std::string tc_out;
    bool has_op = false, has_tc_in = false, has_tc_out = false;  // a skeleton lacks them

    bool complete() const { return has_op && has_tc_in && has_tc_out; }
};

// Reads a corpus (or a skeleton without expected lines); throws
// std::runtime_error naming the file and line on malformed input.
std::vector<GoldenEntry> read_golden(const std::string& path);
std::vector<GoldenEntry> read_golden(std::istream& in, const std::string& origin);

// Writes entries in the corpus format, with a readable UTF-8 comment under
// each line that holds bytes outside ASCII (trailing blanks left out there).
void write_golden(std::ostream& out, const std::vector<GoldenEntry>& entries);

// A line as the corpus quotes it: "...", with \\ \" and \xNN escapes.
std::string quote_line(const std::string& bytes);
std::string unquote_line(const std::string& quoted);  // throws on bad input

// Windows-1251 bytes shown as UTF-8; other bytes outside ASCII as \xNN.
std::string cp1251_to_utf8(const std::string& bytes);

// The parameters a decoder visits in the packet's block (at most twelve):
// their types, and in `end` the first byte past the last of them (the block
// offset + 1 when none; 0 for a type without a block).
std::vector<unsigned char> visited_params(const std::vector<unsigned char>& packet, std::size_t* end = nullptr);

// Bytes alone in a heap allocation of exactly their size, so that a read
// past the end leaves the allocation (AddressSanitizer, valgrind).
struct ExactPacket {
    ExactPacket(const unsigned char* bytes, std::size_t size)
        : data(new unsigned char[size ? size : 1]), length(static_cast<unsigned short>(size)) {
        if (size) std::memcpy(data.get(), bytes, size);
    }
    explicit ExactPacket(const std::vector<unsigned char>& bytes) : ExactPacket(bytes.data(), bytes.size()) {}
    unsigned char* get() const { return data.get(); }
    std::unique_ptr<unsigned char[]> data;
    unsigned short length;
};

#ifdef PAKETLOG_TEST_DATA
inline std::string golden_corpus_path() { return PAKETLOG_TEST_DATA "/golden/corpus.txt"; }

// The checked-in corpus, read once.
inline const std::vector<GoldenEntry>& golden_corpus() {
    static const std::vector<GoldenEntry> entries = read_golden(golden_corpus_path());
    return entries;
}
#endif

}  // namespace testing_support

#endif
