#include "sound/SoundUnit.h"

#include <SDL.h>

#include <libopenmpt/libopenmpt.hpp>
#include <libopenmpt/libopenmpt_version.h>

#include "data/Archive.h"
#include "data/Errors.h"
#include "data/FileIo.h"

namespace vlm {

int32_t CurrentMusicOrder = 0;

sound::AudioEngine& Audio() {
    static sound::AudioEngine engine;
    return engine;
}

namespace {
// The volume the game last asked for, heard again when the music is no longer muted.
int gMusicVolume = 0;
bool gMusicMuted = false;
}  // namespace

AudioInitResult InitAudio(sound::AudioOutput output) {
    gMusicMuted = false;  // a new game starts with the window in front
    // The module player must be the library generation we were built against.
    const uint32_t version = openmpt::get_library_version();
    SDL_version sdl{};
    SDL_GetVersion(&sdl);
    if ((version >> 24) != OPENMPT_API_VERSION_MAJOR || sdl.major != SDL_MAJOR_VERSION) {
        const std::string text = "libopenmpt " + std::to_string(OPENMPT_API_VERSION_MAJOR) + "." +
                                 std::to_string(OPENMPT_API_VERSION_MINOR) + " and SDL " +
                                 std::to_string(SDL_MAJOR_VERSION) + " were not loaded";
        Audio().Message(sound::AudioMessageKind::Error, "Incorrect audio libraries", text);
        return AudioInitResult::Terminate;
    }
    return Audio().Init(output) ? AudioInitResult::Ok : AudioInitResult::Failed;
}

void ShutdownAudio() { Audio().Shutdown(); }

bool LoadMusic(std::span<const uint8_t> bytes, std::string_view displayName) {
    if (!Audio().LoadMusic(bytes, displayName)) return false;
    CurrentMusicOrder = 1;
    return true;
}

bool LoadMusic(const std::filesystem::path& file) {
    std::optional<std::vector<uint8_t>> bytes = data::ReadWholeFile(file);
    if (!bytes) {
        Audio().MusicUnavailable(file.string(), "the file is missing or unreadable");
        return false;
    }
    return LoadMusic(*bytes, file.string());
}

void SetMusicVolume(int volume) {
    gMusicVolume = volume;
    Audio().SetMusicVolume(gMusicMuted ? 0 : volume);
}

void SetMusicMuted(bool muted) {
    gMusicMuted = muted;
    Audio().SetMusicVolume(muted ? 0 : gMusicVolume);
}

bool MusicMuted() { return gMusicMuted; }

void SetMusicOrder(int32_t order) { Audio().SetMusicOrder(order); }

bool LoadSoundBank(std::vector<uint8_t> bytes, std::string displayName) {
    const std::string name = displayName;
    try {
        data::Archive archive = data::Archive::FromBytes(std::move(bytes), std::move(displayName));
        std::vector<std::vector<uint8_t>> contents;
        std::vector<sound::BankEntry> entries;
        contents.reserve(archive.Entries().size());
        for (size_t i = 0; i < archive.Entries().size(); ++i) {
            try {
                contents.push_back(archive.ReadEntry(i));
            } catch (const data::DataError& e) {
                Audio().Note(e.what());
                continue;
            }
            entries.push_back(sound::BankEntry{archive.Entries()[i].name, contents.back()});
        }
        Audio().LoadBank(entries, name);
        return true;
    } catch (const data::DataError& e) {
        Audio().Note(std::string(e.what()) + "; sound effects stay silent");
    } catch (const std::bad_alloc&) {
        Audio().Note(name + ": not enough memory for the sound bank; sound effects stay silent");
    }
    return false;
}

bool LoadSoundBank(const std::filesystem::path& file) {
    std::optional<std::vector<uint8_t>> bytes = data::ReadWholeFile(file);
    if (!bytes) {
        Audio().Note(file.string() + ": the sound bank cannot be read; sound effects stay silent");
        return false;
    }
    return LoadSoundBank(std::move(*bytes), file.string());
}

void SetSoundSlowMotion(double timeMultiplier, int32_t slowMotionSeconds) {
    Audio().SetSlowMotion(timeMultiplier, slowMotionSeconds);
}

void PlaySound(std::string_view name, int volume, int pan) { Audio().PlaySound(name, volume, pan); }

void AudioError(std::string_view message) { Audio().AudioError(message); }

}  // namespace vlm
