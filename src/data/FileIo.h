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

// Replaces `file` with `bytes` atomically: the bytes go to a sibling file first, are flushed
// to disk, and the sibling is then renamed over the file. On any failure the old file is
// left as it was, the sibling is removed and EWriteError names `displayName`.
void WriteFileAtomically(const std::filesystem::path& file, std::string_view bytes, const std::string& displayName);

} // namespace vlm::data
