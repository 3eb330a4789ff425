#pragma once
// The level loader's view of the running game: what LoadLevel does to the enemies, the
// player, the scenery, the profile and the music, over one game context.
#include "levels/LevelLoader.h"

namespace vlm { struct GameContext; }

namespace vlm::levels {

class TGameLevelHost final : public ILevelHost {
 public:
  explicit TGameLevelHost(GameContext& ctx) : ctx_(ctx) {}

  void SetGameState(std::string_view state) override;
  // A fresh stream for the level, drawn from the game's generator (which start-up seeds from
  // the clock, or from --seed), so that a seeded run replays the same level.
  void ReseedRandom() override;
  void ResetLevelState() override;
  void AddEnemyPlaceholder(const TPlacement& placement) override;
  size_t EnemyKindCount() const override;
  void ApplyImageSettings() override;
  void LoadLayerFile(const std::string& path) override;

  void AddUpgradePoints(int32_t points) override;
  int32_t UnlockedSkins() const override;
  void SetUnlockedSkins(int32_t count) override;
  int32_t RememberedSkins() const override;
  void SetRememberedSkins(int32_t count) override;
  void SetCurrentSkin(int32_t skin) override;
  void DeactivateBonuses() override;
  TShipConfig Ship() const override;
  void SetShip(const TShipConfig& ship) override;
  const std::string& SavedShipCode() const override;
  void SetSavedShipCode(const std::string& code) override;
  void ApplyShipModels() override;
  void RepairShip() override;

  bool HasProfileFile() const override;
  void WriteSaveSlot(int32_t slot) override;
  void StartCutScene() override;
  void ApplyBlur(const TBlurSettings& blur) override;
  void SetCloudSpeeds(double clouds1Speed, double layerTexSpeed) override;
  void ApplyScenery(const TScenery& scenery) override;
  int32_t MusicVolume() const override;
  int32_t CurrentMusicOrder() const override;
  void PlayMusicFromOrder(int32_t order) override;

 private:
  GameContext& ctx_;
};

}  // namespace vlm::levels
