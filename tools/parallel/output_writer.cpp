#include "parallel/output_writer.h"

#include <unistd.h>

#include <cerrno>

namespace paketlog {
namespace tool {
namespace {

// All of `bytes` to `fd`, across short writes and signals.
bool write_all(int fd, const char* bytes, std::size_t size) {
    while (size != 0) {
        const ssize_t n = ::write(fd, bytes, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

OutputWriter::OutputWriter(int out_fd, int error_fd, bool line_buffered, std::size_t flush_at)
    : out_fd_(out_fd), error_fd_(error_fd), line_buffered_(line_buffered), flush_at_(flush_at) {
    pending_.room(flush_at_);
}

OutputWriter::~OutputWriter() { flush(); }

void OutputWriter::write(std::string_view lines) {
    if (pending_.empty() && lines.size() >= flush_at_) {
        // Once the output failed, nothing more is written to it.
        if (!failed_ && !write_all(out_fd_, lines.data(), lines.size())) failed_ = true;
        return;
    }
    pending_.append(lines);
    line_done();
}

void OutputWriter::report(std::string_view message) {
    flush();
    write_all(error_fd_, message.data(), message.size());
}

bool OutputWriter::flush() {
    if (!pending_.empty() && !failed_ && !write_all(out_fd_, pending_.data(), pending_.size())) failed_ = true;
    pending_.clear();
    return !failed_;
}

}  // namespace tool
}  // namespace paketlog
