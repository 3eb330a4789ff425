// Hostile files through the real game program, headless: crafted replays and input scripts,
// damaged or oversized content, and a player's folder that cannot be written. Each case runs
// velmora2 over its own game and user folders and checks the exit status and the message: it
// names the file (and the section and key, or the limit), the game goes on where it can, and
// nothing crashes, hangs, aborts or prints raw control characters.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "data/Archive.h"
#include "data/DataStore.h"

namespace vlm::test {
namespace {

namespace fs = std::filesystem;

std::string ReadText(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteText(const fs::path& p, const std::string& text) {
  fs::create_directories(p.parent_path());
  std::ofstream(p, std::ios::binary | std::ios::trunc) << text;
}

std::string Entry(const data::Archive& a, std::string_view name) {
  const std::vector<uint8_t> bytes = a.Read(name);
  return std::string(bytes.begin(), bytes.end());
}

size_t Count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// A shipped level with its MAIN keys changed as given ("key" -> "value", added when missing)
// and its placements replaced by `placements`.
std::string Level(const data::Archive& a, const std::map<std::string, std::string>& keys,
                  const std::string& placements) {
  std::string text = Entry(a, "Data/t_data/levels/1.ini");
  text = text.substr(0, text.find("\n[0]")) + "\n";
  for (const auto& [key, value] : keys) {
    const size_t at = text.find("\n" + key + "=");
    if (at == std::string::npos) {
      text += key + "=" + value + "\n";
    } else {
      const size_t end = text.find('\n', at + 1);
      text = text.substr(0, at + 1) + key + "=" + value + text.substr(end);
    }
  }
  return text + placements;
}

std::string Placement(int section, int kind, const char* x = "0,2", const char* z = "0") {
  return "\n[" + std::to_string(section) + "]\nindex=" + std::to_string(kind) +
         "\nsplineindex=-2\nx=" + x + "\nz=" + z + "\nsx=0\nsz=0\nAAT=0\n";
}

std::string Layer(int sprites) {
  std::string text;
  for (int i = 0; i < sprites; ++i)
    text += "[" + std::to_string(i) + "]\nmode=0\nx=0,9\nz=" + std::to_string(i % 40 - 20) +
            "\nsx=0,1\nsz=0,1\nrotation=0\nimage=Data\\Textures\\Layer\\Asteroid1.bmp\n";
  return text;
}

// An enemy kind that launches copies of itself as fast as it reloads, with no count of its own.
// It is appended to the shipped catalogue, so its section is the one after the last shipped kind.
constexpr int kCopier = 24;
const char* kCopierKind = R"(
[24]
name=Copier
kind=0
attackKind=6
attackcount=0
CreateEnemyIndex=24
CreateEnemyMaxCount=2147483647
ImageName=Wasp.bmp
AnimMode=0
AnimCount=7
FrameWidth=64
FrameHeight=64
ScaleZ=0,055
ScaleX=0,073
AnimSpeed=90
speed=4
clipspeed=0,5
clipspeedUp=0
reloadspeed=0,05
Strength=2
cw=1,4
ch=1,4
fx=0
clip=EnemyClip1.bmp
maxlife=100000
HealthIndX=0,048
expScaleZ=0,128
expScaleX=0,124
expIndex=1
splineindex=-2
scores=50
)";

constexpr const char* kOptionsLine = "options 3 0,8 0,9 1,2 0 0,8 0,9 0 1\n";

std::string Replay(const std::string& body, const std::string& options = kOptionsLine) {
  return std::string("velmora2 replay 1\nseed 5\nlevel 0\n") + options + body;
}

struct Case {
  const char* name;
  const char* archive;  // "hostile": the shipped content with crafted levels 4 to 9; "damaged": three entries broken
  std::string args;     // after --headless --data-dir
  int status;
  std::vector<std::string> messages;  // each appears on standard error
  std::function<void(const fs::path& root)> prepare = nullptr;
  std::function<void(const fs::path& root, const std::string& err)> check = nullptr;
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class HostileFilesTest : public ::testing::TestWithParam<Case> {
 public:
  static void SetUpTestSuite() {
    root_ = fs::temp_directory_path() / ("vlm_hostile_" + std::to_string(::getpid()));
    fs::create_directories(root_);
    const fs::path built = fs::path(VLM_BUILD_DIR_DEFAULT) / "original.vlm";
    if (!fs::exists(built)) return;
    const data::Archive original = data::Archive::Open(built);

    std::map<std::string, std::string> hostile;
    const std::string kinds = Entry(original, "Data/t_data/Enemies.ini");
    if (kinds.find("\n[" + std::to_string(kCopier - 1) + "]") == std::string::npos ||
        kinds.find("\n[" + std::to_string(kCopier) + "]") != std::string::npos)
      ADD_FAILURE() << "the copier kind must follow the shipped catalogue: set kCopier to its size";
    hostile["data/t_data/enemies.ini"] = kinds + kCopierKind;
    hostile["data/t_data/levels/4.ini"] = Level(original, {{"difficulty", "1E308"}}, Placement(0, 0));
    hostile["data/t_data/levels/5.ini"] =
        Level(original, {{"layer2file", "Data\\t_data\\layers\\crowd.ini"}}, Placement(0, 0));
    hostile["data/t_data/layers/crowd.ini"] = Layer(1001);
    hostile["data/t_data/levels/6.ini"] = Level(original, {}, Placement(0, kCopier));
    std::string many;
    for (int i = 0; i <= 2000; ++i) many += Placement(i, 0);
    hostile["data/t_data/levels/7.ini"] = Level(original, {}, many);
    hostile["data/t_data/levels/8.ini"] =
        Level(original, {{"layer2file", "Data\\t_data\\layers\\rocks.ini"}}, Placement(0, 0));
    hostile["data/t_data/layers/rocks.ini"] = Layer(1000);
    std::string huge = Level(original, {}, Placement(0, 0));
    huge.resize(size_t(data::kMaxIniFileBytes) + 1, ';');  // one byte over the limit on INI files
    hostile["data/t_data/levels/9.ini"] = huge;
    Build(original, hostile, false, {}, root_ / "hostile.vlm");

    Build(original, {}, true,
          {"data/t_data/levels/2.ini", "data/t_data/logos.ini", "data/t_data/hints.ini"}, root_ / "damaged.vlm");
  }
  static void TearDownTestSuite() {
    std::error_code ec;
    fs::remove_all(root_, ec);
  }

 protected:
  static void Build(const data::Archive& original, const std::map<std::string, std::string>& overrides,
                    bool compress, const std::vector<std::string>& damaged, const fs::path& out) {
    std::vector<data::ArchiveInput> files;
    for (size_t i = 0; i < original.Entries().size(); ++i) {
      data::ArchiveInput in{original.Entries()[i].name, {}};
      const auto o = overrides.find(data::FoldArchiveName(in.name));
      if (o != overrides.end())
        in.bytes.assign(o->second.begin(), o->second.end());
      else
        in.bytes = original.ReadEntry(i);
      files.push_back(std::move(in));
    }
    for (const auto& [name, text] : overrides) {
      if (!original.Contains(name)) files.push_back({name, std::vector<uint8_t>(text.begin(), text.end())});
    }
    std::vector<uint8_t> bytes = data::BuildArchive(files, compress);
    const data::Archive built = data::Archive::FromBytes(bytes, out.string());
    for (const std::string& name : damaged) bytes[built.FindEntry(name)->offset] ^= 0x01;  // its declared length
    std::ofstream(out, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  }

  static fs::path root_;
};

fs::path HostileFilesTest::root_;

TEST_P(HostileFilesTest, IsReportedByNameAndNeverCrashesOrHangs) {
  const Case& c = GetParam();
  const fs::path archive = root_ / (std::string(c.archive) + ".vlm");
  ASSERT_TRUE(fs::exists(archive)) << "the game's archive has not been built";
  const fs::path run = root_ / c.name;
  fs::create_directories(run / "game");
  fs::create_directories(run / "user");
  fs::create_symlink(archive, run / "game" / "original.vlm");
  if (c.prepare) c.prepare(run);

  // `timeout` turns a hang into status 124 instead of a test that never ends.
  const std::string cmd = "cd '" + run.string() + "' && XDG_DATA_HOME='" + (run / "user").string() +
                          "' timeout -s KILL 120 '" VLM_GAME_EXE "' --headless --data-dir '" +
                          (run / "game").string() + "' " + c.args + " 2>'" + (run / "stderr.txt").string() + "'";
  const int raw = std::system(cmd.c_str());
  ASSERT_TRUE(WIFEXITED(raw)) << cmd;
  const int status = WEXITSTATUS(raw);
  const std::string err = ReadText(run / "stderr.txt");
  EXPECT_NE(status, 128 + 9) << "killed after 120 s: the game hung\n" << err;
  EXPECT_EQ(status, c.status) << err;
  for (const std::string& m : c.messages) EXPECT_NE(err.find(m), std::string::npos) << "no \"" << m << "\" in:\n" << err;
  for (const char* never : {"terminate called", "Segmentation", "AddressSanitizer", "runtime error:", "\x1b"})
    EXPECT_EQ(err.find(never), std::string::npos) << never << " in:\n" << err;
  if (c.check) c.check(run, err);
}

// The level was loaded: the run is in its fly-in or in play.
void ExpectInLevel(const std::string& snapshot) {
  EXPECT_TRUE(snapshot.find("\"GameState\":\"levelintro2\"") != std::string::npos ||
              snapshot.find("\"GameState\":\"game\"") != std::string::npos)
      << snapshot.substr(0, 300);
}

const fs::path kUserFolder = fs::path("user") / "Quorvel Works" / "Velmora 2";

std::vector<Case> Cases() {
  auto replay = [](std::string text) {
    return [text](const fs::path& run) { WriteText(run / "r.replay", text); };
  };
  auto input = [](std::string text) {
    return [text](const fs::path& run) { WriteText(run / "in.txt", text); };
  };
  auto fifo = [](const char* name) {
    return [name](const fs::path& run) {
      fs::remove(run / name);
      ASSERT_EQ(mkfifo((run / name).c_str(), 0600), 0);
    };
  };
  const std::string damagedLevel = "entry \"Data/t_data/levels/2.ini\" is damaged";
  return {
      // Replays: every field checked, the file and line named.
      {"ReplayResolutionFarAbove", "hostile", "--replay r.replay", 2,
       {"r.replay, line 4: options: [OPTIONS] Resolution = 2147483647 is outside 1 to 3"},
       replay(Replay("F 16000\n", "options 2147483647 0,8 0,9 1,2 0 0,8 0,9 0 1\n"))},
      {"ReplayResolutionFarBelow", "hostile", "--replay r.replay", 2,
       {"r.replay, line 4", "Resolution = -100000000 is outside"},
       replay(Replay("F 16000\n", "options -100000000 0,8 0,9 1,2 0 0,8 0,9 0 1\n"))},
      {"ReplayResolutionJustPastTheTable", "hostile", "--replay r.replay", 2, {"Resolution = 4 is outside 1 to 3"},
       replay(Replay("F 16000\n", "options 4 0,8 0,9 1,2 0 0,8 0,9 0 1\n"))},
      {"ReplayGammaZero", "hostile", "--replay r.replay", 2, {"line 4", "Gamma = 0 is outside"},
       replay(Replay("F 16000\n", "options 3 0,8 0 1,2 0 0,8 0,9 0 1\n"))},
      {"ReplayVolumeNotANumber", "hostile", "--replay r.replay", 2, {"line 4", "MusicVolume 'loud' does not convert"},
       replay(Replay("F 16000\n", "options 3 0,8 0,9 1,2 0 loud 0,9 0 1\n"))},
      {"ReplayOptionsShort", "hostile", "--replay r.replay", 2, {"line 4", "'options' takes 9 values"},
       replay(Replay("F 16000\n", "options 3 0,8\n"))},
      {"ReplayBareEvent", "hostile", "--replay r.replay", 2, {"r.replay, line 5: bad event: 'E' without an event"},
       replay(Replay("E\nF 16000\n"))},
      {"ReplayEventOutOfRange", "hostile", "--replay r.replay", 2, {"line 5", "'rel' takes two whole numbers"},
       replay(Replay("E 0 rel 2147483647 0\nF 16000\n"))},
      {"ReplayHugeSeed", "hostile", "--replay r.replay", 2, {"r.replay, line 2", "seed"},
       replay("velmora2 replay 1\nseed 99999999999999999999\nlevel 0\n" + std::string(kOptionsLine))},
      {"ReplayLevelOutOfRange", "hostile", "--replay r.replay", 2, {"line 3", "level is not one whole number"},
       replay("velmora2 replay 1\nseed 5\nlevel 2147483647\n" + std::string(kOptionsLine))},
      {"ReplayLevelTheGameDoesNotHave", "hostile", "--replay r.replay", 2, {"there is no level 50"},
       replay("velmora2 replay 1\nseed 5\nlevel 50\n" + std::string(kOptionsLine) + "F 16000\n")},
      {"ReplayNegativeFrameTime", "hostile", "--replay r.replay", 2, {"line 5", "frame time"},
       replay(Replay("F -16000\n"))},
      {"ReplayWithoutOptions", "hostile", "--replay r.replay", 2, {"r.replay, line 4", "before the 'seed' and 'options'"},
       replay("velmora2 replay 1\nseed 5\nlevel 0\nF 16000\n")},
      {"ReplayControlCharactersAreEscaped", "hostile", "--replay r.replay", 2,
       {"line 5: unknown line '\\x1b]0;owned\\x07'"}, replay(Replay("\x1b]0;owned\x07 1\n"))},
      {"ReplayFifo", "hostile", "--replay r.replay", 2, {"cannot read the replay r.replay: not a regular file"},
       fifo("r.replay")},
      {"ReplayMissing", "hostile", "--replay gone.replay", 2, {"cannot read the replay gone.replay"}},
      {"RecordingIntoAFifo", "hostile", "--record r.replay --frames 5", 1,
       {"cannot write the replay r.replay: not a regular file"}, fifo("r.replay")},
      // Input scripts.
      {"InputRelativeMotionOverflow", "hostile", "--input in.txt --frames 5", 2, {"in.txt, line 2", "'rel'"},
       input("0 rel 5 5\n1 rel 2147483647 0\n")},
      {"InputTimeOverflow", "hostile", "--input in.txt --frames 5", 2, {"in.txt, line 1", "milliseconds"},
       input("9223372036854775807 move 1 1\n")},
      {"InputTextControlCharacter", "hostile", "--input in.txt --frames 5", 2,
       {"in.txt, line 1: the text holds the control character '\\x1b'"}, input("0 text \x1b[2J\n")},
      {"InputFifo", "hostile", "--input in.txt --frames 5", 2, {"in.txt: not a regular file"}, fifo("in.txt")},
      {"FrameLengthOutOfRange", "hostile", "--frame-ms 99999999999 --frames 5", 2, {"--frame-ms"}},
      // The archive itself.
      {"ArchiveFifo", "hostile", "--frames 5", 1, {"original.vlm: not a regular file"},
       [](const fs::path& run) {
         fs::remove(run / "game" / "original.vlm");
         ASSERT_EQ(mkfifo((run / "game" / "original.vlm").c_str(), 0600), 0);
       }},
      // Damaged entries read at start-up: each named, and the game plays on.
      {"DamagedEntriesAtStartUp", "damaged", "--frames 200", 0,
       {damagedLevel, "the game has levels 1 to 1", "entry \"Data/t_data/logos.ini\" is damaged",
        "entry \"Data/t_data/hints.ini\" is damaged"}},
      {"DamagedEntriesLevelBeforeThemPlays", "damaged", "--level 1 --frames 400 --dump-state s.json", 0, {damagedLevel},
       nullptr,
       [](const fs::path& run, const std::string&) { ExpectInLevel(ReadText(run / "s.json")); }},
      {"DamagedEntriesLevelTheGameLost", "damaged", "--level 2 --frames 400", 2, {"there is no level 2 (levels 1 to 1)"}},
      // Level files: numbers out of range and limits, each named.
      // The game goes on in the main menu; the exit status still reports the failure.
      {"DifficultyBeyondReason", "hostile", "--level 4 --frames 400 --dump-state s.json", 1,
       {"Level 4 cannot be loaded", "levels\\4.ini\", section [MAIN], key \"difficulty\": \"1E308\"",
        "number from 0,01 to 100"},
       nullptr,
       [](const fs::path& run, const std::string&) {
         const std::string snapshot = ReadText(run / "s.json");
         EXPECT_NE(snapshot.find("\"GameState\":\"mainmenu\""), std::string::npos) << snapshot.substr(0, 300);
       }},
      {"LayerFileWithTooManySprites", "hostile", "--level 5 --frames 400", 1,
       {"crowd.ini\", section [1000]", "the limit on sprites of a layer file"}},
      {"LevelWithTooManyPlacements", "hostile", "--level 7 --frames 400", 1,
       {"levels\\7.ini\", section [2000]", "the limit on enemies of a level"}},
      {"LevelFileTooLarge", "hostile", "--level 9 --frames 5", 2,
       {"levels\\9.ini", "more than the 4194304 bytes", "there is no level 9"}},
      {"EnemyCopiesItselfWithoutEnd", "hostile", "--level 6 --frames 1500 --stats", 0,
       {"[24], \"CreateEnemyMaxCount\"", "the limit on live enemies"}},
      {"LayerOfOnePictureManyTimes", "hostile", "--level 8 --frames 400 --dump-state s.json", 0, {}, nullptr,
       [](const fs::path& run, const std::string& err) {
         EXPECT_EQ(err.find("cannot be loaded"), std::string::npos) << err;
         ExpectInLevel(ReadText(run / "s.json"));
       }},
      // The player's folder.
      {"OptionsFileIsAFolder", "hostile", "--frames 5", 0, {"a folder of that name is in the way"},
       [](const fs::path& run) { WriteText(run / kUserFolder / "game.ini" / "mine.txt", "mine"); },
       [](const fs::path& run, const std::string& err) {
         EXPECT_EQ(Count(err, "will not be kept"), 1u) << err;
         EXPECT_EQ(ReadText(run / kUserFolder / "game.ini" / "mine.txt"), "mine");
       }},
      {"DataHomeIsAFile", "hostile", "--frames 5", 0, {"Cannot create the folder", "will not be kept"},
       [](const fs::path& run) {
         fs::remove_all(run / "user");
         WriteText(run / "user", "a file");
       },
       [](const fs::path& run, const std::string&) { EXPECT_EQ(ReadText(run / "user"), "a file"); }},
      {"OptionsOutOfRange", "hostile", "--frames 5", 0,
       {"[OPTIONS] MouseSpeed = \"1E300\" is outside 0,01 to 5; it was set to 5",
        "[OPTIONS] Gamma = \"0\" is outside 0,1 to 10; it was set to 0,1",
        "[OPTIONS] LightingQuality = \"-2147483648\" is outside 0 to 10; it was set to 0",
        "[OPTIONS] Resolution = \"2147483647\" is not a screen mode"},
       [](const fs::path& run) {
         WriteText(run / kUserFolder / "game.ini",
                   "[OPTIONS]\nResolution=2147483647\nMouseSpeed=1E300\nGamma=0\nLightingQuality=-2147483648\n"
                   "MusicVolume=0,5\nSoundVolume=0,5\nBrightness=1\nff=0\n[PLAYER]\nFileName=\n[TEST]\nFps=0\n");
       },
       [](const fs::path& run, const std::string&) {
         const std::string mended = ReadText(run / kUserFolder / "game.ini");
         EXPECT_NE(mended.find("MouseSpeed=5\n"), std::string::npos) << mended;
         EXPECT_NE(mended.find("Gamma=0,1\n"), std::string::npos) << mended;
         EXPECT_NE(mended.find("MusicVolume=0,5\n"), std::string::npos) << mended;
       }},
      {"StaleTemporaryFilesAreCleaned", "hostile", "--frames 5", 0, {},
       [](const fs::path& run) {
         WriteText(run / kUserFolder / ".game.ini.new123456", "[OPTIONS]\nRes");
         fs::last_write_time(run / kUserFolder / ".game.ini.new123456",
                             fs::file_time_type::clock::now() - std::chrono::hours(1));
       },
       [](const fs::path& run, const std::string&) {
         EXPECT_FALSE(fs::exists(run / kUserFolder / ".game.ini.new123456"));
         EXPECT_TRUE(fs::exists(run / kUserFolder / "game.ini"));
       }},
  };
}

INSTANTIATE_TEST_SUITE_P(Cases, HostileFilesTest, ::testing::ValuesIn(Cases()),
                         [](const auto& info) { return std::string(info.param.name); });

// SIGTERM and SIGINT stop a headless run at the next frame through the normal shutdown: the
// state dump is still written and the status tells which signal ended it.
TEST(HostileSignalsTest, HeadlessRunsStopCleanlyOnTermAndInt) {
  const fs::path run = fs::temp_directory_path() / ("vlm_signals_" + std::to_string(::getpid()));
  fs::create_directories(run / "game");
  fs::create_directories(run / "user");
  const fs::path built = fs::path(VLM_BUILD_DIR_DEFAULT) / "original.vlm";
  ASSERT_TRUE(fs::exists(built));
  fs::create_symlink(built, run / "game" / "original.vlm");
  for (const char* sig : {"TERM", "INT"}) {
    const fs::path dump = run / (std::string(sig) + ".json");
    // No --frames: only the signal ends the run (timeout's KILL would mean it was ignored).
    const std::string cmd = "cd '" + run.string() + "' && XDG_DATA_HOME='" + (run / "user").string() + "' '" +
                            VLM_GAME_EXE "' --headless --data-dir game --dump-state '" + dump.string() +
                            "' 2>err.txt & pid=$!; sleep 2; kill -" + sig +
                            " $pid; ( sleep 60; kill -KILL $pid ) 2>/dev/null & watchdog=$!; wait $pid; rc=$?; "
                            "kill $watchdog 2>/dev/null; exit $rc";
    const int raw = std::system(cmd.c_str());
    ASSERT_TRUE(WIFEXITED(raw));
    const int expected = 128 + (std::string(sig) == "TERM" ? 15 : 2);
    EXPECT_EQ(WEXITSTATUS(raw), expected) << sig << ": " << ReadText(run / "err.txt");
    EXPECT_NE(ReadText(run / "err.txt").find("stopped by signal"), std::string::npos);
    EXPECT_NE(ReadText(dump).find("\"GameState\""), std::string::npos) << sig;
  }
  std::error_code ec;
  fs::remove_all(run, ec);
}

}  // namespace
}  // namespace vlm::test
