#pragma once
// What the HUD and the statistics screen share with the rest of the game (ctx.Hud): the level's
// counters and their objects.
#include <cstdint>

namespace vlm::scene {
class TGLDummyCube;
class TGLHUDSprite;
class TGLHUDText;
class TGLSprite;
}  // namespace vlm::scene

namespace vlm::interface {

// The counters of one level, zeroed by the level load. The enemies, the weapons and the
// bonuses keep them up to date; the statistics screen turns them into percentages.
struct TLevelStats {
  int32_t EnemiesTotal = 0;      // +1 for every enemy spawned
  int32_t EnemiesDestroyed = 0;  // +1 for every enemy destroyed (not one that flew away)
  int32_t BonusesTaken = 0;      // +1 for every bonus picked up
  int32_t BonusesTotal = 0;      // +1 for every bonus dropped
  int64_t Hits = 0;              // +1 for every player shot that hits
  int64_t Shots = 0;             // +1 for every player shot fired
  double EnemiesPercent = 0.0, EnemiesShown = 0.0;    // target and displayed value
  double BonusesPercent = 0.0, BonusesShown = 0.0;
  double AccuracyPercent = 0.0, AccuracyShown = 0.0;
};
static_assert(sizeof(TLevelStats) == 80, "the level statistics record is 80 bytes");

using scene::TGLDummyCube;
using scene::TGLHUDSprite;
using scene::TGLHUDText;
using scene::TGLSprite;

// The shared state of the HUD and the statistics screen (ctx.Hud).
struct THudState {
  TLevelStats LevelStats;

  // HUD, children of InterFaceDummyCube.
  TGLHUDSprite* ArmorAndHealth = nullptr;
  TGLHUDText* PlayerHealthText = nullptr;
  TGLHUDText* PlayerArmorText = nullptr;
  TGLHUDSprite* RocketsSprite = nullptr;
  TGLHUDText* RocketsHUDText = nullptr;
  TGLHUDSprite* ScoresAndLevel = nullptr;
  TGLHUDText* LevelText = nullptr;
  TGLHUDText* PlayerScoresText = nullptr;
  TGLHUDText* DemoText = nullptr;  // under the score while the menu's demo plays
  TGLHUDSprite* LifesIndicator = nullptr;
  TGLHUDText* PlayerLifesText = nullptr;

  // Statistics screen, children of StatisticsDummyCube.
  TGLDummyCube* GLDummyCube1 = nullptr;
  TGLSprite* StatisticsPanelSprite = nullptr;
  TGLHUDText* SPS_EnemiesDestroyed = nullptr;
  TGLHUDText* SPS_EnemiesDestroyedVal = nullptr;
  TGLHUDText* SPS_BonusesTaken = nullptr;
  TGLHUDText* SPS_BonusesTakenVal = nullptr;
  TGLHUDText* SPS_Accuracy = nullptr;
  TGLHUDText* SPS_AccuracyVal = nullptr;
  TGLHUDText* SPS_Scores = nullptr;
  TGLHUDText* SPS_ScoresVal = nullptr;
  TGLHUDText* SPS_clickmouseText = nullptr;

  // The layout size the objects were last placed for.
  int LayoutWidth = 1024, LayoutHeight = 768;
};

}  // namespace vlm::interface
