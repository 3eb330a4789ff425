// libFuzzer target: the loaders above the INI reader. The bytes are written in place of the
// data files the loaders read, in a scratch game folder (the data store's working folder), and
// the loaders run as at start-up and when a level begins: nav path file 0, the enemy catalogue,
// then level 1 (built on the paths and kinds that loaded), the level count and the level's
// logo, all through the game's own reader (DataStore::ReadIniValue).
// Loaders report a bad file with std::runtime_error (EFieldError names file, section and key;
// the data store raises DataError); anything else escaping is a fault, and so is a load that
// finishes with values beyond the limits the loader promises.
#include "RecordingHost.h"
#include "data/DataStore.h"
#include "combat/EnemyCatalogue.h"
#include "context/LevelGlobals.h"
#include "levels/LevelLoader.h"
#include "levels/NavPaths.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unistd.h>

namespace {

void CheckLevel(const vlm::levels::TLevelDefinition& level, size_t kinds, size_t paths)
{
    using namespace vlm::levels;
    if (!(level.Difficulty >= kMinDifficulty && level.Difficulty <= kMaxDifficulty))
        std::abort();
    if (level.Placements.size() > static_cast<size_t>(kMaxLevelPlacements))
        std::abort();
    for (const TPlacement& p : level.Placements) {
        if (p.KindIndex < 0 || static_cast<size_t>(p.KindIndex) >= kinds)
            std::abort();
        if (p.PathCode >= 0 && p.AppearTime != 0.0 && static_cast<size_t>(p.PathCode) >= paths)
            std::abort();
        for (double d : {p.Z, p.X, p.StartZ, p.StartX})
            if (!(std::fabs(d) <= kMaxPlacementDistance))
                std::abort();
        if (!(std::fabs(p.AppearTime) <= kMaxAppearTime))
            std::abort();
    }
    if (level.Points && (*level.Points < -kMaxLevelPoints || *level.Points > kMaxLevelPoints))
        std::abort();
}

// The scratch game folder, made once per process and removed at exit.
const std::filesystem::path& GameFolder()
{
    static const struct Folder {
        std::filesystem::path path;
        Folder()
        {
            const char* tmp = std::getenv("TMPDIR");
            std::string base = tmp && *tmp ? tmp : "/tmp";
            if (!tmp && std::filesystem::is_directory("/dev/shm"))
                base = "/dev/shm";  // memory, not disk
            std::string pattern = base + "/vlm-fuzz-levels-XXXXXX";
            if (!mkdtemp(pattern.data()))
                std::abort();
            path = pattern;
            std::filesystem::create_directories(path / "Data" / "t_data" / "nav");
            std::filesystem::create_directories(path / "Data" / "t_data" / "levels");
        }
        ~Folder()
        {
            std::error_code ec;
            std::filesystem::remove_all(path, ec);
        }
    } folder;
    return folder.path;
}

// VLM_FUZZ_VERBOSE=1 prints what each loader said, to see what an input reaches.
void Say(const char* loader, const std::string& what)
{
    static const bool verbose = std::getenv("VLM_FUZZ_VERBOSE") != nullptr;
    if (verbose)
        std::fprintf(stderr, "%s: %s\n", loader, what.c_str());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace vlm;
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    const std::filesystem::path& folder = GameFolder();
    const std::filesystem::path dataFolder = folder / "Data" / "t_data";
    // Plain writes: the game's atomic writer syncs to disk, a thousand times too slow here.
    for (const char* name : {"nav/0.ini", "Enemies.ini", "levels/1.ini"}) {
        std::ofstream out(dataFolder / name, std::ios::binary | std::ios::trunc);
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        if (!out)
            std::abort();
    }
    // A fresh store per input, so nothing is cached from the one before.
    data::DataStore store(folder, folder / "user");
    const levels::IniReadFn read = levels::PlainIniReader(store);
    levels::TLevelGlobals globals;
    try {
        levels::LoadNavPaths(read, globals);
        Say("nav paths", std::to_string(globals.NavPaths.size()) + " read");
    } catch (const std::runtime_error& e) {
        Say("nav paths", e.what());
    }
    for (const levels::TNodesPath& path : globals.NavPaths)
        for (const levels::TNavNode& node : path.Nodes)
            for (double v : {node.Speed, node.X, node.Y, node.Z, node.RotX, node.RotY, node.RotZ})
                if (!(std::fabs(v) <= levels::kMaxNavValue))
                    std::abort();

    combat::TEnemyKinds kinds;
    try {
        combat::LoadEnemyKinds(read, kinds);
        Say("enemy kinds", std::to_string(kinds.size()) + " read");
    } catch (const std::runtime_error& e) {
        Say("enemy kinds", e.what());
    }

    // Without paths or kinds from the bytes every placement would stop the load at once; the
    // shipped content has ten paths and twenty kinds.
    if (globals.NavPaths.empty())
        globals.NavPaths.resize(10);
    test::RecordingHost host;
    host.enemyKinds = kinds.empty() ? 20 : kinds.size();
    levels::TLevelDefinition level;
    try {
        levels::LoadLevel(1, read, globals, host, level);
        CheckLevel(level, host.enemyKinds, globals.NavPaths.size());
        Say("level", std::to_string(level.Placements.size()) + " placements, complete: " +
                         std::to_string(level.Complete));
    } catch (const std::runtime_error& e) {
        Say("level", e.what());
    }
    try {
        std::string problem;
        const int32_t count = levels::CountLevels(read, &problem);
        if (count < 0 || count > 1)
            std::abort();
        (void)levels::ReadLevelLogo(read, 1);
    } catch (const std::runtime_error&) {
    }
    return 0;
}
