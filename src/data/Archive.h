#pragma once
// The data archive ("original.vlm") and the sound bank ("snd.tor"): a "PACK" archive of
// stored entries or a "PACZ" archive of LZRW1-compressed entries. docs/archive-format.md
// gives the layout. The reader trusts nothing in the file: every offset, size and name is
// checked against the file before it is used, and every problem raises DataError naming
// the archive (and the entry).

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace vlm::data {

// The most bytes one data file (an archive entry or a file on disk) may have: far above the
// game's largest file, far below what would stall or exhaust the machine.
inline constexpr uint64_t kMaxDataFileBytes = 64ull << 20;

class Archive {
public:
    struct Entry {
        std::string name;     // as stored: "/"-separated, e.g. "Data/t_data/levels/1.ini"
        uint32_t offset = 0;  // from the start of the archive
        uint32_t size = 0;    // bytes in the archive (compressed size in a "PACZ" archive)
    };

    // Opens an archive file; the file stays open for reading entries. Throws DataError.
    static Archive Open(const std::filesystem::path& file);
    // An archive held in memory; `displayName` names it in messages. Throws DataError.
    static Archive FromBytes(std::vector<uint8_t> bytes, std::string displayName);

    // Lookup: every "\" of `name` becomes "/", letter case is ignored; nothing else.
    bool Contains(std::string_view name) const;
    // The entry's bytes (decompressed for "PACZ"). Throws DataError when the name is
    // missing or the entry's data is damaged.
    std::vector<uint8_t> Read(std::string_view name) const;

    const std::vector<Entry>& Entries() const { return entries_; }
    bool IsCompressed() const { return compressed_; }
    const std::string& DisplayName() const { return displayName_; }

    // The entry a name finds, or null.
    const Entry* FindEntry(std::string_view name) const { return Find(name); }

    // The bytes of one entry by index (as in Entries()).
    std::vector<uint8_t> ReadEntry(size_t index) const;

    class Source; // where the bytes come from (file or memory)

private:
    Archive() = default;
    static Archive Load(std::shared_ptr<const Source> source, std::string displayName);
    const Entry* Find(std::string_view name) const;

    std::shared_ptr<const Source> source_;
    std::string displayName_;
    bool compressed_ = false;
    std::vector<Entry> entries_;
    std::unordered_map<std::string, size_t> index_; // folded name -> first entry with it
};

// One file to put into an archive.
struct ArchiveInput {
    std::string name; // "/"-separated name inside the archive, at most 119 bytes
    std::vector<uint8_t> bytes;
};

// Builds the bytes of an archive ("PACZ" with LZRW1 when `compress`, else "PACK").
// Throws DataError for a name that does not fit, two names that differ only in letter case
// or separators, or an archive beyond 4 GiB.
std::vector<uint8_t> BuildArchive(const std::vector<ArchiveInput>& files, bool compress);

// Builds an archive and writes it atomically to `file`. Throws DataError / EWriteError.
void WriteArchive(const std::filesystem::path& file, const std::vector<ArchiveInput>& files, bool compress);

// The lookup form of a name: "\" -> "/", ASCII letters lowered.
std::string FoldArchiveName(std::string_view name);

} // namespace vlm::data
