#include "sound/AudioEngine.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <libopenmpt/libopenmpt.hpp>

namespace vlm::sound {

namespace {

std::string WaveNotFoundText(std::string_view name) {
    std::string text = "Wave '";
    text += name;
    text += "' not found";
    return text;
}

void DefaultHandler(AudioMessageKind kind, std::string_view caption, std::string_view text) {
    std::string shown(text);
    // Our texts break lines the Windows way; SDL's boxes want plain newlines.
    for (size_t p; (p = shown.find("\r\n")) != std::string::npos;) shown.replace(p, 2, "\n");
    if (kind == AudioMessageKind::Error) {
        std::string cap(caption);
        if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, cap.c_str(), shown.c_str(), nullptr) == 0) return;
        std::fprintf(stderr, "%s: %s\n", cap.c_str(), shown.c_str());
        return;
    }
    std::fprintf(stderr, "sound: %s\n", shown.c_str());
}

}  // namespace

EWaveNotFound::EWaveNotFound(std::string_view name) : std::runtime_error(WaveNotFoundText(name)) {}

// Holds the audio device's lock while the game thread changes what the callback reads.
class AudioEngine::Lock {
public:
    explicit Lock(uint32_t device) : device_(device) {
        if (device_) SDL_LockAudioDevice(device_);
    }
    ~Lock() {
        if (device_) SDL_UnlockAudioDevice(device_);
    }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

private:
    uint32_t device_;
};

AudioEngine::AudioEngine() : handler_(DefaultHandler) {}

AudioEngine::~AudioEngine() { Shutdown(); }

void AudioEngine::SetMessageHandler(AudioMessageHandler handler) {
    handler_ = handler ? std::move(handler) : AudioMessageHandler(DefaultHandler);
}

void AudioEngine::Message(AudioMessageKind kind, std::string_view caption, std::string_view text) {
    handler_(kind, caption, text);
}

void AudioEngine::AudioError(std::string_view message) {
    std::string text(message);
    text += "\r\n(Error code: " + std::to_string(lastError_) + ")";
    Message(AudioMessageKind::Error, "Error", text);
}

bool AudioEngine::Init(AudioOutput output) {
    Shutdown();
    if (output == AudioOutput::Null) {
        lastError_ = kAudioOk;
        return true;
    }
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        lastError_ = kAudioDriver;
        Message(AudioMessageKind::Note, "", std::string("SDL audio: ") + SDL_GetError());
        AudioError("Error initializing audio!");
        return false;
    }
    audioSubsystem_ = true;
    SDL_AudioSpec want{};
    want.freq = kOutputRate;
    want.format = AUDIO_F32SYS;
    want.channels = 2;
    want.samples = 1024;
    want.callback = &AudioEngine::Callback;
    want.userdata = this;
    SDL_AudioSpec have{};
    deviceId_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (!deviceId_) {
        lastError_ = kAudioDriver;
        Message(AudioMessageKind::Note, "", std::string("SDL audio: ") + SDL_GetError());
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        audioSubsystem_ = false;
        AudioError("Error initializing audio!");
        return false;
    }
    lastError_ = kAudioOk;
    SDL_PauseAudioDevice(deviceId_, 0);
    return true;
}

void AudioEngine::Shutdown() {
    if (deviceId_) {
        SDL_CloseAudioDevice(deviceId_);  // waits for a running callback to finish
        deviceId_ = 0;
    }
    if (audioSubsystem_) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        audioSubsystem_ = false;
    }
}

void AudioEngine::Callback(void* self, uint8_t* stream, int length) {
    auto* engine = static_cast<AudioEngine*>(self);
    engine->Mix(reinterpret_cast<float*>(stream), size_t(length) / (2 * sizeof(float)));
}

void AudioEngine::Render(float* stereo, size_t frames) {
    Lock lock(deviceId_);
    Mix(stereo, frames);
}

void AudioEngine::Mix(float* stereo, size_t frames) {
    std::fill(stereo, stereo + frames * 2, 0.0f);
    music_.MixAdd(stereo, frames);
    mixer_.MixAdd(stereo, frames);
    for (size_t i = 0; i < frames * 2; ++i) stereo[i] = std::clamp(stereo[i], -1.0f, 1.0f);
}

bool AudioEngine::LoadMusic(std::span<const uint8_t> bytes, std::string_view displayName) {
    std::string error;
    std::unique_ptr<openmpt::module> module = MusicPlayer::Open(bytes, error);
    if (!module) {
        DropMusic(bytes.empty() ? kAudioFileOpen : kAudioFileFormat, std::string(displayName) + ": " + error);
        return false;
    }
    std::unique_ptr<openmpt::module> old;
    {
        Lock lock(deviceId_);
        old = music_.Install(std::move(module));
        music_.SetOrder(1);
        music_.SetVolume(0);
    }
    return true;  // the old module is freed here, outside the lock
}

void AudioEngine::MusicUnavailable(std::string_view displayName, std::string_view reason) {
    DropMusic(kAudioFileOpen, std::string(displayName) + ": " + std::string(reason));
}

void AudioEngine::DropMusic(int errorCode, std::string_view note) {
    lastError_ = errorCode;
    Note(note);
    std::unique_ptr<openmpt::module> old;
    {
        Lock lock(deviceId_);
        old = music_.Install(nullptr);
    }
    old.reset();
    AudioError("Can't play file");
}

void AudioEngine::SetMusicVolume(int volume) {
    Lock lock(deviceId_);
    music_.SetVolume(volume);
}

bool AudioEngine::SetMusicOrder(int32_t order) {
    Lock lock(deviceId_);
    return music_.SetOrder(order);
}

int32_t AudioEngine::MusicOrder() const {
    Lock lock(deviceId_);
    return music_.Order();
}

int32_t AudioEngine::MusicRow() const {
    Lock lock(deviceId_);
    return music_.Row();
}

int32_t AudioEngine::MusicOrderCount() const {
    Lock lock(deviceId_);
    return music_.OrderCount();
}

int AudioEngine::LoadBank(std::span<const BankEntry> entries, std::string_view displayName) {
    SoundBank fresh;
    std::vector<std::string> notes;
    const int loaded = fresh.Load(entries, displayName, notes);
    {
        Lock lock(deviceId_);
        mixer_.StopAll();  // voices point into the old bank's waves
        std::swap(bank_, fresh);
    }
    for (const std::string& n : notes) Message(AudioMessageKind::Note, "", n);
    return loaded;
}

void AudioEngine::SetSlowMotion(double timeMultiplier, int32_t slowMotionSeconds) {
    if (slowMotionSeconds < 1 || !std::isfinite(timeMultiplier)) {
        effectFrequency_ = kBaseFrequency;
        return;
    }
    // Rounded halves to even, kept within what a sound device accepts.
    const double f = std::nearbyint(timeMultiplier * kBaseFrequency);
    effectFrequency_ = int(std::clamp(f, 100.0, 200000.0));
}

void AudioEngine::PlaySound(std::string_view name, int volume, int pan) {
    if (volume <= 0) return;
    const SoundBank::Item* item = bank_.Find(name);
    if (!item) throw EWaveNotFound(name);

    const int hundredthsDb = std::min(volume, 100) * 40 - 4000;
    pan = std::clamp(pan, -10000, 10000);

    SoundStart& s = starts_[startCount_ % kStartLog];
    s.name.fill('\0');
    std::memcpy(s.name.data(), name.data(), std::min(name.size(), s.name.size() - 1));
    s.frequency = effectFrequency_;
    s.volume = hundredthsDb;
    s.pan = pan;
    s.audible = item->audible;
    ++startCount_;
    if (!item->audible || item->wave.Frames() == 0) return;

    float left, right;
    PanToGains(pan, left, right);
    const float gain = float(HundredthsDbToGain(hundredthsDb));
    const double step = double(item->wave.sampleRate) / kOutputRate * effectFrequency_ / kBaseFrequency;
    Lock lock(deviceId_);
    mixer_.Start(&item->wave, step, left * gain, right * gain);
}

int AudioEngine::ActiveVoices() const {
    Lock lock(deviceId_);
    return mixer_.ActiveVoices();
}

const SoundStart& AudioEngine::RecentStart(size_t back) const {
    return starts_[(startCount_ - 1 - back) % kStartLog];
}

}  // namespace vlm::sound
