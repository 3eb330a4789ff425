#pragma once
// Counts the C++ allocations (operator new) made while an AllocationCounter is alive. The test
// binary that links AllocationCounter.cpp replaces the global operator new to do so.

namespace vlm::render {

class AllocationCounter {
public:
    AllocationCounter();
    ~AllocationCounter();
    AllocationCounter(const AllocationCounter&) = delete;
    AllocationCounter& operator=(const AllocationCounter&) = delete;
    long Count() const;
};

} // namespace vlm::render
