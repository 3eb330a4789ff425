// The cut-scene screen on a real game context, driven through the frame loop and the mouse: how
// pages fade and advance with Next, where a cut-scene before or after its level leads, the pages
// that could hold the player, and the files that cannot be shown.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "levels/CutScene.h"
#include "levels/LevelHost.h"
#include "levels/LevelLoader.h"
#include "levels/LevelRun.h"
#include "interface/Statistics.h"
#include "scene/Projection.h"
#include "shell/Input.h"
#include "context/Layout.h"
#include "context/Platform.h"
#include "shell/ShellFixture.h"
#include "sound/SoundUnit.h"

namespace vlm::test {
namespace {

namespace fs = std::filesystem;
using levels::TCutSceneSprite;
using levels::TCutSceneText;

// A 2 by 2 24-bit BMP.
std::vector<uint8_t> Bmp() {
  std::vector<uint8_t> f(54 + 16, 0);
  auto put32 = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) f[at + i] = uint8_t(v >> (8 * i));
  };
  f[0] = 'B';
  f[1] = 'M';
  put32(2, uint32_t(f.size()));
  put32(10, 54);
  put32(14, 40);
  put32(18, 2);
  put32(22, 2);
  f[26] = 1;
  f[28] = 24;
  put32(34, 16);
  for (size_t i = 54; i < f.size(); ++i) f[i] = 200;
  return f;
}

std::string PicturePage(int n, const std::string& image = "pics\\a.bmp", const std::string& text = "") {
  std::string s = "[" + std::to_string(n) + "]\nTime=0\nDestroyTime=0\nSpriteImage=" + image +
                  "\nSpriteX=0,6\nSpriteZ=0\nSpriteWidth=3,6\nSpriteHeight=2,7\nText=" + text + "\n";
  if (!text.empty()) s += "TextX=512\nTextY=520\nTextScaleX=0,3\nTextScaleY=0,36\nTextAlign=0\n";
  return s;
}

std::string TextPage(int n, const std::string& text) {
  return "[" + std::to_string(n) + "]\nTime=0\nDestroyTime=0\nSpriteImage=\nText=" + text +
         "\nTextX=512\nTextY=300\nTextScaleX=0,3\nTextScaleY=0,36\nTextAlign=0\n";
}

class CutSceneTest : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    levels::PlaceCamera(*ctx);
    L().GameIntroDummy->Visible = false;
    pictures["pics\\a.bmp"] = Bmp();
    scene::SetFileOpener([this](const std::string& path) -> std::optional<std::vector<uint8_t>> {
      auto it = pictures.find(path);
      if (it == pictures.end()) return std::nullopt;
      return it->second;
    });
  }
  void TearDown() override {
    scene::SetFileOpener(nullptr);
    ShellTest::TearDown();
  }

  // A cut-scene file on disk where the game reads it, named by the level globals.
  void Write(const std::string& name, const std::string& text, int showAt) {
    const fs::path dir = ctx->Data->WorkingFolder() / "Data" / "t_data" / "cutscenes";
    fs::create_directories(dir);
    std::ofstream(dir / name) << text;
    ctx->Data->ClearCache();  // the same name read again holds new text
    ctx->Level.CutSceneName = name;
    ctx->Level.CutSceneShowAt = uint8_t(showAt);
  }
  // A cut-scene of the given pages that plays at `showAt`, started as its level would.
  bool Start(const std::string& pages, int showAt) {
    Write("story.ini", "[MAIN]\nShowAt=" + std::to_string(showAt) + "\n" + pages, showAt);
    return levels::StartCutScene(*ctx);
  }

  levels::TCutSceneState& CS() { return ctx->CutScene; }
  scene::TGLSprite& Next() { return *CS().NextButtonSprite; }

  template <class T>
  std::vector<T*> Live() {
    std::vector<T*> found;
    for (scene::TGLBaseSceneObject* group : {static_cast<scene::TGLBaseSceneObject*>(CS().CS_DummyCubeForPics),
                                             static_cast<scene::TGLBaseSceneObject*>(CS().CS_DummyCubeForText)})
      for (size_t i = 0; i < group->Count(); ++i)
        if (auto* t = dynamic_cast<T*>(group->Child(i)); t && !t->IsFreedSelf()) found.push_back(t);
    return found;
  }
  float Alpha(const TCutSceneSprite& s) { return s.Material.FrontProperties.Diffuse.a; }

  void PointAtNext() {
    const scene::TViewProjection vp =
        scene::ComputeViewProjection(ctx->Scene.Camera(), ctx->ViewportWidth, ctx->ViewportHeight);
    glm::vec3 w;
    ASSERT_TRUE(scene::WorldToWindow(vp, glm::vec3(Next().AbsoluteMatrix()[3]), w));
    shell::GLSceneViewer1MouseMove(*ctx, int32_t(w.x), int32_t(w.y));
  }
  // A left click where Next is drawn (whether it is shown or not); the press acts at once, and
  // with `frames` the game runs a frame after the press and after the release.
  void ClickNext(bool frames = true) {
    PointAtNext();
    shell::GLSceneViewer1MouseDown(*ctx, shell::MouseButton::Left);
    if (frames) driver->Step();
    shell::GLSceneViewer1MouseUp(*ctx, shell::MouseButton::Left);
    if (frames) driver->Step();
  }
  // Waits for Next (at most `ms`) and clicks it; false when it never came.
  bool WaitAndClickNext(int64_t ms = 3000, bool frames = true) {
    if (!driver->RunUntil([&] { return Next().Visible; }, ms)) return false;
    ClickNext(frames);
    return true;
  }
  size_t SoundsSince(uint64_t before, const char* name) const {
    size_t n = 0;
    for (uint64_t i = 0; i < Audio().StartCount() - before; ++i) n += Audio().RecentStart(i).Name() == name;
    return n;
  }
  const std::vector<std::string>& Errors() { return static_cast<HeadlessPlatform&>(ctx->Platform()).Errors(); }

  std::map<std::string, std::vector<uint8_t>> pictures;
};

TEST_F(CutSceneTest, TheLayoutHoldsBackdropPicturesTextsAndAHiddenNext) {
  EXPECT_FALSE(L().CutSceneDummyCube->Visible);
  EXPECT_EQ(CS().CutBgSprite->Material.GetLibMaterialName(), "CutSceneBg1");
  EXPECT_EQ(CS().CutSceneBlur->Parent(), CS().CS_DummyCubeForPics);
  EXPECT_FALSE(CS().CutSceneBlur->Visible);
  EXPECT_FALSE(Next().Visible);
  EXPECT_EQ(Next().Material.GetLibMaterialName(), "MM_Next");
  // Next below the pictures, across the middle of the window.
  const scene::TViewProjection vp = scene::ComputeViewProjection(ctx->Scene.Camera(), 1024, 768);
  glm::vec3 w;
  ASSERT_TRUE(scene::WorldToWindow(vp, glm::vec3(Next().AbsoluteMatrix()[3]), w));
  EXPECT_NEAR(w.x, 512.0f, 2.0f);
  EXPECT_GT(w.y, 600.0f);
  EXPECT_LT(w.y, 700.0f);
}

// One page ends on the first Next, three on the third; before the level the end is the fly-in,
// after it (no shop) the fly-out.
TEST_F(CutSceneTest, NextOnTheLastPageEndsTheCutSceneWhereItsPlaceSays) {
  const struct {
    int pages;
    int showAt;
    const char* after;
  } cases[] = {{1, 0, "levelintro2"}, {3, 0, "levelintro2"}, {1, 1, "levelintro"}, {3, 1, "levelintro"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.pages) + " pages, ShowAt " + std::to_string(c.showAt));
    ctx->TimeScale = 1.0;
    ctx->Level.ShopAfterLevel = false;
    std::string pages;
    for (int n = 0; n < c.pages; ++n) pages += PicturePage(n);
    ASSERT_TRUE(Start(pages, c.showAt));
    EXPECT_EQ(ctx->GameState, "cutscene");
    EXPECT_TRUE(L().CutSceneDummyCube->Visible);
    EXPECT_TRUE(CS().CutSceneBlur->Visible);
    EXPECT_TRUE(L().CursorImage->Visible);
    EXPECT_FALSE(L().SceneDummyCube->Visible);
    EXPECT_FALSE(L().InterFaceDummyCube->Visible);
    EXPECT_EQ(CS().CutScenePagesLeft, c.pages);
    for (int click = 1; click <= c.pages; ++click) {
      EXPECT_EQ(ctx->GameState, "cutscene") << "click " << click;
      EXPECT_EQ(CS().CutScenePage, click - 1);
      ASSERT_TRUE(WaitAndClickNext(3000, click < c.pages)) << "no Next on page " << click - 1;
      if (click < c.pages) EXPECT_FALSE(Next().Visible) << "Next hides until the next picture is in";
    }
    EXPECT_EQ(ctx->GameState, c.after);
    EXPECT_FALSE(L().CutSceneDummyCube->Visible);
    EXPECT_FALSE(CS().CutSceneBlur->Visible);
    EXPECT_TRUE(L().SceneDummyCube->Visible);
    EXPECT_TRUE(L().InterFaceDummyCube->Visible);
    if (c.showAt == 0) {
      EXPECT_DOUBLE_EQ(ctx->TimeScale, 20.0);
      EXPECT_FLOAT_EQ(L().PlayerDummy->Position.x, -0.8f);
      EXPECT_FLOAT_EQ(L().EnemiesDummyCube->Position.x, 1.0f);
      EXPECT_TRUE(L().LevelIntroBlur->Visible);
    } else {
      EXPECT_TRUE(L().LogoHudSprite->Visible);
      EXPECT_FLOAT_EQ(L().LogoHudSprite->AlphaChannel, 0.0f);
    }
    // The pages free themselves on the next frame.
    driver->Step();
    EXPECT_TRUE(Live<TCutSceneSprite>().empty());
  }
}

TEST_F(CutSceneTest, PicturesFadeInOverTwoSecondsAndTheLeftOneFadesOutAndGoes) {
  ASSERT_TRUE(Start(PicturePage(0) + PicturePage(1) + PicturePage(2), 1));
  auto pics = Live<TCutSceneSprite>();
  ASSERT_EQ(pics.size(), 3u);
  // Later pages nearer the camera, all transparent at first.
  EXPECT_GT(pics[0]->Position.y, pics[1]->Position.y);
  for (auto* p : pics) EXPECT_FLOAT_EQ(Alpha(*p), 0.0f);
  driver->RunFor(1000);
  EXPECT_NEAR(Alpha(*pics[0]), 0.5f, 0.05f);
  EXPECT_FLOAT_EQ(Alpha(*pics[1]), 0.0f) << "later pages wait";
  EXPECT_FALSE(Next().Visible) << "not before the picture is opaque";
  // A click where Next will be does nothing while it is hidden.
  ClickNext();
  EXPECT_EQ(CS().CutScenePage, 0);
  ASSERT_TRUE(WaitAndClickNext());
  EXPECT_EQ(CS().CutScenePage, 1);
  EXPECT_EQ(CS().CutScenePagesLeft, 2);
  driver->RunFor(1000);
  EXPECT_NEAR(Alpha(*pics[0]), 0.5f, 0.05f) << "the passed picture fades out as the next comes in";
  EXPECT_NEAR(Alpha(*pics[1]), 0.5f, 0.05f);
  driver->RunFor(1200);
  EXPECT_EQ(Live<TCutSceneSprite>().size(), 2u) << "the passed picture is gone once transparent";
}

// A page of text alone, and one with nothing at all, would never offer Next by the pictures'
// rule; here they do, so the story can always go on.
TEST_F(CutSceneTest, PagesWithoutAPictureStillOfferNext) {
  ASSERT_TRUE(Start(TextPage(0, "ONLY WORDS|ON TWO LINES") + "[1]\nTime=0\n" + PicturePage(2, "pics\\a.bmp", "HI"), 1));
  auto texts = Live<TCutSceneText>();
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0]->Text, "ONLY WORDS\rON TWO LINES");
  EXPECT_FALSE(texts[0]->Pickable);
  driver->RunFor(1000);
  EXPECT_NEAR(texts[0]->ModulateColor.a, 0.5f, 0.05f);
  EXPECT_FALSE(Next().Visible);
  ASSERT_TRUE(WaitAndClickNext()) << "a text page offers Next once its text is in";
  EXPECT_EQ(CS().CutScenePage, 1);
  ASSERT_TRUE(WaitAndClickNext(100)) << "an empty page offers Next at once";
  EXPECT_EQ(CS().CutScenePage, 2);
  driver->RunFor(600);
  EXPECT_TRUE(Live<TCutSceneText>().size() == 1u) << "the first page's text has left";
  EXPECT_NEAR(texts[1]->ModulateColor.a, 0.3f, 0.05f) << "a text comes in with its picture";
  ASSERT_TRUE(WaitAndClickNext());
  EXPECT_EQ(ctx->GameState, "levelintro");
}

TEST_F(CutSceneTest, TextsArePlacedForTheWindowsSize) {
  ctx->ViewportWidth = 640;
  ctx->ViewportHeight = 480;
  ASSERT_TRUE(Start(TextPage(0, "HI"), 0));
  auto texts = Live<TCutSceneText>();
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_FLOAT_EQ(texts[0]->Position.x, 320.0f);
  EXPECT_FLOAT_EQ(texts[0]->Position.y, 187.5f);
  EXPECT_NEAR(texts[0]->Scale.x, 0.3f * 0.625f, 1e-6);
  EXPECT_EQ(texts[0]->Alignment, scene::TTextAlignment::Center);
}

TEST_F(CutSceneTest, HoveringNextLightsItAndSoundsOncePerEntry) {
  ASSERT_TRUE(Start(PicturePage(0) + PicturePage(1), 1));
  ASSERT_TRUE(driver->RunUntil([&] { return Next().Visible; }, 3000));
  ctx->Options.SoundVolume = 0.8;
  PointAtNext();
  uint64_t before = Audio().StartCount();
  driver->RunFor(400);  // several 80 ms ticks on it
  EXPECT_EQ(Next().Material.GetLibMaterialName(), "MM_NextLighted");
  EXPECT_EQ(SoundsSince(before, "overbutton"), 1u);
  shell::GLSceneViewer1MouseMove(*ctx, 2, 2);
  driver->RunFor(200);
  EXPECT_EQ(Next().Material.GetLibMaterialName(), "MM_Next");
  before = Audio().StartCount();
  PointAtNext();
  driver->RunFor(200);
  EXPECT_EQ(SoundsSince(before, "overbutton"), 1u) << "again after leaving";
  // The message box holds the screen.
  L().MessageDummy->Visible = true;
  shell::GLSceneViewer1MouseDown(*ctx, shell::MouseButton::Left);
  shell::GLSceneViewer1MouseUp(*ctx, shell::MouseButton::Left);
  EXPECT_EQ(CS().CutScenePage, 0);
}

TEST_F(CutSceneTest, TheLoadingScreenFadesOutOverASecond) {
  L().LogoHudSprite->Visible = L().EpisodeLogoHudSprite->Visible = L().LoadingHintsText->Visible = true;
  L().LogoHudSprite->AlphaChannel = 1.0f;
  ASSERT_TRUE(Start(PicturePage(0), 0));
  driver->RunFor(500);
  EXPECT_NEAR(L().LogoHudSprite->AlphaChannel, 0.5f, 0.05f);
  EXPECT_FLOAT_EQ(L().EpisodeLogoHudSprite->AlphaChannel, L().LogoHudSprite->AlphaChannel);
  EXPECT_FLOAT_EQ(L().LoadingHintsText->ModulateColor.a, L().LogoHudSprite->AlphaChannel);
  driver->RunFor(600);
  EXPECT_FALSE(L().LogoHudSprite->Visible);
  EXPECT_FALSE(L().EpisodeLogoHudSprite->Visible);
  EXPECT_FALSE(L().LoadingHintsText->Visible);
}

// What cannot be shown is said with its file and passed by: the game goes on as without it.
TEST_F(CutSceneTest, AFileThatCannotBeShownIsNamedAndPassedBy) {
  const struct {
    const char* what;
    std::string pages;
    const char* names;
  } cases[] = {
      {"no page", "", "has no page"},
      {"a bad value", "[0]\nTime=0\nDestroyTime=0\nSpriteImage=pics\\a.bmp\nSpriteX=zero\n", "section [0], key \"SpriteX\""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ctx->GameState = "statistics";
    const size_t errors = Errors().size();
    EXPECT_FALSE(Start(c.pages, 1));
    EXPECT_EQ(ctx->GameState, "statistics");
    EXPECT_FALSE(L().CutSceneDummyCube->Visible);
    ASSERT_EQ(Errors().size(), errors + 1);
    EXPECT_NE(Errors().back().find("story.ini"), std::string::npos) << Errors().back();
    EXPECT_NE(Errors().back().find(c.names), std::string::npos) << Errors().back();
    // After the statistics the game goes on to the fly-out.
    interface::StatisticsPress(*ctx);
    EXPECT_EQ(ctx->GameState, "levelintro");
  }
  // A picture that cannot be loaded: named, and its page goes on with its text.
  const size_t errors = Errors().size();
  ASSERT_TRUE(Start(PicturePage(0, "pics\\missing.bmp", "STILL HERE"), 1));
  ASSERT_EQ(Errors().size(), errors + 1);
  EXPECT_NE(Errors().back().find("section [0], key \"SpriteImage\""), std::string::npos) << Errors().back();
  EXPECT_NE(Errors().back().find("missing.bmp"), std::string::npos) << Errors().back();
  ASSERT_TRUE(WaitAndClickNext());
  EXPECT_EQ(ctx->GameState, "levelintro");
}

// "ShowAt" decides: 0 plays as the level loads, 1 after its statistics, 2 never; a level started
// straight from the command line starts at once.
TEST_F(CutSceneTest, ShowAtTwoNeverPlaysAndADirectStartSkipsTheOneBefore) {
  const std::string level = "[MAIN]\ndifficulty=1\nshop=0\nlayer2file=\npoints=\nskins=\nTimeShip=\nBDrop=\n"
                            "cutscene=story.ini\nbd=\nc1speed=0\nl1speed=0\nname=x\nc1tex=\nc2tex=\nc3tex=\nc4tex=\n"
                            "c5tex=\nlayerTex=\npl=0\nMesh1=\nc1=\nc2=\nc3=\nl1=\nFog=0\nmusic=\nlogo=x\nboss=0\n";
  const fs::path levels = ctx->Data->WorkingFolder() / "Data" / "t_data" / "levels";
  fs::create_directories(levels);
  std::ofstream(levels / "1.ini") << level;
  ctx->Level.LevelCount = 1;
  const struct {
    int showAt;
    bool direct;
    const char* afterLoad;
    const char* afterStatistics;
  } cases[] = {{0, false, "cutscene", "levelintro"},
               {0, true, "levelintro2", "levelintro"},
               {1, false, "levelintro2", "cutscene"},
               {2, false, "levelintro2", "levelintro"}};
  for (const auto& c : cases) {
    SCOPED_TRACE("ShowAt " + std::to_string(c.showAt) + (c.direct ? ", direct start" : ""));
    Write("story.ini", "[MAIN]\nShowAt=" + std::to_string(c.showAt) + "\n" + PicturePage(0), c.showAt);
    levels::NewGamePlayer(*ctx, 3);
    ctx->Level.CurrentLevel = 1;
    if (c.direct)
      levels::StartLevelDirect(*ctx, 1);
    else
      levels::StartLevelFromMenu(*ctx);
    ASSERT_TRUE(levels::LoadCurrentLevel(*ctx));
    EXPECT_EQ(ctx->GameState, c.afterLoad);
    EXPECT_EQ(ctx->Level.CutSceneShowAt, c.showAt);
    EXPECT_FALSE(CS().SkipBeforeLevelOnce) << "used up by the first load";
    // The HUD stays away while a cut-scene before the level runs.
    EXPECT_EQ(L().InterFaceDummyCube->Visible, ctx->GameState != "cutscene");
    // The statistics click.
    ctx->GameState = "statistics";
    ctx->Player.ShownScore = double(ctx->Player.Scores);
    interface::StatisticsPress(*ctx);
    EXPECT_EQ(ctx->GameState, c.afterStatistics);
    L().CutSceneDummyCube->Visible = false;
  }
}

}  // namespace
}  // namespace vlm::test
