#pragma once
// The sound engine: music on libopenmpt and the named effects of the sound bank, mixed
// together into one stereo stream. It plays through an SDL audio device, or, with the null
// output (tests, machines without sound), mixes only when pulled with Render so that what it
// would play can be inspected frame by frame.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "sound/Mixer.h"
#include "sound/MusicPlayer.h"
#include "sound/SoundBank.h"

namespace vlm::sound {

// Raised by PlaySound for a name the bank does not have.
class EWaveNotFound : public std::runtime_error {
public:
    explicit EWaveNotFound(std::string_view name);
};

enum class AudioOutput {
    Device,  // the default SDL audio device (SDL_AUDIODRIVER picks the driver)
    Null,    // no device: nothing is heard, Render pulls the mix by hand
};

// The engine's last error number, shown in AudioError boxes as "(Error code: n)".
enum AudioErrorCode : int {
    kAudioOk = 0,
    kAudioFileOpen = 2,     // a file could not be opened or read
    kAudioDriver = 3,       // no audio device or driver could be opened
    kAudioNotStarted = 8,   // output was never initialised
    kAudioFileFormat = 41,  // the file is not a module libopenmpt can play
};

enum class AudioMessageKind {
    Error,    // a message box: AudioError, version mismatch
    Note,     // something the player need not see (a bank wave that is missing); logged
};
// Receives every message the engine shows; by default boxes go to SDL_ShowSimpleMessageBox
// (falling back to stderr) and notes to stderr.
using AudioMessageHandler = std::function<void(AudioMessageKind, std::string_view caption, std::string_view text)>;

// One PlaySound that got past its volume check, as the engine started it.
struct SoundStart {
    std::array<char, 32> name{};  // zero-terminated, cut to 31 characters
    int frequency = 0;            // Hz
    int volume = 0;               // hundredths of a decibel, <= 0
    int pan = 0;                  // -10000 .. 10000
    bool audible = false;         // false: a silent placeholder wave
    std::string_view Name() const { return std::string_view(name.data()); }
};

class AudioEngine {
public:
    // The rate effects play at outside slow motion.
    static constexpr int kBaseFrequency = 44100;

    AudioEngine();
    ~AudioEngine();
    AudioEngine(const AudioEngine&) = delete;
    AudioEngine& operator=(const AudioEngine&) = delete;

    // Opens the output. With Device, a failure shows AudioError("Error initializing audio!"),
    // returns false and leaves the engine on the null output so the game runs on silently.
    bool Init(AudioOutput output);
    void Shutdown();
    AudioOutput Output() const { return deviceId_ ? AudioOutput::Device : AudioOutput::Null; }

    void SetMessageHandler(AudioMessageHandler handler);
    // Error box: caption "Error", text = message + "\r\n" + "(Error code: n)".
    void AudioError(std::string_view message);
    int LastErrorCode() const { return lastError_; }
    // Passes a message to the handler; Note is for things only a log needs to show.
    void Message(AudioMessageKind kind, std::string_view caption, std::string_view text);
    void Note(std::string_view text) { Message(AudioMessageKind::Note, "", text); }

    // Music. Load parses the module, positions it at order 1 row 0 and starts it at volume 0.
    // A failure shows AudioError("Can't play file") and leaves no music playing.
    bool LoadMusic(std::span<const uint8_t> bytes, std::string_view displayName);
    // The music file could not be read at all: the same as a failed load, with error code 2.
    void MusicUnavailable(std::string_view displayName, std::string_view reason);
    void SetMusicVolume(int volume);          // 0..100, clamped
    bool SetMusicOrder(int32_t order);        // row 0 of the order; false if none such
    bool HasMusic() const { return music_.Loaded(); }
    int MusicVolume() const { return music_.Volume(); }
    int32_t MusicOrder() const;               // order being played now, -1 without music
    int32_t MusicRow() const;
    int32_t MusicOrderCount() const;

    // Effects. LoadBank replaces every wave; its notes (missing or broken waves) go to the
    // message handler as notes. Returns the number of waves loaded.
    int LoadBank(std::span<const BankEntry> entries, std::string_view displayName);
    const SoundBank& Bank() const { return bank_; }

    // Slow-motion pitch: the frame clock's time multiplier and the player's slow-motion seconds.
    // Effects play at 44100 Hz while the seconds are below 1, otherwise at the multiplier's share.
    void SetSlowMotion(double timeMultiplier, int32_t slowMotionSeconds);
    int EffectFrequency() const { return effectFrequency_; }

    // Plays one effect: volume 0..100 of the sound option (<= 0 plays nothing), pan
    // -10000..10000. Throws EWaveNotFound for a name the bank does not know. Overlaps itself.
    void PlaySound(std::string_view name, int volume, int pan);

    // Mixes `frames` stereo frames (music plus effects) into `stereo`, overwriting it.
    // The SDL callback calls this; with the null output tests call it to pull the mix.
    void Render(float* stereo, size_t frames);

    // Inspection.
    int ActiveVoices() const;
    uint64_t StartCount() const { return startCount_; }
    // The start `back` steps before the latest (0 = latest); requires back < min(StartCount(), kStartLog).
    const SoundStart& RecentStart(size_t back) const;
    static constexpr size_t kStartLog = 256;

private:
    class Lock;
    void DropMusic(int errorCode, std::string_view note);
    static void Callback(void* self, uint8_t* stream, int length);
    void Mix(float* stereo, size_t frames);  // caller holds the device lock

    uint32_t deviceId_ = 0;
    bool audioSubsystem_ = false;
    int lastError_ = kAudioNotStarted;
    AudioMessageHandler handler_;
    MusicPlayer music_;
    Mixer mixer_;
    SoundBank bank_;
    int effectFrequency_ = kBaseFrequency;
    std::array<SoundStart, kStartLog> starts_{};
    uint64_t startCount_ = 0;
};

}  // namespace vlm::sound
