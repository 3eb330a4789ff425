#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>

#include <SDL.h>
#include <jpeglib.h>

#include "scene/Material.h"
#include "scene/Objects.h"

using namespace vlm::scene;

namespace {

// Files served from memory through the scene's file opener.
class MemoryFiles : public ::testing::Test {
protected:
    std::map<std::string, std::vector<std::uint8_t>> files;
    void SetUp() override {
        SetFileOpener([this](const std::string& path) -> std::optional<std::vector<std::uint8_t>> {
            auto it = files.find(path);
            if (it == files.end()) return std::nullopt;
            return it->second;
        });
    }
    void TearDown() override { SetFileOpener(nullptr); }
};

// 2 x 1 image: a pure black pixel and a grey one (r, g, b) = (30, 60, 90).
TRGBAImage BlackAndGrey() {
    TRGBAImage img;
    img.Width = 2;
    img.Height = 1;
    img.Pixels = {0, 0, 0, 200, 30, 60, 90, 200};
    return img;
}

std::vector<std::uint8_t> MakeBmp(int w, int h, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, w, h, 24, SDL_PIXELFORMAT_RGB24);
    SDL_FillRect(s, nullptr, SDL_MapRGB(s->format, r, g, b));
    std::vector<std::uint8_t> out(static_cast<size_t>(w * h * 4 + 1024));
    SDL_RWops* rw = SDL_RWFromMem(out.data(), static_cast<int>(out.size()));
    SDL_SaveBMP_RW(s, rw, 0);
    out.resize(static_cast<size_t>(SDL_RWtell(rw)));
    SDL_RWclose(rw);
    SDL_FreeSurface(s);
    return out;
}

std::vector<std::uint8_t> MakeJpeg(int w, int h, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* mem = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &mem, &size);
    c.image_width = static_cast<JDIMENSION>(w);
    c.image_height = static_cast<JDIMENSION>(h);
    c.input_components = 3;
    c.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 100, TRUE);
    jpeg_start_compress(&c, TRUE);
    std::vector<std::uint8_t> row(static_cast<size_t>(w) * 3);
    for (int x = 0; x < w; ++x) {
        row[x * 3] = r;
        row[x * 3 + 1] = g;
        row[x * 3 + 2] = b;
    }
    while (c.next_scanline < c.image_height) {
        JSAMPROW rp = row.data();
        jpeg_write_scanlines(&c, &rp, 1);
    }
    jpeg_finish_compress(&c);
    std::vector<std::uint8_t> out(mem, mem + size);
    jpeg_destroy_compress(&c);
    std::free(mem);
    return out;
}

}  // namespace

TEST(ImageAlpha, ModesSetAlphaFromTheRightSource) {
    struct Case {
        TGLTextureImageAlpha mode;
        std::uint8_t blackAlpha;
        std::uint8_t greyAlpha;
    };
    const Case cases[] = {
        {TGLTextureImageAlpha::Default, 200, 200},
        {TGLTextureImageAlpha::SuperBlackTransparent, 0, 200},
        {TGLTextureImageAlpha::AlphaFromIntensity, 0, 60},
        {TGLTextureImageAlpha::Opaque, 255, 255},
    };
    for (const Case& c : cases) {
        TGLTexture tex;
        tex.SetImage(BlackAndGrey());
        tex.ImageAlpha = c.mode;
        const TGLImage* img = tex.Image();
        ASSERT_NE(img, nullptr);
        EXPECT_EQ(img->Data.Pixels[3], c.blackAlpha) << "mode " << int(c.mode);
        EXPECT_EQ(img->Data.Pixels[7], c.greyAlpha) << "mode " << int(c.mode);
        EXPECT_EQ(img->Data.Pixels[4], 30) << "colours untouched";
    }
}

TEST(ImageProcessing, PixelsLetGoAfterUploadComeBackUnderTheSameId) {
    TGLTexture tex;
    tex.SetImage(BlackAndGrey());
    tex.ImageBrightness = 2.0f;
    const std::vector<std::uint8_t> pixels = tex.Image()->Data.Pixels;
    const std::uint64_t id = tex.Image()->Id;
    TGLTexture copy = tex;  // shares the processed image
    tex.ReleaseImagePixels();
    const TGLImage* bare = tex.Image(false);
    ASSERT_NE(bare, nullptr);
    EXPECT_TRUE(bare->Data.Pixels.empty());
    EXPECT_EQ(bare->Id, id);
    EXPECT_EQ(bare->Data.Width, 2);
    EXPECT_EQ(bare->Data.Height, 1);
    EXPECT_EQ(copy.Image(false)->Data.Pixels, pixels) << "a copy keeps its pixels until it lets them go";
    const TGLImage* again = tex.Image();
    EXPECT_EQ(again->Id, id) << "the same picture, so the renderer's copy stays valid";
    EXPECT_EQ(again->Data.Pixels, pixels);
    tex.ReleaseImagePixels();
    tex.ImageBrightness = 1.0f;
    EXPECT_NE(tex.Image(false)->Id, id) << "new settings make a new picture, pixels and all";
    EXPECT_EQ(tex.Image(false)->Data.Pixels.size(), 8u);
}

TEST(ImageProcessing, BrightnessThenGammaAndAFreshImageIdWhenSettingsChange) {
    TGLTexture tex;
    tex.SetImage(BlackAndGrey());
    const TGLImage* a = tex.Image();
    const std::uint64_t firstId = a->Id;
    EXPECT_EQ(tex.Image()->Id, firstId) << "unchanged settings reuse the processed image";
    tex.ImageBrightness = 2.0f;
    const TGLImage* b = tex.Image();
    EXPECT_NE(b->Id, firstId);
    EXPECT_EQ(b->Data.Pixels[4], 60);
    EXPECT_EQ(b->Data.Pixels[6], 180);
    tex.ImageBrightness = 4.0f;
    EXPECT_EQ(tex.Image()->Data.Pixels[6], 255) << "clamped";
    tex.ImageBrightness = 1.0f;
    tex.ImageGamma = 2.0f;
    // 255 * (60 / 255) ^ 0.5 = 123.7
    EXPECT_EQ(tex.Image()->Data.Pixels[5], 124);
    EXPECT_EQ(tex.SourceImage()->Pixels[5], 60) << "the source stays as decoded";
}

TEST_F(MemoryFiles, APictureFromAFileIsReadAgainWhenItsPixelsAreNeededAfterRelease) {
    files["Data\\Textures\\a.bmp"] = MakeBmp(3, 2, 10, 20, 30);
    TGLTexture tex;
    tex.LoadFromFile("Data\\Textures\\a.bmp");
    const std::uint64_t id = tex.Image()->Id;
    tex.ReleaseImagePixels();
    EXPECT_EQ(tex.ImageWidth(), 3) << "the size stays known";
    EXPECT_EQ(tex.ImageHeight(), 2);
    const TGLImage* again = tex.Image();
    EXPECT_EQ(again->Id, id);
    ASSERT_EQ(again->Data.Pixels.size(), 3u * 2u * 4u);
    EXPECT_EQ(again->Data.Pixel(2, 1)[1], 20);
    // New settings read the file again too.
    tex.ReleaseImagePixels();
    tex.ImageBrightness = 2.0f;
    EXPECT_EQ(tex.Image()->Data.Pixel(2, 1)[1], 40);
    EXPECT_EQ(tex.SourceImage()->Pixel(2, 1)[1], 20);
    // A file gone since: the picture stays without pixels rather than failing the frame.
    tex.ReleaseImagePixels();
    files.clear();
    tex.ImageBrightness = 1.0f;
    const TGLImage* gone = tex.Image();
    ASSERT_NE(gone, nullptr);
    EXPECT_TRUE(gone->Data.Pixels.empty());
}

TEST_F(MemoryFiles, APictureLoadedFromAFileIsDecodedOnlyWhenItsPixelsAreAskedFor) {
    files["Data\\Textures\\a.bmp"] = MakeBmp(3, 2, 10, 20, 30);
    files["Data\\Textures\\b.jpg"] = MakeJpeg(40, 24, 200, 100, 50);
    for (const char* name : {"Data\\Textures\\a.bmp", "Data\\Textures\\b.jpg"}) {
        SCOPED_TRACE(name);
        const TRGBAImage direct = DecodeImage(files[name], name);
        TGLTexture tex;
        tex.LoadFromFile(name);
        EXPECT_EQ(tex.ImageWidth(), direct.Width) << "the size is known at once";
        EXPECT_EQ(tex.ImageHeight(), direct.Height);
        TGLTexture copy = tex;  // shares the source, as layer sprites of one picture do
        const TGLImage* bare = tex.Image(false);
        ASSERT_NE(bare, nullptr);
        EXPECT_TRUE(bare->Data.Pixels.empty()) << "nothing decoded for asking the size";
        EXPECT_EQ(bare->Data.Width, direct.Width);
        const std::uint64_t id = bare->Id;
        const TGLImage* full = tex.Image(true);
        EXPECT_EQ(full->Id, id) << "the renderer uploads under the id it was first shown";
        EXPECT_EQ(full->Data.Pixels, direct.Pixels) << "decoded late, the same pixels";
        EXPECT_EQ(copy.SourceImage()->Pixels, direct.Pixels);
        // Decoding late does not mean checking late: a damaged file is refused when loaded.
        files[name] = {'B', 'M', 1};
        TGLTexture late;
        late.SetImage(BlackAndGrey(), "old");
        EXPECT_THROW(late.LoadFromFile(name), EImageLoadError) << "checked whole when loaded";
        EXPECT_EQ(late.FileName(), "old");
    }
}

// Checking a file finds what decoding it finds, without keeping pixels.
TEST(ImageCheck, FindsWhatDecodingFinds) {
    std::vector<std::uint8_t> jpeg = MakeJpeg(64, 48, 10, 200, 30);
    std::vector<std::uint8_t> cut(jpeg.begin(), jpeg.begin() + static_cast<long>(jpeg.size() / 2));
    std::vector<std::uint8_t> noHeader(jpeg.begin(), jpeg.begin() + 40);
    const std::vector<std::uint8_t> bmp = MakeBmp(5, 3, 1, 2, 3);
    const std::vector<std::uint8_t> cutBmp(bmp.begin(), bmp.end() - 7);
    const std::vector<std::vector<std::uint8_t>> cases = {jpeg, cut, noHeader, bmp, cutBmp,
                                                          {'B', 'M', 1, 2, 3}, {0xFF, 0xD8, 0xFF}, {}};
    for (size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(i);
        bool decodes = true, checks = true;
        TRGBAImage decoded, checked;
        try {
            decoded = DecodeImage(cases[i], "x.jpg");
        } catch (const EImageLoadError&) {
            decodes = false;
        }
        try {
            checked = CheckImage(cases[i], "x.jpg");
        } catch (const EImageLoadError& e) {
            checks = false;
            EXPECT_EQ(e.FileName(), "x.jpg");
        }
        EXPECT_EQ(checks, decodes);
        if (!decodes) continue;
        EXPECT_EQ(checked.Width, decoded.Width);
        EXPECT_EQ(checked.Height, decoded.Height);
        EXPECT_TRUE(checked.Pixels.empty());
    }
}

TEST_F(MemoryFiles, DecodesBmpAndJpeg) {
    files["Data\\Textures\\a.bmp"] = MakeBmp(3, 2, 10, 20, 30);
    files["Data\\Textures\\b.jpg"] = MakeJpeg(16, 8, 200, 100, 50);
    TGLTexture bmp, jpg;
    bmp.LoadFromFile("Data\\Textures\\a.bmp");
    jpg.LoadFromFile("Data\\Textures\\b.jpg");
    ASSERT_EQ(bmp.ImageWidth(), 3);
    ASSERT_EQ(bmp.ImageHeight(), 2);
    const std::uint8_t* p = bmp.SourceImage()->Pixel(2, 1);
    EXPECT_EQ(p[0], 10);
    EXPECT_EQ(p[1], 20);
    EXPECT_EQ(p[2], 30);
    EXPECT_EQ(p[3], 255);
    ASSERT_EQ(jpg.ImageWidth(), 16);
    const std::uint8_t* q = jpg.SourceImage()->Pixel(5, 5);
    EXPECT_NEAR(q[0], 200, 3);
    EXPECT_NEAR(q[1], 100, 3);
    EXPECT_NEAR(q[2], 50, 3);
    EXPECT_FALSE(jpg.Disabled) << "loading enables the texture";
}

TEST_F(MemoryFiles, BadImagesGiveAnErrorNamingTheFile) {
    auto jpeg = MakeJpeg(16, 16, 1, 2, 3);
    jpeg.resize(jpeg.size() / 3);
    files["cut.jpg"] = jpeg;
    files["junk.bmp"] = {'B', 'M', 1, 2, 3};
    files["text.jpg"] = {'h', 'e', 'l', 'l', 'o'};
    files["empty.jpg"] = {};
    for (const char* name : {"missing.jpg", "cut.jpg", "junk.bmp", "text.jpg", "empty.jpg"}) {
        TGLTexture tex;
        tex.SetImage(BlackAndGrey(), "old");
        try {
            tex.LoadFromFile(name);
            // A truncated JPEG may still decode (libjpeg pads it); that is fine if it is whole.
            EXPECT_STREQ(name, "cut.jpg");
            EXPECT_EQ(tex.ImageWidth(), 16);
        } catch (const EImageLoadError& e) {
            EXPECT_EQ(e.FileName(), name);
            EXPECT_NE(std::string(e.what()).find(name), std::string::npos);
            EXPECT_EQ(tex.FileName(), "old") << "the previous image is kept";
        }
    }
}

TEST_F(MemoryFiles, LibraryFindsTexturesThroughItsPaths) {
    files["Data\\Models\\tex\\hull.bmp"] = MakeBmp(2, 2, 1, 2, 3);
    TGLMaterialLibrary lib("LevelTexturesLibraryPath");
    lib.TexturePaths = "Data\\Nowhere;Data\\Models\\tex";
    TGLLibMaterial* m = lib.AddTextureMaterial("hull", "hull.bmp");
    EXPECT_EQ(m->Material.Texture.FileName(), "Data\\Models\\tex\\hull.bmp");
    EXPECT_THROW(lib.LoadTexture("nothing", "hull.bmp"), ESceneError);
    EXPECT_THROW(lib.LoadTexture("hull", "gone.bmp"), EImageLoadError);
}

TEST(Material, LibraryReferenceRebindsWhenTheNameChanges) {
    TGLMaterialLibrary lib("InterFaceLibrary");
    lib.AddTextureMaterial("MM_StartGame")->Material.FrontProperties.Diffuse = {1, 0, 0, 1};
    TGLSprite button;
    button.Material.FrontProperties.Diffuse = {0, 0, 1, 1};
    button.Material.SetLibMaterial(&lib, "MM_StartGame");
    EXPECT_EQ(button.Material.Effective().FrontProperties.Diffuse, TColor(1, 0, 0, 1));
    button.Material.SetLibMaterialName("MM_StartGameLighted");
    EXPECT_EQ(button.Material.LibMaterial(), nullptr) << "not in the library yet: own properties";
    EXPECT_EQ(button.Material.Effective().FrontProperties.Diffuse, TColor(0, 0, 1, 1));
    lib.AddTextureMaterial("MM_StartGameLighted")->Material.FrontProperties.Diffuse = {0, 1, 0, 1};
    EXPECT_EQ(button.Material.Effective().FrontProperties.Diffuse, TColor(0, 1, 0, 1)) << "binds once it exists";
    button.Material.SetLibMaterialName("MM_StartGame");
    EXPECT_EQ(button.Material.GetLibMaterialName(), "MM_StartGame");
    EXPECT_EQ(button.Material.LibMaterial(), lib.LibMaterialByName("MM_StartGame"));
}

TEST(Material, OwnCopyIsIndependentButSharesPixels) {
    TGLMaterialLibrary lib;
    TGLLibMaterial* fill = lib.AddTextureMaterial("IndicatorFill2.bmp");
    fill->Material.Texture.SetImage(BlackAndGrey(), "IndicatorFill2.bmp");
    ASSERT_NE(fill->Material.Texture.Image(), nullptr);  // processed once, then shared by copies
    TGLSprite bar;
    bar.Material.AssignFromLibMaterial(*fill);
    bar.Material.FrontProperties.Diffuse.a = 0.0f;
    EXPECT_EQ(bar.Material.LibMaterial(), nullptr);
    EXPECT_FLOAT_EQ(fill->Material.FrontProperties.Diffuse.a, 1.0f);
    EXPECT_EQ(bar.Material.Effective().Texture.Image()->Id, fill->Material.Texture.Image()->Id);
    bar.Material.Texture.ImageAlpha = TGLTextureImageAlpha::Opaque;
    EXPECT_NE(bar.Material.Effective().Texture.Image()->Id, fill->Material.Texture.Image()->Id);
}
