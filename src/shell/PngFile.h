#pragma once
// Writes pictures of the game as PNG files (the captures of scripted runs).
#include <filesystem>

#include "scene/Image.h"

namespace vlm::shell {

// Encodes img (RGBA, rows from the top) as an 8-bit RGB PNG: same pixels, same bytes, on every
// machine. The file is written to a temporary name and renamed, so a reader never sees half of it.
// False when img is empty or the file cannot be written.
bool SavePng(const scene::TRGBAImage& img, const std::filesystem::path& file);

}  // namespace vlm::shell
