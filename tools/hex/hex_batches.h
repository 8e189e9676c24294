// A hex trace cut into batches for the decoding threads (-j): runs of whole
// lines are copied in, each as its length and its characters, every line
// with its line end, so a batch holds whole lines and is decoded without
// the file.
#ifndef PAKETLOG_TOOLS_HEX_HEX_BATCHES_H
#define PAKETLOG_TOOLS_HEX_HEX_BATCHES_H

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "hex/hex_trace.h"
#include "hex/input_files.h"
#include "parallel/parallel_decode.h"

namespace paketlog {
namespace tool {

// A run's length in place of a line too long to keep.
constexpr std::uint32_t kTooLongLine = 0xFFFFFFFF;

class HexBatchReader {
public:
    // Stops at the next batch once *stop is set (a -c count reached, the output failed).
    HexBatchReader(InputFile& in, const std::atomic<bool>& stop) : lines_(in), stop_(stop) {}

    // Fills batch.input with whole lines and batch.first with the number of
    // its first line; false when the trace has ended. Waits for input only
    // while the batch is empty.
    bool read(Batch& batch);
    // Reading ended at a read error (the InputFile's error() says which).
    bool failed() const { return failed_; }

private:
    LineReader lines_;
    const std::atomic<bool>& stop_;
    bool ended_ = false;
    bool failed_ = false;
};

// The lines of a batch, in order, each handed out by next() or, the usual
// line of nothing but digits, already read by next_plain().
class HexBatchLines {
public:
    explicit HexBatchLines(const Batch& batch) : rest_(batch.input.view()), number_(batch.first - 1) {}

    // The next line, when it is the usual one, read into `out` (its
    // `size` bytes): see plain_hex_line(). False leaves it to next().
    bool next_plain(unsigned char* out, std::size_t& size) {
        std::size_t length;
        if (!open_run() || too_long_ || !plain_hex_line(run_.data(), length, out)) return false;
        ++number_;
        size = length / 2;
        run_.remove_prefix(length + 1);
        return true;
    }
    // The next line; too_long: it was longer than LineReader::kMaxLine and
    // its text is not kept. False after the last.
    bool next(std::string_view& line, bool& too_long) {
        if (!open_run()) return false;
        ++number_;
        too_long = too_long_;
        too_long_ = false;
        if (too_long) return true;
        const std::size_t length =
            static_cast<std::size_t>(static_cast<const char*>(std::memchr(run_.data(), '\n', run_.size())) - run_.data());
        line = run_.substr(0, length);
        run_.remove_prefix(length + 1);
        return true;
    }
    unsigned long long number() const { return number_; }  // of the line last handed out

private:
    // Whether a line is left: the current run's, or the next run's first.
    bool open_run() {
        if (!run_.empty() || too_long_) return true;
        std::uint32_t size;
        if (rest_.size() < sizeof size) return false;
        std::memcpy(&size, rest_.data(), sizeof size);
        rest_.remove_prefix(sizeof size);
        too_long_ = size == kTooLongLine;
        if (too_long_) return true;
        run_ = rest_.substr(0, size);
        rest_.remove_prefix(size);
        return true;
    }

    std::string_view rest_;  // runs not yet begun
    std::string_view run_;   // the lines left of the current run, each with its line end
    bool too_long_ = false;  // the next line is one too long to keep
    unsigned long long number_;
};

}  // namespace tool
}  // namespace paketlog

#endif
