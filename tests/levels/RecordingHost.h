#pragma once
// A level host that records what the loader asks of the game and keeps the few player
// values the loader reads back. Initial values are those of a new game.

#include <string>
#include <vector>

#include "levels/LevelLoader.h"

namespace vlm::test {

class RecordingHost : public levels::ILevelHost {
public:
    // The player.
    int32_t upgradePoints = 0;
    int32_t unlockedSkins = 6;
    int32_t rememberedSkins = 1;
    int32_t currentSkin = 1;
    levels::TShipConfig ship;
    std::string savedShipCode;
    double health = 100.0;
    int32_t armor = 0;
    bool hasProfile = true;
    int32_t musicVolume = 50;
    int32_t musicOrder = 0;
    size_t enemyKinds = 20;

    // What the loader did.
    std::string gameState = "loading";
    std::vector<std::string> calls;
    std::vector<levels::TPlacement> placements;
    std::vector<int32_t> savedSlots;
    std::vector<std::string> layerFiles;
    std::vector<levels::TScenery> sceneries;
    levels::TBlurSettings blur;

    void SetGameState(std::string_view state) override {
        gameState = state;
        calls.push_back("state " + gameState);
    }
    void ReseedRandom() override { calls.push_back("reseed"); }
    void ResetLevelState() override { calls.push_back("reset"); }
    void AddEnemyPlaceholder(const levels::TPlacement& p) override {
        placements.push_back(p);
        calls.push_back("placeholder");
    }
    size_t EnemyKindCount() const override { return enemyKinds; }
    void ApplyImageSettings() override { calls.push_back("image settings"); }
    void LoadLayerFile(const std::string& path) override {
        layerFiles.push_back(path);
        calls.push_back("layer file");
    }
    void AddUpgradePoints(int32_t points) override { upgradePoints += points; }
    int32_t UnlockedSkins() const override { return unlockedSkins; }
    void SetUnlockedSkins(int32_t count) override { unlockedSkins = count; }
    int32_t RememberedSkins() const override { return rememberedSkins; }
    void SetRememberedSkins(int32_t count) override { rememberedSkins = count; }
    void SetCurrentSkin(int32_t skin) override { currentSkin = skin; }
    void DeactivateBonuses() override { calls.push_back("deactivate bonuses"); }
    levels::TShipConfig Ship() const override { return ship; }
    void SetShip(const levels::TShipConfig& s) override {
        ship = s;
        armor = levels::ArmorPointsForLevel(s.ArmorLevel);
    }
    const std::string& SavedShipCode() const override { return savedShipCode; }
    void SetSavedShipCode(const std::string& code) override { savedShipCode = code; }
    void ApplyShipModels() override { calls.push_back("ship models"); }
    void RepairShip() override {
        health = 100.0;
        armor = levels::ArmorPointsForLevel(ship.ArmorLevel);
    }
    bool HasProfileFile() const override { return hasProfile; }
    void WriteSaveSlot(int32_t slot) override {
        savedSlots.push_back(slot);
        calls.push_back("save slot");
    }
    void StartCutScene() override { SetGameState("cutscene"); }
    void ApplyBlur(const levels::TBlurSettings& b) override {
        blur = b;
        calls.push_back("blur");
    }
    void SetCloudSpeeds(double, double) override { calls.push_back("cloud speeds"); }
    void ApplyScenery(const levels::TScenery& s) override {
        sceneries.push_back(s);
        calls.push_back("scenery");
    }
    int32_t MusicVolume() const override { return musicVolume; }
    int32_t CurrentMusicOrder() const override { return musicOrder; }
    void PlayMusicFromOrder(int32_t order) override {
        musicOrder = order;
        calls.push_back("music " + std::to_string(order));
    }
};

} // namespace vlm::test
