// The steady-state frame allocates nothing: counts every heap allocation while the headless
// game runs frames, timers and input in each kind of state.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "shell/Input.h"
#include "shell/InputScript.h"
#include "ShellFixture.h"

namespace {
std::atomic<long> gAllocations{0};
}

void* operator new(std::size_t n) {
  ++gAllocations;
  if (void* p = std::malloc(n ? n : 1)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t n) { return operator new(n); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace vlm::test {
namespace {

class FrameAllocationTest : public ShellTest {};

TEST_F(FrameAllocationTest, SteadyFramesAllocateNothing) {
  ctx->Options.Fps = true;
  for (const char* state : {"game", "pause", "mainmenu", "statistics", "levelintro2"}) {
    ctx->GameState = state;
    driver->RunFor(2500);  // warm up: first timer ticks, first texts
    auto events = shell::ParseInputScript(
        "0 move 100 100\n40 rel 3 4\n80 down left\n120 up left\n160 move 300 200\n", "moves");
    for (auto& e : events) e.TimeMs += driver->NowMs() + 500;  // played while counting
    driver->Feed(events);
    const long before = gAllocations.load();
    driver->RunFor(3000);
    EXPECT_EQ(gAllocations.load() - before, 0) << "in state " << state;
  }
}

}  // namespace
}  // namespace vlm::test
