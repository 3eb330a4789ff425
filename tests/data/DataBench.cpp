// Figures for the data layer: INI lookups with the one-file cache, archive reads, LZRW1.
#include "data/Archive.h"
#include "data/DataStore.h"
#include "data/IniText.h"
#include "data/Lzrw1.h"
#include "data/TempFolder.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

using namespace vlm::data;

std::string EnemyCatalogue(int kinds)
{
    std::string text;
    for (int i = 0; i < kinds; ++i)
        text += "[" + std::to_string(i) + "]\r\nint=1\r\nname=Enemy" + std::to_string(i) +
                "\r\nmaxlife=120\r\nspeed=0,45\r\nreloadspeed=1,5\r\nimage=enemy" + std::to_string(i % 9) +
                ".jpg\r\nexpIndex=2\r\n";
    return text;
}

std::vector<uint8_t> Bytes(const std::string& text) { return std::vector<uint8_t>(text.begin(), text.end()); }

void BM_ReadIniValueCached(benchmark::State& state)
{
    DataStore store("/nonexistent", "/nonexistent");
    store.MountArchive(Archive::FromBytes(BuildArchive({{"Data/t_data/Enemies.ini", Bytes(EnemyCatalogue(60))}}, true),
                                          "original.vlm"));
    int i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(store.ReadIniValue("\\Data\\t_data\\Enemies.ini", std::to_string(i % 60), "speed"));
        ++i;
    }
}
BENCHMARK(BM_ReadIniValueCached);

// The cached lookup in a big file: 10,000 lines (1,250 sections of eight lines), the key near its end.
void BM_ReadIniValueCached10000Lines(benchmark::State& state)
{
    DataStore store("/nonexistent", "/nonexistent");
    std::string text = EnemyCatalogue(1250);
    store.MountArchive(Archive::FromBytes(BuildArchive({{"big.ini", Bytes(text)}}, false), "original.vlm"));
    benchmark::DoNotOptimize(store.ReadIniValue("big.ini", "0", "speed"));  // the one copy
    for (auto _ : state)
        benchmark::DoNotOptimize(store.ReadIniValue("big.ini", "1249", "expIndex"));
    state.counters["lines"] = double(SplitLines(text).size());
}
BENCHMARK(BM_ReadIniValueCached10000Lines);

// Finding and reading one small entry in an archive of 1,000 entries.
void BM_ArchiveLookup1000Entries(benchmark::State& state)
{
    std::vector<ArchiveInput> inputs;
    for (int i = 0; i < 1000; ++i)
        inputs.push_back({"Data/Textures/Set" + std::to_string(i % 20) + "/Item" + std::to_string(i) + ".bmp",
                          Bytes("entry " + std::to_string(i))});
    DataStore store("/nonexistent", "/nonexistent");
    store.MountArchive(Archive::FromBytes(BuildArchive(inputs, false), "original.vlm"));
    int i = 0;
    for (auto _ : state) {
        const std::string name = "Data\\Textures\\Set" + std::to_string(i % 20) + "\\ITEM" + std::to_string(i % 1000) + ".BMP";
        benchmark::DoNotOptimize(store.DataFileExists(name));
        benchmark::DoNotOptimize(store.OpenDataFile(name));
        i += 37;
    }
}
BENCHMARK(BM_ArchiveLookup1000Entries);

// Alternating two files forces a copy (decompress + parse) on every read.
void BM_ReadIniValueCopying(benchmark::State& state)
{
    DataStore store("/nonexistent", "/nonexistent");
    store.MountArchive(Archive::FromBytes(BuildArchive({{"a.ini", Bytes(EnemyCatalogue(60))},
                                                        {"b.ini", Bytes(EnemyCatalogue(60))}},
                                                       true),
                                          "original.vlm"));
    int i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(store.ReadIniValue(i % 2 ? "a.ini" : "b.ini", "30", "speed"));
        ++i;
    }
}
BENCHMARK(BM_ReadIniValueCopying);

void BM_WriteSavedValue(benchmark::State& state)
{
    vlm::testing::TempFolder temp;
    DataStore store(temp.Path(), temp.Path());
    const std::string file = (temp / "profile.ini").string();
    for (int slot = 0; slot < 15; ++slot)
        for (const char* key : {"int", "Visible", "Title", "Level", "Scores", "Ship", "Health", "Armor", "Lifes"})
            store.WriteSavedValue(file, std::to_string(slot), key, "12345");
    int i = 0;
    for (auto _ : state)
        store.WriteSavedValue(file, "7", "Scores", std::to_string(i++));
}
BENCHMARK(BM_WriteSavedValue)->Unit(benchmark::kMicrosecond);

void BM_Lzrw1(benchmark::State& state)
{
    const auto plain = Bytes(EnemyCatalogue(2000));
    const auto frame = Lzrw1Compress(plain);
    std::string problem;
    for (auto _ : state) {
        if (state.range(0) == 0)
            benchmark::DoNotOptimize(Lzrw1Compress(plain));
        else
            benchmark::DoNotOptimize(Lzrw1Decompress(frame, problem));
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(plain.size()));
    state.counters["ratio"] = double(frame.size()) / double(plain.size());
}
BENCHMARK(BM_Lzrw1)->Arg(0)->Arg(1)->ArgNames({"decompress"});

} // namespace

BENCHMARK_MAIN();
