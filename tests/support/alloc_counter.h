// Heap allocations made through operator new by this test program (the
// library's only way to the heap: it imports no malloc family function).
#ifndef PAKETLOG_TESTS_ALLOC_COUNTER_H
#define PAKETLOG_TESTS_ALLOC_COUNTER_H

namespace testing_support {

unsigned long allocations_on_this_thread();  // since the program started

template <typename F>
unsigned long allocations_during(F&& f) {  // made by f() on this thread
    const unsigned long before = allocations_on_this_thread();
    f();
    return allocations_on_this_thread() - before;
}

}  // namespace testing_support

#endif
