#pragma once
// The head-up display of a running level (health, armour, rockets, lives, level and score with
// its count-up) and the objects of the statistics screen. The layout is authored in pixels of
// the 1024 by 768 window and placed for the window's size when it is built.
#include <string>

#include "context/HudState.h"
#include "interface/Statistics.h"
#include "scene/Objects.h"

namespace vlm { struct GameContext; }

namespace vlm::interface {

using scene::TGLDummyCube;
using scene::TGLHUDSprite;
using scene::TGLHUDText;
using scene::TGLSprite;


// Creates the HUD and statistics objects under InterFaceDummyCube and StatisticsDummyCube
// (called by BuildLayout) and places them for the context's window size.
void CreateHudLayout(GameContext& ctx);
// Places the HUD and statistics texts and frames for a window of width x height, scaling the
// 1024 by 768 layout. Called when the window size changes.
void PlaceHudLayout(GameContext& ctx, int width, int height);
// Every frame in "game", "levelintro" and "levelintro2": lives, the score count-up, level,
// rockets, health and armour with their colours.
void HudFrame(GameContext& ctx);
// "score:" and the shown score rounded; the lives.
void SetScoreText(GameContext& ctx);
void SetLifesText(GameContext& ctx);
// The colour of the ship's flare at a health: red 100 / health, green and blue 1 - 10 / health,
// clamped to 0..1 (white-hot when healthy, deep red when nearly dead).
scene::TColor HealthFlareColour(double health);

}  // namespace vlm::interface
