#include "shell/Startup.h"

#include "context/Controls.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <exception>
#include <string>

#include "combat/Bonuses.h"
#include "combat/EnemyCatalogue.h"
#include "combat/Player.h"
#include "data/Errors.h"
#include "data/Numbers.h"
#include "interface/ChangePlayer.h"
#include "interface/ChooseLevel.h"
#include "interface/CreditsDialog.h"
#include "interface/TopRanksScreen.h"
#include "interface/MenuFramework.h"
#include "interface/PauseMenu.h"
#include "interface/Shop.h"
#include "levels/DataFields.h"
#include "levels/LevelLoader.h"
#include "levels/LevelRun.h"
#include "levels/NavPaths.h"
#include "context/GameContext.h"
#include "sound/SoundUnit.h"

namespace vlm::shell {

namespace {

struct TextureRow {
  const char* Material;
  const char* File;
};

// Interface images the start-up sequence itself shows.
constexpr TextureRow kStartupTextures[] = {
    {"CursorImage", "Data\\Textures\\InterFace\\CursorImage.bmp"},
    {"TessikLogo", "Data\\Textures\\InterFace\\Tessik.jpg"},
    {"QuorvelWorksLogo", "Data\\Textures\\InterFace\\QuorvelWorks.jpg"},
    {"PartnerLogo", "Data\\Textures\\InterFace\\partner.jpg"},
    {"LoadingBg", "Data\\Textures\\InterFace\\LoadingBg.jpg"},
    {"CutSceneBg1", "Data\\Textures\\InterFace\\CutSceneBg1.jpg"},
    {"ArmorAndHealth", "Data\\Textures\\InterFace\\game\\ArmorAndHealth.bmp"},
    {"ScoresAndLevel", "Data\\Textures\\InterFace\\game\\ScoresAndLevel.bmp"},
    {"Rockets", "Data\\Textures\\InterFace\\game\\Rockets.bmp"},
    {"StatisticsPanel", "Data\\Textures\\InterFace\\game\\StatisticsPanel.bmp"},
    {"Lifes", "Data\\Textures\\InterFace\\game\\Lifes.bmp"},
    {"gom", "Data\\Textures\\InterFace\\game\\gom.jpg"},
};

// Loads one image into a material, showing a file that cannot be loaded and going on.
void LoadTextureOrShow(GameContext& ctx, scene::TGLMaterialLibrary& lib, const std::string& material,
                       const std::string& file) {
  try {
    lib.LoadTexture(material, file);
  } catch (const std::exception& e) {
    ctx.Platform().ShowError("Velmora 2", e.what());
  }
}

// The effect and enemy textures: every effect material from "Data\Textures\Fx\" by its name,
// every enemy material of the layout from "Data\Textures\Enemies\", then one material per
// enemy kind of the catalogue, black drawn transparent.
void LoadEffectAndEnemyTextures(GameContext& ctx) {
  for (size_t i = 0; i < ctx.ExplosionLibrary.Count(); ++i) {
    const std::string name = ctx.ExplosionLibrary.Material(i)->Name();
    LoadTextureOrShow(ctx, ctx.ExplosionLibrary, name, "Data\\Textures\\Fx\\" + name + ".jpg");
  }
  const size_t layoutEnemyMaterials = ctx.EnemiesLibrary.Count();
  for (size_t i = 0; i < layoutEnemyMaterials; ++i) {
    const std::string name = ctx.EnemiesLibrary.Material(i)->Name();
    LoadTextureOrShow(ctx, ctx.EnemiesLibrary, name, "Data\\Textures\\Enemies\\" + name);
  }
  for (const combat::TEnemyModelData& kind : ctx.EnemyKinds) {
    if (ctx.EnemiesLibrary.LibMaterialByName(kind.ImageName)) continue;  // kinds may share a look
    scene::TGLLibMaterial* m = ctx.EnemiesLibrary.AddTextureMaterial(kind.ImageName);
    m->Material.Texture.ImageAlpha = scene::TGLTextureImageAlpha::SuperBlackTransparent;
    m->Material.BlendingMode = scene::TBlendingMode::Transparency;
    m->Material.Texture.TextureMode = scene::TGLTextureMode::Replace;
    m->Material.Texture.MagFilter = scene::TGLMagFilter::Linear;
    m->Material.Texture.MinFilter = scene::TGLMinFilter::Linear;
    m->Material.FrontProperties.Diffuse = {1.0f, 1.0f, 1.0f, 1.0f};
    m->Material.FrontProperties.Specular = {1.0f, 1.0f, 1.0f, 1.0f};
    m->Material.FrontProperties.Emission = {1.0f, 1.0f, 1.0f, 1.0f};
    m->Material.Texture.Disabled = false;
    LoadTextureOrShow(ctx, ctx.EnemiesLibrary, kind.ImageName, "Data\\Textures\\Enemies\\" + kind.ImageName);
  }
}

// The level logos named by "logos.ini": one interface material each.
void LoadLogos(GameContext& ctx) {
  const std::string file = "Data\\t_data\\logos.ini";
  int32_t value = 0;
  for (int i = 0; data::TryStrToInt(ctx.Data->ReadIniValue(file, levels::SectionName(i), "int"), value); ++i) {
    const std::string section = levels::SectionName(i);
    const std::string name = ctx.Data->ReadIniValue(file, section, "LogoName");
    scene::TGLLibMaterial* m = ctx.InterFaceLibrary.AddTextureMaterial(name);
    m->Material.Texture.TextureMode = scene::TGLTextureMode::Modulate;
    m->Material.Texture.MagFilter = scene::TGLMagFilter::Linear;
    m->Material.Texture.MinFilter = scene::TGLMinFilter::Linear;
    m->Material.Texture.Disabled = false;
    m->Material.BlendingMode = scene::TBlendingMode::Transparency;
    m->Material.FrontProperties.Diffuse = {1.0f, 1.0f, 1.0f, 0.9f};
    m->Material.FrontProperties.Emission = {1.0f, 1.0f, 1.0f, 1.0f};
    m->Material.FrontProperties.Specular = {1.0f, 1.0f, 1.0f, 1.0f};
    LoadTextureOrShow(ctx, ctx.InterFaceLibrary, name, ctx.Data->ReadIniValue(file, section, "LogoFile"));
  }
}

void LoadInterfaceTexture(GameContext& ctx, const TextureRow& row) {
  scene::TGLLibMaterial* m = ctx.InterFaceLibrary.AddTextureMaterial(row.Material);
  m->Material.BlendingMode = scene::TBlendingMode::Transparency;
  m->Material.FrontProperties.Diffuse = {1.0f, 1.0f, 1.0f, 1.0f};
  m->Material.Texture.Disabled = false;
  ctx.InterFaceLibrary.LoadTexture(row.Material, row.File);
}

constexpr const char* kMusicFile = "sound\\main.mo3";
constexpr const char* kBankFile = "sound\\snd.tor";

SoundFiles ReadSoundFiles(const data::DataStore& store) {
  SoundFiles files;
  try {
    files.Music = store.OpenDataFile(kMusicFile);
  } catch (const std::exception& e) {
    files.MusicProblem = e.what();
  }
  try {
    files.Bank = store.OpenDataFile(kBankFile);
  } catch (const std::exception& e) {
    files.BankProblem = e.what();
  }
  return files;
}

// Opens the output, then loads the music and the bank. False when the game cannot go on.
bool LoadAudio(sound::AudioOutput output, SoundFiles files) {
  if (InitAudio(output) == AudioInitResult::Terminate) return false;
  if (files.Music)
    LoadMusic(*files.Music, kMusicFile);
  else
    AudioError("Can't play file " + files.MusicProblem);
  if (files.Bank)
    LoadSoundBank(std::move(*files.Bank), kBankFile);
  else
    std::fprintf(stderr, "%s: sound effects are off\n", files.BankProblem.c_str());
  return true;
}

// The engine's boxes go to the platform, its notes to the log.
void RouteAudioMessages(GameContext& ctx) {
  Audio().SetMessageHandler([&ctx](sound::AudioMessageKind kind, std::string_view caption, std::string_view text) {
    if (kind == sound::AudioMessageKind::Note)
      std::fprintf(stderr, "%.*s\n", int(text.size()), text.data());
    else
      ctx.Platform().ShowError(caption, text);
  });
}

}  // namespace

BackgroundAudio::~BackgroundAudio() {
  if (!thread_.joinable()) return;
  thread_.join();
  Audio().SetMessageHandler(nullptr);
  for (const Held& m : held_) std::fprintf(stderr, "%s\n", m.Text.c_str());
}

void BackgroundAudio::Start(sound::AudioOutput output, SoundFiles files) {
  if (thread_.joinable()) thread_.join();
  goOn_ = true;
  Audio().SetMessageHandler([this](sound::AudioMessageKind kind, std::string_view caption, std::string_view text) {
    const std::lock_guard<std::mutex> lock(mutex_);
    held_.push_back(Held{kind, std::string(caption), std::string(text)});
  });
  thread_ = std::thread([this, output, files = std::move(files)]() mutable {
    try {
      goOn_ = LoadAudio(output, std::move(files));
    } catch (const std::exception& e) {  // out of memory decoding: the game goes on without sound
      Audio().Message(sound::AudioMessageKind::Error, "Error", e.what());
    }
  });
}

bool BackgroundAudio::Finish(GameContext& ctx) {
  if (thread_.joinable()) thread_.join();
  RouteAudioMessages(ctx);
  std::vector<Held> held;
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    held.swap(held_);
  }
  for (const Held& m : held) Audio().Message(m.Kind, m.Caption, m.Text);
  if (!goOn_) {
    ctx.Platform().RequestQuit();
    return false;
  }
  return true;
}

void UseDataStoreForSceneFiles(GameContext& ctx) {
  data::DataStore* store = ctx.Data.get();
  scene::SetFileOpener([store](const std::string& path) -> std::optional<std::vector<uint8_t>> {
    if (!store->DataFileExists(path)) return std::nullopt;
    try {
      return store->OpenDataFile(path);
    } catch (const std::exception& e) {
      // The loaders only learn that the file cannot be had; say why (a damaged archive entry,
      // a file beyond the size limit) before they report it.
      std::fprintf(stderr, "velmora2: %s\n", e.what());
      return std::nullopt;
    }
  });
}

bool CreateGame(GameContext& ctx, sound::AudioOutput audio, const StartupProgress& progress,
                BackgroundAudio* background) {
  const auto step = [&](double percent) {
    if (progress) progress(ctx, percent, "...loading [1/2]...");
  };
  step(1);
  const std::filesystem::path archive = ctx.Data->WorkingFolder() / "original.vlm";
  try {
    ctx.Data->MountArchive(archive);
  } catch (const std::exception& e) {
    ctx.Platform().ShowError("Velmora 2", e.what());
    return false;
  }
  UseDataStoreForSceneFiles(ctx);
  for (const std::string& message : data::LoadOptions(*ctx.Data, ctx.Options, ctx.OptionsBackup, ctx.Player))
    ctx.Platform().ShowError("Velmora 2", message);
  // The controls of play, from their own section of the same file.
  try {
    for (const std::string& message : ReadControls(*ctx.Data, data::UserOptionsFile(*ctx.Data), ctx.Input.Controls))
      ctx.Platform().ShowError("Velmora 2", message);
  } catch (const std::exception& e) {
    ctx.Platform().ShowError("Velmora 2", std::string(e.what()) + "; the controls of play are the defaults.");
  }

  // Music and effects: failures are shown and the game goes on without them.
  SoundFiles sound = ReadSoundFiles(*ctx.Data);
  if (background) {
    background->Start(audio, std::move(sound));
  } else {
    RouteAudioMessages(ctx);
    if (!LoadAudio(audio, std::move(sound))) {
      ctx.Platform().RequestQuit();
      return false;
    }
  }
  step(10);

  // Flight paths and the enemy catalogue. A value that does not convert is shown with its
  // file, section and key; what was read before it stays.
  const levels::IniReadFn read = levels::PlainIniReader(*ctx.Data);
  step(40);
  try {
    levels::LoadNavPaths(read, ctx.Level);
  } catch (const std::exception& e) {
    ctx.Platform().ShowError("Velmora 2", e.what());
  }
  step(50);
  try {
    combat::LoadEnemyKinds(read, ctx.EnemyKinds);
  } catch (const std::exception& e) {
    ctx.Platform().ShowError("Velmora 2", e.what());
  }
  step(60);
  LoadEffectAndEnemyTextures(ctx);
  step(65);
  combat::LoadBonusTextures(ctx);  // capsules and icons from "Data\\Textures\\Bonuses\\"

  step(70);
  ctx.GLBitmapFont1.GlyphsFileName = "Data\\Textures\\InterFace\\font.bmp";
  try {
    ctx.GLBitmapFont1.LoadGlyphs();
  } catch (const std::exception& e) {
    ctx.Platform().ShowError("Velmora 2", e.what());
  }
  for (const TextureRow& row : kStartupTextures) {
    try {
      LoadInterfaceTexture(ctx, row);
    } catch (const std::exception& e) {
      ctx.Platform().ShowError("Velmora 2", e.what());
    }
  }
  ctx.L.TessikLogo->AlphaChannel = 0.0f;
  ctx.L.PartnerLogo->AlphaChannel = 0.0f;
  ctx.L.PartnerLogo->Visible = true;
  ctx.L.QuorvelWorksLogo->AlphaChannel = 0.0f;
  try {
    LoadLogos(ctx);
  } catch (const std::exception& e) {  // a damaged logos.ini: the levels show no logo
    ctx.Platform().ShowError("Velmora 2", e.what());
  }
  step(75);
  combat::LoadPlayerTextures(ctx);  // the ship's skins and reflection, the weapons' sprites
  step(80);
  interface::LoadPauseTextures(ctx);  // pause pictures, the menu frame bars, the image buttons
  interface::LoadShopTextures(ctx);  // the shop's background, icons, arrows, cubes and buttons
  interface::LoadMenuTextures(ctx);  // menu pictures and a menu background
  step(85);
  interface::FillCredits(ctx);
  step(90);
  // The players: the list, the current one and its slots on the choose-level screen.
  interface::LoadProfilesAtStartup(ctx);
  interface::LoadTopRanksAtStartup(ctx);
  step(95);
  levels::ShowRandomHint(ctx);
  ctx.Level.FinalLevel = false;
  step(100);
  // The new-game record and the number of levels.
  levels::NewGamePlayer(ctx, 0);
  std::string levelProblem;
  ctx.Level.LevelCount = levels::CountLevels(read, &levelProblem);
  if (!levelProblem.empty()) ctx.Platform().ShowError("Velmora 2", levelProblem);
  // The camera of play and the ship on its row.
  levels::PlaceCamera(ctx);
  ctx.L.PlayerDummy->Position.x = -0.47f;
  ctx.L.MainMenuDummy->Visible = true;
  ctx.GameState = "gameintro";
  return true;
}

void CacheTextures(GameContext& ctx, int perFrame, const std::function<void()>& draw,
                   const StartupProgress& progress) {
  // The meshes' library is counted, not drawn: its textures go up with the meshes.
  scene::TGLMaterialLibrary* libs[] = {&ctx.ModelsLibrary, &ctx.ExplosionLibrary, &ctx.EnemiesLibrary,
                                       &ctx.InterFaceLibrary, &ctx.BonusMaterialLibrary};
  scene::TGLDummyCube& caching = *ctx.L.CachingDummy;
  caching.Visible = true;
  caching.Position = {-0.0213f, -1.0f, 0.0097f};  // just before the camera of play
  std::vector<scene::TGLSprite*> sprites;
  for (int i = 0; i < std::max(1, perFrame); ++i) {
    auto* s = caching.AddNewChild<scene::TGLSprite>();
    s->Name = "CachSprite";
    s->SetSize(0.001f, 0.001f);
    s->Pickable = false;
    sprites.push_back(s);
  }
  size_t cached = 0;  // materials counted; the bar grows 0.6 a material (kept in whole tenths)
  size_t used = 0;
  const auto flush = [&] {
    if (used == 0) return;
    for (size_t i = used; i < sprites.size(); ++i) sprites[i]->Visible = false;
    if (draw) draw();
    for (scene::TGLSprite* s : sprites) s->Visible = true;
    used = 0;
  };
  if (progress) progress(ctx, 0, "...loading [2/2]...");
  for (scene::TGLMaterialLibrary* lib : libs) {
    for (size_t i = 0; i < lib->Count(); ++i) {
      ++cached;
      if (lib != &ctx.ModelsLibrary) {
        sprites[used++]->Material.SetLibMaterial(lib, lib->Material(i)->Name());
        if (used == sprites.size()) flush();
      }
      if (progress) progress(ctx, double(std::min<size_t>(100, cached * 6 / 10)), "...loading [2/2]...");
    }
  }
  flush();
  // The caching group has done its work.
  for (scene::TGLSprite* s : sprites) s->Free();
  ctx.Scene.SweepFreed();
  caching.Visible = false;
}

void GameIntroFrame(GameContext& ctx) {
  TLayout& L = ctx.L;
  const float step = float(ctx.DeltaTime * 0.3);
  switch (ctx.IntroLogoStep) {
    case 0:
      L.PartnerLogo->AlphaChannel += step;
      if (L.PartnerLogo->AlphaChannel >= 1.0f) ctx.IntroLogoStep = 1;
      break;
    case 1:
    case 2: {
      TGLHUDSprite* from = ctx.IntroLogoStep == 1 ? L.PartnerLogo : L.TessikLogo;
      TGLHUDSprite* to = ctx.IntroLogoStep == 1 ? L.TessikLogo : L.QuorvelWorksLogo;
      to->AlphaChannel += step;
      from->AlphaChannel = 1.0f - to->AlphaChannel;
      if (to->AlphaChannel >= 1.0f) {
        from->AlphaChannel = 0.0f;
        ++ctx.IntroLogoStep;
      }
      break;
    }
    case 3:
      L.QuorvelWorksLogo->AlphaChannel -= step;
      if (L.QuorvelWorksLogo->AlphaChannel <= 0.0f) {
        ctx.IntroLogoStep = 4;
        L.GameIntroDummy->Visible = false;
        L.SceneDummyCube->Visible = false;
        L.InterFaceDummyCube->Visible = false;
        L.MM_blur->Visible = true;
        ctx.GameState = "menuintro";
      }
      break;
    default:
      break;
  }
}

}  // namespace vlm::shell
