// The review commands: the contact sheet of an archive's pictures and the audio render.
#include "Review.h"
#include "Tool.h"

#include "data/Archive.h"
#include "data/TempFolder.h"
#include "sound/SoundNames.h"
#include "sound/WaveFile.h"

#include <cairo.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <set>
#include <sstream>

namespace vlm::tool {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using vlm::testing::Bytes;
using vlm::testing::ReadFile;
using vlm::testing::TempFolder;

// A 24-bit BMP of one colour.
std::vector<uint8_t> SolidBmp(int width, int height, uint8_t r, uint8_t g, uint8_t b)
{
    const int stride = (width * 3 + 3) & ~3;
    const uint32_t pixels = uint32_t(stride * height), size = 54 + pixels;
    std::vector<uint8_t> bmp(size, 0);
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            bmp[at + i] = uint8_t(v >> (8 * i));
    };
    bmp[0] = 'B';
    bmp[1] = 'M';
    put32(2, size);
    put32(10, 54);
    put32(14, 40);
    put32(18, uint32_t(width));
    put32(22, uint32_t(height));
    bmp[26] = 1;
    bmp[28] = 24;
    put32(34, pixels);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t* p = &bmp[54 + size_t(y) * stride + size_t(x) * 3];
            p[0] = b;
            p[1] = g;
            p[2] = r;
        }
    return bmp;
}

fs::path BuiltArchive()
{
    const char* build = std::getenv("VLM_BUILD_DIR");
    return fs::path(build ? build : VLM_BUILD_DIR_DEFAULT) / "original.vlm";
}

class ReviewTest : public ::testing::Test {
protected:
    fs::path Archive(const std::vector<data::ArchiveInput>& files)
    {
        const fs::path path = temp / "review.vlm";
        data::WriteArchive(path, files, false);
        return path;
    }
    int Run(std::vector<std::string> args)
    {
        out.str("");
        err.str("");
        return RunTool(args, out, err);
    }

    TempFolder temp;
    std::ostringstream out, err;
};

TEST_F(ReviewTest, SheetShowsEveryPictureByFolderAndMarksTheDamagedOnes)
{
    const fs::path archive = Archive({
        {"Data/Textures/Sky/Red.bmp", SolidBmp(64, 48, 255, 0, 0)},
        {"Data/Textures/Enemies/Wide.bmp", SolidBmp(2000, 40, 0, 255, 0)},  // scaled down, kept whole
        {"Data/Textures/Enemies/broken.jpg", Bytes("\xFF\xD8\xFF\xE0 not really a jpeg")},
        {"Data/t_data/levels/1.ini", Bytes("[MAIN]\r\n")},
    });
    const std::vector<SheetItem> items = WriteContactSheet(archive, temp / "sheet.png", out, err);

    ASSERT_EQ(items.size(), 3u) << "pictures only, the damaged one included";
    EXPECT_EQ(items[0].name, "Data/Textures/Enemies/broken.jpg");
    EXPECT_EQ(items[1].name, "Data/Textures/Enemies/Wide.bmp");
    EXPECT_EQ(items[2].folder, "Data/Textures/Sky");
    EXPECT_EQ(items[0].width, 0);
    EXPECT_EQ(items[1].width, 2000);
    EXPECT_EQ(items[2].height, 48);
    EXPECT_THAT(err.str(), HasSubstr("broken.jpg"));

    // The sheet is a real PNG on the dark palette with the pictures on it.
    cairo_surface_t* png = cairo_image_surface_create_from_png((temp / "sheet.png").c_str());
    ASSERT_EQ(cairo_surface_status(png), CAIRO_STATUS_SUCCESS);
    const int w = cairo_image_surface_get_width(png), h = cairo_image_surface_get_height(png);
    const int stride = cairo_image_surface_get_stride(png);
    const unsigned char* data = cairo_image_surface_get_data(png);
    size_t red = 0, green = 0, bright = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint32_t p = *reinterpret_cast<const uint32_t*>(data + size_t(y) * stride + size_t(x) * 4);
            const int r = (p >> 16) & 0xff, g = (p >> 8) & 0xff, b = p & 0xff;
            red += r > 240 && g < 15 && b < 15;
            green += g > 240 && r < 15 && b < 15;
            bright += r + g + b > 600;
        }
    cairo_surface_destroy(png);
    EXPECT_EQ(red, 64u * 48u) << "the small picture is drawn at its own size";
    EXPECT_GT(green, 100u) << "the wide picture is drawn";
    EXPECT_LT(bright, size_t(w) * h / 20) << "the sheet is dark";
}

TEST_F(ReviewTest, CommandsFailClearlyAndWriteNothing)
{
    const fs::path noPictures = Archive({{"Data/t_data/levels/1.ini", Bytes("[MAIN]\r\n")}});
    struct Case {
        std::vector<std::string> args;
        int status;
        const char* message;
        const char* written;
    };
    const Case cases[] = {
        {{"contact-sheet", noPictures.string(), (temp / "s.png").string()}, 1, "no JPEG or BMP", "s.png"},
        {{"contact-sheet", (temp / "missing.vlm").string(), (temp / "s.png").string()}, 1, "missing.vlm", "s.png"},
        {{"render-audio", noPictures.string(), (temp / "audio").string()}, 1, "sound\\snd.tor", "audio"},
        {{"contact-sheet", noPictures.string()}, 2, "contact-sheet needs", "s.png"},
        {{"render-audio", noPictures.string()}, 2, "render-audio needs", "audio"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Run(c.args), c.status) << c.args[0] << " " << c.args[1];
        EXPECT_THAT(err.str(), HasSubstr(c.message));
        EXPECT_FALSE(fs::exists(temp / c.written));
    }
}

TEST_F(ReviewTest, AudioRenderWritesEveryEffectAndEveryTuneOfTheBuiltGame)
{
    ASSERT_TRUE(fs::exists(BuiltArchive())) << BuiltArchive() << " has not been built";
    const std::vector<RenderedAudio> files = RenderAudio(BuiltArchive(), temp / "audio", out, err);
    EXPECT_EQ(err.str(), "");

    std::set<std::string> effects;
    std::set<int> tuneStarts;
    for (const RenderedAudio& file : files) {
        sound::Wave wave;
        std::string problem;
        const std::string bytes = ReadFile(file.file);
        ASSERT_TRUE(sound::DecodeWave(Bytes(bytes), wave, problem)) << file.file << ": " << problem;
        EXPECT_NEAR(double(wave.Frames()) / wave.sampleRate, file.seconds, 1e-6) << file.file;
        if (file.firstOrder < 0) {
            effects.insert(file.file.stem().string());
            continue;
        }
        tuneStarts.insert(file.firstOrder);
        EXPECT_TRUE(file.loopedBack) << file.file;
        EXPECT_EQ(wave.channels, 2);
        EXPECT_EQ(wave.sampleRate, 44100u);
        // A whole pass of music, not silence: the middle second carries sound.
        const size_t middle = wave.Frames() / 2 * 2;
        double energy = 0;
        for (size_t i = middle; i < middle + 88200 && i < wave.samples.size(); ++i)
            energy += double(wave.samples[i]) * wave.samples[i];
        EXPECT_GT(std::sqrt(energy / 88200), 0.01) << file.file;
        EXPECT_GT(file.seconds, 10.0) << file.file;
        EXPECT_LT(file.seconds, kMaxTuneSeconds) << file.file;
    }
    for (std::string_view name : sound::kSoundNames)
        EXPECT_TRUE(effects.count(std::string(name))) << name;
    // Order 0 is the cut-scene theme, order 1 the menu theme: both start a tune of their own.
    EXPECT_TRUE(tuneStarts.count(0));
    EXPECT_TRUE(tuneStarts.count(1));
}

} // namespace
} // namespace vlm::tool
