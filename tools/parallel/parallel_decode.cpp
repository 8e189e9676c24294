#include "parallel/parallel_decode.h"

#include <sched.h>

#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>

namespace paketlog {
namespace tool {

void Batch::report(std::string_view message) {
    messages_.append(message);
    marks_.push_back({output.size(), messages_.size()});
}

void Batch::clear() {
    input.clear();
    first = 0;
    output.clear();
    messages_.clear();
    marks_.clear();
}

void reserve_batch(Batch& batch) {
    if (batch.input.capacity() == 0) batch.input.room(kBatchBytes + (kBatchBytes >> 2));
    if (batch.output.capacity() == 0) batch.output.room(4 * kBatchBytes);
}

void Batch::write_to(OutputWriter& writer) const {
    const std::string_view lines = output.view();
    const std::string_view messages = messages_.view();
    std::size_t line_pos = 0;
    std::size_t message_pos = 0;
    for (const Mark& mark : marks_) {
        writer.write(lines.substr(line_pos, mark.output_end - line_pos));
        writer.report(messages.substr(message_pos, mark.message_end - message_pos));
        line_pos = mark.output_end;
        message_pos = mark.message_end;
    }
    writer.write(lines.substr(line_pos));
}

namespace {

struct Slot {
    Batch batch;
    unsigned long long sequence = 0;
};

// A queue of at most `capacity` slots, its room taken once.
class SlotRing {
public:
    explicit SlotRing(std::size_t capacity) : slots_(capacity) {}
    bool empty() const { return count_ == 0; }
    void push(Slot* slot) { slots_[(head_ + count_++) % slots_.size()] = slot; }
    Slot* pop() {
        Slot* slot = slots_[head_];
        head_ = (head_ + 1) % slots_.size();
        --count_;
        return slot;
    }

private:
    std::vector<Slot*> slots_;
    std::size_t head_ = 0;
    std::size_t count_ = 0;
};

class Engine {
public:
    Engine(std::size_t in_flight, const ReadBatch& read, const DecodeBatch& decode, const WriteBatch& write,
           const PrepareBatch& prepare)
        : read_(read), decode_(decode), write_(write), pool_(in_flight), free_(in_flight), ready_(in_flight),
          done_(in_flight, nullptr) {
        for (Slot& slot : pool_) {
            if (prepare) prepare(slot.batch);
            free_.push(&slot);
        }
    }

    void run(unsigned jobs) {
        std::vector<std::thread> threads;
        threads.emplace_back(&Engine::read_all, this);
        for (unsigned w = 0; w < jobs; ++w) threads.emplace_back(&Engine::decode_all, this, w);
        write_all();
        fail(nullptr);  // every other thread stops at its next wait
        for (std::thread& t : threads) t.join();
        if (error_) std::rethrow_exception(error_);
    }

private:
    // Stops everything; keeps the first exception.
    void fail(std::exception_ptr error) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (error && !error_) error_ = error;
            stop_ = true;
        }
        reader_wait_.notify_all();
        worker_wait_.notify_all();
        writer_wait_.notify_all();
    }

    void read_all() {
        for (;;) {
            Slot* slot;
            {
                std::unique_lock<std::mutex> lock(mutex_);
                reader_wait_.wait(lock, [&] { return stop_ || !free_.empty(); });
                if (stop_) return;
                slot = free_.pop();
            }
            slot->batch.clear();
            bool more;
            try {
                more = read_(slot->batch);
            } catch (...) {
                return fail(std::current_exception());
            }
            {
                std::lock_guard<std::mutex> lock(mutex_);
                if (!more) {
                    ended_ = true;
                    total_ = next_read_;
                    free_.push(slot);
                } else {
                    slot->sequence = next_read_++;
                    ready_.push(slot);
                }
            }
            if (!more) {
                worker_wait_.notify_all();
                writer_wait_.notify_all();
                return;
            }
            worker_wait_.notify_one();
        }
    }

    void decode_all(unsigned worker) {
        for (;;) {
            Slot* slot;
            {
                std::unique_lock<std::mutex> lock(mutex_);
                worker_wait_.wait(lock, [&] { return stop_ || ended_ || !ready_.empty(); });
                if (stop_ || ready_.empty()) return;
                slot = ready_.pop();
            }
            try {
                decode_(worker, slot->batch);
            } catch (...) {
                return fail(std::current_exception());
            }
            {
                std::lock_guard<std::mutex> lock(mutex_);
                done_[slot->sequence % done_.size()] = slot;
            }
            writer_wait_.notify_one();
        }
    }

    void write_all() {
        for (unsigned long long sequence = 0;; ++sequence) {
            Slot*& place = done_[sequence % done_.size()];
            Slot* slot;
            {
                std::unique_lock<std::mutex> lock(mutex_);
                writer_wait_.wait(lock, [&] { return stop_ || place != nullptr || (ended_ && sequence == total_); });
                if (stop_ || place == nullptr) return;
                slot = place;
                place = nullptr;
            }
            try {
                write_(slot->batch);
            } catch (...) {
                return fail(std::current_exception());
            }
            {
                std::lock_guard<std::mutex> lock(mutex_);
                free_.push(slot);
            }
            reader_wait_.notify_one();
        }
    }

    const ReadBatch& read_;
    const DecodeBatch& decode_;
    const WriteBatch& write_;

    std::mutex mutex_;
    std::condition_variable reader_wait_;
    std::condition_variable worker_wait_;
    std::condition_variable writer_wait_;
    std::vector<Slot> pool_;
    SlotRing free_;             // for the reader
    SlotRing ready_;            // read, for the workers
    std::vector<Slot*> done_;   // decoded, at their sequence modulo the pool's size, for the writer
    unsigned long long next_read_ = 0;
    unsigned long long total_ = 0;  // batches read, once ended_
    bool ended_ = false;
    bool stop_ = false;
    std::exception_ptr error_;
};

}  // namespace

void decode_in_parallel(unsigned jobs, const ReadBatch& read, const DecodeBatch& decode, const WriteBatch& write,
                        std::size_t in_flight, const PrepareBatch& prepare) {
    if (jobs <= 1) {
        Batch batch;
        if (prepare) prepare(batch);
        for (;;) {
            batch.clear();
            if (!read(batch)) return;
            decode(0, batch);
            write(batch);
        }
    }
    // Fewer than one batch per worker plus one each for reading and writing
    // would leave a worker idle.
    if (in_flight < std::size_t{jobs} + 2) in_flight = batches_in_flight(jobs);
    Engine(in_flight, read, decode, write, prepare).run(jobs);
}

unsigned default_jobs() {
    unsigned cpus = 0;
    cpu_set_t set;
    if (sched_getaffinity(0, sizeof set, &set) == 0) cpus = static_cast<unsigned>(CPU_COUNT(&set));
    if (cpus == 0) cpus = std::thread::hardware_concurrency();
    if (cpus == 0) cpus = 1;
    return cpus < kMaxDefaultJobs ? cpus : kMaxDefaultJobs;
}

}  // namespace tool
}  // namespace paketlog
