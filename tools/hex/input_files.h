// Reading the files named on the command line (standard input for "-"):
// raw packet files whole, hex traces line by line. Memory stays bounded
// whatever a file holds, and every failure keeps the system's errno, so a
// directory reads as "Is a directory".
#ifndef PAKETLOG_TOOLS_HEX_INPUT_FILES_H
#define PAKETLOG_TOOLS_HEX_INPUT_FILES_H

#include <cstddef>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace paketlog {
namespace tool {

class InputFile {
public:
    explicit InputFile(const std::string& path);  // "-": standard input, left open at the end
    // The same, when `head` was already read from its start (to sniff it): read() hands it out first.
    InputFile(const std::string& path, std::vector<unsigned char> head);
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    // errno of the failed open or of the failed read; 0 while there is none.
    int error() const { return error_; }
    // Up to `n` bytes; 0 at the end of the file or on a read error.
    std::size_t read(unsigned char* dst, std::size_t n);
    // Whether read() would return at once (data, the end, or an error waits).
    bool ready() const;

private:
    int fd_;
    int error_ = 0;
    std::vector<unsigned char> head_;
    std::size_t head_pos_ = 0;
};

// A raw packet file: at most `max` bytes. Reads no more than one byte past
// `max`, so a file with no end (/dev/zero) is refused as too long.
enum class PacketFile { Packet, Empty, TooLong, Error };
PacketFile read_packet_file(InputFile& in, std::size_t max, std::vector<unsigned char>& packet);

// The lines of a file, handed out without copying: each view is valid until
// the next call. A line longer than kMaxLine characters is handed out as
// TooLong, without its text, as soon as it is seen to be too long; the rest
// of it is dropped and reading goes on after its end.
class LineReader {
public:
    static constexpr std::size_t kMaxLine = 1u << 20;

    explicit LineReader(InputFile& in);
    // Wait: `may_wait` was false and no whole line can be handed out
    // without waiting for the input.
    enum class Next { Line, TooLong, End, Error, Wait };
    Next next(std::string_view& line, bool may_wait = true) {
        // Inline for a whole line already read, nearly every call; the rest,
        // this search included, is left to next_read().
        if (!skipping_) {
            const char* const text = buffer_.get() + begin_;
            const void* const found = std::memchr(text, '\n', end_ - begin_);
            if (found != nullptr) {
                const std::size_t length = static_cast<std::size_t>(static_cast<const char*>(found) - text);
                if (length <= kMaxLine) {
                    begin_ += length + 1;
                    ++number_;
                    line = std::string_view(text, length);
                    return Next::Line;
                }
            }
        }
        return next_read(line, may_wait);
    }
    // Many whole lines at once: those already read that fit in `max` bytes
    // (at most kMaxLine), or else the next one as next() hands it out.
    // `run` holds `count` lines, each but the last followed by its line
    // end. Lines handed out either way are numbered alike.
    Next lines(std::string_view& run, std::size_t& count, std::size_t max, bool may_wait = true);
    unsigned long number() const { return number_; }  // of the line last handed out

private:
    Next next_read(std::string_view& line, bool may_wait);
    bool fill();

    InputFile& in_;
    std::unique_ptr<char[]> buffer_;
    std::size_t begin_ = 0;  // the unread text is buffer_[begin_, end_)
    std::size_t end_ = 0;
    bool eof_ = false;
    bool skipping_ = false;  // the rest of a line handed out as too long
    unsigned long number_ = 0;
};

}  // namespace tool
}  // namespace paketlog

#endif
