// Velmora 2: the windowed game.
#include <SDL.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "data/Numbers.h"
#include "data/Options.h"
#include "data/Paths.h"
#include "scene/render/FrameStats.h"
#include "scene/render/Renderer.h"
#include "shell/GameContext.h"
#include "shell/HeadlessDriver.h"
#include "shell/SdlPlatform.h"
#include "shell/Startup.h"
#include "interface/Hud.h"
#include "levels/LevelRun.h"
#include "sound/SoundUnit.h"

namespace {

bool SaveBmp(const vlm::scene::TRGBAImage& img, const std::string& file) {
  SDL_Surface* s = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint8_t*>(img.Pixels.data()), img.Width,
                                                      img.Height, 32, img.Width * 4, SDL_PIXELFORMAT_ABGR8888);
  if (!s) return false;
  bool ok = SDL_SaveBMP(s, file.c_str()) == 0;
  SDL_FreeSurface(s);
  return ok;
}

struct CommandLine {
  bool vsync = true;
  bool stats = false;
  bool windowed = false;
  long frames = -1;       // quit after this many frames (smoke tests, measurements)
  std::vector<std::pair<long, std::string>> captures;  // (ms, file): save the frame drawn at that time
  uint64_t seed = 0;
  bool seedGiven = false;
  long level = 0;         // start this level at once (the way in until the menus exist)
};

void Usage() {
  std::puts(
      "usage: velmora2 [options]\n"
      "  --no-vsync      draw as fast as the machine allows\n"
      "  --stats         print frame count, mean and 99th-percentile frame time and peak memory at exit\n"
      "  --windowed      start in a window whatever the options say\n"
      "  --seed N        seed of the random generator (default: from the clock)\n"
      "  --frames N      quit after N frames\n"
      "  --level N       start level N at once with a new game and three lives\n"
      "  --capture MS F  save the first frame drawn at or after MS milliseconds as the BMP file F");
}

bool Parse(int argc, char** argv, CommandLine& cl) {
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    auto number = [&](long& out) {
      if (i + 1 >= argc) return false;
      char* end = nullptr;
      out = std::strtol(argv[++i], &end, 10);
      return end && *end == 0;
    };
    long n = 0;
    if (a == "--no-vsync") cl.vsync = false;
    else if (a == "--stats") cl.stats = true;
    else if (a == "--windowed") cl.windowed = true;
    else if (a == "--frames" && number(n)) cl.frames = n;
    else if (a == "--seed" && number(n)) { cl.seed = uint64_t(n); cl.seedGiven = true; }
    else if (a == "--level" && number(n)) cl.level = n;
    else if (a == "--capture" && number(n) && i + 1 < argc) cl.captures.emplace_back(n, argv[++i]);
    else if (a == "--help" || a == "-h") { Usage(); std::exit(0); }
    else { std::fprintf(stderr, "velmora2: unknown or incomplete option '%s'\n", a.c_str()); Usage(); return false; }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  CommandLine cl;
  if (!Parse(argc, argv, cl)) return 2;
  if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_TIMER | SDL_INIT_EVENTS) != 0) {
    std::fprintf(stderr, "velmora2: cannot start SDL: %s\n", SDL_GetError());
    return 1;
  }

  vlm::shell::SdlPlatform platform;
  vlm::GameContextConfig cfg;
  cfg.WorkingFolder = vlm::data::ExecutableFolder();
  cfg.AppDataFolder = vlm::data::DefaultAppDataFolder();
  cfg.Seed = cl.seedGiven ? cl.seed : uint64_t(std::chrono::steady_clock::now().time_since_epoch().count());
  cfg.Platform = &platform;
  auto ctx = std::make_unique<vlm::GameContext>(cfg);
  bool ok = vlm::shell::CreateGame(*ctx);
  if (!ok) {
    SDL_Quit();
    return 1;
  }

  const int res = ctx->Options.Resolution;
  const int width = vlm::data::ScreenWidths[res], height = vlm::data::ScreenHeights[res];
  std::string error;
  auto renderer = vlm::render::Renderer::Create("Vlm-II", width, height, ctx->Options.FullScreen && !cl.windowed,
                                                cl.vsync, &error);
  if (!renderer) {
    platform.ShowError("Velmora 2", "Cannot open the game window: " + error);
    SDL_Quit();
    return 1;
  }
  platform.SetWindow(renderer->Window());
  if (cl.level != 0) {
    if (cl.level < 1 || cl.level > ctx->Level.LevelCount) {
      std::fprintf(stderr, "velmora2: there is no level %ld (levels 1 to %d)\n", cl.level, ctx->Level.LevelCount);
      renderer.reset();
      ctx.reset();
      vlm::ShutdownAudio();
      SDL_Quit();
      return 2;
    }
    vlm::levels::StartLevelDirect(*ctx, int32_t(cl.level));
  }
  SDL_ShowCursor(SDL_DISABLE);  // the game draws its own cursor

  vlm::render::FrameStats stats;
  const Uint64 freq = SDL_GetPerformanceFrequency();
  const Uint64 start = SDL_GetPerformanceCounter();
  Uint64 last = start;
  long frames = 0;
  while (!platform.QuitRequested()) {
    SDL_Event ev;
    while (SDL_PollEvent(&ev)) vlm::shell::HandleSdlEvent(*ctx, ev);
    const Uint64 now = SDL_GetPerformanceCounter();
    const int64_t nowMs = int64_t((now - start) * 1000 / freq);
    vlm::shell::RunLoopPass(*ctx, nowMs);
    int w = width, h = height;
    renderer->DrawableSize(w, h);
    if (w != ctx->ViewportWidth || h != ctx->ViewportHeight) {
      ctx->ViewportWidth = w;
      ctx->ViewportHeight = h;
      ctx->Scene.Camera().SceneScale = float(w) / 1000.0f * 0.625f;
      vlm::interface::PlaceHudLayout(*ctx, w, h);
    }
    renderer->Render(ctx->Scene, w, h, double(nowMs) / 1000.0);
    for (auto& [ms, file] : cl.captures) {
      if (ms >= 0 && nowMs >= ms) {
        if (!SaveBmp(renderer->ReadPixels(), file)) std::fprintf(stderr, "velmora2: cannot write %s\n", file.c_str());
        ms = -1;
      }
    }
    SDL_GL_SwapWindow(renderer->Window());
    const Uint64 after = SDL_GetPerformanceCounter();
    stats.AddFrame(double(after - last) / double(freq));
    last = after;
    if (cl.frames >= 0 && ++frames >= cl.frames) break;
  }
  if (cl.stats) std::printf("%s\n", stats.Summary().c_str());
  renderer.reset();
  ctx.reset();
  vlm::ShutdownAudio();
  SDL_Quit();
  return 0;
}
