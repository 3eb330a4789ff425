#include "data/FileIo.h"

#include "data/Errors.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <random>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vlm::data {

namespace {

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() { Close(); }
    int Get() const { return fd_; }
    int Close()
    {
        int result = 0;
        if (fd_ >= 0)
            result = ::close(fd_);
        fd_ = -1;
        return result;
    }

private:
    int fd_;
};

std::string SystemReason(int error) { return std::strerror(error); }

} // namespace

bool IsRegularFile(const std::filesystem::path& file)
{
    std::error_code ec;
    return std::filesystem::is_regular_file(file, ec);
}

int OpenRegularFileForReading(const std::filesystem::path& file)
{
    // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer forever.
    int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return -1;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        errno = ENODEV;
        return -1;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    return fd;
}

int RemoveStaleTempFiles(const std::filesystem::path& folder, int minAgeSeconds)
{
    std::error_code ec;
    std::filesystem::directory_iterator it(folder, ec);
    if (ec)
        return 0;
    int removed = 0;
    const auto now = std::filesystem::file_time_type::clock::now();
    for (const auto& entry : it) {
        const std::string name = entry.path().filename().string();
        // ".<name>.new" followed by 1 to 6 digits, as WriteFileAtomically names its siblings.
        const size_t at = name.rfind(".new");
        if (name.size() < 2 || name[0] != '.' || at == std::string::npos || at < 2)
            continue;
        const std::string digits = name.substr(at + 4);
        if (digits.empty() || digits.size() > 6 ||
            digits.find_first_not_of("0123456789") != std::string::npos)
            continue;
        if (!entry.is_regular_file(ec) || entry.is_symlink(ec))
            continue;
        const auto written = entry.last_write_time(ec);
        if (ec || now - written < std::chrono::seconds(minAgeSeconds))
            continue;
        if (std::filesystem::remove(entry.path(), ec))
            ++removed;
    }
    return removed;
}

std::optional<std::vector<uint8_t>> ReadWholeFile(const std::filesystem::path& file)
{
    FileDescriptor fd(OpenRegularFileForReading(file));
    if (fd.Get() < 0)
        return std::nullopt;
    struct stat info {};
    if (::fstat(fd.Get(), &info) != 0)
        return std::nullopt;

    std::vector<uint8_t> bytes;
    bytes.reserve(static_cast<size_t>(info.st_size));
    uint8_t buffer[65536];
    for (;;) {
        ssize_t got = ::read(fd.Get(), buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return std::nullopt;
        }
        if (got == 0)
            break;
        bytes.insert(bytes.end(), buffer, buffer + got);
    }
    return bytes;
}

namespace {

// Writes the bytes into a new sibling of `file`, flushed to disk; returns the sibling's path.
std::filesystem::path WriteSibling(const std::filesystem::path& file, std::string_view bytes,
                                   const std::string& displayName, mode_t mode)
{
    std::random_device entropy;
    const std::filesystem::path sibling =
        file.parent_path() / ("." + file.filename().string() + ".new" + std::to_string(entropy() % 1000000));
    FileDescriptor fd(::open(sibling.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode));
    if (fd.Get() < 0)
        throw EWriteError(displayName, SystemReason(errno));
    auto fail = [&](int error) {
        fd.Close();
        ::unlink(sibling.c_str());
        throw EWriteError(displayName, SystemReason(error));
    };
    const char* data = bytes.data();
    size_t left = bytes.size();
    while (left > 0) {
        ssize_t put = ::write(fd.Get(), data, left);
        if (put < 0) {
            if (errno == EINTR)
                continue;
            fail(errno);
        }
        data += put;
        left -= static_cast<size_t>(put);
    }
    if (::fsync(fd.Get()) != 0)
        fail(errno);
    if (fd.Close() != 0) {
        int error = errno;
        ::unlink(sibling.c_str());
        throw EWriteError(displayName, SystemReason(error));
    }
    return sibling;
}

void SyncFolderOf(const std::filesystem::path& file)
{
    std::filesystem::path folder = file.parent_path().empty() ? std::filesystem::path(".") : file.parent_path();
    FileDescriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.Get() >= 0)
        ::fsync(dir.Get());
}

} // namespace

bool CreateFileAtomically(const std::filesystem::path& file, std::string_view bytes, const std::string& displayName)
{
    struct stat old {};
    if (::lstat(file.c_str(), &old) == 0)
        return false;
    const std::filesystem::path sibling = WriteSibling(file, bytes, displayName, 0666);
    // link() refuses a name that exists, so a file that appeared meanwhile is not replaced.
    if (::link(sibling.c_str(), file.c_str()) != 0) {
        const int error = errno;
        ::unlink(sibling.c_str());
        if (error == EEXIST)
            return false;
        throw EWriteError(displayName, SystemReason(error));
    }
    ::unlink(sibling.c_str());
    SyncFolderOf(file);
    return true;
}

void WriteFileAtomically(const std::filesystem::path& file, std::string_view bytes, const std::string& displayName)
{
    // Keep the permissions of the file being replaced; a new file gets the usual 0666 & ~umask.
    mode_t mode = 0666;
    struct stat old {};
    if (::stat(file.c_str(), &old) == 0) {
        if (S_ISDIR(old.st_mode))
            throw EWriteError(displayName, "it is a folder");
        mode = old.st_mode & 07777;
    }
    // A sibling in the same folder, so the rename cannot cross file systems.
    const std::filesystem::path sibling = WriteSibling(file, bytes, displayName, mode);
    if (::rename(sibling.c_str(), file.c_str()) != 0) {
        int error = errno;
        ::unlink(sibling.c_str());
        throw EWriteError(displayName, SystemReason(error));
    }
    // Make the rename itself durable.
    SyncFolderOf(file);
}

} // namespace vlm::data
