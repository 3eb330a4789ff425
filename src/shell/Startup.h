#pragma once
// Start-up: opening the content, the options and the first textures, and the start-up logos.
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "sound/AudioEngine.h"

namespace vlm { struct GameContext; }

namespace vlm::shell {

// The music and the effects' bank as read from the content, or why either could not be read.
struct SoundFiles {
  std::optional<std::vector<std::uint8_t>> Music, Bank;
  std::string MusicProblem, BankProblem;
};

// Opens the audio output and loads the music and the effects on a thread of their own, so that the
// content and the game window are made meanwhile: opening a sound device can take a tenth of a
// second, decoding the music as long again. Nothing else may use the sound engine between Start
// and Finish. What the engine has to say meanwhile is held back (message boxes belong to the main
// thread) and shown by Finish, in its order.
class BackgroundAudio {
public:
  BackgroundAudio() = default;
  // Waits for the thread; what it held back and Finish did not show goes to stderr.
  ~BackgroundAudio();
  BackgroundAudio(const BackgroundAudio&) = delete;
  BackgroundAudio& operator=(const BackgroundAudio&) = delete;

  void Start(sound::AudioOutput output, SoundFiles files);
  // Waits for the thread, routes the engine's messages to the platform from now on and shows those
  // held back. False when the game cannot go on (the audio libraries are not the ones it was built
  // for): a quit is requested then.
  bool Finish(GameContext& ctx);

private:
  struct Held {
    sound::AudioMessageKind Kind;
    std::string Caption, Text;
  };
  std::thread thread_;
  std::mutex mutex_;
  std::vector<Held> held_;
  bool goOn_ = true;
};

// Loads what the game needs before its first frame. Problems are shown through the platform;
// a missing archive stops the rest of the loading, as the game cannot run without its content.
// Returns false when the game cannot go on.
// `progress` hears the loading bar's percent and caption at each step (1, 10, 40, ... 100).
using StartupProgress = std::function<void(GameContext& ctx, double percent, const char* caption)>;
// With `background`, the audio is started on it and the caller calls its Finish before anything
// else uses the sound engine (the game window can be opened meanwhile); without, the audio is ready
// when CreateGame returns.
bool CreateGame(GameContext& ctx, sound::AudioOutput audio = sound::AudioOutput::Device,
                const StartupProgress& progress = {}, BackgroundAudio* background = nullptr);
// The second phase of the loading: every texture of the effect, enemy, interface and bonus
// libraries in that order, `perFrame` at a time, handed to `draw` on a caching sprite so that the
// renderer uploads them; `progress` grows by 0.6 a material ("...loading [2/2]..."). The caching
// sprites are gone afterwards.
void CacheTextures(GameContext& ctx, int perFrame, const std::function<void()>& draw,
                   const StartupProgress& progress = {});
// Routes every image and mesh load of the scene through the context's data store.
void UseDataStoreForSceneFiles(GameContext& ctx);
// The start-up logos in "gameintro", once per frame.
void GameIntroFrame(GameContext& ctx);

}  // namespace vlm::shell
