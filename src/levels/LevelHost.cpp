#include "levels/LevelHost.h"

#include <cstdio>
#include <exception>
#include <string>

#include "combat/Enemies.h"
#include "combat/Player.h"
#include "levels/CutScene.h"
#include "levels/Scenery.h"
#include "data/Errors.h"
#include "data/Numbers.h"
#include "data/Profiles.h"
#include "levels/ShipCode.h"
#include "context/GameContext.h"
#include "sound/SoundUnit.h"

namespace vlm::levels {

void TGameLevelHost::SetGameState(std::string_view state) { ctx_.GameState = std::string(state); }

void TGameLevelHost::ReseedRandom() { ctx_.Rng.Seed(ctx_.Rng.Next()); }

void TGameLevelHost::ResetLevelState() {
  combat::ResetEnemyLevelState(ctx_);  // no hit boxes, no pending hits, no leader
  ctx_.Aftermath.LiveExplosions = 0;
  ctx_.Aftermath.ExplosionLayer = 0;
  ctx_.Player.ShownScore = double(ctx_.Player.Scores);
  ctx_.Hud.LevelStats = interface::TLevelStats{};
  ctx_.Ship.HoverDirection = 1;
  ctx_.L.PlayerDummy->Position.y = 0.0f;
}

void TGameLevelHost::AddEnemyPlaceholder(const TPlacement& placement) {
  combat::AddEnemyPlaceholder(ctx_, placement);
}

size_t TGameLevelHost::EnemyKindCount() const { return ctx_.EnemyKinds.size(); }

void TGameLevelHost::ApplyImageSettings() { levels::ApplyImageSettings(ctx_); }

void TGameLevelHost::LoadLayerFile(const std::string& path) { levels::LoadLayerFile(ctx_, path); }

void TGameLevelHost::AddUpgradePoints(int32_t points) { ctx_.Player.UpgradePoints += points; }
int32_t TGameLevelHost::UnlockedSkins() const { return ctx_.Player.Skins; }
void TGameLevelHost::SetUnlockedSkins(int32_t count) { ctx_.Player.Skins = count; }
int32_t TGameLevelHost::RememberedSkins() const { return ctx_.Player.PreviousSkins; }
void TGameLevelHost::SetRememberedSkins(int32_t count) { ctx_.Player.PreviousSkins = count; }
void TGameLevelHost::SetCurrentSkin(int32_t skin) { ctx_.Player.CurrentSkin = skin; }

void TGameLevelHost::DeactivateBonuses() {
  data::TPlayer& p = ctx_.Player;
  p.ShieldSeconds = p.SatelliteSeconds = p.DoubleDamageSeconds = 0;
  p.BurnShotSeconds = p.FreezeShotSeconds = p.SlowMotionSeconds = 0;
  if (ctx_.Ship.PlayerHitSphere) ctx_.Ship.PlayerHitSphere->Visible = false;
  if (ctx_.Ship.Bonus5Sprite) ctx_.Ship.Bonus5Sprite->Visible = false;
}

TShipConfig TGameLevelHost::Ship() const {
  return combat::CurrentShipConfig(ctx_);
}

void TGameLevelHost::SetShip(const TShipConfig& ship) {
  combat::ApplyShipConfig(ctx_, ship);
}

const std::string& TGameLevelHost::SavedShipCode() const { return ctx_.Player.SavedShipCode; }
void TGameLevelHost::SetSavedShipCode(const std::string& code) { ctx_.Player.SavedShipCode = code; }

void TGameLevelHost::ApplyShipModels() {
  combat::ApplyShipModels(ctx_);
}

void TGameLevelHost::RepairShip() {
  ctx_.Player.Health = 100.0;
  ctx_.Player.Armor = combat::MaxArmorForLevel(ctx_.Player.ArmorLevel);
}

bool TGameLevelHost::HasProfileFile() const { return !ctx_.Player.FileName.empty(); }

void TGameLevelHost::WriteSaveSlot(int32_t slot) {
  if (slot < 0 || slot >= data::kSaveSlotCount)
    throw data::DataError("[SAVE] index = " + std::to_string(slot) + " is not a save slot (0 to " +
                          std::to_string(data::kSaveSlotCount - 1) + ")");
  if (ctx_.Demo.Active) return;  // the menu's demo plays a level; it keeps nothing of it
  data::TPlayer& p = ctx_.Player;
  data::TSaves values;
  values.Scores = p.Scores;
  values.Health = p.Health;
  values.Armor = p.Armor;
  if (!p.SavedShipCode.empty()) {
    // A time ship is flown: the slot keeps it and the player's own ship beside it.
    values.TimeShip = p.SavedShipCode;
    values.Ship = ctx_.Level.TimeShipCode;
  } else {
    // The own ship; "TimeShip" is cleared, so an older time ship of the slot is not restored.
    values.Ship = EncodeShipCode(Ship());
  }
  values.Lifes = p.Lifes;
  values.BonusLifeIndex = p.BonusLifeIndex;
  values.Points = p.UpgradePoints;

  // The slot opens in memory at once, so the choose-level screen has it even if the file
  // cannot be written; what the file says is what the next start sees.
  data::TSaves& kept = ctx_.Menus.Saves[size_t(slot)];
  const std::string title = kept.Title, logo = kept.LogoName;
  const int32_t level = kept.Level;
  kept = values;
  kept.Visible = true;
  kept.Title = title;
  kept.LogoName = logo;
  kept.Level = level;
  try {
    data::SaveSlot(*ctx_.Data, p.FileName, slot, values);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "velmora2: save slot %d of the profile %s cannot be written: %s\n", slot,
                 p.FileName.c_str(), e.what());
    if (!ctx_.Menus.Profiles.WriteFailureReported) {
      ctx_.Menus.Profiles.WriteFailureReported = true;
      ctx_.Platform().ShowError("Velmora 2", "Your progress cannot be saved in " +
                                                 data::ProfilesFolder(*ctx_.Data).string() + " (" + e.what() +
                                                 "). You can play on, but it will not be kept.");
    }
  }
}

void TGameLevelHost::StartCutScene() {
  // A level started from the command line begins at once, without the story before it.
  if (ctx_.CutScene.SkipBeforeLevelOnce) {
    ctx_.CutScene.SkipBeforeLevelOnce = false;
    return;
  }
  // One that cannot be shown has said why; the level flies in without it.
  levels::StartCutScene(ctx_);
}

void TGameLevelHost::ApplyBlur(const TBlurSettings& blur) { ApplyLevelBlur(ctx_, blur); }

void TGameLevelHost::SetCloudSpeeds(double clouds1Speed, double layerTexSpeed) {
  levels::SetCloudSpeeds(ctx_, clouds1Speed, layerTexSpeed);
}

void TGameLevelHost::ApplyScenery(const TScenery& scenery) { ApplySceneryKeys(ctx_, scenery); }

int32_t TGameLevelHost::MusicVolume() const {
  return int32_t(data::RoundHalfEven(ctx_.Options.MusicVolume * 100.0));
}

int32_t TGameLevelHost::CurrentMusicOrder() const { return vlm::CurrentMusicOrder; }

void TGameLevelHost::PlayMusicFromOrder(int32_t order) {
  vlm::CurrentMusicOrder = order;
  SetMusicOrder(order);
}

}  // namespace vlm::levels
