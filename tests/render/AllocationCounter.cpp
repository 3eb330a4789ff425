#include "render/AllocationCounter.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<int> g_counting{0};
std::atomic<long> g_count{0};
} // namespace

// The whole family is replaced, so memory from any form of new goes back through the matching
// delete here (mixing ours with the runtime's would upset AddressSanitizer).
namespace {
void* Allocate(std::size_t size) noexcept {
    if (g_counting.load(std::memory_order_relaxed) > 0) g_count.fetch_add(1, std::memory_order_relaxed);
    return std::malloc(size ? size : 1);
}
} // namespace

void* operator new(std::size_t size) {
    if (void* p = Allocate(size)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    if (void* p = Allocate(size)) return p;
    throw std::bad_alloc();
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

namespace vlm::render {

AllocationCounter::AllocationCounter() {
    g_count = 0;
    ++g_counting;
}
AllocationCounter::~AllocationCounter() { --g_counting; }
long AllocationCounter::Count() const { return g_count.load(); }

} // namespace vlm::render
