#pragma once
// Content review: a contact sheet of every picture in an archive and a render of its sounds,
// so anyone can look at and listen to the game's content without starting the game.

#include <filesystem>
#include <iosfwd>
#include <string>
#include <vector>

namespace vlm::tool {

// One picture of the sheet: its archive name, its folder and its decoded size.
struct SheetItem {
    std::string name;    // as stored in the archive, "/"-separated
    std::string folder;  // the part before the last "/", "" at the top
    int width = 0;
    int height = 0;
};

// Writes one PNG showing every JPEG and BMP of `archive` as a thumbnail with its name under
// it, grouped by folder. Entries that do not decode are drawn as a marked cell and listed on
// `err`; the sheet is still written. Returns what was drawn, in sheet order. Throws DataError
// when the archive cannot be read or the PNG cannot be written.
std::vector<SheetItem> WriteContactSheet(const std::filesystem::path& archive, const std::filesystem::path& png,
                                         std::ostream& out, std::ostream& err);

// One file written by RenderAudio.
struct RenderedAudio {
    std::filesystem::path file;
    double seconds = 0.0;
    int firstOrder = -1;  // music: the order the tune starts at; -1 for an effect
    bool loopedBack = false;  // music: the tune came back to where it started
};

// Writes every wave of the archive's bank "sound\snd.tor" to OUTDIR/effects/<name>.wav and
// every tune of "sound\main.mo3" to OUTDIR/music/tune<NN>.wav (NN its first order), each tune
// rendered through the game's sound engine from its first order until it jumps back.
std::vector<RenderedAudio> RenderAudio(const std::filesystem::path& archive, const std::filesystem::path& outDir,
                                       std::ostream& out, std::ostream& err);

// The longest a tune is rendered when it never comes back to its start.
inline constexpr double kMaxTuneSeconds = 600.0;

} // namespace vlm::tool
