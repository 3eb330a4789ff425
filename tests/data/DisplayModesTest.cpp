// "supportres.txt": one line per display mode, "<width>x<height> <colours> Colors", where the
// colours are 2 to the power of (bits per pixel modulo 32).
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "data/DataStore.h"
#include "data/DisplayModes.h"
#include "data/Errors.h"
#include "TempFolder.h"

namespace vlm::data {
namespace {

TEST(DisplayModesTest, EachModeIsOneLineWithItsColoursAsTwoToTheBitsModulo32) {
  const struct {
    TDisplayMode Mode;
    const char* Line;
  } cases[] = {
      {{640, 480, 16}, "640x480 65536 Colors"},
      {{1920, 1080, 24}, "1920x1080 16777216 Colors"},
      {{1024, 768, 32}, "1024x768 1 Colors"},  // 32 modulo 32 is 0: one colour, as the list has it
      {{800, 600, 8}, "800x600 256 Colors"},
      {{320, 200, 4}, "320x200 16 Colors"},
      {{640, 480, 15}, "640x480 32768 Colors"},
      {{3840, 2160, 30}, "3840x2160 1073741824 Colors"},
      {{640, 480, 31}, "640x480 -2147483648 Colors"},  // a 32-bit signed value
      {{640, 480, 0}, "640x480 1 Colors"},
  };
  for (const auto& c : cases) EXPECT_EQ(DisplayModeLine(c.Mode), c.Line);
}

TEST(DisplayModesTest, TheFileListsTheModesInTheirOrderAndReplacesAnOlderOne) {
  vlm::testing::TempFolder dir;
  DataStore store(dir / "game", dir / "user" / "Quorvel Works" / "Velmora 2");
  const std::filesystem::path file = dir / "user" / "Quorvel Works" / "Velmora 2" / "supportres.txt";
  // The player's folder does not exist yet: it is made.
  WriteSupportedResolutions(store, {{1920, 1080, 24}, {1280, 1024, 24}, {640, 480, 16}});
  EXPECT_EQ(vlm::testing::ReadFile(file), "1920x1080 16777216 Colors\n1280x1024 16777216 Colors\n640x480 65536 Colors\n");
  // A later start with another display replaces the list.
  WriteSupportedResolutions(store, {{800, 600, 32}});
  EXPECT_EQ(vlm::testing::ReadFile(file), "800x600 1 Colors\n");
  // No modes at all (no display): an empty list, not an error.
  WriteSupportedResolutions(store, {});
  EXPECT_EQ(vlm::testing::ReadFile(file), "");
}

TEST(DisplayModesTest, AFolderInThePlaceOfTheFileIsReportedByName) {
  vlm::testing::TempFolder dir;
  DataStore store(dir / "game", dir / "user");
  std::filesystem::create_directories(dir / "user" / "supportres.txt" / "inside");
  try {
    WriteSupportedResolutions(store, {{640, 480, 16}});
    FAIL() << "no error";
  } catch (const EWriteError& e) {
    EXPECT_NE(std::string(e.what()).find("supportres.txt"), std::string::npos) << e.what();
  }
  EXPECT_TRUE(std::filesystem::is_directory(dir / "user" / "supportres.txt" / "inside"));
}

}  // namespace
}  // namespace vlm::data
