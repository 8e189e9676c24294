// Decoding in N threads with the output in input order (-j N).
//
// A reader thread cuts the input into batches, worker threads decode whole
// batches into their own output and reports, and the calling thread writes
// the batches out strictly in the order they were read: what comes out, lines
// and reports alike, is what one thread would have written. A fixed number of
// batches circulate, so memory does not grow with the input, and their
// buffers are reused, so steady work allocates nothing.
#ifndef PAKETLOG_TOOLS_PARALLEL_PARALLEL_DECODE_H
#define PAKETLOG_TOOLS_PARALLEL_PARALLEL_DECODE_H

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

#include "parallel/output_writer.h"
#include "text/text_buffer.h"

namespace paketlog {
namespace tool {

// A run of input and what decoding it wrote.
struct Batch {
    // Filled by the reader; the engine never looks inside. first: the
    // reader's own number of what the batch opens with (a line, a frame).
    TextBuffer input;
    unsigned long long first = 0;

    // Filled by the decoder: lines for standard output, and messages for
    // standard error, each standing after the output written before it.
    TextBuffer output;
    void report(std::string_view message);
    bool has_reports() const { return !marks_.empty(); }
    std::size_t reports() const { return marks_.size(); }

    void clear();
    // Output and reports, interleaved as they were made.
    void write_to(OutputWriter& writer) const;

private:
    struct Mark {
        std::size_t output_end;   // output written before the message
        std::size_t message_end;  // end of the message in messages_
    };
    TextBuffer messages_;
    std::vector<Mark> marks_;
};

// Fills batch.input (and batch.first) with the next run of input; false when
// the input has ended and the batch got nothing. A batch ends at whole lines
// (or frames) once it holds about a megabyte, or as soon as more input would
// have to be waited for, so that a slow stream's lines are not held back.
using ReadBatch = std::function<bool(Batch&)>;
// Decodes batch.input into batch.output and batch.report(), on the worker
// numbered `worker` (0 to jobs - 1): one per-thread state (a paketlog::
// Workspace) each.
using DecodeBatch = std::function<void(unsigned worker, Batch&)>;
// Takes a decoded batch, in input order, on the calling thread.
using WriteBatch = std::function<void(const Batch&)>;
// Readies a batch of the pool before any is read (gives its buffers their room).
using PrepareBatch = std::function<void(Batch&)>;

// What a batch ends at: this many bytes of input (or the next line end past
// them), or sooner when more input would have to be waited for.
constexpr std::size_t kBatchBytes = std::size_t{256} << 10;

// Gives batches their first room, so that steady work does not grow them.
void reserve_batch(Batch& batch);

// The batches in flight for `jobs` workers: every worker busy, one being
// read and one being written, one spare each way.
inline std::size_t batches_in_flight(unsigned jobs) { return 2 * std::size_t{jobs} + 2; }

// Runs reader, `jobs` workers and writer until the input ends. With jobs 1
// everything runs on the calling thread, batch after batch. An exception
// thrown by any of the three stops the others and is thrown again here.
void decode_in_parallel(unsigned jobs, const ReadBatch& read, const DecodeBatch& decode, const WriteBatch& write,
                        std::size_t in_flight = 0, const PrepareBatch& prepare = nullptr);

// The default of -j: the processors this process may run on, at most kMaxDefaultJobs.
constexpr unsigned kMaxDefaultJobs = 4;
unsigned default_jobs();

}  // namespace tool
}  // namespace paketlog

#endif
