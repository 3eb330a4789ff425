// What the level content costs to read: the start-up loads (flight paths, enemy catalogue,
// level count) and one level load, from the content folder through the data store.
// Run from anywhere with VLM_SOURCE_DIR set, or from the source tree's top folder.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>

#include "RecordingHost.h"
#include "combat/EnemyCatalogue.h"
#include "data/DataStore.h"
#include "context/LevelGlobals.h"
#include "levels/LevelLoader.h"
#include "levels/NavPaths.h"

namespace {

using namespace vlm;

std::filesystem::path Content() {
    const char* source = std::getenv("VLM_SOURCE_DIR");
    return std::filesystem::path(source ? source : ".") / "content";
}

void BM_StartUpLoads(benchmark::State& state) {
    data::DataStore store(Content(), std::filesystem::temp_directory_path());
    const levels::IniReadFn read = levels::PlainIniReader(store);
    for (auto _ : state) {
        levels::TLevelGlobals globals;
        combat::TEnemyKinds kinds;
        levels::LoadNavPaths(read, globals);
        combat::LoadEnemyKinds(read, kinds);
        benchmark::DoNotOptimize(levels::CountLevels(read));
        if (globals.NavPaths.empty() || kinds.empty()) state.SkipWithError("no content found");
    }
}
BENCHMARK(BM_StartUpLoads)->Unit(benchmark::kMicrosecond);

void BM_LoadLevel(benchmark::State& state) {
    data::DataStore store(Content(), std::filesystem::temp_directory_path());
    const levels::IniReadFn read = levels::PlainIniReader(store);
    levels::TLevelGlobals globals;
    levels::LoadNavPaths(read, globals);
    test::RecordingHost host;
    levels::TLevelDefinition def;
    const int32_t level = static_cast<int32_t>(state.range(0));
    for (auto _ : state) {
        globals.SceneryName.clear();  // set the scenery up every time, as a change of scenery does
        host.placements.clear();
        host.calls.clear();
        host.sceneries.clear();
        store.ClearCache();           // and read the file afresh, as after the previous level
        levels::LoadLevel(level, read, globals, host, def);
    }
    state.counters["placements"] = static_cast<double>(def.Placements.size());
}
BENCHMARK(BM_LoadLevel)->Arg(1)->Arg(3)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
