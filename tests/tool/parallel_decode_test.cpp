// The command's output path: one buffer written out when full, and decoding
// in several threads with everything written in input order.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <thread>

#include "parallel/output_writer.h"
#include "parallel/parallel_decode.h"

using namespace paketlog::tool;

namespace {

// A file both streams go to, as with 2>&1.
class SharedFile {
public:
    SharedFile() : file_(std::tmpfile()), fd_(fileno(file_)) {}
    ~SharedFile() { std::fclose(file_); }
    int fd() const { return fd_; }
    std::string text() const {
        std::string all;
        char chunk[4096];
        for (off_t at = 0;;) {
            const ssize_t n = ::pread(fd_, chunk, sizeof chunk, at);
            if (n <= 0) return all;
            all.append(chunk, static_cast<std::size_t>(n));
            at += n;
        }
    }

private:
    std::FILE* file_;
    int fd_;
};

// Items 0 to count - 1, `per_batch` to a batch; decoding item i writes
// "line i", and "paketlog: item i" to standard error for every 7th. Batches
// whose number is a multiple of 3 take longer, so later ones finish first.
struct FakeInput {
    unsigned long long count;
    unsigned long long per_batch;
    unsigned long long next = 0;

    bool read(Batch& batch) {
        if (next == count) return false;
        batch.first = next;
        const unsigned long long end = std::min(count, next + per_batch);
        for (; next < end; ++next) batch.input.append(std::to_string(next) + "\n");
        return true;
    }
};

void fake_decode(Batch& batch) {
    if (batch.first / 10 % 3 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    const std::string_view input = batch.input.view();
    for (std::size_t at = 0; at < input.size();) {
        const std::size_t end = input.find('\n', at);
        const std::string item(input.substr(at, end - at));
        batch.output.append("line " + item + "\n");
        if (std::stoul(item) % 7 == 3) batch.report("paketlog: item " + item + "\n");
        at = end + 1;
    }
}

// What one thread writes, built by hand.
std::string expected_text(unsigned long long count) {
    std::string text;
    for (unsigned long long i = 0; i < count; ++i) {
        text += "line " + std::to_string(i) + "\n";
        if (i % 7 == 3) text += "paketlog: item " + std::to_string(i) + "\n";
    }
    return text;
}

std::string run_jobs(unsigned jobs, unsigned long long count) {
    SharedFile file;
    {
        OutputWriter writer(file.fd(), file.fd());
        FakeInput input{count, 10};
        decode_in_parallel(
            jobs, [&](Batch& b) { return input.read(b); }, [](unsigned, Batch& b) { fake_decode(b); },
            [&](const Batch& b) { b.write_to(writer); });
    }
    return file.text();
}

off_t size_of(int fd) {
    struct stat st;
    return ::fstat(fd, &st) == 0 ? st.st_size : -1;
}

}  // namespace

TEST(ParallelDecode, LinesAndReportsInInputOrderOnOneToFourThreads) {
    const std::string expected = expected_text(1000);
    for (unsigned jobs = 1; jobs <= 4; ++jobs) EXPECT_EQ(run_jobs(jobs, 1000), expected) << jobs << " jobs";
}

TEST(ParallelDecode, EmptyInputWritesNothing) {
    for (unsigned jobs = 1; jobs <= 4; ++jobs) EXPECT_EQ(run_jobs(jobs, 0), "") << jobs << " jobs";
}

// However slow the writer, no more batches are read than circulate.
TEST(ParallelDecode, BatchesInFlightStayBounded) {
    std::atomic<int> unwritten{0};
    std::atomic<int> most{0};
    FakeInput input{400, 2};
    decode_in_parallel(
        3,
        [&](Batch& b) {
            if (!input.read(b)) return false;
            const int now = ++unwritten;
            for (int m = most; now > m && !most.compare_exchange_weak(m, now);) {
            }
            return true;
        },
        [](unsigned, Batch& b) { fake_decode(b); },
        [&](const Batch&) {
            std::this_thread::sleep_for(std::chrono::microseconds(200));
            --unwritten;
        },
        5);
    EXPECT_LE(most.load(), 5);
}

// Each worker's number names state no other thread touches meanwhile.
TEST(ParallelDecode, WorkerNumbersAreOwnedByOneThreadAtATime) {
    constexpr unsigned kJobs = 4;
    std::atomic<bool> busy[kJobs] = {};
    std::atomic<bool> clash{false};
    std::atomic<bool> out_of_range{false};
    FakeInput input{2000, 5};
    decode_in_parallel(
        kJobs, [&](Batch& b) { return input.read(b); },
        [&](unsigned w, Batch& b) {
            if (w >= kJobs) return out_of_range.store(true);
            if (busy[w].exchange(true)) clash = true;
            fake_decode(b);
            busy[w] = false;
        },
        [](const Batch&) {});
    EXPECT_FALSE(clash.load());
    EXPECT_FALSE(out_of_range.load());
}

TEST(ParallelDecode, ExceptionInADecoderIsThrownToTheCaller) {
    for (unsigned jobs = 1; jobs <= 3; ++jobs) {
        FakeInput input{1000, 10};
        EXPECT_THROW(decode_in_parallel(
                         jobs, [&](Batch& b) { return input.read(b); },
                         [](unsigned, Batch& b) {
                             if (b.first == 500) throw std::runtime_error("bad batch");
                         },
                         [](const Batch&) {}),
                     std::runtime_error)
            << jobs << " jobs";
    }
}

TEST(ParallelDecode, ExceptionInTheReaderIsThrownToTheCaller) {
    for (unsigned jobs = 1; jobs <= 3; ++jobs) {
        FakeInput input{1000, 10};
        EXPECT_THROW(decode_in_parallel(
                         jobs,
                         [&](Batch& b) {
                             if (input.next == 300) throw std::runtime_error("cannot read");
                             return input.read(b);
                         },
                         [](unsigned, Batch&) {}, [](const Batch&) {}),
                     std::runtime_error)
            << jobs << " jobs";
    }
}

TEST(ParallelDecode, ExceptionInTheWriterIsThrownToTheCaller) {
    FakeInput input{1000, 10};
    EXPECT_THROW(decode_in_parallel(
                     2, [&](Batch& b) { return input.read(b); }, [](unsigned, Batch&) {},
                     [](const Batch& b) {
                         if (b.first == 100) throw std::runtime_error("cannot write");
                     }),
                 std::runtime_error);
}

TEST(ParallelDecode, DefaultJobsBetweenOneAndTheCap) {
    EXPECT_GE(default_jobs(), 1u);
    EXPECT_LE(default_jobs(), kMaxDefaultJobs);
}

TEST(OutputWriter, LinesWaitUntilTheBufferIsFull) {
    SharedFile file;
    OutputWriter writer(file.fd(), file.fd(), false, 16);
    writer.text().append("0123456\n");
    writer.line_done();
    EXPECT_EQ(size_of(file.fd()), 0);
    writer.text().append("89abcde\n");
    writer.line_done();
    EXPECT_EQ(size_of(file.fd()), 16);
}

TEST(OutputWriter, LineBufferedWritesEveryLine) {
    SharedFile file;
    OutputWriter writer(file.fd(), file.fd(), true, 1024);
    writer.text().append("one\n");
    writer.line_done();
    EXPECT_EQ(file.text(), "one\n");
}

TEST(OutputWriter, ReportComesAfterTheLinesBeforeIt) {
    SharedFile file;
    OutputWriter writer(file.fd(), file.fd(), false, 1024);
    writer.text().append("one\n");
    writer.line_done();
    writer.report("paketlog: bad\n");
    EXPECT_EQ(file.text(), "one\npaketlog: bad\n");
}

TEST(OutputWriter, LargeBatchBehindPendingLinesKeepsItsPlace) {
    SharedFile file;
    {
        OutputWriter writer(file.fd(), file.fd(), false, 16);
        writer.text().append("a\n");
        writer.line_done();
        writer.write(std::string(40, 'b') + "\n");
        writer.write(std::string(40, 'c') + "\n");
    }
    EXPECT_EQ(file.text(), "a\n" + std::string(40, 'b') + "\n" + std::string(40, 'c') + "\n");
}

TEST(OutputWriter, FailedWriteIsKept) {
    const int read_only = ::open("/dev/null", O_RDONLY);
    ASSERT_GE(read_only, 0);
    OutputWriter writer(read_only, 2, true);
    writer.text().append("lost\n");
    writer.line_done();
    EXPECT_TRUE(writer.failed());
    ::close(read_only);
}

// A batch's reports stand between the lines written before and after them.
TEST(OutputWriter, BatchInterleavesReportsAsMade) {
    SharedFile file;
    Batch batch;
    batch.report("paketlog: first\n");
    batch.output.append("a\nb\n");
    batch.report("paketlog: after b\n");
    batch.output.append("c\n");
    {
        OutputWriter writer(file.fd(), file.fd());
        batch.write_to(writer);
    }
    EXPECT_EQ(file.text(), "paketlog: first\na\nb\npaketlog: after b\nc\n");
}
