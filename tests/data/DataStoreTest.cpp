#include "data/DataStore.h"

#include "data/Errors.h"
#include "data/Scramble.h"
#include "data/TempFolder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <iterator>

namespace vlm::data {
namespace {

using ::testing::HasSubstr;
using vlm::testing::Bytes;
using vlm::testing::ReadFile;
using vlm::testing::TempFolder;
using vlm::testing::WriteFile;

// A game folder with an archive and loose files, and an application-data folder.
class DataStoreTest : public ::testing::Test {
protected:
    DataStoreTest() : store(temp / "game", temp / "appdata")
    {
        std::filesystem::create_directories(temp / "game");
        std::filesystem::create_directories(temp / "appdata");
    }

    void MountArchive(std::vector<ArchiveInput> files)
    {
        WriteArchive(temp / "game" / "original.vlm", files, true);
        store.MountArchive("original.vlm");
    }

    std::string AppData(const std::string& name) const { return (temp / "appdata" / name).string(); }

    TempFolder temp;
    DataStore store;
};

TEST_F(DataStoreTest, TwoKeysOfOneFileCostOneCopy)
{
    WriteFile(temp / "game/Data/t_data/logos.ini", "[0]\nint=1\nLogoName=a\n[1]\nint=2\n");
    WriteFile(temp / "game/Data/t_data/hints.ini", "[0]\ns1=Hello\n");

    EXPECT_EQ(store.ReadIniValue("Data\\t_data\\logos.ini", "0", "LogoName"), "a");
    EXPECT_EQ(store.ReadIniValue("Data\\t_data\\logos.ini", "1", "int"), "2");
    EXPECT_EQ(store.CacheCopyCount(), 1);

    EXPECT_EQ(store.ReadIniValue("Data\\t_data\\hints.ini", "0", "s1"), "Hello");
    EXPECT_EQ(store.ReadIniValue("Data\\t_data\\logos.ini", "0", "int"), "1");
    EXPECT_EQ(store.CacheCopyCount(), 3);
}

// The game's files name their data in any case; loose files are found whatever case the disk uses,
// and a write goes into the folder that is there rather than a second one spelt differently.
TEST_F(DataStoreTest, LooseFilesAreFoundWhateverTheirCase)
{
    WriteFile(temp / "game/Data/T_Data/Hints.ini", "[0]\ns1=Loose\n");
    WriteFile(temp / "appdata/Saves/Player.ini", "[MAIN]\nname=Ann\n");
    const struct {
        std::string name, section, key, value;
    } reads[] = {
        {"data\\t_data\\hints.ini", "0", "s1", "Loose"},
        {"\\DATA\\T_DATA\\HINTS.INI", "0", "s1", "Loose"},
        {"Data\\T_Data\\Hints.ini", "0", "s1", "Loose"},
        {AppData("saves/player.ini"), "MAIN", "name", "Ann"},
        {"data\\t_data\\hint.ini", "0", "s1", "ini error"},  // case is forgiven, spelling is not
    };
    for (const auto& r : reads)
        EXPECT_EQ(store.ReadIniValue(r.name, r.section, r.key), r.value) << r.name;
    EXPECT_TRUE(store.DataFileExists("DATA\\t_data\\HINTS.ini"));
    EXPECT_EQ(store.OpenDataFile("data\\t_data\\hints.ini").size(), 13u);

    store.WriteIniValue(AppData("SAVES/player.ini"), "MAIN", "name", "Bo");
    store.WriteIniValue(AppData("saves/New.ini"), "MAIN", "name", "Cy");
    EXPECT_EQ(ReadFile(temp / "appdata/Saves/Player.ini"), "[MAIN]\nname=Bo\n");
    EXPECT_TRUE(std::filesystem::exists(temp / "appdata/Saves/New.ini"));
    EXPECT_FALSE(std::filesystem::exists(temp / "appdata/saves"));
    EXPECT_FALSE(std::filesystem::exists(temp / "appdata/SAVES"));
}

TEST_F(DataStoreTest, LeadingBackslashNamesTheSameFile)
{
    MountArchive({{"Data/t_data/hints.ini", Bytes("[0]\ns1=From the archive\n")}});
    EXPECT_EQ(store.ReadIniValue("\\Data\\t_data\\hints.ini", "0", "s1"), "From the archive");
    EXPECT_EQ(store.ReadIniValue("Data\\t_data\\hints.ini", "0", "s1"), "From the archive");
    EXPECT_EQ(store.CacheCopyCount(), 1);
    EXPECT_EQ(store.CachedFileName(), "Data\\t_data\\hints.ini");
}

TEST_F(DataStoreTest, TheArchiveComesBeforeTheDisk)
{
    MountArchive({{"Data/t_data/Enemies.ini", Bytes("[0]\nname=archived\n")}});
    WriteFile(temp / "game/Data/t_data/Enemies.ini", "[0]\nname=loose\n");
    EXPECT_TRUE(store.DataFileExists("data\\T_DATA\\enemies.ini"));
    EXPECT_EQ(store.ReadIniValue("\\Data\\t_data\\Enemies.ini", "0", "name"), "archived");
    EXPECT_EQ(store.OpenDataFile("Data\\t_data\\Enemies.ini"), Bytes("[0]\nname=archived\n"));
}

TEST_F(DataStoreTest, TheNewestArchiveWins)
{
    MountArchive({{"a.ini", Bytes("[A]\nk=old\n")}});
    store.MountArchive(Archive::FromBytes(BuildArchive({{"a.ini", Bytes("[A]\nk=new\n")}}, false), "mod.vlm"));
    EXPECT_EQ(store.ReadIniValue("a.ini", "A", "k"), "new");
}

TEST_F(DataStoreTest, RootedNamesAreNeverLookedUpInTheArchive)
{
    const std::string absolute = AppData("game.ini");
    WriteFile(absolute, "[OPTIONS]\nResolution=2\n");
    // Entries spelled like the rooted names, to catch a lookup that should not happen.
    MountArchive({{absolute, Bytes("[OPTIONS]\nResolution=1\n")},
                  {"\\Data\\x.ini", Bytes("[A]\nk=archived\n")},
                  {"C:/x.ini", Bytes("[A]\nk=archived\n")}});
    EXPECT_EQ(store.ReadIniValue(absolute, "OPTIONS", "Resolution"), "2");
    EXPECT_FALSE(store.DataFileExists("\\Data\\x.ini"));
    EXPECT_FALSE(store.DataFileExists("C:\\x.ini"));
}

TEST_F(DataStoreTest, MissingKeyGivesIniErrorAndKeepsTheCopy)
{
    WriteFile(temp / "game/a.ini", "[A]\nk=1\n");
    EXPECT_EQ(store.ReadIniValue("a.ini", "A", "missing"), "ini error");
    EXPECT_EQ(store.ReadIniValue("a.ini", "B", "k"), "ini error");
    EXPECT_EQ(store.ReadIniValue("a.ini", "A", "k"), "1");
    EXPECT_EQ(store.CacheCopyCount(), 1);
}

TEST_F(DataStoreTest, MissingFileGivesIniErrorEveryTime)
{
    WriteFile(temp / "game/a.ini", "[A]\nk=1\n");
    std::filesystem::create_directories(temp / "game/folder.ini");
    EXPECT_EQ(store.ReadIniValue("a.ini", "A", "k"), "1");
    for (const char* name : {"missing.ini", "folder.ini", "", "Saves\\"}) {
        EXPECT_EQ(store.ReadIniValue(name, "A", "k"), "ini error") << name;
        EXPECT_EQ(store.ReadSavedValue(name, "A", "k"), "ini error") << name;
    }
    EXPECT_FALSE(store.DataFileExists("folder.ini"));
}

TEST_F(DataStoreTest, OpenDataFileNamesWhatIsMissing)
{
    try {
        store.OpenDataFile("Data\\Textures\\Fx\\exp1.jpg");
        FAIL();
    } catch (const DataError& error) {
        EXPECT_THAT(error.what(), HasSubstr("Data\\Textures\\Fx\\exp1.jpg"));
    }
}

TEST_F(DataStoreTest, DamagedArchiveEntryIsReportedByTheReader)
{
    auto bytes = BuildArchive({{"a.ini", Bytes("[A]\nk=1\n[B]\nk=2\n")}}, true);
    bytes[16] ^= 0x01; // the declared length of the only entry
    store.MountArchive(Archive::FromBytes(bytes, "original.vlm"));
    try {
        store.ReadIniValue("a.ini", "A", "k");
        FAIL();
    } catch (const DataError& error) {
        EXPECT_THAT(error.what(), HasSubstr("original.vlm"));
        EXPECT_THAT(error.what(), HasSubstr("a.ini"));
    }
}

// Files that would hang or swamp the game: a FIFO is never opened for a read that would wait
// for a writer, and a file beyond the size limits is refused with a message naming the limit.
TEST_F(DataStoreTest, FifosAndOversizedFilesAreRefusedWithoutWaiting)
{
    ASSERT_EQ(mkfifo((temp / "game" / "pipe.ini").c_str(), 0600), 0);
    EXPECT_FALSE(store.DataFileExists("pipe.ini"));
    EXPECT_EQ(store.ReadIniValue("pipe.ini", "A", "k"), kIniError);
    EXPECT_THROW(store.OpenDataFile("pipe.ini"), DataError);
    try {
        Archive::Open(temp / "game" / "pipe.ini");
        FAIL();
    } catch (const DataError& error) {
        EXPECT_THAT(error.what(), HasSubstr("pipe.ini: not a regular file"));
    }

    std::string big = "[A]\nk=1\n";
    big.resize(kMaxIniFileBytes + 1, ';');
    WriteFile(temp / "game" / "big.ini", big);
    MountArchive({{"Data/packed.ini", Bytes(big)}});
    for (const char* name : {"big.ini", "Data\\packed.ini"}) {
        try {
            store.ReadIniValue(name, "A", "k");
            FAIL() << name;
        } catch (const DataError& error) {
            EXPECT_THAT(error.what(), HasSubstr(name));
            EXPECT_THAT(error.what(), HasSubstr("more than the " + std::to_string(kMaxIniFileBytes) + " bytes"));
        }
    }
    // The same bytes are no INI file when read whole: only the INI limit was hit.
    EXPECT_EQ(store.OpenDataFile("big.ini").size(), big.size());
}

TEST_F(DataStoreTest, WriteCreatesAppendsAndReplaces)
{
    const std::string file = AppData("game.ini");
    store.WriteIniValue(file, "OPTIONS", "Resolution", "3");
    store.WriteIniValue(file, "OPTIONS", "Gamma", "0,9");
    store.WriteIniValue(file, "PLAYER", "FileName", "");
    store.WriteIniValue(file, "options", "RESOLUTION", "2");
    EXPECT_EQ(ReadFile(file), "[OPTIONS]\r\nRESOLUTION=2\r\nGamma=0,9\r\n[PLAYER]\r\nFileName=\r\n");
}

TEST_F(DataStoreTest, WriteKeepsTheFilesLineBreaksAndByteOrderMark)
{
    const std::string file = AppData("unix.ini");
    WriteFile(file, "\xEF\xBB\xBF[A]\nk=1\n\n[B]\nj=2\n");
    store.WriteIniValue(file, "A", "n", "3");
    EXPECT_EQ(ReadFile(file), "\xEF\xBB\xBF[A]\nk=1\nn=3\n\n[B]\nj=2\n");
}

TEST_F(DataStoreTest, ReadAfterWriteSeesTheNewValue)
{
    const std::string plain = AppData("game.ini");
    store.WriteIniValue(plain, "OPTIONS", "Gamma", "0,9");
    EXPECT_EQ(store.ReadIniValue(plain, "OPTIONS", "Gamma"), "0,9");
    store.WriteIniValue(plain, "OPTIONS", "Gamma", "1,1");
    EXPECT_EQ(store.ReadIniValue(plain, "OPTIONS", "Gamma"), "1,1");

    // Written by another spelling of the same path.
    const std::string saved = AppData("Saves/a.ini");
    std::filesystem::create_directories(temp / "appdata/Saves");
    store.WriteSavedValue(saved, "0", "Scores", "10");
    EXPECT_EQ(store.ReadSavedValue(saved, "0", "Scores"), "10");
    store.WriteSavedValue(AppData("Saves/../Saves\\a.ini"), "0", "Scores", "20");
    EXPECT_EQ(store.ReadSavedValue(saved, "0", "Scores"), "20");
}

TEST_F(DataStoreTest, SavedFileHoldsOnlyScrambledLines)
{
    const std::string file = AppData("profile.ini");
    store.WriteSavedValue(file, "MAIN", "Name", "Ace");
    store.WriteSavedValue(file, "0", "int", "1");
    store.WriteSavedValue(file, "0", "Health", "87,5");
    const std::string text = ReadFile(file);
    for (const std::string& line : SplitLines(text))
        EXPECT_TRUE(line.starts_with(kScrambleMarker)) << line;
    EXPECT_EQ(text.find("Ace"), std::string::npos);
    EXPECT_EQ(store.ReadSavedValue(file, "main", "name"), "Ace");
    EXPECT_EQ(store.ReadSavedValue(file, "0", "Health"), "87,5");
}

TEST_F(DataStoreTest, PlainFileScrambledLaterReadsTheSame)
{
    const std::string file = AppData("defaultsave.ini");
    store.WriteIniValue(file, "MAIN", "Name", "Player");
    store.WriteIniValue(file, "0", "Title", "\"First contact\"");
    std::vector<std::string> lines = SplitLines(ReadFile(file));
    ScrambleLines(lines);
    WriteFile(file, JoinLines(lines, "\r\n"));
    EXPECT_EQ(store.ReadSavedValue(file, "MAIN", "Name"), "Player");
    EXPECT_EQ(store.ReadSavedValue(file, "0", "Title"), "First contact");
}

TEST_F(DataStoreTest, AnyBytesSurviveTheScrambledFile)
{
    const std::string file = AppData("profile.ini");
    std::string name;
    for (int b = 1; b < 256; ++b) {
        if (b != '\r' && b != '\n')
            name += static_cast<char>(b);
    }
    name = "x" + name + "x"; // keep the blanks at either end inside the value
    store.WriteSavedValue(file, "MAIN", "Name", name);
    store.WriteSavedValue(file, "0", "int", "1");
    EXPECT_EQ(store.ReadSavedValue(file, "MAIN", "Name"), name);
    EXPECT_EQ(store.ReadSavedValue(file, "0", "int"), "1");
}

TEST_F(DataStoreTest, BothReadersShareOneCopy)
{
    const std::string file = AppData("profile.ini");
    store.WriteSavedValue(file, "MAIN", "Name", "Ace");
    EXPECT_EQ(store.ReadSavedValue(file, "MAIN", "Name"), "Ace");
    EXPECT_EQ(store.ReadIniValue(file, "MAIN", "Name"), "Ace"); // the plain copy left by the scrambled reader
    EXPECT_EQ(store.CacheCopyCount(), 1);

    // The other way round the plain copy still holds scrambled text, so it is made again.
    store.ClearCache();
    EXPECT_EQ(store.ReadIniValue(file, "MAIN", "Name"), "ini error");
    EXPECT_EQ(store.ReadSavedValue(file, "MAIN", "Name"), "Ace");
}

TEST_F(DataStoreTest, DamagedSaveRaisesOnEveryRead)
{
    const std::string file = AppData("profile.ini");
    store.WriteSavedValue(file, "MAIN", "Name", "Ace");
    WriteFile(file, ReadFile(file) + "int=1\r\n");
    for (int attempt = 0; attempt < 2; ++attempt) {
        try {
            store.ReadSavedValue(file, "MAIN", "Name");
            FAIL() << "attempt " << attempt;
        } catch (const ECryptError& error) {
            EXPECT_STREQ(error.what(), "save file is damaged!");
            EXPECT_EQ(error.FileName(), file);
            EXPECT_EQ(error.LineNumber(), 3);
        }
    }
    EXPECT_EQ(store.CachedFileName(), "");
}

TEST_F(DataStoreTest, DamagedSaveIsNotRewritten)
{
    const std::string file = AppData("profile.ini");
    WriteFile(file, "[MAIN]\r\nName=plain\r\n");
    EXPECT_THROW(store.WriteSavedValue(file, "MAIN", "Name", "x"), ECryptError);
    EXPECT_EQ(ReadFile(file), "[MAIN]\r\nName=plain\r\n");
}

// A write that runs out of room (a full disk; here a file-size limit on the process, which
// fails the write the same way) leaves the old file whole and no temporary sibling behind.
TEST_F(DataStoreTest, AWriteThatRunsOutOfRoomLeavesTheOldFileWhole)
{
    const std::string file = AppData("game.ini");
    const std::string before = "[OPTIONS]\r\nResolution=2\r\n";
    WriteFile(file, before);
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit small = old;
    small.rlim_cur = 64;
    auto previous = std::signal(SIGXFSZ, SIG_IGN);  // the write then fails with EFBIG
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    try {
        store.WriteIniValue(file, "PLAYER", "FileName", std::string(200, 'x'));
        ADD_FAILURE() << "the write did not fail";
    } catch (const EWriteError& error) {
        EXPECT_EQ(std::string(error.what()), "Unable to write to " + file);
        EXPECT_FALSE(error.Reason().empty());
    }
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previous);
    EXPECT_EQ(ReadFile(file), before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(temp / "appdata"), {}), 1);
}

TEST_F(DataStoreTest, UnwritableFileRaisesUnableToWrite)
{
    const std::string inMissingFolder = AppData("no/such/folder/game.ini");
    try {
        store.WriteIniValue(inMissingFolder, "A", "k", "v");
        FAIL();
    } catch (const EWriteError& error) {
        EXPECT_EQ(std::string(error.what()), "Unable to write to " + inMissingFolder);
        EXPECT_FALSE(error.Reason().empty());
    }
    std::filesystem::create_directories(temp / "appdata/folder.ini");
    EXPECT_THROW(store.WriteIniValue(AppData("folder.ini"), "A", "k", "v"), EWriteError);
}

TEST_F(DataStoreTest, ValueThatWouldBreakTheFileIsRefusedAndNothingChanges)
{
    const std::string file = AppData("profile.ini");
    store.WriteSavedValue(file, "MAIN", "Name", "Ace");
    const std::string before = ReadFile(file);
    EXPECT_THROW(store.WriteSavedValue(file, "MAIN", "Name", "Ace\r\n[0]\r\nint=1"), EWriteError);
    EXPECT_THROW(store.WriteIniValue(file, "MAIN", "Na=me", "x"), EWriteError);
    EXPECT_EQ(ReadFile(file), before);
}

TEST_F(DataStoreTest, WritesLeaveNoSiblingBehindAndKeepPermissions)
{
    const std::string file = AppData("game.ini");
    store.WriteIniValue(file, "A", "k", "1");
    ::chmod(file.c_str(), 0640);
    store.WriteIniValue(file, "A", "k", "2");
    struct stat info {};
    ASSERT_EQ(::stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(temp / "appdata"))
        ++entries;
    EXPECT_EQ(entries, 1);
}

TEST_F(DataStoreTest, NumberedSectionsEndAtTheFirstWithoutAnIntegerMarker)
{
    WriteFile(temp / "game/Data/t_data/logos.ini", "[0]\nint=1\n[1]\nint=x\n[2]\nint=1\n");
    WriteFile(temp / "game/Data/t_data/hints.ini", "[1]\nint=1\n");
    WriteFile(temp / "game/list.ini", "[0]\nint=0\n[1]\nint=-4\n[2]\nint=$A\n[4]\nint=1\n");
    EXPECT_EQ(store.CountNumberedSections("Data\\t_data\\logos.ini"), 1);
    EXPECT_EQ(store.CountNumberedSections("\\Data\\t_data\\hints.ini"), 0);
    EXPECT_EQ(store.CountNumberedSections("list.ini"), 3);
    EXPECT_EQ(store.CountNumberedSections("list.ini", "int", false, 2), 2);
    EXPECT_EQ(store.CountNumberedSections("missing.ini"), 0);
}

TEST_F(DataStoreTest, AppDataFolderIsCreatedWithItsParents)
{
    DataStore fresh(temp / "game", temp / "a" / "Quorvel Works" / "Velmora 2");
    fresh.EnsureAppDataFolder();
    EXPECT_TRUE(std::filesystem::is_directory(temp / "a" / "Quorvel Works" / "Velmora 2"));
    WriteFile(temp / "blocked", "a file");
    DataStore blocked(temp / "game", temp / "blocked" / "Velmora 2");
    EXPECT_THROW(blocked.EnsureAppDataFolder(), DataError);
}

} // namespace
} // namespace vlm::data
