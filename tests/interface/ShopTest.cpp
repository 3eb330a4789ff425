// The shop between levels, driven through the real input dispatch: the pointer is moved onto the
// arrows and buttons as they are drawn and the mouse button pressed, as a player does.
#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "combat/Player.h"
#include "combat/Weapons.h"
#include "interface/Shop.h"
#include "levels/LevelRun.h"
#include "scene/Projection.h"
#include "scene/SceneTypes.h"
#include "shell/FrameLoop.h"
#include "shell/Input.h"
#include "shell/ShellFixture.h"
#include "sound/SoundUnit.h"

namespace vlm::test {
namespace {

using interface::TUpgrade;

// Where a press lands: a row's minus or plus.
enum class TArrow { Minus, Plus };
struct TPress {
  TUpgrade Row;
  TArrow Arrow;
};

// The upgrade levels in row order, and the points.
struct TLevels {
  int Primary = 1, Mega = 0, Autoaim = 0, Secondary = 1, Armor = 0, Regen = 0, Bonus = 0, Freeze = 0;
  int Points = 0;
  bool operator==(const TLevels&) const = default;
};

std::ostream& operator<<(std::ostream& os, const TLevels& l) {
  return os << "primary " << l.Primary << ", mega " << l.Mega << ", autoaim " << l.Autoaim << ", secondary "
            << l.Secondary << ", armor " << l.Armor << ", regeneration " << l.Regen << ", bonus " << l.Bonus
            << ", time-freeze " << l.Freeze << ", points " << l.Points;
}

class ShopTest : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    levels::PlaceCamera(*ctx);
    L().GameIntroDummy->Visible = false;
    ctx->Options.SoundVolume = 1.0;
  }

  void Set(const TLevels& l) {
    data::TPlayer& p = ctx->Player;
    p.PrimaryLevel = uint8_t(l.Primary);
    p.MegaLevel = uint8_t(l.Mega);
    p.AutoaimLevel = uint8_t(l.Autoaim);
    p.RocketLevel = uint8_t(l.Secondary);
    p.ArmorLevel = uint8_t(l.Armor);
    p.RegenLevel = uint8_t(l.Regen);
    p.BonusStrengthLevel = uint8_t(l.Bonus);
    p.TimeFreezeLevel = uint8_t(l.Freeze);
    p.UpgradePoints = l.Points;
  }
  TLevels Get() const {
    const data::TPlayer& p = ctx->Player;
    return {p.PrimaryLevel, p.MegaLevel,          p.AutoaimLevel,    p.RocketLevel,    p.ArmorLevel,
            p.RegenLevel,   p.BonusStrengthLevel, p.TimeFreezeLevel, p.UpgradePoints};
  }

  void Enter(const TLevels& l) {
    Set(l);
    interface::EnterShop(*ctx);
    driver->Step();
  }

  interface::TShopRow& Row(TUpgrade u) { return ctx->Shop.Rows[size_t(u)]; }
  scene::TGLSprite* ArrowOf(const TPress& p) { return p.Arrow == TArrow::Minus ? Row(p.Row).Minus : Row(p.Row).Plus; }

  // Moves the pointer onto an object's centre as drawn.
  void PointAt(const scene::TGLBaseSceneObject& o) {
    const scene::TViewProjection vp =
        scene::ComputeViewProjection(ctx->Scene.Camera(), ctx->ViewportWidth, ctx->ViewportHeight);
    glm::vec3 w;
    ASSERT_TRUE(scene::WorldToWindow(vp, o.AbsolutePosition(), w)) << o.Name;
    shell::GLSceneViewer1MouseMove(*ctx, int32_t(std::lround(w.x)), int32_t(std::lround(w.y)));
  }
  // A press and release on the object; a frame runs between them.
  void Click(const scene::TGLBaseSceneObject& o) {
    PointAt(o);
    shell::GLSceneViewer1MouseDown(*ctx, shell::MouseButton::Left);
    driver->Step();
    shell::GLSceneViewer1MouseUp(*ctx, shell::MouseButton::Left);
  }

  size_t SoundsSince(uint64_t before, const char* name) const {
    size_t n = 0;
    for (uint64_t i = 0; i < Audio().StartCount() - before; ++i) n += Audio().RecentStart(i).Name() == name;
    return n;
  }
};

TEST_F(ShopTest, EveryArrowIsDrawnWhereItCanBePressed) {
  Enter({});
  for (size_t i = 0; i < interface::kUpgradeCount; ++i)
    for (scene::TGLSprite* arrow : {ctx->Shop.Rows[i].Minus, ctx->Shop.Rows[i].Plus}) {
      PointAt(*arrow);
      EXPECT_EQ(ctx->Scene.GetPickedObject(ctx->MouseX, ctx->MouseY, ctx->ViewportWidth, ctx->ViewportHeight), arrow)
          << arrow->Name;
    }
}

TEST_F(ShopTest, AClickAfterTheStatisticsOfAShopLevelOpensTheShop) {
  ctx->Level.ShopAfterLevel = true;
  ctx->GameState = "statistics";
  L().StatisticsDummyCube->Visible = L().SceneDummyCube->Visible = L().InterFaceDummyCube->Visible = true;
  ctx->Scenery.Layer2Dummy->Visible = true;
  ctx->Player.Scores = 1200;
  ctx->Player.ShownScore = 1200.0;  // the count-up has finished
  const uint64_t before = Audio().StartCount();
  shell::GLSceneViewer1MouseDown(*ctx, shell::MouseButton::Left);
  EXPECT_EQ(ctx->GameState, "shop");
  EXPECT_FALSE(ctx->LeftClick);
  EXPECT_TRUE(L().ShopDummyCube->Visible);
  EXPECT_TRUE(ctx->Shop.ShopBlur->Visible);
  EXPECT_TRUE(L().CursorImage->Visible);
  for (const scene::TGLBaseSceneObject* hidden :
       {static_cast<scene::TGLBaseSceneObject*>(L().StatisticsDummyCube), static_cast<scene::TGLBaseSceneObject*>(L().SceneDummyCube),
        static_cast<scene::TGLBaseSceneObject*>(L().InterFaceDummyCube),
        static_cast<scene::TGLBaseSceneObject*>(ctx->Scenery.Layer2Dummy)})
    EXPECT_FALSE(hidden->Visible) << hidden->Name;
  EXPECT_EQ(SoundsSince(before, "shop"), 1u);
  shell::GLSceneViewer1MouseUp(*ctx, shell::MouseButton::Left);
  driver->Step();
  EXPECT_EQ(ctx->Shop.UpgradePointsText->Text, "upgrade points left:0");
  // Leaving brings the world and the scenery layer back for the fly-out.
  Click(*ctx->Shop.ContinueButtonSprite);
  EXPECT_EQ(ctx->GameState, "levelintro");
  EXPECT_TRUE(ctx->Scenery.Layer2Dummy->Visible);
  EXPECT_TRUE(L().LogoHudSprite->Visible);
  EXPECT_FALSE(ctx->Shop.ShopBlur->Visible);
}

// Buying and selling: each case starts from its levels, presses the arrows in order and ends
// with the levels, the points and the number of presses that clicked.
TEST_F(ShopTest, BuyingAndSellingFollowTheRowsRules) {
  struct Case {
    const char* what;
    TLevels start;
    std::vector<TPress> presses;
    TLevels end;
    size_t clicks;
  };
  using enum TUpgrade;
  const TArrow M = TArrow::Minus, P = TArrow::Plus;
  const Case cases[] = {
      {"regeneration needs armour 3, 5 and 7: the third purchase is refused and the point stays",
       {.Armor = 6, .Points = 3},
       {{Regeneration, P}, {Regeneration, P}, {Regeneration, P}},
       {.Armor = 6, .Regen = 2, .Points = 1},
       2},
      {"selling armour 7 with regeneration 3 returns the regeneration level too",
       {.Armor = 7, .Regen = 3},
       {{Armor, M}},
       {.Armor = 6, .Regen = 2, .Points = 2},
       1},
      {"selling armour 5 with regeneration 2", {.Armor = 5, .Regen = 2}, {{Armor, M}}, {.Armor = 4, .Regen = 1, .Points = 2}, 1},
      {"selling armour 3 with regeneration 1", {.Armor = 3, .Regen = 1}, {{Armor, M}}, {.Armor = 2, .Points = 2}, 1},
      {"selling armour 8 keeps regeneration 3", {.Armor = 8, .Regen = 3}, {{Armor, M}}, {.Armor = 7, .Regen = 3, .Points = 1}, 1},
      {"primary bullets never below 1", {}, {{Primary, M}}, {}, 0},
      {"the secondary weapon never below 1", {}, {{Secondary, M}}, {}, 0},
      {"mega bullets down to 0", {.Mega = 1}, {{Mega, M}, {Mega, M}}, {.Points = 1}, 1},
      {"autoaim bullets down to 0", {.Autoaim = 1}, {{Autoaim, M}, {Autoaim, M}}, {.Points = 1}, 1},
      {"armour down to 0", {.Armor = 1}, {{Armor, M}, {Armor, M}}, {.Points = 1}, 1},
      {"regeneration down to 0", {.Armor = 3, .Regen = 1}, {{Regeneration, M}, {Regeneration, M}}, {.Armor = 3, .Points = 1}, 1},
      {"bonus strength down to 0", {.Bonus = 1}, {{BonusStrength, M}, {BonusStrength, M}}, {.Points = 1}, 1},
      {"time-freeze sold and bought back", {.Freeze = 1}, {{TimeFreeze, M}, {TimeFreeze, M}, {TimeFreeze, P}}, {.Freeze = 1}, 2},
      {"at the maximum a plus only clicks", {.Primary = 4, .Points = 2}, {{Primary, P}}, {.Primary = 4, .Points = 2}, 1},
      {"bonus strength stops at 5", {.Bonus = 4, .Points = 3}, {{BonusStrength, P}, {BonusStrength, P}}, {.Bonus = 5, .Points = 2}, 2},
      {"without points a plus does nothing", {}, {{Mega, P}, {Armor, P}}, {}, 0},
      {"the last point buys, the next press does nothing", {.Points = 1}, {{Secondary, P}, {Secondary, P}}, {.Secondary = 2}, 1},
      {"every point redistributed", {.Primary = 3, .Points = 0}, {{Primary, M}, {Primary, M}, {Mega, P}, {Autoaim, P}},
       {.Mega = 1, .Autoaim = 1}, 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Enter(c.start);
    const uint64_t before = Audio().StartCount();
    for (const TPress& press : c.presses) {
      Click(*ArrowOf(press));
      driver->Step();
    }
    EXPECT_EQ(Get(), c.end);
    EXPECT_EQ(SoundsSince(before, "click"), c.clicks);
    EXPECT_EQ(ctx->GameState, "shop");
    // The cubes show the levels.
    for (size_t i = 0; i < interface::kUpgradeCount; ++i) {
      const int level = interface::UpgradeLevel(*ctx, TUpgrade(i));
      for (size_t k = 0; k < Row(TUpgrade(i)).Cubes.size(); ++k)
        EXPECT_EQ(Row(TUpgrade(i)).Cubes[k]->Material.GetLibMaterialName(), int(k) < level ? "Filled" : "Empty")
            << Row(TUpgrade(i)).Cubes[k]->Name;
    }
  }
}

TEST_F(ShopTest, ARefusedRegenerationPurchaseTurnsTheNameRedAndSaysWhatIsNeeded) {
  Enter({.Armor = 6, .Regen = 2, .Points = 1});
  interface::TShopRow& regen = Row(TUpgrade::Regeneration);
  PointAt(*regen.Plus);
  driver->RunFor(100);  // an 80 ms tick looks at the pointer
  EXPECT_EQ(regen.NameText->ModulateColor.r, 1.0f);
  EXPECT_EQ(regen.NameText->ModulateColor.g, 0.0f);
  const std::string& info = ctx->Shop.UpgradeInfoText->Text;
  const std::string tail = "armor level 7 or higher is\rrequired!";
  ASSERT_GE(info.size(), tail.size());
  EXPECT_EQ(info.substr(info.size() - tail.size()), tail);
  // The press is not taken: it stays armed until the button comes up.
  shell::GLSceneViewer1MouseDown(*ctx, shell::MouseButton::Left);
  EXPECT_TRUE(ctx->LeftClick);
  EXPECT_EQ(ctx->Player.RegenLevel, 2);
  EXPECT_EQ(ctx->Player.UpgradePoints, 1);
  shell::GLSceneViewer1MouseUp(*ctx, shell::MouseButton::Left);
  // On the minus the name is green; with armour 7 the plus is green again and the text plain.
  PointAt(*regen.Minus);
  driver->RunFor(100);
  EXPECT_EQ(regen.NameText->ModulateColor.g, 1.0f);
  EXPECT_EQ(regen.NameText->ModulateColor.r, 0.0f);
  ctx->Player.ArmorLevel = 7;
  PointAt(*regen.Plus);
  driver->RunFor(100);
  EXPECT_EQ(regen.NameText->ModulateColor.r, 0.0f);
  EXPECT_EQ(regen.NameText->ModulateColor.g, 1.0f);
  EXPECT_EQ(info.find("required"), std::string::npos);
  EXPECT_EQ(info.rfind("This upgrade increases the level", 0), 0u);
  // Off every row the description goes.
  shell::GLSceneViewer1MouseMove(*ctx, 2, 2);
  driver->RunFor(100);
  EXPECT_TRUE(ctx->Shop.UpgradeInfoText->Text.empty());
  EXPECT_EQ(regen.NameText->ModulateColor.r, 1.0f);
  EXPECT_EQ(regen.NameText->ModulateColor.g, 1.0f);
}

TEST_F(ShopTest, TheRegenerationNameIsDimmedWhileTheArmourIsTooLow) {
  struct Case {
    int regen, armor;
    float alpha;
  };
  const Case cases[] = {{0, 2, 0.5f}, {0, 3, 0.9f}, {1, 4, 0.5f}, {1, 5, 0.9f}, {2, 6, 0.5f}, {2, 7, 0.9f}};
  Enter({});
  for (const Case& c : cases) {
    ctx->Player.RegenLevel = uint8_t(c.regen);
    ctx->Player.ArmorLevel = uint8_t(c.armor);
    driver->Step();
    EXPECT_FLOAT_EQ(Row(TUpgrade::Regeneration).NameText->ModulateColor.a, c.alpha)
        << "regeneration " << c.regen << ", armor " << c.armor;
  }
}

TEST_F(ShopTest, HoveringARowPlaysOverbuttonOncePerEntry) {
  Enter({.Points = 2});
  interface::TShopRow& mega = Row(TUpgrade::Mega);
  const uint64_t before = Audio().StartCount();
  PointAt(*mega.Plus);
  driver->RunFor(400);  // several ticks resting on it
  EXPECT_EQ(SoundsSince(before, "overbutton"), 1u);
  EXPECT_EQ(mega.NameText->ModulateColor.g, 1.0f);
  EXPECT_EQ(mega.NameText->ModulateColor.r, 0.0f);
  EXPECT_FLOAT_EQ(mega.Plus->Scale.z, 1.3f);
  EXPECT_EQ(ctx->Shop.UpgradeInfoText->Text, interface::UpgradeDescription(*ctx, TUpgrade::Mega));
  // From the plus to the minus of the same row is no new entry; off and back on is.
  PointAt(*mega.Minus);
  driver->RunFor(200);
  EXPECT_EQ(SoundsSince(before, "overbutton"), 1u);
  EXPECT_FLOAT_EQ(mega.Plus->Scale.z, 1.372f);
  shell::GLSceneViewer1MouseMove(*ctx, 2, 2);
  driver->RunFor(200);
  PointAt(*mega.Plus);
  driver->RunFor(200);
  EXPECT_EQ(SoundsSince(before, "overbutton"), 2u);
}

// Continue: with no points the shop is left at once; with one or more the player is asked, and
// Cancel keeps everything as it was.
TEST_F(ShopTest, ContinueAsksWhilePointsAreLeft) {
  struct Case {
    int points;
    const char* question;  // null: no question
  };
  const Case cases[] = {
      {0, nullptr},
      {1, "You have one upgrade point\rleft. Are you sure you\rwant to leave the store?"},
      {5, "You have several upgrade\rpoints left. Are you sure\ryou are finished purchasing\rupgrades?"},
      {-3, nullptr},  // a damaged save's negative points must not keep the player in the shop
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.points);
    // As the statistics leave the screen: the previous case's loading screen is gone.
    ctx->GameState = "statistics";
    L().MessageDummy->Visible = false;
    L().LogoHudSprite->Visible = L().EpisodeLogoHudSprite->Visible = L().LoadingHintsText->Visible = false;
    const TLevels start{.Primary = 2, .Mega = 1, .Armor = 3, .Points = c.points};
    Enter(start);
    Click(*ctx->Shop.ContinueButtonSprite);
    driver->Step();
    if (!c.question) {
      EXPECT_EQ(ctx->GameState, "levelintro");
      EXPECT_FALSE(L().ShopDummyCube->Visible);
      EXPECT_TRUE(L().SceneDummyCube->Visible);
      EXPECT_TRUE(L().InterFaceDummyCube->Visible);
      EXPECT_FALSE(L().CursorImage->Visible);
      continue;
    }
    ASSERT_TRUE(L().MessageDummy->Visible);
    EXPECT_EQ(ctx->Menus.MD_Text->Text, c.question);
    EXPECT_FLOAT_EQ(ctx->Menus.MD_bg->AlphaChannel, 0.85f);
    EXPECT_FALSE(ctx->Shop.TextsDummy->Visible) << "the shop's texts would be drawn over the question";
    // While the box asks, the shop's arrows do nothing.
    Click(*Row(TUpgrade::Mega).Plus);
    EXPECT_EQ(Get(), start);
    Click(*ctx->Menus.MD_Cancel.Sprite);
    driver->Step();
    EXPECT_FALSE(L().MessageDummy->Visible);
    EXPECT_EQ(ctx->GameState, "shop");
    EXPECT_TRUE(ctx->Shop.TextsDummy->Visible);
    EXPECT_EQ(Get(), start);
    Click(*ctx->Shop.ContinueButtonSprite);
    Click(*ctx->Menus.MD_Ok.Sprite);
    EXPECT_EQ(ctx->GameState, "levelintro");
    EXPECT_EQ(Get(), start);  // the points left are kept for the next visit
  }
}

TEST_F(ShopTest, LeavingCapsTheArmourAtWhatItsLevelHolds) {
  Enter({.Armor = 6});
  ctx->Player.Armor = 150;
  Click(*Row(TUpgrade::Armor).Minus);
  Click(*Row(TUpgrade::Armor).Minus);
  EXPECT_EQ(ctx->Player.ArmorLevel, 4);
  EXPECT_EQ(ctx->Player.Armor, 150);  // the shop itself leaves the value alone
  Click(*ctx->Shop.ContinueButtonSprite);
  Click(*ctx->Menus.MD_Ok.Sprite);
  ASSERT_EQ(ctx->GameState, "levelintro");
  EXPECT_EQ(ctx->Player.Armor, 100);
}

// The meshes the shop asks for, as file names.
class ShopMeshTest : public ShopTest {
 protected:
  void SetUp() override {
    ShopTest::SetUp();
    inner_ = scene::GetFileOpener();
    scene::SetFileOpener([this](const std::string& path) -> std::optional<std::vector<uint8_t>> {
      opened.push_back(path);
      return std::nullopt;
    });
  }
  void TearDown() override {
    scene::SetFileOpener(inner_);
    ShopTest::TearDown();
  }
  bool Opened(const std::string& name) const {
    for (const std::string& o : opened)
      if (o.find(name) != std::string::npos) return true;
    return false;
  }
  std::vector<std::string> opened;

 private:
  scene::TFileOpener inner_;
};

TEST_F(ShopMeshTest, TheGunsMeshIsNumberedByTheSumOfTheGunLevels) {
  Enter({.Primary = 2, .Mega = 1, .Points = 2});
  opened.clear();
  Click(*Row(TUpgrade::Autoaim).Plus);
  EXPECT_TRUE(Opened("pw4.3ds")) << (opened.empty() ? "nothing opened" : opened.back());
  EXPECT_EQ(ctx->Player.AutoaimLevel, 1);
  // The gun takes its level's parameters, and its timer starts again.
  double interval = 0, damage = 0;
  ASSERT_TRUE(combat::GunParameters(combat::TGun::Autoaim, 1, interval, damage));
  EXPECT_DOUBLE_EQ(ctx->Player.AutoaimInterval, interval);
  EXPECT_DOUBLE_EQ(ctx->Player.AutoaimDamage, damage);
  // Armour: its own mesh by its level.
  opened.clear();
  Click(*Row(TUpgrade::Armor).Plus);
  EXPECT_TRUE(Opened("abv1.3ds"));
  EXPECT_FALSE(Opened("pw"));
  // Upgrades that the ship does not show load nothing.
  opened.clear();
  Click(*Row(TUpgrade::Secondary).Minus);
  Click(*Row(TUpgrade::BonusStrength).Plus);
  EXPECT_TRUE(opened.empty());
}

TEST_F(ShopTest, OnlyUnlockedSkinsCanBeChosen) {
  Enter({});
  ctx->Player.Skins = 3;
  ctx->Player.CurrentSkin = 1;
  EXPECT_FALSE(ctx->Shop.SkinsDummyCube->Visible);
  Click(*ctx->Shop.ChooseButtonSprite);
  ASSERT_TRUE(ctx->Shop.SkinsDummyCube->Visible);
  driver->RunFor(100);
  EXPECT_FLOAT_EQ(ctx->InterFaceLibrary.LibMaterialByName("PlayerSkin3")->Material.FrontProperties.Diffuse.a, 0.8f);
  EXPECT_FLOAT_EQ(ctx->InterFaceLibrary.LibMaterialByName("PlayerSkin4")->Material.FrontProperties.Diffuse.a, 0.4f);
  const uint64_t before = Audio().StartCount();
  Click(*ctx->Shop.Skins[4]);  // skin 5: locked
  EXPECT_EQ(ctx->Player.CurrentSkin, 1);
  EXPECT_TRUE(ctx->Shop.SkinsDummyCube->Visible);
  EXPECT_EQ(SoundsSince(before, "click"), 0u);
  Click(*ctx->Shop.Skins[2]);  // skin 3
  EXPECT_EQ(ctx->Player.CurrentSkin, 3);
  EXPECT_FALSE(ctx->Shop.SkinsDummyCube->Visible);
  EXPECT_EQ(SoundsSince(before, "click"), 1u);
  // Choose toggles the chooser.
  Click(*ctx->Shop.ChooseButtonSprite);
  Click(*ctx->Shop.ChooseButtonSprite);
  EXPECT_FALSE(ctx->Shop.SkinsDummyCube->Visible);
}

TEST_F(ShopTest, TheShipRocksWithinItsLimits) {
  Enter({});
  float lowest = 0, highest = 0;
  for (int i = 0; i < 1500; ++i) {  // 24 s of 16 ms frames
    driver->Step();
    const float p = ctx->Ship.ShopPlayerModel->GetPitchAngle();
    lowest = std::min(lowest, p);
    highest = std::max(highest, p);
  }
  EXPECT_GT(highest, 34.0f);
  EXPECT_LT(lowest, -34.0f);
  EXPECT_LT(highest, 35.5f);
  EXPECT_GT(lowest, -35.5f);
}

}  // namespace
}  // namespace vlm::test
