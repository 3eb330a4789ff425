#include "data/DataStore.h"

#include "data/Errors.h"
#include "data/FileIo.h"
#include "data/Numbers.h"
#include "data/Paths.h"
#include "data/Scramble.h"

#include <system_error>

namespace vlm::data {

namespace {

// Names that never come from an archive: "\..." , "/..." and "X:...".
bool IsRootedName(std::string_view name)
{
    if (name.empty())
        return false;
    if (name[0] == '\\' || name[0] == '/')
        return true;
    return name.size() >= 2 && name[1] == ':' &&
           ((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= 'a' && name[0] <= 'z'));
}

std::filesystem::path Canonical(const std::filesystem::path& path)
{
    std::error_code ec;
    std::filesystem::path result = std::filesystem::weakly_canonical(path, ec);
    return ec ? path.lexically_normal() : result;
}

std::string_view AsText(const std::vector<uint8_t>& bytes)
{
    return std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

} // namespace

DataStore::DataStore(std::filesystem::path workingFolder, std::filesystem::path appDataFolder)
    : workingFolder_(std::move(workingFolder)), appDataFolder_(std::move(appDataFolder))
{
}

void DataStore::EnsureAppDataFolder() const
{
    std::error_code ec;
    std::filesystem::create_directories(appDataFolder_, ec);
    if (ec || !std::filesystem::is_directory(appDataFolder_, ec))
        throw DataError("Cannot create the folder " + appDataFolder_.string() + ": " +
                        (ec ? ec.message() : std::string("a file of that name is in the way")));
}

void DataStore::MountArchive(const std::filesystem::path& file)
{
    MountArchive(Archive::Open(file.is_absolute() ? file : workingFolder_ / file));
}

void DataStore::MountArchive(Archive archive)
{
    archives_.insert(archives_.begin(), std::move(archive));
    ClearCache(); // what a name reads as may have changed
}

std::filesystem::path DataStore::ResolvePath(std::string_view name) const
{
    if (!name.empty() && name[0] == '\\') {
        // The game's "\Data\..." means the data folder beside the game, not the disk's root.
        while (!name.empty() && (name[0] == '\\' || name[0] == '/'))
            name.remove_prefix(1);
        return MatchCaseOnDisk(workingFolder_, ToNativePath(name));
    }
    std::filesystem::path native = ToNativePath(name);
    if (native.is_absolute())
        return MatchCaseOnDisk(native.root_path(), native.relative_path());
    return MatchCaseOnDisk(workingFolder_, native);
}

const Archive* DataStore::ArchiveFor(std::string_view name) const
{
    if (IsRootedName(name))
        return nullptr;
    for (const Archive& archive : archives_) {
        if (archive.Contains(name))
            return &archive;
    }
    return nullptr;
}

bool DataStore::DataFileExists(std::string_view name) const
{
    return ArchiveFor(name) != nullptr || IsRegularFile(ResolvePath(name));
}

std::vector<uint8_t> DataStore::OpenDataFile(std::string_view name) const { return OpenDataFile(name, kMaxDataFileBytes); }

std::vector<uint8_t> DataStore::OpenDataFile(std::string_view name, uint64_t maxBytes) const
{
    auto tooLarge = [&](uint64_t size, const std::string& where) {
        return DataError("The data file \"" + std::string(name) + "\"" + where + " has " + std::to_string(size) +
                         " bytes, more than the " + std::to_string(maxBytes) + " bytes such a file may have");
    };
    if (const Archive* archive = ArchiveFor(name)) {
        const Archive::Entry* entry = archive->FindEntry(name);
        if (entry && entry->size > maxBytes && !archive->IsCompressed())
            throw tooLarge(entry->size, " in " + archive->DisplayName());
        std::vector<uint8_t> bytes = archive->Read(name);
        if (bytes.size() > maxBytes)
            throw tooLarge(bytes.size(), " in " + archive->DisplayName());
        return bytes;
    }
    const std::filesystem::path path = ResolvePath(name);
    std::error_code sizeError;
    if (const uintmax_t size = std::filesystem::file_size(path, sizeError); !sizeError && size > maxBytes)
        throw tooLarge(size, " (" + path.string() + ")");
    if (auto bytes = ReadWholeFile(path))
        return std::move(*bytes);
    std::error_code ec;
    if (std::filesystem::exists(path, ec))
        throw DataError("Cannot read the data file \"" + std::string(name) + "\" (" + path.string() + ")");
    throw DataError("The data file \"" + std::string(name) + "\" is neither in the archive nor on disk (" +
                    path.string() + ")");
}

void DataStore::ClearCache() { cache_ = Cache{}; }

const IniDocument* DataStore::Load(std::string_view file, bool scrambled)
{
    if (!file.empty() && file[0] == '\\')
        file.remove_prefix(1);

    // A copy made by the plain reader still holds scrambled text; the scrambled reader
    // copies the file again rather than look keys up in it.
    if (!cache_.name.empty() && cache_.name == file && (cache_.unscrambled || !scrambled))
        return &cache_.document;

    if (!DataFileExists(file))
        return nullptr;

    const Archive* archive = ArchiveFor(file);
    std::vector<uint8_t> bytes = OpenDataFile(file, kMaxIniFileBytes);
    std::vector<std::string> lines = SplitLines(AsText(bytes));
    if (scrambled) {
        try {
            UnscrambleLines(lines, std::string(file));
        } catch (const ECryptError&) {
            ClearCache(); // a damaged file raises on every read, never half-unscrambled
            throw;
        }
    }
    cache_.name = std::string(file);
    cache_.unscrambled = scrambled;
    cache_.diskFile = archive ? std::filesystem::path() : Canonical(ResolvePath(file));
    cache_.document = IniDocument(lines);
    ++copyCount_;
    return &cache_.document;
}

std::string DataStore::ReadIniValue(std::string_view file, std::string_view section, std::string_view key)
{
    const IniDocument* document = Load(file, false);
    return document ? document->Read(section, key) : std::string(kIniError);
}

std::string DataStore::ReadSavedValue(std::string_view file, std::string_view section, std::string_view key,
                                      bool scrambled)
{
    const IniDocument* document = Load(file, scrambled);
    return document ? document->Read(section, key) : std::string(kIniError);
}

void DataStore::Write(std::string_view file, std::span<const IniWrite> writes, bool scrambled)
{
    const std::string displayName(file);
    for (const IniWrite& write : writes) {
        if (std::string why = WhyNotStorable(write.section, write.key, write.value); !why.empty())
            throw EWriteError(displayName, "[" + write.section + "] " + write.key + ": " + why);
    }

    const std::filesystem::path path = ResolvePath(file);
    if (!cache_.diskFile.empty() && cache_.diskFile == Canonical(path))
        ClearCache();

    std::string text;
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec))
        throw EWriteError(displayName, "a folder of that name is in the way");
    if (std::filesystem::exists(path, ec)) {
        auto bytes = ReadWholeFile(path);
        if (!bytes) // never replace a file we could not read: its keys would be lost
            throw EWriteError(displayName, "the existing file cannot be read");
        text.assign(AsText(*bytes));
    }

    const bool byteOrderMark = text.starts_with("\xEF\xBB\xBF");
    const std::string eol(DetectLineBreak(text));
    std::vector<std::string> lines = SplitLines(text);
    if (scrambled)
        UnscrambleLines(lines, displayName);
    for (const IniWrite& write : writes)
        SetIniValue(lines, write.section, write.key, write.value);
    if (scrambled)
        ScrambleLines(lines);

    std::string out = byteOrderMark ? "\xEF\xBB\xBF" : "";
    out += JoinLines(lines, eol);
    WriteFileAtomically(path, out, displayName);
}

void DataStore::WriteIniValue(std::string_view file, std::string_view section, std::string_view key,
                              std::string_view value)
{
    const IniWrite write{std::string(section), std::string(key), std::string(value)};
    Write(file, std::span(&write, 1), false);
}

void DataStore::WriteSavedValue(std::string_view file, std::string_view section, std::string_view key,
                                std::string_view value)
{
    const IniWrite write{std::string(section), std::string(key), std::string(value)};
    Write(file, std::span(&write, 1), true);
}

void DataStore::WriteIniValues(std::string_view file, std::span<const IniWrite> writes) { Write(file, writes, false); }

void DataStore::WriteSavedValues(std::string_view file, std::span<const IniWrite> writes) { Write(file, writes, true); }

int DataStore::CountNumberedSections(std::string_view file, std::string_view markerKey, bool scrambled, int limit)
{
    int count = 0;
    int32_t marker = 0;
    while (count < limit &&
           TryStrToInt(ReadSavedValue(file, std::to_string(count), markerKey, scrambled), marker))
        ++count;
    return count;
}

} // namespace vlm::data
