// Counts the heap allocations made through operator new by this test program.
// The library itself imports no malloc family function (the exported-interface
// check sees to that), so operator new is its only way to the heap.
#ifndef PAKETLOG_TESTS_ALLOC_COUNTER_H
#define PAKETLOG_TESTS_ALLOC_COUNTER_H

namespace testing_support {

// Allocations made on the calling thread since the program started.
unsigned long allocations_on_this_thread();

// Counts allocations made by `f()` on this thread.
template <typename F>
unsigned long allocations_during(F&& f) {
    const unsigned long before = allocations_on_this_thread();
    f();
    return allocations_on_this_thread() - before;
}

}  // namespace testing_support

#endif
