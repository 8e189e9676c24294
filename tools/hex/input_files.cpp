#include "hex/input_files.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace paketlog {
namespace tool {
namespace {

constexpr std::size_t kChunk = 64u << 10;  // read at once
constexpr std::size_t kBuffer = LineReader::kMaxLine + kChunk;

}  // namespace

InputFile::InputFile(const std::string& path)
    : fd_(path == "-" ? STDIN_FILENO : ::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {
    if (fd_ < 0) error_ = errno;
}

InputFile::InputFile(const std::string& path, std::vector<unsigned char> head) : InputFile(path) {
    head_ = std::move(head);
}

InputFile::~InputFile() {
    if (fd_ > STDIN_FILENO) ::close(fd_);
}

std::size_t InputFile::read(unsigned char* dst, std::size_t n) {
    if (head_pos_ < head_.size()) {
        const std::size_t n_head = std::min(n, head_.size() - head_pos_);
        std::memcpy(dst, head_.data() + head_pos_, n_head);
        head_pos_ += n_head;
        return n_head;
    }
    if (error_ != 0) return 0;
    for (;;) {
        const ssize_t got = ::read(fd_, dst, n);
        if (got >= 0) return static_cast<std::size_t>(got);
        if (errno != EINTR) {
            error_ = errno;
            return 0;
        }
    }
}

bool InputFile::ready() const {
    if (error_ != 0 || head_pos_ < head_.size()) return true;
    pollfd p{fd_, POLLIN, 0};
    return ::poll(&p, 1, 0) != 0;
}

PacketFile read_packet_file(InputFile& in, std::size_t max, std::vector<unsigned char>& packet) {
    packet.resize(max + 1);
    std::size_t have = 0;
    while (have < packet.size()) {
        const std::size_t got = in.read(packet.data() + have, packet.size() - have);
        if (got == 0) break;
        have += got;
    }
    packet.resize(have);
    if (in.error() != 0) return PacketFile::Error;
    if (have == 0) return PacketFile::Empty;
    return have > max ? PacketFile::TooLong : PacketFile::Packet;
}

LineReader::LineReader(InputFile& in) : in_(in), buffer_(new char[kBuffer]) {}

// Reads more after the unread text, first moving it to the front when the
// room behind it runs short. False at the end of the file or on an error.
bool LineReader::fill() {
    if (eof_) return false;
    if (kBuffer - end_ < kChunk && begin_ > 0) {
        std::memmove(buffer_.get(), buffer_.get() + begin_, end_ - begin_);
        end_ -= begin_;
        begin_ = 0;
    }
    const std::size_t got = in_.read(reinterpret_cast<unsigned char*>(buffer_.get()) + end_, kBuffer - end_);
    end_ += got;
    eof_ = got == 0;
    return !eof_;
}

namespace {

// How many line ends `text` holds: sixteen bytes at a time where SSE2 is.
std::size_t count_line_ends(const char* text, std::size_t n) {
    std::size_t count = 0;
    std::size_t i = 0;
#if defined(__SSE2__)
    const __m128i line_end = _mm_set1_epi8('\n');
    while (n - i >= 16) {
        // Each lane counts its own finds, up to 255 blocks; then all are summed.
        const std::size_t blocks = std::min<std::size_t>((n - i) / 16, 255);
        __m128i counts = _mm_setzero_si128();
        for (std::size_t b = 0; b < blocks; ++b, i += 16) {
            const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i));
            counts = _mm_sub_epi8(counts, _mm_cmpeq_epi8(block, line_end));
        }
        const __m128i sums = _mm_sad_epu8(counts, _mm_setzero_si128());
        count += static_cast<std::size_t>(_mm_cvtsi128_si32(sums)) + static_cast<std::size_t>(_mm_extract_epi16(sums, 4));
    }
#endif
    for (; i < n; ++i) count += text[i] == '\n';
    return count;
}

}  // namespace

LineReader::Next LineReader::lines(std::string_view& run, std::size_t& count, std::size_t max, bool may_wait) {
    // No line of a run of at most kMaxLine bytes can be too long.
    const std::size_t have = std::min({end_ - begin_, max, kMaxLine});
    const char* const text = buffer_.get() + begin_;
    const void* const last = skipping_ || have == 0 ? nullptr : ::memrchr(text, '\n', have);
    if (last == nullptr) {
        const Next next = this->next(run, may_wait);
        count = next == Next::Line || next == Next::TooLong ? 1 : 0;
        return next;
    }
    const std::size_t length = static_cast<std::size_t>(static_cast<const char*>(last) - text);
    count = count_line_ends(text, length) + 1;
    number_ += count;
    begin_ += length + 1;
    run = std::string_view(text, length);
    return Next::Line;
}

LineReader::Next LineReader::next_read(std::string_view& line, bool may_wait) {
    std::size_t scanned = 0;  // of the unread text, known to hold no line end
    for (;;) {
        const char* text = buffer_.get() + begin_;
        const void* found = std::memchr(text + scanned, '\n', end_ - begin_ - scanned);
        if (found != nullptr) {
            const std::size_t length = static_cast<std::size_t>(static_cast<const char*>(found) - text);
            begin_ += length + 1;
            scanned = 0;
            if (skipping_) {  // the end of a line already handed out as too long
                skipping_ = false;
                continue;
            }
            ++number_;
            if (length > kMaxLine) return Next::TooLong;
            line = std::string_view(text, length);
            return Next::Line;
        }
        scanned = end_ - begin_;
        if (skipping_) {  // drop what was read of the long line
            scanned = begin_ = end_ = 0;
        } else if (scanned > kMaxLine) {
            ++number_;
            skipping_ = true;
            begin_ = end_ = 0;
            return Next::TooLong;
        }
        if (!may_wait && !eof_ && !in_.ready()) return Next::Wait;
        if (!fill()) {
            if (in_.error() != 0) return Next::Error;
            if (skipping_ || end_ == begin_) return Next::End;
            ++number_;  // the last line, with no line end
            line = std::string_view(buffer_.get() + begin_, end_ - begin_);
            begin_ = end_;
            return Next::Line;
        }
    }
}

}  // namespace tool
}  // namespace paketlog
