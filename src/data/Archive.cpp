#include "data/Archive.h"

#include "data/Errors.h"
#include "data/FileIo.h"
#include "data/Lzrw1.h"
#include "data/Printable.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vlm::data {

namespace {

constexpr size_t kHeaderSize = 16;
constexpr size_t kEntrySize = 128;
constexpr size_t kNameField = 120;

uint32_t GetU32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void PutU32(uint8_t* p, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(value >> (8 * i));
}

// A name from a damaged directory, made safe to print.
std::string Printable(std::string_view raw) { return PrintableText(raw); }

} // namespace

class Archive::Source {
public:
    virtual ~Source() = default;
    virtual uint64_t Size() const = 0;
    // Fills `out` with `count` bytes from `offset`; false when they cannot all be read.
    virtual bool ReadAt(uint64_t offset, uint8_t* out, size_t count) const = 0;
};

namespace {

class MemorySource final : public Archive::Source {
public:
    explicit MemorySource(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}
    uint64_t Size() const override { return bytes_.size(); }
    bool ReadAt(uint64_t offset, uint8_t* out, size_t count) const override
    {
        if (offset > bytes_.size() || count > bytes_.size() - offset)
            return false;
        if (count)
            std::memcpy(out, bytes_.data() + offset, count);
        return true;
    }

private:
    std::vector<uint8_t> bytes_;
};

class FileSource final : public Archive::Source {
public:
    FileSource(int fd, uint64_t size) : fd_(fd), size_(size) {}
    ~FileSource() override { ::close(fd_); }
    uint64_t Size() const override { return size_; }
    bool ReadAt(uint64_t offset, uint8_t* out, size_t count) const override
    {
        if (offset > size_ || count > size_ - offset)
            return false;
        while (count > 0) {
            ssize_t got = ::pread(fd_, out, count, static_cast<off_t>(offset));
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                return false; // an error, or the file shrank since it was opened
            out += got;
            offset += static_cast<uint64_t>(got);
            count -= static_cast<size_t>(got);
        }
        return true;
    }

private:
    int fd_;
    uint64_t size_;
};

} // namespace

std::string FoldArchiveName(std::string_view name)
{
    std::string folded(name);
    for (char& c : folded) {
        if (c == '\\')
            c = '/';
        else if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return folded;
}

Archive Archive::Open(const std::filesystem::path& file)
{
    const std::string name = file.string();
    int fd = OpenRegularFileForReading(file);
    if (fd < 0)
        throw DataError("Cannot open " + name + ": " + (errno == ENODEV ? "not a regular file" : std::strerror(errno)));
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        const int error = errno;
        ::close(fd);
        throw DataError("Cannot open " + name + ": " + std::strerror(error));
    }
    auto source = std::make_shared<FileSource>(fd, static_cast<uint64_t>(info.st_size));
    return Load(std::move(source), name);
}

Archive Archive::FromBytes(std::vector<uint8_t> bytes, std::string displayName)
{
    return Load(std::make_shared<MemorySource>(std::move(bytes)), std::move(displayName));
}

Archive Archive::Load(std::shared_ptr<const Source> source, std::string displayName)
{
    Archive archive;
    archive.source_ = std::move(source);
    archive.displayName_ = std::move(displayName);
    const std::string& an = archive.displayName_;
    const uint64_t fileSize = archive.source_->Size();

    uint8_t header[kHeaderSize];
    if (fileSize < 4 || !archive.source_->ReadAt(0, header, 4))
        throw DataError(an + " - This is not PAK file");
    if (std::memcmp(header, "PACK", 4) == 0)
        archive.compressed_ = false;
    else if (std::memcmp(header, "PACZ", 4) == 0)
        archive.compressed_ = true;
    else
        throw DataError(an + " - This is not PAK file");
    if (!archive.source_->ReadAt(0, header, kHeaderSize))
        throw DataError(an + ": the archive is truncated inside its 16-byte header");

    const uint64_t dirOffset = GetU32(header + 4);
    const uint64_t dirLength = GetU32(header + 8);
    const uint8_t mode = header[12];
    if (archive.compressed_ && mode != kLzrw1Mode)
        throw DataError(an + ": unknown compression mode " + std::to_string(mode));
    if (dirLength % kEntrySize != 0)
        throw DataError(an + ": the directory length " + std::to_string(dirLength) +
                        " is not a whole number of 128-byte entries");
    if (dirOffset > fileSize || dirLength > fileSize - dirOffset)
        throw DataError(an + ": the directory (offset " + std::to_string(dirOffset) + ", length " +
                        std::to_string(dirLength) + ") lies outside the file of " + std::to_string(fileSize) +
                        " bytes");

    std::vector<uint8_t> dir(static_cast<size_t>(dirLength));
    if (!archive.source_->ReadAt(dirOffset, dir.data(), dir.size()))
        throw DataError(an + ": the directory cannot be read");

    const size_t count = dir.size() / kEntrySize;
    archive.entries_.reserve(count);
    archive.index_.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* raw = dir.data() + i * kEntrySize;
        const void* zero = std::memchr(raw, 0, kNameField);
        if (!zero)
            throw DataError(an + ": the name of entry " + std::to_string(i) + " (\"" +
                            Printable(std::string_view(reinterpret_cast<const char*>(raw), kNameField)) +
                            "\") has no terminating zero");
        Entry entry;
        entry.name.assign(reinterpret_cast<const char*>(raw), static_cast<const uint8_t*>(zero) - raw);
        entry.offset = GetU32(raw + 120);
        entry.size = GetU32(raw + 124);
        if (uint64_t(entry.offset) > fileSize || uint64_t(entry.size) > fileSize - entry.offset)
            throw DataError(an + ": entry \"" + Printable(entry.name) + "\" (offset " + std::to_string(entry.offset) +
                            ", size " + std::to_string(entry.size) + ") lies outside the file of " +
                            std::to_string(fileSize) + " bytes");
        archive.index_.emplace(FoldArchiveName(entry.name), archive.entries_.size()); // keeps the first
        archive.entries_.push_back(std::move(entry));
    }
    return archive;
}

const Archive::Entry* Archive::Find(std::string_view name) const
{
    auto it = index_.find(FoldArchiveName(name));
    return it == index_.end() ? nullptr : &entries_[it->second];
}

bool Archive::Contains(std::string_view name) const { return Find(name) != nullptr; }

std::vector<uint8_t> Archive::Read(std::string_view name) const
{
    auto it = index_.find(FoldArchiveName(name));
    if (it == index_.end())
        throw DataError(displayName_ + ": no entry \"" + Printable(name) + "\"");
    return ReadEntry(it->second);
}

std::vector<uint8_t> Archive::ReadEntry(size_t index) const
{
    if (index >= entries_.size())
        throw DataError(displayName_ + ": no entry number " + std::to_string(index));
    const Entry& entry = entries_[index];
    if (entry.size > kMaxDataFileBytes)
        throw DataError(displayName_ + ": entry \"" + Printable(entry.name) + "\" has " + std::to_string(entry.size) +
                        " bytes, more than a data file may have (" + std::to_string(kMaxDataFileBytes) + ")");
    std::vector<uint8_t> stored(entry.size);
    if (!source_->ReadAt(entry.offset, stored.data(), stored.size()))
        throw DataError(displayName_ + ": entry \"" + Printable(entry.name) + "\" cannot be read");
    if (!compressed_)
        return stored;
    std::string problem;
    auto plain = Lzrw1Decompress(stored, problem);
    if (!plain)
        throw DataError(displayName_ + ": entry \"" + Printable(entry.name) + "\" is damaged: " + problem);
    if (plain->size() > kMaxDataFileBytes)
        throw DataError(displayName_ + ": entry \"" + Printable(entry.name) + "\" unpacks to " +
                        std::to_string(plain->size()) + " bytes, more than a data file may have (" +
                        std::to_string(kMaxDataFileBytes) + ")");
    return std::move(*plain);
}

std::vector<uint8_t> BuildArchive(const std::vector<ArchiveInput>& files, bool compress)
{
    std::vector<uint8_t> out(kHeaderSize, 0);
    std::memcpy(out.data(), compress ? "PACZ" : "PACK", 4);
    out[12] = compress ? kLzrw1Mode : 0;

    // The lookup ignores letter case, so of two such names only the first could ever be read.
    std::unordered_map<std::string, const std::string*> seen;
    for (const ArchiveInput& file : files) {
        auto [it, added] = seen.emplace(FoldArchiveName(file.name), &file.name);
        if (!added)
            throw DataError("Cannot pack \"" + Printable(file.name) + "\": it differs from \"" +
                            Printable(*it->second) + "\" only in letter case or separators");
    }

    std::vector<uint8_t> dir(files.size() * kEntrySize, 0);
    for (size_t i = 0; i < files.size(); ++i) {
        const ArchiveInput& file = files[i];
        if (file.name.empty() || file.name.size() >= kNameField || file.name.find('\0') != std::string::npos)
            throw DataError("Cannot pack \"" + Printable(file.name) + "\": an archive name has 1 to " +
                            std::to_string(kNameField - 1) + " bytes and no zero byte");
        std::vector<uint8_t> packed;
        const std::vector<uint8_t>* data = &file.bytes;
        if (compress) {
            packed = Lzrw1Compress(file.bytes);
            data = &packed;
        }
        if (out.size() + data->size() > UINT32_MAX)
            throw DataError("Cannot pack \"" + file.name + "\": the archive would exceed 4 GiB");
        uint8_t* raw = dir.data() + i * kEntrySize;
        std::memcpy(raw, file.name.data(), file.name.size());
        PutU32(raw + 120, static_cast<uint32_t>(out.size()));
        PutU32(raw + 124, static_cast<uint32_t>(data->size()));
        out.insert(out.end(), data->begin(), data->end());
    }
    if (out.size() + dir.size() > UINT32_MAX)
        throw DataError("Cannot pack: the archive would exceed 4 GiB");
    PutU32(out.data() + 4, static_cast<uint32_t>(out.size()));
    PutU32(out.data() + 8, static_cast<uint32_t>(dir.size()));
    out.insert(out.end(), dir.begin(), dir.end());
    return out;
}

void WriteArchive(const std::filesystem::path& file, const std::vector<ArchiveInput>& files, bool compress)
{
    std::vector<uint8_t> bytes = BuildArchive(files, compress);
    WriteFileAtomically(file, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()),
                        file.string());
}

} // namespace vlm::data
