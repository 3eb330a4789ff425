#pragma once
// Music and sound effects for the game: one engine, reached through these routines.
//
// Start-up: InitAudio(), then LoadMusic(<exe folder>/sound/main.mo3) and LoadSoundBank(bytes of
// "\sound\snd.tor"). Each frame the shell passes the frame clock's time multiplier and the
// player's SlowMotionSeconds to SetSoundSlowMotion, so effects drop in pitch during slow motion.

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "sound/AudioEngine.h"

namespace vlm {

// The pattern order the music was last sent to by a level (1 after loading the music and on
// the way back to the main menu). Level and cut-scene loaders compare it with the order they want.
extern int32_t CurrentMusicOrder;

enum class AudioInitResult {
    Ok,
    Failed,     // no output: an AudioError box was shown; the game runs on silently
    Terminate,  // the audio libraries are not the ones we were built for: a box was shown,
                // the caller must end the program
};

// Checks the audio libraries and opens the output (the SDL audio device, or none with Null).
AudioInitResult InitAudio(sound::AudioOutput output = sound::AudioOutput::Device);
void ShutdownAudio();

// Loads the module, positions it at order 1 row 0, CurrentMusicOrder := 1, starts it at
// volume 0. On failure shows AudioError("Can't play file") and plays no music.
bool LoadMusic(const std::filesystem::path& file);
bool LoadMusic(std::span<const uint8_t> bytes, std::string_view displayName);

void SetMusicVolume(int volume);  // 0..100; values outside are clamped
// While muted (the game's window is away) the music is silent; volumes set meanwhile are kept,
// and unmuting plays the music at the last one again.
void SetMusicMuted(bool muted);
bool MusicMuted();
void SetMusicOrder(int32_t order);  // row 0 of `order`; nothing without music

// Replaces the sound bank from the bytes of a bank archive. A bank that cannot be read leaves
// the waves as they were (silent placeholders at start-up), with a note naming the file;
// returns false then. Single broken or missing waves stay silent, each with a note.
bool LoadSoundBank(std::vector<uint8_t> bytes, std::string displayName);
bool LoadSoundBank(const std::filesystem::path& file);

// The frame clock's time multiplier and the player's slow-motion seconds.
void SetSoundSlowMotion(double timeMultiplier, int32_t slowMotionSeconds);

// Plays an effect: volume 0..100 (<= 0 plays nothing), pan -10000 (left) .. 10000 (right).
// Throws sound::EWaveNotFound ("Wave 'x' not found") for a name the bank does not have.
void PlaySound(std::string_view name, int volume, int pan);

// Error box: caption "Error", the message and "(Error code: n)".
void AudioError(std::string_view message);

// The engine itself, for message routing (SetMessageHandler) and inspection.
sound::AudioEngine& Audio();

}  // namespace vlm
