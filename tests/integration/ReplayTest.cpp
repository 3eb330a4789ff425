// Replays through the real game program: a run recorded headless or in a window under Xvfb and
// played back headless ends in the very same snapshot.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "shell/Replay.h"

namespace vlm::test {
namespace {

namespace fs = std::filesystem;

std::string ReadText(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

class ReplayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const fs::path archive = fs::path(VLM_BUILD_DIR_DEFAULT) / "original.vlm";
    ASSERT_TRUE(fs::exists(archive)) << archive << " has not been built";
    root_ = fs::temp_directory_path() / ("vlm_replay_" + std::to_string(::getpid()) + "_" +
                                         ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(root_ / "game");
    fs::create_directories(root_ / "user");
    fs::create_symlink(archive, root_ / "game" / "original.vlm");
    std::ofstream(root_ / "input.txt") << "# fire while sweeping\n"
                                          "100 down left\n1500 rel 30 0\n2500 rel -60 0\n3500 rel 45 0\n"
                                          "4200 up left\n4300 down right\n4400 up right\n4500 down left\n"
                                          "5000 key P down\n5100 key P up\n5600 key P down\n5700 key P up\n";
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(root_, ec);
  }
  // Runs the game with the given arguments; returns its exit status.
  int Game(const std::string& args, const std::string& prefix = "") {
    std::string cmd = "XDG_DATA_HOME='" + (root_ / "user").string() + "' SDL_AUDIODRIVER=dummy LSAN_OPTIONS=suppressions=" + VLM_LSAN_SUPP + " " + prefix + " '" +
                      VLM_GAME_EXE + "' --data-dir '" + (root_ / "game").string() + "' " + args + " 2>'" +
                      (root_ / "stderr.txt").string() + "'";
    int rc = std::system(cmd.c_str());
    return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
  }
  fs::path root_;
};

TEST_F(ReplayTest, AHeadlessRunReplaysToTheSameSnapshot) {
  const std::string r = (root_ / "run.replay").string();
  ASSERT_EQ(Game("--headless --level 1 --seed 11 --frames 700 --input '" + (root_ / "input.txt").string() +
                 "' --record '" + r + "' --dump-state '" + (root_ / "a.json").string() + "'"),
            0)
      << ReadText(root_ / "stderr.txt");
  ASSERT_EQ(Game("--headless --replay '" + r + "' --dump-state '" + (root_ / "b.json").string() + "'"), 0)
      << ReadText(root_ / "stderr.txt");
  const std::string a = ReadText(root_ / "a.json"), b = ReadText(root_ / "b.json");
  EXPECT_NE(a.find("\"GameState\":\"game\""), std::string::npos) << a.substr(0, 200);
  EXPECT_NE(a.find("\"kind\":\"TEnemyModel\""), std::string::npos);
  EXPECT_EQ(a, b);

  // Another seed is another game: the snapshot tells them apart.
  ASSERT_EQ(Game("--headless --level 1 --seed 12 --frames 700 --input '" + (root_ / "input.txt").string() +
                 "' --dump-state '" + (root_ / "c.json").string() + "'"),
            0);
  EXPECT_NE(a, ReadText(root_ / "c.json"));
}

// Keyboard and controller play, with a fire key of the player's own: the replay carries the
// controls, so it plays back the same even after the player's "game.ini" has changed.
TEST_F(ReplayTest, KeyboardAndControllerPlayReplaysToTheSameSnapshot) {
  const fs::path user = root_ / "user" / "Quorvel Works" / "Velmora 2";
  fs::create_directories(user);
  std::ofstream(user / "game.ini") << "[OPTIONS]\nResolution=3\n[CONTROLS]\nKeyFire1=F\n";
  std::ofstream(root_ / "pad.txt") << "100 pad added\n200 pad A down\n1500 pad LeftX -30000\n2300 pad LeftX 12000\n"
                                      "3000 pad LeftX 0\n3100 pad A up\n3200 pad LeftTrigger 30000\n3600 pad LeftTrigger 0\n"
                                      "4000 key Left down\n4100 key F down\n4700 key Left up\n4800 key D down\n"
                                      "5300 key D up\n5400 key F up\n5500 key X down\n5600 key X up\n";
  const std::string r = (root_ / "pad.replay").string();
  ASSERT_EQ(Game("--headless --level 1 --seed 5 --frames 450 --input '" + (root_ / "pad.txt").string() +
                 "' --record '" + r + "' --dump-state '" + (root_ / "a.json").string() + "'"),
            0)
      << ReadText(root_ / "stderr.txt");
  const std::string replay = ReadText(r);
  EXPECT_NE(replay.find("\ncontrols F - X Shift"), std::string::npos) << replay.substr(0, 300);
  EXPECT_NE(replay.find("pad LeftX -30000"), std::string::npos);
  fs::remove(user / "game.ini");
  ASSERT_EQ(Game("--headless --replay '" + r + "' --dump-state '" + (root_ / "b.json").string() + "'"), 0)
      << ReadText(root_ / "stderr.txt");
  const std::string a = ReadText(root_ / "a.json");
  EXPECT_EQ(a, ReadText(root_ / "b.json"));
  // The input mattered: without it the ship ends elsewhere.
  ASSERT_EQ(Game("--headless --level 1 --seed 5 --frames 450 --dump-state '" + (root_ / "c.json").string() + "'"), 0);
  EXPECT_NE(a, ReadText(root_ / "c.json"));
}

TEST_F(ReplayTest, AWindowedRunReplaysHeadlessToTheSameSnapshot) {
  const std::string r = (root_ / "window.replay").string();
  ASSERT_EQ(Game("--windowed --level 1 --seed 3 --frames 400 --input '" + (root_ / "input.txt").string() +
                     "' --record '" + r + "' --dump-state '" + (root_ / "a.json").string() + "'",
                 // The GL and X libraries keep memory to the end, some of it in modules already
                 // unloaded by then, which no suppression can name; the headless runs keep the check.
                 "ASAN_OPTIONS=detect_leaks=0 xvfb-run -a -s '-screen 0 1280x1024x24'"),
            0)
      << "the windowed run needs xvfb-run: " << ReadText(root_ / "stderr.txt");
  ASSERT_EQ(Game("--headless --replay '" + r + "' --dump-state '" + (root_ / "b.json").string() + "'"), 0)
      << ReadText(root_ / "stderr.txt");
  EXPECT_EQ(ReadText(root_ / "a.json"), ReadText(root_ / "b.json"));
}

// A window on the virtual clock draws the same pictures on every run, and the game under it
// runs exactly as headless: the capture tool is only a camera on the headless game.
TEST_F(ReplayTest, FixedClockCapturesAreTheSameOnEveryRun) {
  const std::string in = (root_ / "input.txt").string();
  auto capture = [&](const std::string& tag) {
    return Game("--windowed --fixed-clock --level 1 --seed 7 --input '" + in + "' --capture 2000 '" +
                    (root_ / (tag + "_early.png")).string() + "' --capture 6000 '" +
                    (root_ / (tag + "_late.png")).string() + "' --capture 6000 '" +
                    (root_ / (tag + "_late.bmp")).string() + "' --dump-state '" + (root_ / (tag + ".json")).string() +
                    "'",
                "ASAN_OPTIONS=detect_leaks=0 xvfb-run -a -s '-screen 0 1280x1024x24'");
  };
  ASSERT_EQ(capture("a"), 0) << "the windowed run needs xvfb-run: " << ReadText(root_ / "stderr.txt");
  ASSERT_EQ(capture("b"), 0) << ReadText(root_ / "stderr.txt");
  const std::string early = ReadText(root_ / "a_early.png"), late = ReadText(root_ / "a_late.png"),
                    lateBmp = ReadText(root_ / "a_late.bmp");
  ASSERT_GT(early.size(), 1000u);
  EXPECT_EQ(early.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
  EXPECT_EQ(lateBmp.substr(0, 2), "BM");
  EXPECT_EQ(early, ReadText(root_ / "b_early.png"));
  EXPECT_EQ(late, ReadText(root_ / "b_late.png"));
  EXPECT_EQ(lateBmp, ReadText(root_ / "b_late.bmp"));
  EXPECT_NE(early, late);  // the two moments differ

  // The run stopped after its last capture, at 6000 ms: 375 frames of 16 ms, in the state the
  // headless game reaches in as many frames.
  ASSERT_EQ(Game("--headless --level 1 --seed 7 --frames 375 --input '" + in + "' --dump-state '" +
                 (root_ / "headless.json").string() + "'"),
            0)
      << ReadText(root_ / "stderr.txt");
  const std::string a = ReadText(root_ / "a.json");
  EXPECT_NE(a.find("\"LevelTime\""), std::string::npos) << a.substr(0, 200);
  EXPECT_EQ(a, ReadText(root_ / "headless.json"));
}

TEST_F(ReplayTest, ALevelThatDoesNotExistIsRefused) {
  for (const char* level : {"0", "-1", "16", "99"}) {
    EXPECT_EQ(Game(std::string("--headless --frames 5 --level ") + level), 2) << level;
    EXPECT_NE(ReadText(root_ / "stderr.txt").find(std::string("there is no level ") + level), std::string::npos)
        << ReadText(root_ / "stderr.txt");
  }
  EXPECT_EQ(Game("--headless --frames 5 --level 3"), 0) << ReadText(root_ / "stderr.txt");
}

TEST(ReplayFormatTest, MalformedReplaysNameTheirLine) {
  const char* bad[] = {"not a replay\n", "velmora2 replay 1\nseed x\n", "velmora2 replay 1\nT NoSuchTimer\n",
                       "velmora2 replay 1\nF 100\nF 50\n", "velmora2 replay 1\nE 5 jump\n",
                       "velmora2 replay 1\noptions 3 0.8 0,9 1,2 0 0,8 0,9 0 1\n", "velmora2 replay 1\nwhat\n",
                       // Every field is checked, and "seed" and "options" come first, once.
                       "velmora2 replay 1\nseed 1\noptions 0 0,8 0,9 1,2 0 0,8 0,9 0 1\n",
                       "velmora2 replay 1\nseed 1\noptions 3 0,8 0,9 1,2 0 0,8 1E300 0 1\n",
                       "velmora2 replay 1\nseed 1\noptions 3 0,8 0,9 1,2 0 0,8 0,9 0 1 7\n",
                       "velmora2 replay 1\nseed 1\nseed 2\n", "velmora2 replay 1\nseed 1 2\n",
                       "velmora2 replay 1\nseed 1\nlevel -1\n",
                       "velmora2 replay 1\nseed 1\noptions 3 0,8 0,9 1,2 0 0,8 0,9 0 1\nF 1\nlevel 2\n",
                       "velmora2 replay 1\nseed 1\noptions 3 0,8 0,9 1,2 0 0,8 0,9 0 1\nE\n",
                       "velmora2 replay 1\nseed 1\noptions 3 0,8 0,9 1,2 0 0,8 0,9 0 1\nT Timer1 Timer2\n",
                       "velmora2 replay 1\nseed 1\noptions 3 0,8 0,9 1,2 0 0,8 0,9 0 1\nF 99999999999999999999\n",
                       "velmora2 replay 1\nseed 1\n", "velmora2 replay 1\n"};
  for (const char* text : bad) {
    try {
      shell::ParseReplay(text, "run.replay");
      ADD_FAILURE() << "accepted: " << text;
    } catch (const std::runtime_error& e) {
      EXPECT_NE(std::string(e.what()).find("run.replay"), std::string::npos) << e.what();
    }
  }
  auto r = shell::ParseReplay(
      "velmora2 replay 1\nseed 9\nlevel 2\noptions 2 0,5 0,9 1,2 0 0,8 0,9 1 0\nE 0 move 3 4\nT Timer1\nF 16000\nF 32000\n",
      "ok.replay");
  EXPECT_EQ(r.Seed, 9u);
  EXPECT_EQ(r.StartLevel, 2);
  EXPECT_DOUBLE_EQ(r.Options.MouseSpeed, 0.5);
  EXPECT_TRUE(r.Options.Fps);
  EXPECT_FALSE(r.Options.FullScreen);
  ASSERT_EQ(r.Passes.size(), 2u);
  EXPECT_EQ(r.Passes[0].Events.size(), 1u);
  EXPECT_EQ(r.Passes[0].Timers.size(), 1u);
  EXPECT_EQ(r.Passes[1].FrameTimeUs, 32000);
}

}  // namespace
}  // namespace vlm::test
