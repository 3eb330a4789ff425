#include "shell/Startup.h"

#include <cstdio>
#include <exception>
#include <string>

#include "data/Errors.h"
#include "shell/GameContext.h"
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
};

void LoadInterfaceTexture(GameContext& ctx, const TextureRow& row) {
  scene::TGLLibMaterial* m = ctx.InterFaceLibrary.AddTextureMaterial(row.Material);
  m->Material.BlendingMode = scene::TBlendingMode::Transparency;
  m->Material.FrontProperties.Diffuse = {1.0f, 1.0f, 1.0f, 1.0f};
  m->Material.Texture.Disabled = false;
  ctx.InterFaceLibrary.LoadTexture(row.Material, row.File);
}

}  // namespace

void UseDataStoreForSceneFiles(GameContext& ctx) {
  data::DataStore* store = ctx.Data.get();
  scene::SetFileOpener([store](const std::string& path) -> std::optional<std::vector<uint8_t>> {
    if (!store->DataFileExists(path)) return std::nullopt;
    try {
      return store->OpenDataFile(path);
    } catch (const std::exception&) {
      return std::nullopt;
    }
  });
}

bool CreateGame(GameContext& ctx, sound::AudioOutput audio) {
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

  // Music and effects: failures are shown and the game goes on without them.
  Audio().SetMessageHandler([&ctx](sound::AudioMessageKind kind, std::string_view caption, std::string_view text) {
    if (kind == sound::AudioMessageKind::Note)
      std::fprintf(stderr, "%.*s\n", int(text.size()), text.data());
    else
      ctx.Platform().ShowError(caption, text);
  });
  if (InitAudio(audio) == AudioInitResult::Terminate) {
    ctx.Platform().RequestQuit();
    return false;
  }
  try {
    LoadMusic(ctx.Data->OpenDataFile("sound\\main.mo3"), "sound\\main.mo3");
  } catch (const std::exception& e) {
    AudioError(std::string("Can't play file ") + e.what());
  }
  try {
    LoadSoundBank(ctx.Data->OpenDataFile("sound\\snd.tor"), "sound\\snd.tor");
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s: sound effects are off\n", e.what());
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
  // TODO(start-up): music, sound bank, nav paths, enemy catalogue, the remaining textures, menus,
  // profiles and top ranks are loaded here in their order as those pieces land; then the caching step.
  ctx.GameState = "gameintro";
  return true;
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
