// The command's standard output: lines gather in one large buffer that goes
// out in one write when full, at every line end in line-buffered mode (-l),
// and before every report on standard error, so that reports stand between
// the same lines wherever the two streams meet.
#ifndef PAKETLOG_TOOLS_PARALLEL_OUTPUT_WRITER_H
#define PAKETLOG_TOOLS_PARALLEL_OUTPUT_WRITER_H

#include <cstddef>
#include <string_view>

#include "text/text_buffer.h"

namespace paketlog {
namespace tool {

class OutputWriter {
public:
    static constexpr std::size_t kFlushAt = std::size_t{1} << 16;

    OutputWriter(int out_fd, int error_fd, bool line_buffered = false, std::size_t flush_at = kFlushAt);
    ~OutputWriter();  // flushes what is left
    OutputWriter(const OutputWriter&) = delete;
    OutputWriter& operator=(const OutputWriter&) = delete;

    // Append a line here (its '\n' included), then call line_done().
    TextBuffer& text() { return pending_; }
    void line_done() {
        if (line_buffered_ || pending_.size() >= flush_at_) flush();
    }

    // Complete lines from elsewhere (a decoded batch): copied behind the
    // pending ones, or written straight out when nothing is pending and they
    // fill the buffer on their own.
    void write(std::string_view lines);

    // One message for standard error (its '\n' included), after every line
    // given before it.
    void report(std::string_view message);

    // Writes out the pending lines. False once any write to the output failed.
    bool flush();
    bool failed() const { return failed_; }

private:
    const int out_fd_;
    const int error_fd_;
    const bool line_buffered_;
    const std::size_t flush_at_;
    TextBuffer pending_;
    bool failed_ = false;
};

}  // namespace tool
}  // namespace paketlog

#endif
