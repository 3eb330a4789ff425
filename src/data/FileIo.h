#pragma once
// Whole-file reading and atomic replacement of user files.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vlm::data {

// The bytes of a regular file, or nothing when it is missing, not a regular file or unreadable.
std::optional<std::vector<uint8_t>> ReadWholeFile(const std::filesystem::path& file);

// True for an existing regular file (or a link to one).
bool IsRegularFile(const std::filesystem::path& file);

// Opens a file for reading only when it is a regular file: a FIFO, a device or a folder is
// refused without blocking. Returns the descriptor (the caller closes it) or -1 with errno set
// (ENODEV for a file that is not a regular one).
int OpenRegularFileForReading(const std::filesystem::path& file);

// Removes the temporary siblings (".<name>.new<digits>") that WriteFileAtomically leaves when
// a write is killed half-way, if they are older than `minAgeSeconds` (a younger one may belong
// to a write in progress). Returns how many were removed; a folder that is missing is no error.
int RemoveStaleTempFiles(const std::filesystem::path& folder, int minAgeSeconds = 10);

// Replaces `file` with `bytes` atomically: the bytes go to a sibling file first, are flushed
// to disk, and the sibling is then renamed over the file. On any failure the old file is
// left as it was, the sibling is removed and EWriteError names `displayName`.
void WriteFileAtomically(const std::filesystem::path& file, std::string_view bytes, const std::string& displayName);

// As WriteFileAtomically, but never over an existing file: the complete file appears under its
// name or nothing does. Returns false (and writes nothing) when the name is taken; throws
// EWriteError naming `displayName` on any other failure.
bool CreateFileAtomically(const std::filesystem::path& file, std::string_view bytes, const std::string& displayName);

} // namespace vlm::data
