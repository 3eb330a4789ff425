#pragma once
// The game's access to its data: the mounted archives before the disk, and the INI readers
// and writers with their one-file cache.
//
// Names are given as the game's files spell them, with "\" separators. A relative name
// resolves against the working folder (the executable's folder); so does a name that starts
// with "\". An absolute name ("/home/...") is used as it stands and, like a name with a
// leading "\" or a drive letter, is never looked up in an archive.
//
// The readers keep the last file they read as parsed text in memory (the working copy), so
// reading many keys of one file costs one copy. The plain and the scrambled reader share it.
// A write to the file that is cached drops the copy, so a read after a write sees the new value.
// Writers replace the whole file atomically.
//
// One DataStore per game; nothing here is global, so tests make fresh ones. Not thread-safe.

#include "data/Archive.h"
#include "data/IniText.h"

#include <cstdint>
#include <filesystem>
#include <limits>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vlm::data {

// The most bytes an INI file (level, catalogue, path, options, profile ...) may have; the
// largest the game ships is a few kilobytes. A larger file is refused with a DataError.
inline constexpr uint64_t kMaxIniFileBytes = 4ull << 20;

// One key for WriteIniValues.
struct IniWrite {
    std::string section;
    std::string key;
    std::string value;
};

class DataStore {
public:
    DataStore(std::filesystem::path workingFolder, std::filesystem::path appDataFolder);

    const std::filesystem::path& WorkingFolder() const { return workingFolder_; }
    const std::filesystem::path& AppDataFolder() const { return appDataFolder_; }
    // Creates the application-data folder with all missing parents. Throws DataError.
    void EnsureAppDataFolder() const;

    // Opens an archive (relative paths resolve against the working folder) and puts it in
    // front of the ones already mounted. Throws DataError.
    void MountArchive(const std::filesystem::path& file);
    void MountArchive(Archive archive);

    // True when a mounted archive holds the name, else when it is a regular file on disk.
    bool DataFileExists(std::string_view name) const;
    // The bytes from the newest archive that holds the name, else from disk.
    // Throws DataError naming the file when it is in neither, or cannot be read.
    // Refuses a file of more than kMaxDataFileBytes (or `maxBytes`) with a DataError saying so.
    std::vector<uint8_t> OpenDataFile(std::string_view name) const;
    std::vector<uint8_t> OpenDataFile(std::string_view name, uint64_t maxBytes) const;
    // Where a name lives on disk.
    std::filesystem::path ResolvePath(std::string_view name) const;

    // The value, or "ini error" for a missing file, section or key. Throws DataError for a
    // damaged archive entry.
    std::string ReadIniValue(std::string_view file, std::string_view section, std::string_view key);
    // With `scrambled` the file's lines are unscrambled when it is copied; throws ECryptError
    // ("save file is damaged!") for a damaged line, every time the file is read.
    std::string ReadSavedValue(std::string_view file, std::string_view section, std::string_view key,
                               bool scrambled = true);

    // Throw EWriteError ("Unable to write to <file>"); WriteSavedValue also ECryptError when
    // the existing file is damaged (the file is then left as it was).
    void WriteIniValue(std::string_view file, std::string_view section, std::string_view key, std::string_view value);
    void WriteSavedValue(std::string_view file, std::string_view section, std::string_view key, std::string_view value);
    // Several keys in order, in one atomic replacement of the file.
    void WriteIniValues(std::string_view file, std::span<const IniWrite> writes);
    void WriteSavedValues(std::string_view file, std::span<const IniWrite> writes);

    // The length of the list of sections "0", "1", ... whose `markerKey` reads as an integer,
    // counting no further than `limit`. A missing file gives 0.
    int CountNumberedSections(std::string_view file, std::string_view markerKey = "int", bool scrambled = false,
                              int limit = std::numeric_limits<int>::max());

    // How many times a file was copied into the working copy; for tests.
    int CacheCopyCount() const { return copyCount_; }
    // The name whose copy is held ("" when none).
    const std::string& CachedFileName() const { return cache_.name; }
    void ClearCache();

private:
    struct Cache {
        std::string name;               // after the leading-"\" rule; compared exactly
        bool unscrambled = false;       // lines were unscrambled when copied
        std::filesystem::path diskFile; // canonical path when copied from disk
        IniDocument document;
    };

    // The cached document for the name, copying it in when needed; null for a missing file.
    const IniDocument* Load(std::string_view file, bool scrambled);
    void Write(std::string_view file, std::span<const IniWrite> writes, bool scrambled);
    const Archive* ArchiveFor(std::string_view name) const;

    std::filesystem::path workingFolder_;
    std::filesystem::path appDataFolder_;
    std::vector<Archive> archives_; // newest first
    Cache cache_;
    int copyCount_ = 0;
};

} // namespace vlm::data
