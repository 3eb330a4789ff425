#pragma once
// The per-frame handler of the main window, the polled frame keys, and the one way back
// from a running game to the main menu.
#include <ctime>
#include <string>

#include "context/GameStates.h"

namespace vlm { struct GameContext; }

namespace vlm::shell {

// Called by the frame clock once per tick, after every scene object has been advanced.
void GLCadencer1Progress(GameContext& ctx, double deltaTime, double newTime);
// Polled keys: screenshot, Enter, Escape. Called last in every frame.
void HandleFrameKeys(GameContext& ctx);
using vlm::ReturnToMainMenu;

// Saves the last frame into "ScreenShots" of the application-data folder, named by the date
// and time ("09_12_2026_23_51_10.bmp": day, month, year, hours, minutes, seconds).
void SaveScreenshot(GameContext& ctx);
std::string ScreenshotFileName(const std::tm& localTime);

using vlm::IsMenuState;
using vlm::IsWorldState;

}  // namespace vlm::shell
