// Checks what the art forge made against its manifest: every file exists, decodes with the
// loaders the game uses (libjpeg, SDL_LoadBMP, the 3DS reader), has the promised size and frames, and
// a second run writes identical bytes.
#include "forge/Manifest.h"

#include <SDL.h>
#include <gtest/gtest.h>
#include "scene/Mesh.h"
#include "scene/SceneTypes.h"

#include <csetjmp>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <jpeglib.h>
#include <set>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using vlm::forge::AssetKind;
using vlm::forge::AssetSpec;
using vlm::forge::DiskPath;
using vlm::forge::Manifest;

namespace {

struct Decoded {
    bool ok = false;
    int w = 0, h = 0, channels = 0;
    std::vector<uint8_t> rgba;  // 4 bytes a pixel
    std::string error;
};

struct JpegErr {
    jpeg_error_mgr mgr;
    std::jmp_buf jump;
};

Decoded decodeJpeg(const fs::path& p) {
    Decoded d;
    FILE* f = std::fopen(p.string().c_str(), "rb");
    if (!f) {
        d.error = "cannot open";
        return d;
    }
    jpeg_decompress_struct ci;
    JpegErr err;
    ci.err = jpeg_std_error(&err.mgr);
    err.mgr.error_exit = [](j_common_ptr c) { std::longjmp(reinterpret_cast<JpegErr*>(c->err)->jump, 1); };
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&ci);
        std::fclose(f);
        d.ok = false;
        d.error = "libjpeg rejected it";
        return d;
    }
    jpeg_create_decompress(&ci);
    jpeg_stdio_src(&ci, f);
    jpeg_read_header(&ci, TRUE);
    ci.out_color_space = JCS_RGB;
    jpeg_start_decompress(&ci);
    d.w = static_cast<int>(ci.output_width);
    d.h = static_cast<int>(ci.output_height);
    d.channels = ci.output_components;
    std::vector<uint8_t> row(static_cast<size_t>(d.w) * 3);
    d.rgba.reserve(static_cast<size_t>(d.w) * d.h * 4);
    while (ci.output_scanline < ci.output_height) {
        JSAMPROW rp = row.data();
        jpeg_read_scanlines(&ci, &rp, 1);
        for (int x = 0; x < d.w; ++x) {
            d.rgba.insert(d.rgba.end(), {row[x * 3], row[x * 3 + 1], row[x * 3 + 2], 255});
        }
    }
    jpeg_finish_decompress(&ci);
    jpeg_destroy_decompress(&ci);
    std::fclose(f);
    d.ok = true;
    return d;
}

Decoded decodeBmp(const fs::path& p, bool* hasAlpha) {
    Decoded d;
    SDL_Surface* s = SDL_LoadBMP(p.string().c_str());
    if (!s) {
        d.error = SDL_GetError();
        return d;
    }
    *hasAlpha = s->format->Amask != 0;
    SDL_Surface* c = SDL_ConvertSurfaceFormat(s, SDL_PIXELFORMAT_RGBA32, 0);
    SDL_FreeSurface(s);
    if (!c) {
        d.error = SDL_GetError();
        return d;
    }
    d.w = c->w;
    d.h = c->h;
    d.channels = 4;
    d.rgba.resize(static_cast<size_t>(d.w) * d.h * 4);
    for (int y = 0; y < d.h; ++y)
        std::memcpy(&d.rgba[static_cast<size_t>(y) * d.w * 4], static_cast<uint8_t*>(c->pixels) + y * c->pitch,
                    static_cast<size_t>(d.w) * 4);
    SDL_FreeSurface(c);
    d.ok = true;
    return d;
}

std::string readBytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct MeshStats {
    bool ok = false;
    size_t triangles = 0;
    double area = 0;
    std::string problem;
};

MeshStats readMesh(const fs::path& p) {
    MeshStats st;
    const std::string raw = readBytes(p);
    vlm::scene::TMeshData mesh;
    try {
        mesh = vlm::scene::Parse3DS(std::vector<uint8_t>(raw.begin(), raw.end()), p.string());
    } catch (const vlm::scene::EMeshLoadError& e) {
        st.problem = e.what();
        return st;
    }
    std::set<std::string> materials;
    for (const vlm::scene::TMeshMaterial& m : mesh.Materials) {
        materials.insert(m.Name);
        if (m.TextureFile.empty()) st.problem = "material " + m.Name + " has no texture";
    }
    for (const vlm::scene::TMeshFaceGroup& g : mesh.Groups) {
        if (!materials.count(g.MaterialName)) st.problem = "faces without a known material: \"" + g.MaterialName + "\"";
        for (size_t i = 0; i + 2 < g.Indices.size(); i += 3) {
            const glm::vec3 a = mesh.Vertices[g.Indices[i + 1]] - mesh.Vertices[g.Indices[i]];
            const glm::vec3 b = mesh.Vertices[g.Indices[i + 2]] - mesh.Vertices[g.Indices[i]];
            st.area += 0.5 * static_cast<double>(glm::length(glm::cross(a, b)));
            ++st.triangles;
        }
    }
    st.ok = st.problem.empty() && st.triangles > 0;
    if (st.triangles == 0 && st.problem.empty()) st.problem = "no triangles";
    return st;
}

double meanLuma(const Decoded& d) {
    double sum = 0;
    for (size_t i = 0; i < d.rgba.size(); i += 4) sum += 0.299 * d.rgba[i] + 0.587 * d.rgba[i + 1] + 0.114 * d.rgba[i + 2];
    return sum / (d.rgba.size() / 4);
}

// The files the build's forge run wrote into the content folder.
class ForgeContent : public ::testing::Test {
protected:
    static fs::path file(const AssetSpec& a) { return fs::path(VLM_FORGE_CONTENT_DIR) / DiskPath(a.path); }
};

const AssetSpec& asset(const std::string& path) {
    const AssetSpec* a = vlm::forge::FindAsset(path);
    if (!a) throw std::runtime_error("not in the manifest: " + path);
    return *a;
}

}  // namespace

TEST(ForgeManifest, PathsAreGamePathsWithMatchingKinds) {
    std::set<std::string> seen;
    for (const AssetSpec& a : Manifest()) {
        SCOPED_TRACE(a.path);
        EXPECT_TRUE(seen.insert(a.path).second) << "listed twice";
        EXPECT_EQ(a.path.rfind("Data\\", 0), 0u);
        EXPECT_EQ(a.path.find('/'), std::string::npos);
        std::string ext = a.path.substr(a.path.rfind('.') + 1);
        AssetKind want = ext == "jpg" ? AssetKind::Jpeg : ext == "bmp" ? AssetKind::Bmp : AssetKind::Mesh;
        EXPECT_TRUE(ext == "jpg" || ext == "bmp" || ext == "3ds" || ext == "3DS");
        EXPECT_EQ(a.kind, want);
        if (a.frames > 0) {
            ASSERT_GT(a.frameWidth, 0);
            ASSERT_GT(a.frameHeight, 0);
            EXPECT_EQ(a.width % a.frameWidth, 0);
            EXPECT_EQ(a.height % a.frameHeight, 0);
            EXPECT_GE((a.width / a.frameWidth) * (a.height / a.frameHeight), a.frames);
        }
    }
    EXPECT_EQ(DiskPath("Data\\Textures\\InterFace\\main\\StartGame.jpg"), "Data/Textures/InterFace/main/StartGame.jpg");
}

TEST(ForgeManifest, PromisedSheetsAndNames) {
    struct Case {
        std::string path;
        int fw, fh, frames;
    };
    std::vector<Case> cases = {{"Data\\Textures\\InterFace\\font.bmp", 64, 64, 52}};
    for (int i = 1; i <= 3; ++i) cases.push_back({"Data\\Textures\\Fx\\exp" + std::to_string(i) + ".jpg", 240, 180, 16});
    for (int i = 1; i <= 12; ++i) cases.push_back({"Data\\Textures\\Bonuses\\bonus" + std::to_string(i) + ".bmp", 50, 50, 11});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const AssetSpec& a = asset(c.path);
        EXPECT_EQ(a.frameWidth, c.fw);
        EXPECT_EQ(a.frameHeight, c.fh);
        EXPECT_EQ(a.frames, c.frames);
    }
    for (const char* p : {"Data\\Textures\\InterFace\\main\\StartGame.jpg", "Data\\Textures\\InterFace\\main\\StartGame_lighted.jpg",
                          "Data\\Textures\\InterFace\\CursorImage.bmp", "Data\\Models\\Player\\1Player4.3DS",
                          "Data\\Models\\Player\\pw12.3ds", "Data\\Models\\Player\\abv8.3ds",
                          "Data\\Textures\\Enemies\\EnemyRedStatus.jpg", "Data\\Textures\\Bonuses\\bonus11border.bmp",
                          "Data\\Textures\\InterFace\\shop\\ShopBonusIcon1_3.bmp", "Data\\Textures\\InterFace\\pause\\Noise1.jpg"})
        EXPECT_NE(vlm::forge::FindAsset(p), nullptr) << p;
    EXPECT_GE(vlm::forge::EnemyLooks().size(), 12u);
}

TEST_F(ForgeContent, EveryAssetDecodesWithThePromisedSize) {
    for (const AssetSpec& a : Manifest()) {
        SCOPED_TRACE(a.path);
        fs::path p = file(a);
        ASSERT_TRUE(fs::exists(p));
        if (a.kind == AssetKind::Mesh) {
            MeshStats m = readMesh(p);
            EXPECT_TRUE(m.ok) << m.problem;
            continue;
        }
        bool alpha = false;
        Decoded d = a.kind == AssetKind::Jpeg ? decodeJpeg(p) : decodeBmp(p, &alpha);
        ASSERT_TRUE(d.ok) << d.error;
        EXPECT_EQ(d.w, a.width);
        EXPECT_EQ(d.h, a.height);
        if (a.kind == AssetKind::Bmp) {
            EXPECT_EQ(alpha, a.alpha);
        }
    }
}

// A fresh run into an empty folder repeats the build's files byte for byte (the forge is
// seeded) and writes nothing that is not in the manifest.
TEST(ForgeRun, ASecondRunWritesTheSameBytesAndNothingElse) {
    fs::path dir = fs::temp_directory_path() / ("vlm_forge_test_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    std::string cmd = std::string("\"") + VLM_FORGE_EXE + "\" \"" + dir.string() + "\" > /dev/null";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    std::set<std::string> expected;
    for (const AssetSpec& a : Manifest()) {
        expected.insert(DiskPath(a.path));
        EXPECT_EQ(readBytes(dir / DiskPath(a.path)), readBytes(fs::path(VLM_FORGE_CONTENT_DIR) / DiskPath(a.path)))
            << a.path;
    }
    std::set<std::string> written;
    for (const auto& e : fs::recursive_directory_iterator(dir))
        if (e.is_regular_file()) written.insert(fs::relative(e.path(), dir).generic_string());
    EXPECT_EQ(written, expected);
    fs::remove_all(dir);
}

TEST(ForgeRun, RefusesAMissingOutputFolderArgument) {
    std::string cmd = std::string("\"") + VLM_FORGE_EXE + "\" 2> /dev/null";
    EXPECT_NE(std::system(cmd.c_str()), 0);
}

TEST_F(ForgeContent, FontCellsHoldDistinctGlyphsAndABlank) {
    const AssetSpec& a = asset("Data\\Textures\\InterFace\\font.bmp");
    bool alpha = false;
    Decoded d = decodeBmp(file(a), &alpha);
    ASSERT_TRUE(d.ok);
    int cols = d.w / 64;
    std::set<std::string> cells;
    for (int g = 0; g < 52; ++g) {
        std::string cell;
        int opaque = 0;
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x) {
                size_t i = ((static_cast<size_t>(g / cols) * 64 + y) * d.w + (g % cols) * 64 + x) * 4;
                cell.push_back(static_cast<char>(d.rgba[i + 3]));
                if (d.rgba[i + 3] > 128 && d.rgba[i] > 200) ++opaque;  // white glyph body
            }
        if (g == 51) {
            EXPECT_EQ(opaque, 0) << "the blank glyph must be empty";
        } else {
            EXPECT_GT(opaque, 20) << "glyph " << g << " is empty";
            EXPECT_TRUE(cells.insert(cell).second) << "glyph " << g << " repeats another";
        }
    }
}

TEST_F(ForgeContent, LightedButtonsAreClearlyBrighter) {
    for (const auto& w : vlm::forge::ButtonWords()) {
        SCOPED_TRACE(w.stem);
        std::string dir = "Data\\Textures\\InterFace\\main\\";
        Decoded normal = decodeJpeg(file(asset(dir + w.stem + ".jpg")));
        Decoded lit = decodeJpeg(file(asset(dir + w.stem + "_lighted.jpg")));
        ASSERT_TRUE(normal.ok && lit.ok);
        EXPECT_GT(meanLuma(lit), meanLuma(normal) * 1.25);
    }
}

TEST_F(ForgeContent, ShipStaysModestAndItsAddOnsGrowWithTheLevels) {
    MeshStats ship = readMesh(file(asset("Data\\Models\\Player\\1Player4.3DS")));
    ASSERT_TRUE(ship.ok) << ship.problem;
    EXPECT_LT(ship.triangles, 3000u);
    struct Series {
        std::string stem;
        int last;
    };
    for (const Series& s : {Series{"pw", 12}, Series{"abv", 8}}) {
        double previous = 0;
        for (int n = 0; n <= s.last; ++n) {
            std::string path = "Data\\Models\\Player\\" + s.stem + std::to_string(n) + ".3ds";
            SCOPED_TRACE(path);
            MeshStats m = readMesh(file(asset(path)));
            ASSERT_TRUE(m.ok) << m.problem;
            EXPECT_GT(m.area, previous * 1.02) << "does not grow over the level below";
            previous = m.area;
        }
    }
}

TEST_F(ForgeContent, SheetsHaveContentInEveryFrame) {
    for (const AssetSpec& a : Manifest()) {
        if (a.frames == 0 || a.path.find("font") != std::string::npos) continue;
        SCOPED_TRACE(a.path);
        bool alpha = false;
        Decoded d = a.kind == AssetKind::Jpeg ? decodeJpeg(file(a)) : decodeBmp(file(a), &alpha);
        ASSERT_TRUE(d.ok);
        int cols = d.w / a.frameWidth;
        // the explosions fade to nothing on their last frames; everything else draws in each one
        int frames = a.path.find("\\Fx\\exp") != std::string::npos ? a.frames - 3 : a.frames;
        for (int f = 0; f < frames; ++f) {
            int lit = 0;
            for (int y = 0; y < a.frameHeight; ++y)
                for (int x = 0; x < a.frameWidth; ++x) {
                    size_t i = ((static_cast<size_t>(f / cols) * a.frameHeight + y) * d.w + (f % cols) * a.frameWidth + x) * 4;
                    if (d.rgba[i + 3] > 0 && d.rgba[i] + d.rgba[i + 1] + d.rgba[i + 2] > 120) ++lit;
                }
            EXPECT_GT(lit, a.frameWidth * a.frameHeight / 100) << "frame " << f << " is empty";
        }
    }
}
