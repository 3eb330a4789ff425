// The game full screen on a 16:9 desktop (1920x1080 under Xvfb with a window manager): the 4:3
// picture in the middle, as large as fits and never stretched, black bars left and right; the
// pointer mapped back through the same bars; and a window that the display cannot hold refused.
#include <gtest/gtest.h>

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include "scene/render/Renderer.h"
#include "context/GameContext.h"
#include "shell/SdlPlatform.h"

namespace vlm::test {
namespace {

namespace fs = std::filesystem;

constexpr int kDesktopW = 1920, kDesktopH = 1080;

// An RGB picture read from a BMP the game saved.
struct Picture {
  int Width = 0, Height = 0;
  std::vector<uint8_t> Rgb;
  const uint8_t* At(int x, int y) const { return &Rgb[(size_t(y) * size_t(Width) + size_t(x)) * 3]; }
  int Brightest(int x, int y) const { return std::max({At(x, y)[0], At(x, y)[1], At(x, y)[2]}); }
};

Picture LoadBmp(const fs::path& file) {
  Picture p;
  SDL_Surface* raw = SDL_LoadBMP(file.c_str());
  if (!raw) return p;
  SDL_Surface* s = SDL_ConvertSurfaceFormat(raw, SDL_PIXELFORMAT_RGB24, 0);
  SDL_FreeSurface(raw);
  if (!s) return p;
  p.Width = s->w;
  p.Height = s->h;
  p.Rgb.resize(size_t(s->w) * size_t(s->h) * 3);
  for (int y = 0; y < s->h; ++y)
    std::copy_n(static_cast<const uint8_t*>(s->pixels) + y * s->pitch, size_t(s->w) * 3, &p.Rgb[size_t(y) * size_t(s->w) * 3]);
  SDL_FreeSurface(s);
  return p;
}

// The mean colour of a rectangle of the picture.
void Mean(const Picture& p, double x0, double y0, double x1, double y1, double out[3]) {
  out[0] = out[1] = out[2] = 0.0;
  int n = 0;
  for (int y = int(y0); y < int(y1); ++y)
    for (int x = int(x0); x < int(x1); ++x, ++n)
      for (int c = 0; c < 3; ++c) out[c] += p.At(x, y)[c];
  for (int c = 0; c < 3; ++c) out[c] /= std::max(n, 1);
}

// How far apart two pictures are, block by block (32 by 24 blocks), the first one's blocks taken
// from the rectangle (x, y, w, h) of it: the mean difference of a channel, 0..255.
double BlockDistance(const Picture& a, double ax, double ay, double aw, double ah, const Picture& b) {
  constexpr int kCols = 32, kRows = 24;
  double total = 0.0;
  for (int r = 0; r < kRows; ++r) {
    for (int c = 0; c < kCols; ++c) {
      double ma[3], mb[3];
      Mean(a, ax + aw * c / kCols, ay + ah * r / kRows, ax + aw * (c + 1) / kCols, ay + ah * (r + 1) / kRows, ma);
      Mean(b, double(b.Width) * c / kCols, double(b.Height) * r / kRows, double(b.Width) * (c + 1) / kCols,
           double(b.Height) * (r + 1) / kRows, mb);
      for (int k = 0; k < 3; ++k) total += std::abs(ma[k] - mb[k]);
    }
  }
  return total / (kCols * kRows * 3);
}

class DisplayWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const fs::path archive = fs::path(VLM_BUILD_DIR_DEFAULT) / "original.vlm";
    ASSERT_TRUE(fs::exists(archive)) << archive << " has not been built";
    ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "run under xvfb-run with a window manager (see CMakeLists)";
    root_ = fs::temp_directory_path() /
            ("vlm_display_" + std::to_string(::getpid()) + "_" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(root_ / "game");
    fs::create_directories(root_ / "user" / "Quorvel Works" / "Velmora 2");
    fs::create_symlink(archive, root_ / "game" / "original.vlm");
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(root_, ec);
  }
  void Options(int resolution, bool fullScreen) {
    std::ofstream(root_ / "user" / "Quorvel Works" / "Velmora 2" / "game.ini", std::ios::binary)
        << "[OPTIONS]\r\nResolution=" << resolution << "\r\nff=" << (fullScreen ? 1 : 0)
        << "\r\nMusicVolume=0,8\r\nSoundVolume=0,9\r\nMouseSpeed=0,8\r\nGamma=0,9\r\nBrightness=1,2\r\n"
           "LightingQuality=0\r\n[TEST]\r\nFps=0\r\n";
  }
  // The game on the fixed clock, level 1, one picture at `ms`; `prefix` runs it (another X server).
  int Game(const std::string& args, const std::string& prefix = "") {
    const std::string cmd = "XDG_DATA_HOME='" + (root_ / "user").string() +
                            "' SDL_AUDIODRIVER=dummy LIBGL_ALWAYS_SOFTWARE=1 ASAN_OPTIONS=detect_leaks=0 " + prefix +
                            " '" + VLM_GAME_EXE + "' --data-dir '" + (root_ / "game").string() + "' " + args +
                            " 2>>'" + (root_ / "stderr.txt").string() + "'";
    const int rc = std::system(cmd.c_str());
    return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
  }
  std::string Errors() {
    std::ifstream in(root_ / "stderr.txt");
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  fs::path root_;
};

TEST_F(DisplayWindowTest, FullScreenShows640x480InTheMiddleWithBlackBarsNeverStretched) {
  const std::string shot = "--fixed-clock --level 1 --seed 3 --capture 4000 ";
  Options(1, true);
  ASSERT_EQ(Game(shot + "'" + (root_ / "full.bmp").string() + "'"), 0) << Errors();
  // The same moment in a 640x480 window, on a desktop of its own without a window manager.
  ASSERT_EQ(Game("--windowed " + shot + "'" + (root_ / "window.bmp").string() + "'",
                 "xvfb-run -a -s '-screen 0 1280x1024x24'"),
            0)
      << Errors();
  const Picture full = LoadBmp(root_ / "full.bmp"), window = LoadBmp(root_ / "window.bmp");
  ASSERT_EQ(full.Width, kDesktopW) << "the game covers the whole desktop";
  ASSERT_EQ(full.Height, kDesktopH);
  ASSERT_EQ(window.Width, 640);
  ASSERT_EQ(window.Height, 480);

  // 4:3 on 16:9: 1440 by 1080 from x 240, bars of 240 on either side.
  constexpr int kLeft = 240, kRight = 1680;
  int barLit = 0;
  for (int y = 0; y < kDesktopH; ++y) {
    for (int x = 0; x < kLeft; ++x) barLit += full.Brightest(x, y) > 2;
    for (int x = kRight; x < kDesktopW; ++x) barLit += full.Brightest(x, y) > 2;
  }
  EXPECT_EQ(barLit, 0) << "pixels lit in the black bars";
  // The picture reaches both of its edges and is no dark frame: the level's sky fills it.
  int leftEdge = 0, rightEdge = 0;
  for (int y = 0; y < kDesktopH; ++y) {
    leftEdge += full.Brightest(kLeft, y) > 8;
    rightEdge += full.Brightest(kRight - 1, y) > 8;
  }
  EXPECT_GT(leftEdge, kDesktopH / 4);
  EXPECT_GT(rightEdge, kDesktopH / 4);
  double centre[3];
  Mean(full, kLeft, 0, kRight, kDesktopH, centre);
  EXPECT_GT(centre[0] + centre[1] + centre[2], 30.0) << "the middle holds the game's picture";

  // Not stretched: the middle, block by block, is the 640x480 window's picture; the whole width
  // taken as the picture (what a stretched picture would be) is far from it.
  const double letterboxed = BlockDistance(full, kLeft, 0, kRight - kLeft, kDesktopH, window);
  const double stretched = BlockDistance(full, 0, 0, kDesktopW, kDesktopH, window);
  EXPECT_LT(letterboxed, 6.0);
  EXPECT_GT(stretched, 2.0 * letterboxed);
  RecordProperty("letterboxed_distance", std::to_string(letterboxed));
  RecordProperty("stretched_distance", std::to_string(stretched));
}

// The platform and renderer in this process: the same letterbox for the picture and the pointer.
TEST_F(DisplayWindowTest, ThePointerMapsThroughTheLetterboxAndAnOversizedWindowIsRefused) {
  ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
  std::string error;
  auto renderer = render::Renderer::Create("display test", 640, 480, true, false, &error);
  ASSERT_NE(renderer, nullptr) << error;
  shell::SdlPlatform platform(renderer->Window());
  std::string why;
  ASSERT_TRUE(platform.SetDisplayMode(640, 480, true, why)) << why;
  EXPECT_TRUE(platform.FullScreen());
  SDL_Event ev;
  for (int i = 0; i < 50; ++i) {
    while (SDL_PollEvent(&ev)) {
    }
    SDL_Delay(10);
  }
  int dw = 0, dh = 0;
  renderer->DrawableSize(dw, dh);
  ASSERT_EQ(dw, kDesktopW);
  ASSERT_EQ(dh, kDesktopH);

  // A picture of one colour: the window shows it between black bars.
  GameContextConfig cfg;
  cfg.WorkingFolder = root_ / "game";
  cfg.AppDataFolder = root_ / "user";
  cfg.Platform = &platform;
  cfg.ViewportWidth = 640;
  cfg.ViewportHeight = 480;
  auto ctx = std::make_unique<GameContext>(cfg);
  scene::TGLScene scene;
  scene.Viewer.BackgroundColor = {0.2f, 0.6f, 1.0f, 1.0f};
  renderer->Render(scene, 640, 480, 0.0);
  const scene::TLetterbox box = renderer->PictureBox();
  EXPECT_EQ(box.X, 240);
  EXPECT_EQ(box.Y, 0);
  EXPECT_EQ(box.Width, 1440);
  EXPECT_EQ(box.Height, 1080);
  const scene::TRGBAImage seen = renderer->ReadWindowPixels();
  ASSERT_EQ(seen.Width, kDesktopW);
  auto pixel = [&](int x, int y) { return seen.Pixel(x, y); };
  for (int y : {0, 540, 1079}) {
    for (int x : {0, 239, 1680, 1919}) EXPECT_EQ(pixel(x, y)[0] + pixel(x, y)[1] + pixel(x, y)[2], 0) << x << "," << y;
    for (int x : {240, 960, 1679}) EXPECT_GT(pixel(x, y)[2], 240) << x << "," << y;
  }
  const scene::TRGBAImage picture = renderer->ReadPixels();
  EXPECT_EQ(picture.Width, 1440) << "drawn at the pixels it covers, not scaled up from 640";
  renderer->Present();

  // The pointer over the picture and over the bars, in SDL's window coordinates.
  struct Case {
    int WindowX, WindowY, X, Y;
  };
  for (const Case c : {Case{960, 540, 320, 240}, Case{240, 0, 0, 0}, Case{1679, 1079, 639, 479},
                       Case{100, 540, 0, 240}, Case{1900, 1079, 639, 479}}) {
    SDL_Event motion{};
    motion.type = SDL_MOUSEMOTION;
    motion.motion.x = c.WindowX;
    motion.motion.y = c.WindowY;
    shell::HandleSdlEvent(*ctx, motion);
    EXPECT_EQ(ctx->MouseX, c.X) << c.WindowX << "," << c.WindowY;
    EXPECT_EQ(ctx->MouseY, c.Y) << c.WindowX << "," << c.WindowY;
  }

  // A window larger than the display cannot be set; full screen stays as it was.
  EXPECT_FALSE(platform.SetDisplayMode(4000, 3000, false, why));
  EXPECT_NE(why.find("does not fit"), std::string::npos) << why;
  EXPECT_TRUE(platform.FullScreen());
  EXPECT_EQ(platform.PictureWidth(), 640);
  // Leaving full screen for a window that fits.
  EXPECT_TRUE(platform.SetDisplayMode(800, 600, false, why)) << why;
  EXPECT_FALSE(platform.FullScreen());
  EXPECT_EQ(platform.PictureWidth(), 800);
  // Alt+Enter goes back to full screen at the same picture and keeps the choice in game.ini;
  // the game itself never sees the key.
  auto altEnter = [&] {
    SDL_Event key{};
    key.type = SDL_KEYDOWN;
    key.key.keysym.sym = SDLK_RETURN;
    key.key.keysym.mod = KMOD_LALT;
    shell::HandleSdlEvent(*ctx, key);
  };
  auto savedFlag = [&] {
    std::ifstream in(root_ / "user" / "game.ini", std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const size_t at = text.find("ff=");
    return at == std::string::npos ? std::string("missing") : text.substr(at, 4);
  };
  altEnter();
  EXPECT_TRUE(platform.FullScreen());
  EXPECT_EQ(platform.PictureWidth(), 800);
  EXPECT_TRUE(ctx->Options.FullScreen);
  EXPECT_EQ(savedFlag(), "ff=1");
  EXPECT_FALSE(ctx->KeyIsDown(Key::Enter));
  altEnter();
  EXPECT_FALSE(platform.FullScreen());
  EXPECT_EQ(savedFlag(), "ff=0");
  // The display lists its modes (Xvfb has the one it was started with).
  const auto modes = platform.DisplayModes();
  ASSERT_FALSE(modes.empty());
  EXPECT_EQ(modes[0].Width, kDesktopW);
  EXPECT_EQ(modes[0].Height, kDesktopH);
  ctx.reset();
  renderer.reset();
}

}  // namespace
}  // namespace vlm::test
