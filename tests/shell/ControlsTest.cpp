// The controls of play in "game.ini", the controller and key events of input scripts, and the
// controls line of replays.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "data/DataStore.h"
#include "data/Options.h"
#include "data/TempFolder.h"
#include "context/Controls.h"
#include "shell/InputScript.h"
#include "shell/Replay.h"

namespace vlm::test {
namespace {

using vlm::Action;
using vlm::Key;
using vlm::PadControl;
using vlm::TBinding;

class ControlsFileTest : public ::testing::Test {
 protected:
  ControlsFileTest() : store(temp.Path() / "game", temp.Path() / "user") {
    std::filesystem::create_directories(temp.Path() / "game");
    std::filesystem::create_directories(temp.Path() / "user");
  }
  std::vector<std::string> Read(const std::string& text, vlm::TControls& c) {
    std::ofstream(data::UserOptionsFile(store)) << text;
    store.ClearCache();
    return vlm::ReadControls(store, data::UserOptionsFile(store), c);
  }
  vlm::testing::TempFolder temp;
  data::DataStore store;
};

TEST_F(ControlsFileTest, AFileWithoutTheSectionPlaysWithTheDefaults) {
  vlm::TControls c;
  c.Keys[0][0] = TBinding::OfKey(Key::Q);
  EXPECT_TRUE(Read("[OPTIONS]\nResolution=3\n", c).empty());
  EXPECT_EQ(c, vlm::DefaultControls());
  EXPECT_EQ(c.Keys[size_t(Action::Fire)][0], TBinding::OfKey(Key::Space));
  EXPECT_EQ(c.Pad[size_t(Action::SteerLeft)][0], TBinding::OfPad(PadControl::LeftStickLeft));
}

TEST_F(ControlsFileTest, SavedControlsReadBackAndLeaveTheOptionsKeysAlone) {
  std::ofstream(data::UserOptionsFile(store)) << "[OPTIONS]\nResolution=2\nMouseSpeed=0,5\n";
  vlm::TControls c = vlm::DefaultControls();
  c.Keys[size_t(Action::Fire)] = {TBinding::OfKey(Key::F), TBinding{}};
  c.Pad[size_t(Action::Rockets)][1] = TBinding::OfPad(PadControl::RightShoulder);
  vlm::SaveControls(store, c);
  store.ClearCache();
  EXPECT_EQ(store.ReadIniValue(data::UserOptionsFile(store).string(), "OPTIONS", "MouseSpeed"), "0,5");
  EXPECT_EQ(store.ReadIniValue(data::UserOptionsFile(store).string(), "CONTROLS", "KeyFire1"), "F");
  EXPECT_EQ(store.ReadIniValue(data::UserOptionsFile(store).string(), "CONTROLS", "KeyFire2"), "");
  vlm::TControls back;
  EXPECT_TRUE(vlm::ReadControls(store, data::UserOptionsFile(store), back).empty());
  EXPECT_EQ(back, c);
}

// Each bad value leaves its place empty and is named with its file, section and key.
TEST_F(ControlsFileTest, BadValuesLeaveTheirPlaceEmptyAndAreNamed) {
  struct Case {
    const char* Line;
    const char* Key;
    const char* Why;
  } cases[] = {
      {"KeyFire1=Jump", "KeyFire1", "is not a key"},
      {"KeyFire1=Escape", "KeyFire1", "kept for the menus"},
      {"PadPause1=Back", "PadPause1", "kept for the menus"},
      {"PadFire1=Z", "PadFire1", "is not a controller"},
      // The second holder of a key is refused: one key, one action.
      {"KeyFire1=X\nKeyRockets1=X", "KeyRockets1", "already taken by fire"},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.Line);
    vlm::TControls c;
    const auto messages = Read(std::string("[CONTROLS]\n") + k.Line + "\n", c);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("[CONTROLS] " + std::string(k.Key)), std::string::npos) << messages[0];
    EXPECT_NE(messages[0].find(k.Why), std::string::npos) << messages[0];
    EXPECT_NE(messages[0].find("game.ini"), std::string::npos) << messages[0];
  }
  vlm::TControls c;
  Read("[CONTROLS]\nKeyFire1=X\n", c);
  EXPECT_EQ(c.Keys[size_t(Action::Fire)][0], TBinding::OfKey(Key::X));
  EXPECT_TRUE(c.Keys[size_t(Action::Rockets)][0].Empty());
  // A default that a chosen key took is left out, without a message.
  EXPECT_TRUE(Read("[CONTROLS]\nKeyPause1=Space\n", c).empty());
  EXPECT_EQ(c.Keys[size_t(Action::Pause)][0], TBinding::OfKey(Key::Space));
  EXPECT_TRUE(c.Keys[size_t(Action::Fire)][0].Empty());
}

TEST(InputScriptPadTest, ControllerAndKeyEventsParseAndPrintBack) {
  for (const char* line : {"5 pad A down", "6 pad DpadLeft up", "7 pad LeftX -32768", "8 pad RightTrigger 32767",
                           "9 pad added", "10 pad removed", "11 key Space down", "12 key F up", "13 key 7 down",
                           "14 key Semicolon up"}) {
    std::string why;
    const auto e = shell::ParseInputEvent(line, why);
    ASSERT_TRUE(e) << line << ": " << why;
    EXPECT_EQ(shell::FormatInputEvent(*e), line);
  }
  for (const char* line : {"5 pad A", "5 pad A pressed", "5 pad Turbo down", "5 pad LeftX 32768", "5 pad LeftX 1.5",
                           "5 pad LeftX", "5 pad", "5 pad added now", "5 key ; down", "5 key Jump down"}) {
    std::string why;
    EXPECT_FALSE(shell::ParseInputEvent(line, why)) << line;
    EXPECT_FALSE(why.empty()) << line;
  }
}

TEST(ReplayControlsTest, TheControlsLineCarriesTheControlsAndIsChecked) {
  const std::string head = "velmora2 replay 1\nseed 1\noptions 3 0,8 0,9 1,2 0 0,8 0,9 0 1\n";
  const std::string good =
      "controls F - X Shift P Pause Left A Right D A RightTrigger B LeftTrigger Start - LeftStickLeft DpadLeft "
      "LeftStickRight DpadRight\n";
  const shell::TReplay r = shell::ParseReplay(head + good + "F 16000\n", "ok.replay");
  EXPECT_EQ(r.Controls.Keys[size_t(Action::Fire)][0], TBinding::OfKey(Key::F));
  EXPECT_TRUE(r.Controls.Keys[size_t(Action::Fire)][1].Empty());
  EXPECT_EQ(r.Controls.Pad[size_t(Action::Rockets)][1], TBinding::OfPad(PadControl::LeftTrigger));
  // Without the line, the defaults (replays recorded before controls existed).
  EXPECT_EQ(shell::ParseReplay(head + "F 16000\n", "old.replay").Controls, vlm::DefaultControls());
  for (const std::string& bad : std::vector<std::string>{
           "controls F - X\n",                                                       // too few
           "controls Jump - X Shift P Pause Left A Right D A RightTrigger B LeftTrigger Start - LeftStickLeft DpadLeft LeftStickRight DpadRight\n",
           "controls Escape - X Shift P Pause Left A Right D A RightTrigger B LeftTrigger Start - LeftStickLeft DpadLeft LeftStickRight DpadRight\n",
           "controls F F X Shift P Pause Left A Right D A RightTrigger B LeftTrigger Start - LeftStickLeft DpadLeft LeftStickRight DpadRight\n",
           "controls F - X Shift P Pause Left A Right D Back RightTrigger B LeftTrigger Start - LeftStickLeft DpadLeft LeftStickRight DpadRight\n",
           good + good,
           "F 16000\n" + good}) {
    EXPECT_THROW(shell::ParseReplay(head + bad, "bad.replay"), std::runtime_error) << bad;
  }
}

}  // namespace
}  // namespace vlm::test
