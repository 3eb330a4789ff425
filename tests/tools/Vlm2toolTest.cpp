#include "Tool.h"

#include "data/Archive.h"
#include "data/DataStore.h"
#include "data/Paths.h"
#include "data/Scramble.h"
#include "data/TempFolder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <sys/stat.h>
#include <cstdlib>
#include <sstream>

namespace vlm::tool {
namespace {

using ::testing::HasSubstr;
using vlm::testing::Bytes;
using vlm::testing::ReadFile;
using vlm::testing::TempFolder;
using vlm::testing::WriteFile;

struct Result {
    int status;
    std::string out;
    std::string err;
};

// Runs the tool's commands in-process with the temporary folder as the current folder,
// as a content author would from a shell.
class Vlm2toolTest : public ::testing::Test {
protected:
    Vlm2toolTest() : previous_(std::filesystem::current_path()) { std::filesystem::current_path(temp.Path()); }
    ~Vlm2toolTest() override { std::filesystem::current_path(previous_); }

    Result Run(std::vector<std::string> args)
    {
        std::ostringstream out, err;
        const int status = RunTool(args, out, err);
        return {status, out.str(), err.str()};
    }

    TempFolder temp;

private:
    std::filesystem::path previous_;
};

class Vlm2toolPack : public Vlm2toolTest, public ::testing::WithParamInterface<bool> {};

TEST_P(Vlm2toolPack, PackListUnpackGiveBackTheFolder)
{
    WriteFile(temp / "content/Data/t_data/levels/1.ini", "[LEVEL]\r\nname=One\r\n");
    WriteFile(temp / "content/Data/Textures/Fx/exp1.jpg", std::string("\xFF\xD8\xFF\0jpeg", 8));
    WriteFile(temp / "content/sound/main.mo3", std::string(5000, 'm'));
    std::vector<std::string> pack = {"pack", "content", "original.vlm"};
    if (GetParam())
        pack.push_back("--compress");

    const Result packed = Run(pack);
    ASSERT_EQ(packed.status, 0) << packed.err;
    EXPECT_THAT(packed.out, HasSubstr("3 files"));

    const Result listed = Run({"list", "original.vlm"});
    ASSERT_EQ(listed.status, 0) << listed.err;
    // Sorted, "/"-separated, relative to the packed folder.
    EXPECT_THAT(listed.out, ::testing::MatchesRegex("Data/Textures/Fx/exp1.jpg\t[0-9]+\n"
                                                    "Data/t_data/levels/1.ini\t[0-9]+\n"
                                                    "sound/main.mo3\t[0-9]+\n"));

    ASSERT_EQ(Run({"unpack", "original.vlm", "out"}).status, 0);
    for (const char* name : {"Data/t_data/levels/1.ini", "Data/Textures/Fx/exp1.jpg", "sound/main.mo3"})
        EXPECT_EQ(ReadFile(temp / "out" / name), ReadFile(temp / "content" / name)) << name;
}

INSTANTIATE_TEST_SUITE_P(Modes, Vlm2toolPack, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Compressed" : "Stored"; });

TEST_F(Vlm2toolTest, IniGetReadsLikeTheGameArchiveFirst)
{
    WriteFile(temp / "content/Data/t_data/hints.ini", "[0]\r\ns1 = \"Archived hint\"\r\n");
    ASSERT_EQ(Run({"pack", "content", "original.vlm", "--compress"}).status, 0);
    WriteFile(temp / "Data/t_data/hints.ini", "[0]\r\ns1=Loose hint\r\n");

    Result r = Run({"ini", "get", "\\Data\\t_data\\hints.ini", "0", "S1", "--archive", "original.vlm"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "Archived hint\n");
    r = Run({"ini", "get", "Data\\t_data\\hints.ini", "0", "s1"});
    EXPECT_EQ(r.out, "Loose hint\n");
    r = Run({"ini", "get", "Data\\t_data\\hints.ini", "0", "s9"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "ini error\n");
}

TEST_F(Vlm2toolTest, IniSetWritesOneKey)
{
    ASSERT_EQ(Run({"ini", "set", "game.ini", "OPTIONS", "Gamma", "0,9"}).status, 0);
    ASSERT_EQ(Run({"ini", "set", "game.ini", "OPTIONS", "Gamma", "1,1"}).status, 0);
    EXPECT_EQ(ReadFile(temp / "game.ini"), "[OPTIONS]\r\nGamma=1,1\r\n");
    const Result r = Run({"ini", "set", "game.ini", "OPTIONS", "Gamma", "1\n[X]"});
    EXPECT_EQ(r.status, 1);
    EXPECT_THAT(r.err, HasSubstr("Unable to write to game.ini"));
}

TEST_F(Vlm2toolTest, SaveFilesRoundTripThroughScrambleAndUnscramble)
{
    ASSERT_EQ(Run({"save", "set", "profile.ini", "MAIN", "Name", "Ace"}).status, 0);
    ASSERT_EQ(Run({"save", "set", "profile.ini", "0", "Scores", "1500"}).status, 0);
    EXPECT_EQ(ReadFile(temp / "profile.ini").find("Ace"), std::string::npos);
    EXPECT_EQ(Run({"save", "get", "profile.ini", "main", "name"}).out, "Ace\n");

    ASSERT_EQ(Run({"unscramble", "profile.ini"}).status, 0);
    EXPECT_EQ(ReadFile(temp / "profile.ini"), "[MAIN]\r\nName=Ace\r\n[0]\r\nScores=1500\r\n");
    ASSERT_EQ(Run({"ini", "set", "profile.ini", "0", "Lifes", "3"}).status, 0);
    ASSERT_EQ(Run({"scramble", "profile.ini"}).status, 0);
    EXPECT_EQ(Run({"save", "get", "profile.ini", "0", "Lifes"}).out, "3\n");

    // Scrambling twice would make the file unreadable to the game.
    const Result again = Run({"scramble", "profile.ini"});
    EXPECT_EQ(again.status, 1);
    EXPECT_THAT(again.err, HasSubstr("already scrambled"));
}

TEST_F(Vlm2toolTest, DamagedSaveFailsAndIsLeftAlone)
{
    WriteFile(temp / "plain.ini", "[MAIN]\r\nName=Ace\r\n");
    for (std::vector<std::string> args : {std::vector<std::string>{"unscramble", "plain.ini"},
                                          std::vector<std::string>{"save", "get", "plain.ini", "MAIN", "Name"},
                                          std::vector<std::string>{"save", "set", "plain.ini", "MAIN", "Name", "B"}}) {
        const Result r = Run(args);
        EXPECT_EQ(r.status, 1) << args[0];
        EXPECT_THAT(r.err, HasSubstr("save file is damaged! (plain.ini, line 1)"));
        EXPECT_EQ(r.out, "");
    }
    EXPECT_EQ(ReadFile(temp / "plain.ini"), "[MAIN]\r\nName=Ace\r\n");
}

TEST_F(Vlm2toolTest, UnpackRefusesNamesThatLeaveTheFolder)
{
    for (const char* evil : {"../evil.txt", "/tmp/evil.txt", "a/../../evil.txt", "a//b", "a\\..\\..\\evil.txt"}) {
        vlm::data::WriteArchive(temp / "evil.vlm", {{"fine.txt", Bytes("ok")}, {evil, Bytes("bad")}}, false);
        const Result r = Run({"unpack", "evil.vlm", "out"});
        EXPECT_EQ(r.status, 1) << evil;
        EXPECT_THAT(r.err, HasSubstr(evil));
        EXPECT_FALSE(std::filesystem::exists(temp / "evil.txt"));
        EXPECT_FALSE(std::filesystem::exists(temp / "out" / "fine.txt")) << "wrote before checking every name";
    }
}

TEST_F(Vlm2toolTest, ErrorsGoToStandardErrorWithAStatus)
{
    struct Case {
        std::vector<std::string> args;
        int status;
        const char* message;
    };
    WriteFile(temp / "notpak.vlm", "ZIP!............");
    const Case cases[] = {
        {{}, 2, "no command"},
        {{"frobnicate"}, 2, "unknown command"},
        {{"pack", "content"}, 2, "pack needs DIR and ARCHIVE"},
        {{"ini", "get", "a.ini", "A"}, 2, "FILE SECTION KEY"},
        {{"list", "missing.vlm"}, 1, "missing.vlm"},
        {{"list", "notpak.vlm"}, 1, "notpak.vlm - This is not PAK file"},
        {{"pack", "no-such-folder", "x.vlm"}, 1, "no-such-folder"},
        {{"unscramble", "missing.ini"}, 1, "missing.ini"},
    };
    for (const Case& c : cases) {
        const Result r = Run(c.args);
        EXPECT_EQ(r.status, c.status) << c.message;
        EXPECT_THAT(r.err, HasSubstr(c.message));
        EXPECT_EQ(r.out, "");
    }
}

// Archive names are bytes from someone else's file: a listing or a message shows control
// characters escaped, so a name cannot clear the screen or forge a line of its own. A FIFO
// in place of the archive is refused at once instead of waiting for a writer.
TEST_F(Vlm2toolTest, HostileArchivesCannotDriveTheTerminalOrHang)
{
    data::WriteArchive(temp / "evil.vlm", {{"a\x1b[2Jb\nfake\t1", Bytes("x")}, {"../\x1b[31mup", Bytes("y")}}, false);
    const Result listed = Run({"list", "evil.vlm"});
    ASSERT_EQ(listed.status, 0) << listed.err;
    EXPECT_EQ(listed.out, "a\\x1b[2Jb\\x0afake\\x091\t1\n../\\x1b[31mup\t1\n");

    const Result unpacked = Run({"unpack", "evil.vlm", "out"});
    EXPECT_EQ(unpacked.status, 1);
    EXPECT_THAT(unpacked.err, HasSubstr("\"../\\x1b[31mup\" is not a safe file name"));
    EXPECT_EQ(unpacked.err.find('\x1b'), std::string::npos);

    ASSERT_EQ(mkfifo((temp / "pipe.vlm").c_str(), 0600), 0);
    const Result piped = Run({"list", "pipe.vlm"});
    EXPECT_EQ(piped.status, 1);
    EXPECT_THAT(piped.err, HasSubstr("pipe.vlm: not a regular file"));
}

// The built program, end to end: exit status, standard output and standard error.
TEST_F(Vlm2toolTest, TheProgramReportsThroughItsExitStatus)
{
    // The tool lands beside the test programs; VLM_BUILD_DIR says where when run by ctest.
    const char* buildDir = std::getenv("VLM_BUILD_DIR");
    const std::filesystem::path folder = buildDir ? std::filesystem::path(buildDir) : vlm::data::ExecutableFolder();
    const std::string tool = (folder / "vlm2tool").string();
    ASSERT_TRUE(std::filesystem::exists(tool)) << tool;
    WriteFile(temp / "a.ini", "[A]\r\nk=value\r\n");

    auto run = [&](const std::string& args) {
        const std::string command = "'" + tool + "' " + args + " 2>err.txt";
        FILE* pipe = popen(command.c_str(), "r");
        std::string out;
        char buffer[256];
        while (size_t got = fread(buffer, 1, sizeof buffer, pipe))
            out.append(buffer, got);
        const int status = pclose(pipe);
        return Result{WEXITSTATUS(status), out, ReadFile(temp / "err.txt")};
    };
    Result r = run("ini get a.ini A k");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "value\n");
    r = run("list missing.vlm");
    EXPECT_NE(r.status, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_THAT(r.err, HasSubstr("missing.vlm"));
}

} // namespace
} // namespace vlm::tool
