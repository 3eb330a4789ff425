// What the sound costs: one second of 44100 Hz stereo mixed by the engine's null output, in
// the blocks the audio device asks for, with the module playing and 64 effect voices busy
// (topped up after every block, as a heavy fight keeps them busy). The goal is under 5 % of
// one core. The "cpu_share_%" column is the CPU time per second of audio, in percent.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "data/Archive.h"
#include "sound/AudioEngine.h"
#include "sound/SoundNames.h"

namespace {

using namespace vlm;
namespace fs = std::filesystem;

constexpr size_t kBlock = 1024;  // frames per device callback
constexpr size_t kSecond = sound::kOutputRate;

double ThreadCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

std::vector<uint8_t> ReadAll(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct Content {
  std::vector<uint8_t> module;
  std::vector<uint8_t> bankBytes;
  std::unique_ptr<data::Archive> bank;
  std::vector<sound::BankEntry> entries;
};

// The forge's module and bank from the build's content folder.
const Content* LoadContent() {
  static Content content;
  static bool tried = false;
  if (tried) return content.bank ? &content : nullptr;
  tried = true;
  const fs::path folder = VLM_AUDIO_SOUND_DIR;
  content.module = ReadAll(folder / "main.mo3");
  content.bankBytes = ReadAll(folder / "snd.tor");
  if (content.module.empty() || content.bankBytes.empty()) return nullptr;
  try {
    content.bank = std::make_unique<data::Archive>(data::Archive::FromBytes(content.bankBytes, "snd.tor"));
  } catch (const std::exception&) {
    return nullptr;
  }
  static std::vector<std::vector<uint8_t>> waves;
  for (size_t i = 0; i < content.bank->Entries().size(); ++i) {
    waves.push_back(content.bank->ReadEntry(i));
    content.entries.push_back({content.bank->Entries()[i].name, waves.back()});
  }
  return &content;
}

// Mixes one second per iteration; `music` and `voices` choose the load.
void MixOneSecond(benchmark::State& state, bool music, int voices) {
  const Content* content = LoadContent();
  if (!content) {
    state.SkipWithError(("the forge's sound files are not in " + std::string(VLM_AUDIO_SOUND_DIR)).c_str());
    return;
  }
  sound::AudioEngine engine;
  engine.SetMessageHandler([](sound::AudioMessageKind, std::string_view, std::string_view) {});
  engine.Init(sound::AudioOutput::Null);
  engine.LoadBank(content->entries, "snd.tor");
  if (music) {
    engine.LoadMusic(content->module, "main.mo3");
    engine.SetMusicOrder(14);  // the fastest level tune
    engine.SetMusicVolume(100);
  }
  std::vector<float> block(kBlock * 2);
  size_t next = 0;
  int pan = -9000;
  auto topUp = [&] {
    while (engine.ActiveVoices() < voices) {
      engine.PlaySound(sound::kSoundNames[next], 80, pan);
      next = (next + 1) % sound::kSoundNames.size();
      pan = pan >= 9000 ? -9000 : pan + 1500;
    }
  };
  int64_t busyBlocks = 0, blocks = 0;
  const double cpuStart = ThreadCpuSeconds();
  for (auto _ : state) {
    for (size_t done = 0; done < kSecond; done += kBlock) {
      topUp();
      busyBlocks += engine.ActiveVoices() == voices;
      ++blocks;
      engine.Render(block.data(), std::min(kBlock, kSecond - done));
    }
    benchmark::DoNotOptimize(block.data());
  }
  // CPU seconds per second of audio, as a percentage of one core.
  const double cpu = ThreadCpuSeconds() - cpuStart;
  state.counters["cpu_share_%"] = state.iterations() ? 100.0 * cpu / double(state.iterations()) : 0.0;
  state.counters["voices_full_%"] = blocks ? 100.0 * double(busyBlocks) / double(blocks) : 0.0;
}

BENCHMARK_CAPTURE(MixOneSecond, music_and_64_voices, true, 64)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(MixOneSecond, music_only, true, 0)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(MixOneSecond, voices_only_64, false, 64)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
