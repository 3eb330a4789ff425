#pragma once
// What every menu screen shares: building its objects, the looks of its buttons with their
// hover and press rules, the menu's input dispatch, the placing of its texts for the window's
// size, and the animated background.
//
// Hover and press are not events: each screen's input routine looks at the object under the
// pointer on the 80 ms tick and at every left press. A button that is not under the pointer
// takes its normal look; the one under it takes its hovered look ("overbutton" on the change)
// and acts when LeftClick is set, clearing it and playing "click".
#include <string_view>

#include "context/MenuState.h"
#include "scene/Objects.h"

namespace vlm { struct GameContext; }

namespace vlm::interface {

// Where the menus stand before the camera: where the play field lies, at the scene's origin. At
// this distance one unit of the layout is 122 pixels of a 1024 by 768 window, so the frame bars
// at 2.62 sit flush with the window's edges and 8.5 across span it.
inline constexpr float kMenuDepth = 1.58f;
// The message box stands nearer than every screen it can cover (at -1.3, scaled 0.24).
inline constexpr float kMessageDepth = 0.28f;
// The dialogs' panel: a little taller than the texts laid out on it, so that every
// label stands inside its frame.
inline constexpr float kDialogScaleX = 3.9f, kDialogScaleZ = 7.85f;
// The camera of play, which the menus share (it is placed there at start-up and never leaves).
inline constexpr float kCameraX = -0.0213f, kCameraY = -1.58f, kCameraZ = 0.0097f;

template <class T>
T* AddChild(scene::TGLBaseSceneObject& parent, const char* name, bool visible = true) {
  T* o = parent.AddNewChild<T>();
  o->Name = name;
  o->Visible = visible;
  return o;
}

// A sprite of InterFaceLibrary at (x, y, z) with scale (sx, 1, sz) on a unit square.
TGLSprite* AddMenuSprite(GameContext& ctx, scene::TGLBaseSceneObject& parent, const char* name,
                         const char* material, float x, float y, float z, float sx, float sz);
// An image button "MM_<word>" / "MM_<word>Lighted".
TMaterialButton AddMaterialButton(GameContext& ctx, scene::TGLBaseSceneObject& parent, const char* name,
                                  const char* normal, const char* lighted, float x, float y, float z, float sx,
                                  float sz);
// A menu text placed at (x, y) of a 1024 by 768 window, scale (sx, sy); kept in Menus.Placed.
TGLHUDText* AddMenuText(GameContext& ctx, scene::TGLBaseSceneObject& parent, const char* name, std::string_view text,
                        float x, float y, float sx, float sy, scene::TTextAlignment alignment,
                        scene::TColor color = {1.0f, 1.0f, 1.0f, 1.0f});

// The object under the pointer, or null; the focused button while keys or a pad steer the menus.
const scene::TGLBaseSceneObject* PickUnderMouse(GameContext& ctx);
int SoundVolume100(const GameContext& ctx);
// "overbutton" / "click" at the sound volume.
void PlayOverButton(GameContext& ctx);
void PlayClick(GameContext& ctx);

// The four button looks. Each gives the normal look when `picked` is not the button and the
// hovered look when it is, and returns whether it is.
bool HoverMaterialButton(GameContext& ctx, const TMaterialButton& b, const scene::TGLBaseSceneObject* picked);
bool HoverFadeButton(GameContext& ctx, TGLSprite& b, const scene::TGLBaseSceneObject* picked);
bool HoverTextButton(GameContext& ctx, TGLHUDText& t, const scene::TGLBaseSceneObject* picked);
bool HoverBarSegment(GameContext& ctx, TGLSprite& s, const scene::TGLBaseSceneObject* picked);
// Takes the press: when LeftClick is set, clears it, plays "click" and returns true.
bool TakePress(GameContext& ctx);
// A button put back to its normal look before its screen goes.
void ResetLook(const TMaterialButton& b);

// Creates every menu screen and the message box under the layout's groups (BuildLayout).
void CreateMenuLayout(GameContext& ctx);
// Places every menu text for a window of width by height from its 1024 by 768 place.
void PlaceMenuLayout(GameContext& ctx, int width, int height);
// Rescales every menu text from one resolution index to another (1 = 640 by 480,
// 2 = 800 by 600, 3 = 1024 by 768): positions and scales by the ratio of the widths and of the
// heights. The message text is laid out anew whenever a box opens and is not touched.
void RescaleHud(GameContext& ctx, int fromIndex, int toIndex);

// The input routine of the seven menu states; idle while the message box is shown.
void MenuScreensInput(GameContext& ctx);
// Every frame in the menu states: the background drifts with the pointer and the time, the
// player's name and the pulsing hint.
void MenuBackgroundFrame(GameContext& ctx, double frameTime);
// A random background of "menu_bg.ini" into the material "MM_bg".
void PickMenuBackground(GameContext& ctx);
// Start-up: the menu pictures into InterFaceLibrary (buttons and bars come with the pause
// menu's pictures) and a first background.
void LoadMenuTextures(GameContext& ctx);
// True in the seven menu states.
bool InMenuState(const GameContext& ctx);

}  // namespace vlm::interface
