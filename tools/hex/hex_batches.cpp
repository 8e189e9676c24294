#include "hex/hex_batches.h"

#include <cstring>

namespace paketlog {
namespace tool {

bool HexBatchReader::read(Batch& batch) {
    if (ended_ || stop_.load(std::memory_order_relaxed)) return false;
    std::string_view text;
    std::size_t count = 0;
    while (batch.input.size() < kBatchBytes) {
        const LineReader::Next next = lines_.lines(text, count, kBatchBytes - batch.input.size(), batch.input.empty());
        if (next == LineReader::Next::Wait) break;
        if (next == LineReader::Next::End || next == LineReader::Next::Error) {
            ended_ = true;
            failed_ = next == LineReader::Next::Error;
            break;
        }
        if (batch.input.empty()) batch.first = lines_.number() - count + 1;
        const bool too_long = next == LineReader::Next::TooLong;
        // A run is kept with a line end after its last line too.
        const std::size_t kept = too_long ? 0 : text.size() + 1;
        const std::uint32_t stored = too_long ? kTooLongLine : static_cast<std::uint32_t>(kept);
        char* const to = batch.input.room(sizeof stored + kept);
        std::memcpy(to, &stored, sizeof stored);
        if (kept != 0) {
            std::memcpy(to + sizeof stored, text.data(), text.size());
            to[sizeof stored + text.size()] = '\n';
        }
        batch.input.commit(sizeof stored + kept);
    }
    // What a line's reading may look at past the batch's last line end.
    std::memset(batch.input.room(kLineEndSlack), 0, kLineEndSlack);
    return !batch.input.empty();
}

}  // namespace tool
}  // namespace paketlog
