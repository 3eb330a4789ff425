// Velmora 2: the game, in a window or headless, live, from recorded input or from a replay.
#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cctype>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "context/Display.h"
#include "data/Options.h"
#include "data/Paths.h"
#include "levels/LevelRun.h"
#include "scene/render/FrameStats.h"
#include "scene/render/Renderer.h"
#include "context/GameContext.h"
#include "shell/Autopilot.h"
#include "shell/Game.h"
#include "shell/HeadlessDriver.h"
#include "shell/LoadingWindow.h"
#include "shell/Input.h"
#include "shell/PngFile.h"
#include "shell/Replay.h"
#include "shell/SdlPlatform.h"
#include "shell/Startup.h"
#include "shell/StateDump.h"
#include "sound/SoundUnit.h"

namespace {

struct CommandLine {
  bool vsync = true;
  bool stats = false;
  bool windowed = false;
  bool headless = false;
  bool fixedClock = false;  // a window on the virtual clock that draws only the captured frames
  long frames = -1;  // quit after this many frames
  long frameMs = 16; // headless frame length
  std::vector<std::pair<long, std::string>> captures;  // (ms, file): save the frame drawn at that time
  uint64_t seed = 0;
  bool seedGiven = false;
  long level = 0;  // start this level at once
  bool levelGiven = false;
  bool autopilot = false;  // the pilot plays
  bool pixelLayers = false;  // count the pixels shaded per layer of the picture
  std::string until;       // quit when the game reaches this state
  std::string record, replay, dataDir, dumpState, input;
};

// Whether `state` is one of the comma-separated names of `list`.
bool UntilReached(std::string_view list, std::string_view state) {
  while (!list.empty()) {
    const size_t comma = list.find(',');
    if (list.substr(0, comma) == state) return true;
    if (comma == std::string_view::npos) break;
    list.remove_prefix(comma + 1);
  }
  return false;
}

void Usage() {
  std::puts(
      "usage: velmora2 [options]\n"
      "  --autopilot      the pilot plays: it steers, fires and clicks through the screens with the\n"
      "                   player's own input (headless or in a window; deterministic from --seed),\n"
      "                   and prints a line for each level it ends, cleared or lost\n"
      "  --until STATES   quit when the game enters one of the comma-separated STATES (e.g.\n"
      "                   statistics,topranks: the level cleared, or the game over)\n"
      "  --level N        start level N at once (no cut-scene before it) with a new game and three lives\n"
      "  --windowed       start in a window whatever the options say\n"
      "  --no-vsync       draw as fast as the machine allows\n"
      "  --stats          print frame count, mean and 99th-percentile frame time and peak memory at exit\n"
      "  --pixel-layers   count the pixels the driver shades per layer of the picture and print the\n"
      "                   mean per frame at exit, from the first frame of play or of the main menu on\n"
      "                   (slows every frame: for measuring)\n"
      "  --seed N         seed of the random generator (default: from the clock)\n"
      "  --frames N       quit after N frames\n"
      "  --headless       no window and no sound: frames of --frame-ms on a virtual clock\n"
      "  --frame-ms N     length of a headless frame in milliseconds (default 16)\n"
      "  --input FILE     play the timed input events of FILE (see docs/replays.md)\n"
      "  --record FILE    write everything the game is given into the replay FILE\n"
      "  --replay FILE    play the replay FILE back (headless or in a window)\n"
      "  --data-dir DIR   read the content and archive from DIR instead of the game's folder\n"
      "  --dump-state F   write a JSON snapshot of the game to F at exit\n"
      "  --fixed-clock    in a window, run on the virtual clock of --frame-ms and draw only the frames\n"
      "                   --capture asks for; without --frames, quit after the last capture\n"
      "  --capture MS F   save the first frame at or after MS milliseconds as F (PNG if F ends in .png,\n"
      "                   else BMP); may be repeated");
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
    auto text = [&](std::string& out) {
      if (i + 1 >= argc) return false;
      out = argv[++i];
      return true;
    };
    long n = 0;
    if (a == "--no-vsync") cl.vsync = false;
    else if (a == "--stats") cl.stats = true;
    else if (a == "--windowed") cl.windowed = true;
    else if (a == "--headless") cl.headless = true;
    else if (a == "--fixed-clock") cl.fixedClock = true;
    else if (a == "--autopilot") cl.autopilot = true;
    else if (a == "--pixel-layers") cl.pixelLayers = true;
    else if (a == "--until" && text(cl.until)) {}
    else if (a == "--frames" && number(n)) cl.frames = n;
    else if (a == "--frame-ms" && number(n) && n > 0 && n <= 1000) cl.frameMs = n;
    else if (a == "--seed" && number(n)) { cl.seed = uint64_t(n); cl.seedGiven = true; }
    else if (a == "--level" && number(n)) { cl.level = n; cl.levelGiven = true; }
    else if (a == "--capture" && number(n) && i + 1 < argc) cl.captures.emplace_back(n, argv[++i]);
    else if (a == "--record" && text(cl.record)) {}
    else if (a == "--replay" && text(cl.replay)) {}
    else if (a == "--data-dir" && text(cl.dataDir)) {}
    else if (a == "--dump-state" && text(cl.dumpState)) {}
    else if (a == "--input" && text(cl.input)) {}
    else if (a == "--help" || a == "-h") { Usage(); std::exit(0); }
    else { std::fprintf(stderr, "velmora2: unknown or incomplete option '%s'\n", a.c_str()); Usage(); return false; }
  }
  if (cl.fixedClock && cl.headless) {
    std::fprintf(stderr, "velmora2: --fixed-clock draws in a window; it cannot be used with --headless\n");
    return false;
  }
  if (!cl.record.empty() && !cl.replay.empty()) {
    std::fprintf(stderr, "velmora2: --record and --replay cannot be used together\n");
    return false;
  }
  return true;
}

bool SaveBmp(const vlm::scene::TRGBAImage& img, const std::string& file) {
  if (img.Empty()) return false;
  // 24-bit, as screenshots are kept.
  SDL_Surface* s = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint8_t*>(img.Pixels.data()), img.Width,
                                                      img.Height, 32, img.Width * 4, SDL_PIXELFORMAT_ABGR8888);
  if (!s) return false;
  SDL_Surface* rgb = SDL_ConvertSurfaceFormat(s, SDL_PIXELFORMAT_BGR24, 0);
  bool ok = rgb && SDL_SaveBMP(rgb, file.c_str()) == 0;
  SDL_FreeSurface(rgb);
  SDL_FreeSurface(s);
  return ok;
}

bool SaveCapture(const vlm::scene::TRGBAImage& img, const std::string& file) {
  std::string ext = std::filesystem::path(file).extension().string();
  for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
  return ext == ".png" ? vlm::shell::SavePng(img, file) : SaveBmp(img, file);
}

std::optional<std::vector<vlm::shell::InputEvent>> ReadInputScript(const std::string& file) {
  try {
    return vlm::shell::ParseInputScript(vlm::shell::ReadInputFile(file, "input file"), file);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "velmora2: %s\n", e.what());
    return std::nullopt;
  }
}

// SIGTERM and SIGINT end a headless run at the next frame, through the normal shutdown (the
// recording and the state dump are written). A window gets them from SDL as a quit event.
volatile std::sig_atomic_t gStopSignal = 0;
extern "C" void OnStopSignal(int sig) { gStopSignal = sig; }

struct Shutdown {
  ~Shutdown() {
    vlm::ShutdownAudio();
    SDL_Quit();
  }
};

}  // namespace

int main(int argc, char** argv) {
  // Start-up figures for --stats are counted from here: when the loading window showed, when the
  // game window drew its first frame, when the main menu took input.
  const Uint64 launched = SDL_GetPerformanceCounter();
  CommandLine cl;
  if (!Parse(argc, argv, cl)) return 2;

  std::optional<vlm::shell::TReplay> replay;
  if (!cl.replay.empty()) {
    try {
      replay = vlm::shell::ReadReplay(cl.replay);
    } catch (const std::exception& e) {
      std::fprintf(stderr, "velmora2: %s\n", e.what());
      return 2;
    }
    cl.seed = replay->Seed;
    cl.seedGiven = true;
    cl.level = replay->StartLevel;
    cl.levelGiven = cl.level != 0;  // a replay of a run that started at the menus names level 0
  }
  std::vector<vlm::shell::InputEvent> script;
  if (!cl.input.empty()) {
    auto events = ReadInputScript(cl.input);
    if (!events) return 2;
    script = std::move(*events);
  }

  const Uint32 sdlFlags = cl.headless ? SDL_INIT_TIMER | SDL_INIT_EVENTS : SDL_INIT_VIDEO | SDL_INIT_TIMER | SDL_INIT_EVENTS;
  if (SDL_Init(sdlFlags) != 0) {
    std::fprintf(stderr, "velmora2: cannot start SDL: %s\n", SDL_GetError());
    return 1;
  }
  Shutdown shutdown;
  if (cl.headless) {
    std::signal(SIGTERM, OnStopSignal);
    std::signal(SIGINT, OnStopSignal);
  }

  vlm::shell::SdlPlatform windowPlatform;
  vlm::HeadlessPlatform headlessPlatform;
  vlm::IPlatform& platform =
      cl.headless ? static_cast<vlm::IPlatform&>(headlessPlatform) : windowPlatform;
  vlm::GameContextConfig cfg;
  cfg.WorkingFolder = cl.dataDir.empty() ? vlm::data::GameDataFolder(vlm::data::ExecutableFolder())
                                         : std::filesystem::absolute(cl.dataDir);
  cfg.AppDataFolder = vlm::data::DefaultAppDataFolder();
  cfg.Seed = cl.seedGiven ? cl.seed : uint64_t(std::chrono::steady_clock::now().time_since_epoch().count());
  cfg.Platform = &platform;
  auto ctx = vlm::shell::MakeGame(cfg);
  // A replay is steered by what it recorded; the pilot flies everything else it is asked to.
  std::optional<vlm::shell::TAutopilot> pilot;
  if (cl.autopilot && !replay) {
    pilot.emplace(cfg.Seed);
    pilot->SetReport(stdout);  // a line per level flown, for the campaign's table
  }
  Uint64 loadingShown = 0, firstFrame = 0, menuReady = 0;
  // The loading window, from the moment the content is open until every texture is on the card.
  vlm::shell::LoadingWindow loading;
  vlm::shell::StartupProgress progress;
  if (!cl.headless)
    progress = [&loading, &loadingShown](vlm::GameContext& c, double percent, const char* caption) {
      if (!loading.IsOpen() && percent >= 10 && loading.Open(c)) loadingShown = SDL_GetPerformanceCounter();
      loading.SetProgress(percent, caption);
    };
  // The sound device opens and the music is decoded on a thread of their own while the content
  // loads and the game window opens; nothing uses the sound engine until Finish below.
  vlm::shell::BackgroundAudio audio;
  if (!vlm::shell::CreateGame(*ctx, cl.headless || cl.fixedClock ? vlm::sound::AudioOutput::Null : vlm::sound::AudioOutput::Device,
                              progress, &audio))
    return 1;
  if (replay) {  // the run is steered by the options and controls it was recorded with
    ctx->Options = replay->Options;
    ctx->Input.Controls = replay->Controls;
  }

  std::unique_ptr<vlm::shell::TReplayRecorder> recorder;
  if (!cl.record.empty()) {
    try {
      recorder = std::make_unique<vlm::shell::TReplayRecorder>(cl.record, cfg.Seed, int32_t(cl.level), ctx->Options,
                                                                ctx->Input.Controls);
    } catch (const std::exception& e) {
      std::fprintf(stderr, "velmora2: %s\n", e.what());
      return 1;
    }
    ctx->Recorder = recorder.get();
  }

  std::unique_ptr<vlm::render::Renderer> renderer;
  std::filesystem::path screenshot;  // asked for by the game: saved from the next frame drawn
  // The options were range-checked when read; the index is kept in the table all the same.
  const size_t mode = size_t(std::clamp(ctx->Options.Resolution, vlm::data::kMinResolution, vlm::data::kMaxResolution));
  int width = vlm::data::ScreenWidths[mode];
  int height = vlm::data::ScreenHeights[mode];
  if (!cl.headless) {
    std::string error;
    renderer = vlm::render::Renderer::Create("Vlm-II", width, height, ctx->Options.FullScreen && !cl.windowed,
                                             cl.vsync, &error);
    if (!renderer) {
      platform.ShowError("Velmora 2", "Cannot open the game window: " + error);
      return 1;
    }
    // Before the sound's messages: a box is not put up over a full-screen window, where it would
    // wait unseen.
    windowPlatform.SetWindow(renderer->Window());
  }
  if (!audio.Finish(*ctx)) return 1;
  if (!cl.headless) {
    // A screenshot is taken from the next frame, between drawing and showing it: frames are only
    // read before their swap, so they can go straight into the window on any driver.
    renderer->SetReadAfterPresent(false);
    windowPlatform.ScreenshotWriter = [&screenshot](const std::filesystem::path& file) {
      screenshot = file;
      return true;
    };
    SDL_ShowCursor(SDL_DISABLE);  // the game draws its own cursor
    // In play the pointer is captured: raw device motion, without the desktop's acceleration, so
    // that the ship moves by the options' ship speed alone.
    SDL_SetHint(SDL_HINT_MOUSE_RELATIVE_MODE_WARP, "0");
    SDL_SetHint(SDL_HINT_MOUSE_RELATIVE_SYSTEM_SCALE, "0");
    SDL_SetHint(SDL_HINT_MOUSE_RELATIVE_SCALING, "0");
    if (!cl.fixedClock && !replay) vlm::shell::StartControllers(cfg.AppDataFolder / "gamecontrollerdb.txt");
    // Every picture goes up to the card before the first frame, so play never waits for an upload.
    // A software rasterizer keeps its textures in main memory and builds their mipmaps on the
    // processor: caching would cost seconds before the first frame and a hundred megabytes, for
    // textures the renderer lets go again after a few idle seconds. There a picture goes up
    // when it is first drawn (a few milliseconds).
    if (!renderer->SoftwareRasterizer())
      vlm::shell::CacheTextures(*ctx, 64, [&] { renderer->Render(ctx->Scene, width, height, 0.0); }, progress);
    loading.Close();
    vlm::WriteSupportedResolutions(*ctx);
    SDL_RaiseWindow(renderer->Window());
  }
  // The option's mode, laid out from the 1024x768 the layout was made for (headless too, so a
  // replay sees the picture it was recorded in).
  vlm::ChangeDisplayMode(*ctx, ctx->Options.Resolution);

  if (cl.levelGiven) {
    if (cl.level < 1 || cl.level > ctx->Level.LevelCount) {
      std::fprintf(stderr, "velmora2: there is no level %ld (levels 1 to %d)\n", cl.level, ctx->Level.LevelCount);
      return 2;
    }
    vlm::levels::StartLevelDirect(*ctx, int32_t(cl.level));
  }

  vlm::render::FrameStats stats;
  const Uint64 freq = SDL_GetPerformanceFrequency();
  const Uint64 start = SDL_GetPerformanceCounter();
  Uint64 last = start;
  [[maybe_unused]] Uint64 lastTrim = start;
  int64_t virtualUs = 0;
  size_t nextScripted = 0, nextPass = 0;
  long frames = 0;
  int rcCapture = 0;
  bool pixelsCounted = false;
  while (!platform.QuitRequested() && gStopSignal == 0) {
    if (!cl.headless) {
      SDL_Event ev;
      while (SDL_PollEvent(&ev)) {
        // A replay is steered by what it recorded, a fixed-clock run by its script alone.
        if ((replay || cl.fixedClock) && ev.type != SDL_QUIT) continue;
        vlm::shell::HandleSdlEvent(*ctx, ev);
      }
    }
    int64_t nowUs;
    if (replay) {
      if (nextPass >= replay->Passes.size()) break;
      nowUs = replay->Passes[nextPass].FrameTimeUs;
      vlm::shell::PlayReplayPass(*ctx, replay->Passes[nextPass++]);
    } else {
      nowUs = cl.headless || cl.fixedClock ? (virtualUs += cl.frameMs * 1000)
                          : int64_t((SDL_GetPerformanceCounter() - start) * 1000000 / freq);
      while (nextScripted < script.size() && script[nextScripted].TimeMs <= nowUs / 1000)  // no product to overflow
        vlm::shell::ApplyInputEvent(*ctx, script[nextScripted++]);
      if (pilot) pilot->Fly(*ctx, nowUs / 1000);
      vlm::shell::RunLoopPass(*ctx, nowUs);
    }
#if defined(__GLIBC__)
    // Decoded pictures and, with a software renderer, textures are large blocks that come and go
    // (decoded, uploaded, let go, released when idle); freed in the middle of the heap they stay
    // resident until handed back. Every two seconds the free pages go back to the system (a walk
    // of the free lists, no allocation).
    if (renderer && SDL_GetPerformanceCounter() - lastTrim > 2 * freq) {
      malloc_trim(0);
      lastTrim = SDL_GetPerformanceCounter();
    }
#endif
    // The pixels are counted from the first frame of play or of the main menu on (not the loading).
    if (cl.pixelLayers && renderer && !pixelsCounted && (ctx->GameState == "game" || ctx->GameState == "mainmenu")) {
      pixelsCounted = true;
      if (!renderer->CountPixels()) std::fprintf(stderr, "velmora2: this OpenGL driver cannot count the pixels it shades\n");
    }
    if (renderer) {
      // The game's picture at its resolution; the renderer fits it into the window or desktop.
      const int w = ctx->ViewportWidth, h = ctx->ViewportHeight;
      bool due = false;
      for (const auto& capture : cl.captures) due = due || (capture.first >= 0 && nowUs / 1000 >= capture.first);
      if (!cl.fixedClock || due) {
        renderer->Render(ctx->Scene, w, h, double(nowUs) / 1e6);
        if (!screenshot.empty()) {
          // A failure is not reported: the player sees no file, the game goes on.
          SaveBmp(renderer->ReadPixels(), screenshot.string());
          screenshot.clear();
        }
        for (auto& [ms, file] : cl.captures) {
          if (ms >= 0 && nowUs / 1000 >= ms) {
            if (!SaveCapture(renderer->ReadWindowPixels(), file)) {  // as the player sees it
              std::fprintf(stderr, "velmora2: cannot write %s\n", file.c_str());
              rcCapture = 1;
            }
            ms = -1;
          }
        }
        renderer->Present();
        if (!firstFrame) firstFrame = SDL_GetPerformanceCounter();
      }
      if (cl.fixedClock && cl.frames < 0) {
        bool left = false;
        for (const auto& capture : cl.captures) left = left || capture.first >= 0;
        if (!left) break;  // every picture asked for is taken
      }
    }
    const Uint64 after = SDL_GetPerformanceCounter();
    if (!menuReady && ctx->GameState == "mainmenu") menuReady = after;
    stats.AddFrame(double(after - last) / double(freq));
    last = after;
    if (cl.frames >= 0 && ++frames >= cl.frames) break;
    if (!cl.until.empty() && UntilReached(cl.until, ctx->GameState)) break;
  }

  ctx->Recorder = nullptr;
  recorder.reset();
  int rc = rcCapture != 0 ? rcCapture : ctx->ExitStatus;
  if (gStopSignal != 0) {
    std::fprintf(stderr, "velmora2: stopped by signal %d\n", int(gStopSignal));
    rc = 128 + int(gStopSignal);
  }
  if (!cl.dumpState.empty()) {
    try {
      vlm::shell::WriteStateSnapshot(*ctx, cl.dumpState);
    } catch (const std::exception& e) {
      std::fprintf(stderr, "velmora2: %s\n", e.what());
      rc = 1;
    }
  }
  if (cl.stats) {
    std::printf("%s\n", stats.Summary().c_str());
    const auto ms = [&](Uint64 t) { return t ? double(t - launched) * 1000.0 / double(freq) : -1.0; };
    std::printf("start-up: loading window %.0f ms, first frame %.0f ms, main menu ready %.0f ms after launch\n",
                ms(loadingShown), ms(firstFrame), ms(menuReady));
  }
  if (cl.pixelLayers && renderer) std::printf("%s", renderer->PixelReport(ctx->ViewportWidth, ctx->ViewportHeight).c_str());
  renderer.reset();
  ctx.reset();
  return rc;
}
