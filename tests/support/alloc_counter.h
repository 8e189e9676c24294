// Heap allocations made through operator new by this test program (the
// library's only way to the heap: it imports no malloc family function).
#ifndef PAKETLOG_TESTS_ALLOC_COUNTER_H
#define PAKETLOG_TESTS_ALLOC_COUNTER_H

namespace testing_support {
unsigned long allocations_on_this_thread();  // since the program started
}  // namespace testing_support

#endif
