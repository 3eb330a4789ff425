// The steady-state frame allocates nothing: counts every heap allocation while the headless
// game runs frames, timers and input in each kind of state.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "interface/Shop.h"
#include "levels/LevelRun.h"
#include "shell/Input.h"
#include "shell/InputScript.h"
#include "ShellFixture.h"

namespace {
std::atomic<long> gAllocations{0};
// With VLM_TRAP_ALLOCATION set, the first allocation while counting stops in the debugger.
std::atomic<bool> gCounting{false};
const bool gTrap = std::getenv("VLM_TRAP_ALLOCATION") != nullptr;
}

void* operator new(std::size_t n) {
  ++gAllocations;
  if (gTrap && gCounting) __builtin_trap();
  if (void* p = std::malloc(n ? n : 1)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t n) { return operator new(n); }
// The library's temporary buffers come through the nothrow forms: keep every pair on malloc/free.
void* operator new(std::size_t n, const std::nothrow_t&) noexcept {
  ++gAllocations;
  if (gTrap && gCounting) __builtin_trap();
  return std::malloc(n ? n : 1);
}
void* operator new[](std::size_t n, const std::nothrow_t& t) noexcept { return operator new(n, t); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace vlm::test {
namespace {

class FrameAllocationTest : public ShellTest {};

TEST_F(FrameAllocationTest, SteadyFramesAllocateNothing) {
  ctx->Options.Fps = true;
  ctx->Level.LevelEnemyCount = 1;  // an enemy still to come keeps the level running
  for (const char* state : {"game", "pause", "pausemenu", "mainmenu", "changeplayer", "shop"}) {
    if (std::string(state) == "shop") {
      levels::PlaceCamera(*ctx);  // where play leaves it
      interface::EnterShop(*ctx);
    } else {
      ctx->GameState = state;
    }
    driver->RunFor(2500);  // warm up: first timer ticks, first texts
    // In play a held button fires, and new shots are objects the game creates: press only elsewhere.
    // In the shop the pointer rests on two rows' plus arrows (their descriptions show) and presses
    // one with no points to spend.
    const bool play = std::string(state) == "game", shop = std::string(state) == "shop";
    auto events = shell::ParseInputScript(
        play   ? "0 move 100 100\n40 rel 3 4\n160 rel -5 2\n"
        : shop ? "0 move 875 364\n200 down left\n260 up left\n600 move 885 406\n1200 move 300 200\n"
               : "0 move 100 100\n40 rel 3 4\n80 down left\n120 up left\n160 move 300 200\n",
        "moves");
    for (auto& e : events) e.TimeMs += driver->NowMs() + 500;  // played while counting
    driver->Feed(events);
    const long before = gAllocations.load();
    gCounting = true;
    driver->RunFor(3000);
    gCounting = false;
    EXPECT_EQ(gAllocations.load() - before, 0) << "in state " << state;
  }
}

}  // namespace
}  // namespace vlm::test
