// A real SDL game controller (SDL's virtual joystick, with the game-controller layout) plugged
// in, pressed, pushed and pulled out, through the game's SDL event translation: the game sees
// the pad come and go and its buttons and sticks as the input-script events say.
#include <gtest/gtest.h>

#include <SDL.h>

#include "ShellFixture.h"
#include "shell/SdlPlatform.h"

namespace vlm::test {
namespace {

class SdlPadTest : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    ASSERT_EQ(SDL_Init(SDL_INIT_EVENTS), 0) << SDL_GetError();
    shell::StartControllers(std::filesystem::temp_directory_path() / "vlm-no-such-mappings.txt");
    ASSERT_TRUE(SDL_WasInit(SDL_INIT_GAMECONTROLLER)) << SDL_GetError();
  }
  void TearDown() override {
    SDL_Quit();
    ShellTest::TearDown();
  }
  // Hands every pending SDL event to the game.
  void Pump() {
    SDL_JoystickUpdate();
    SDL_Event ev;
    while (SDL_PollEvent(&ev)) shell::HandleSdlEvent(*ctx, ev);
  }
};

TEST_F(SdlPadTest, APadPluggedInPressedAndPulledOutReachesTheGame) {
  SDL_VirtualJoystickDesc desc{};
  desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
  desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
  desc.naxes = SDL_CONTROLLER_AXIS_MAX;
  desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
  desc.name = "Velmora test pad";
  const int index = SDL_JoystickAttachVirtualEx(&desc);
  ASSERT_GE(index, 0) << SDL_GetError();
  ASSERT_TRUE(SDL_IsGameController(index)) << "SDL gives no controller mapping to the virtual pad";
  Pump();
  EXPECT_TRUE(ctx->Input.Pad.Connected);

  SDL_Joystick* joy = SDL_JoystickFromInstanceID(SDL_JoystickGetDeviceInstanceID(index));
  ASSERT_NE(joy, nullptr) << SDL_GetError();
  ASSERT_EQ(SDL_JoystickSetVirtualButton(joy, SDL_CONTROLLER_BUTTON_A, SDL_PRESSED), 0) << SDL_GetError();
  ASSERT_EQ(SDL_JoystickSetVirtualAxis(joy, SDL_CONTROLLER_AXIS_LEFTX, -30000), 0) << SDL_GetError();
  Pump();
  EXPECT_TRUE(ctx->Input.Pad.Down(PadButton::A));
  EXPECT_LE(ctx->Input.Pad.Axis(PadAxis::LeftX), -29000);  // SDL may round the axis a little
  // In play that is the guns firing and the ship steering left.
  ctx->GameState = "game";
  driver->Step();
  driver->Step();
  EXPECT_TRUE(ctx->MouseDevice.Buttons[0]);
  EXPECT_LT(ctx->MouseDevice.DeltaX, 0);

  // Pulled out in play: everything let go, the game paused.
  ASSERT_EQ(SDL_JoystickDetachVirtual(index), 0) << SDL_GetError();
  Pump();
  EXPECT_FALSE(ctx->Input.Pad.Connected);
  EXPECT_FALSE(ctx->Input.Pad.Down(PadButton::A));
  EXPECT_EQ(ctx->Input.Pad.Axis(PadAxis::LeftX), 0);
  EXPECT_EQ(ctx->GameState, "pause");
}

TEST(SdlKeysTest, LettersDigitsAndTheKeysOfPlayMapToTheGamesKeys) {
  struct Case {
    SDL_Keycode Sdl;
    Key Game;
  } cases[] = {{SDLK_a, Key::A},         {SDLK_o, Key::O},       {SDLK_p, Key::P},       {SDLK_q, Key::Q},
               {SDLK_z, Key::Z},         {SDLK_0, Key::Num0},    {SDLK_9, Key::Num9},    {SDLK_SPACE, Key::Space},
               {SDLK_RSHIFT, Key::Shift}, {SDLK_LCTRL, Key::Ctrl}, {SDLK_F1, Key::F1},     {SDLK_F11, Key::F11},
               {SDLK_F12, Key::F12},     {SDLK_UP, Key::Up},     {SDLK_SEMICOLON, Key::Semicolon}};
  for (const Case& c : cases) {
    const auto k = shell::KeyFromSdl(c.Sdl);
    ASSERT_TRUE(k) << SDL_GetKeyName(c.Sdl);
    EXPECT_EQ(*k, c.Game) << SDL_GetKeyName(c.Sdl) << " gave " << KeyName(*k);
  }
  EXPECT_FALSE(shell::KeyFromSdl(SDLK_CAPSLOCK));
}

}  // namespace
}  // namespace vlm::test
