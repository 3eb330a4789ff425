// Basic value types shared by the whole scene layer.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include <glm/glm.hpp>

namespace vlm::scene {

// RGBA colour, each component nominally 0..1 (not clamped on assignment;
// the renderer clamps when it draws).
using TColor = glm::vec4;

inline constexpr TColor clrWhite{1.0f, 1.0f, 1.0f, 1.0f};
inline constexpr TColor clrBlack{0.0f, 0.0f, 0.0f, 1.0f};
inline constexpr TColor clrTransparent{0.0f, 0.0f, 0.0f, 0.0f};

// A float that is clamped to 0..1 whenever it is assigned: sprite and HUD alpha.
// Setting 1.5 stores 1, setting -0.2 stores 0.  NaN stores 0.
class TAlphaChannel {
public:
    TAlphaChannel() = default;
    TAlphaChannel(float v) : mValue(Clamp(v)) {}  // NOLINT: implicit on purpose
    TAlphaChannel& operator=(float v) { mValue = Clamp(v); return *this; }
    TAlphaChannel& operator+=(float v) { mValue = Clamp(mValue + v); return *this; }
    TAlphaChannel& operator-=(float v) { mValue = Clamp(mValue - v); return *this; }
    operator float() const { return mValue; }  // NOLINT: implicit on purpose
    float Value() const { return mValue; }

private:
    static float Clamp(float v) { return v >= 1.0f ? 1.0f : (v > 0.0f ? v : 0.0f); }
    float mValue = 1.0f;
};

// Any failure of the scene layer to load a resource.  what() names the file.
class ESceneError : public std::runtime_error {
public:
    explicit ESceneError(const std::string& msg) : std::runtime_error(msg) {}
};
// An image file that is missing or cannot be decoded.
class EImageLoadError : public ESceneError {
public:
    EImageLoadError(std::string file, const std::string& reason);
    const std::string& FileName() const { return mFile; }
private:
    std::string mFile;
};
// A 3DS mesh file that is missing or broken.
class EMeshLoadError : public ESceneError {
public:
    EMeshLoadError(std::string file, const std::string& reason);
    const std::string& FileName() const { return mFile; }
private:
    std::string mFile;
};

// The game supplies how files are opened (it routes them to its data store / archive).
// Given the path exactly as the game wrote it (may contain "\"), returns the bytes, or
// std::nullopt when the file does not exist / cannot be read.
using TFileOpener = std::function<std::optional<std::vector<std::uint8_t>>(const std::string& path)>;

// The opener used by every image and mesh load of the scene layer.  By default it reads
// the file system directly, converting "\" to "/".
void SetFileOpener(TFileOpener opener);
const TFileOpener& GetFileOpener();
// The default opener (plain file system, "\" -> "/").
std::optional<std::vector<std::uint8_t>> OpenFileFromDisk(const std::string& path);

}  // namespace vlm::scene
