#include "data/Archive.h"

#include "data/Errors.h"
#include "data/TempFolder.h"

#include <gtest/gtest.h>
#include <gmock/gmock.h>

#include <cstring>

namespace vlm::data {
namespace {

using ::testing::HasSubstr;
using vlm::testing::Bytes;

std::vector<ArchiveInput> SampleFiles()
{
    std::string big;
    for (int i = 0; i < 300; ++i)
        big += "[" + std::to_string(i) + "]\r\nint=1\r\nspeed=0,5\r\n";
    return {
        {"Data/t_data/levels/1.ini", Bytes("[LEVEL]\r\nname=First\r\n")},
        {"Data/t_data/Enemies.ini", Bytes(big)},
        {"Data/empty.txt", {}},
        {"sound/snd.tor", Bytes(std::string("\0\x01\x02\xff binary", 11))},
    };
}

class ArchiveRoundTrip : public ::testing::TestWithParam<bool> {};

TEST_P(ArchiveRoundTrip, EveryEntryReadsBackByAnySpellingOfItsName)
{
    const auto files = SampleFiles();
    const Archive archive = Archive::FromBytes(BuildArchive(files, GetParam()), "original.vlm");
    EXPECT_EQ(archive.IsCompressed(), GetParam());
    ASSERT_EQ(archive.Entries().size(), files.size());
    for (size_t i = 0; i < files.size(); ++i) {
        EXPECT_EQ(archive.Entries()[i].name, files[i].name);
        EXPECT_EQ(archive.Read(files[i].name), files[i].bytes) << files[i].name;
    }
    EXPECT_TRUE(archive.Contains("data\\T_DATA\\levels\\1.INI"));
    EXPECT_EQ(archive.Read("DATA\\t_data\\LEVELS\\1.ini"), files[0].bytes);
    EXPECT_FALSE(archive.Contains("Data/t_data/levels/2.ini"));
    // No normalisation beyond separators and case.
    EXPECT_FALSE(archive.Contains("\\Data\\t_data\\levels\\1.ini"));
    EXPECT_FALSE(archive.Contains("Data//t_data/levels/1.ini"));
    EXPECT_FALSE(archive.Contains("./Data/t_data/levels/1.ini"));
}

INSTANTIATE_TEST_SUITE_P(Modes, ArchiveRoundTrip, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "PACZ" : "PACK"; });

TEST(Archive, LayoutMatchesTheFormat)
{
    const auto bytes = BuildArchive({{"a.ini", Bytes("xyz")}}, false);
    ASSERT_EQ(bytes.size(), 16u + 3u + 128u);
    EXPECT_EQ(std::memcmp(bytes.data(), "PACK", 4), 0);
    EXPECT_EQ(bytes[4], 19); // directory after the data
    EXPECT_EQ(bytes[8], 128);
    EXPECT_EQ(std::memcmp(bytes.data() + 19, "a.ini\0", 6), 0);
    EXPECT_EQ(bytes[19 + 120], 16); // data offset
    EXPECT_EQ(bytes[19 + 124], 3);  // data size
}

TEST(Archive, FirstOfTwoEntriesWithTheSameNameWins)
{
    auto bytes = BuildArchive({{"a.ini", Bytes("first")}, {"b.ini", Bytes("other")}}, false);
    // Rename the second entry to "A.INI" in place.
    const size_t dir = bytes[4] | bytes[5] << 8;
    std::memcpy(bytes.data() + dir + 128, "A.INI", 5);
    const Archive archive = Archive::FromBytes(bytes, "dup.vlm");
    EXPECT_EQ(archive.Read("a.ini"), Bytes("first"));
}

TEST(Archive, WriterRefusesNamesTheReaderCouldNotServe)
{
    EXPECT_NO_THROW(BuildArchive({{std::string(119, 'n'), {}}}, false));
    EXPECT_THROW(BuildArchive({{std::string(120, 'n'), {}}}, false), DataError);
    EXPECT_THROW(BuildArchive({{"", {}}}, false), DataError);
    try {
        BuildArchive({{"Data/A.jpg", {}}, {"data/a.JPG", {}}}, false);
        FAIL() << "two names that differ only in case were packed";
    } catch (const DataError& error) {
        EXPECT_THAT(error.what(), HasSubstr("data/a.JPG"));
    }
}

TEST(Archive, AnotherSignatureIsNotAPakFile)
{
    for (std::string start : {std::string("ABCD"), std::string("PAC"), std::string()}) {
        std::vector<uint8_t> bytes = BuildArchive({{"a", Bytes("x")}}, false);
        bytes.resize(start.size() < 4 ? start.size() : bytes.size());
        std::memcpy(bytes.data(), start.data(), start.size());
        try {
            Archive::FromBytes(bytes, "original.vlm");
            FAIL() << "accepted signature '" << start << "'";
        } catch (const DataError& error) {
            EXPECT_STREQ(error.what(), "original.vlm - This is not PAK file");
        }
    }
}

void PutU32(std::vector<uint8_t>& bytes, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

uint32_t GetU32(const std::vector<uint8_t>& bytes, size_t at)
{
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | uint32_t(bytes[at + 3]) << 24;
}

// A good two-entry archive with one change made by the case.
struct HostileCase {
    const char* name;
    bool compressed;
    void (*damage)(std::vector<uint8_t>&);
    const char* expected; // a piece of the message besides the archive's name
    bool failsOnRead;     // the directory is fine; reading "b.ini" fails
};

class ArchiveHostile : public ::testing::TestWithParam<HostileCase> {};

TEST_P(ArchiveHostile, GivesAClearErrorNamingTheArchive)
{
    const HostileCase& c = GetParam();
    std::string text;
    for (int i = 0; i < 50; ++i)
        text += "[" + std::to_string(i) + "]\nint=1\n";
    std::vector<uint8_t> bytes = BuildArchive({{"a.ini", Bytes("[A]\nk=v\n")}, {"b.ini", Bytes(text)}}, c.compressed);
    c.damage(bytes);
    try {
        const Archive archive = Archive::FromBytes(bytes, "hostile.vlm");
        ASSERT_TRUE(c.failsOnRead) << "opened a damaged archive";
        archive.Read("b.ini");
        FAIL() << "read a damaged entry";
    } catch (const DataError& error) {
        EXPECT_THAT(error.what(), HasSubstr("hostile.vlm"));
        EXPECT_THAT(error.what(), HasSubstr(c.expected));
    }
}

size_t DirOf(const std::vector<uint8_t>& b) { return GetU32(b, 4); }
size_t SecondEntry(const std::vector<uint8_t>& b) { return DirOf(b) + 128; }

INSTANTIATE_TEST_SUITE_P(
    Damage, ArchiveHostile,
    ::testing::Values(
        HostileCase{"TruncatedHeader", false, [](auto& b) { b.resize(10); }, "16-byte header", false},
        HostileCase{"TruncatedDirectory", false, [](auto& b) { b.resize(b.size() - 1); }, "outside the file", false},
        HostileCase{"DirectoryBeyondTheEnd", false, [](auto& b) { PutU32(b, 4, uint32_t(b.size()) + 1); },
                    "outside the file", false},
        HostileCase{"DirectoryLengthWraps", false,
                    [](auto& b) {
                        PutU32(b, 4, 0xFFFFFF80u);
                        PutU32(b, 8, 0x100u);
                    },
                    "outside the file", false},
        HostileCase{"DirectoryLengthNotWholeEntries", false, [](auto& b) { PutU32(b, 8, 200); },
                    "not a whole number of 128-byte entries", false},
        HostileCase{"EntryBeyondTheEnd", false, [](auto& b) { PutU32(b, SecondEntry(b) + 120, uint32_t(b.size())); },
                    "entry \"b.ini\"", false},
        HostileCase{"EntrySizeWraps", false, [](auto& b) { PutU32(b, SecondEntry(b) + 124, 0xFFFFFFF8u); },
                    "entry \"b.ini\"", false},
        HostileCase{"NameWithoutTerminatingZero", false,
                    [](auto& b) { std::memset(b.data() + SecondEntry(b), 'x', 120); }, "entry 1", false},
        HostileCase{"UnknownCompressionMode", true, [](auto& b) { b[12] = 9; }, "compression mode 9", false},
        HostileCase{"StreamClaimsMore", true,
                    [](auto& b) {
                        const size_t at = GetU32(b, SecondEntry(b) + 120);
                        PutU32(b, at, GetU32(b, at) + 1);
                    },
                    "entry \"b.ini\" is damaged", true},
        HostileCase{"StreamClaimsLess", true,
                    [](auto& b) {
                        const size_t at = GetU32(b, SecondEntry(b) + 120);
                        PutU32(b, at, GetU32(b, at) - 1);
                    },
                    "entry \"b.ini\" is damaged", true},
        HostileCase{"StreamCutShort", true,
                    [](auto& b) {
                        const size_t entry = SecondEntry(b);
                        PutU32(b, entry + 124, GetU32(b, entry + 124) - 3);
                    },
                    "entry \"b.ini\" is damaged", true}),
    [](const auto& info) { return std::string(info.param.name); });

// Whatever prefix of an archive survives, the reader reports it or reads it right.
TEST(Archive, EveryTruncationIsReportedOrHarmless)
{
    for (bool compressed : {false, true}) {
        const auto files = SampleFiles();
        const auto whole = BuildArchive(files, compressed);
        for (size_t length = 0; length < whole.size(); ++length) {
            std::vector<uint8_t> cut(whole.begin(), whole.begin() + length);
            try {
                const Archive archive = Archive::FromBytes(cut, "cut.vlm");
                for (const auto& file : files) {
                    try {
                        EXPECT_EQ(archive.Read(file.name), file.bytes);
                    } catch (const DataError&) {
                    }
                }
            } catch (const DataError&) {
            }
        }
    }
}

TEST(Archive, OpenNamesTheFileThatCannotBeUsed)
{
    vlm::testing::TempFolder temp;
    try {
        Archive::Open(temp / "missing.vlm");
        FAIL();
    } catch (const DataError& error) {
        EXPECT_THAT(error.what(), HasSubstr("missing.vlm"));
    }
    EXPECT_THROW(Archive::Open(temp.Path()), DataError); // a folder
}

TEST(Archive, FileShrunkAfterOpeningIsReportedNotReadPast)
{
    vlm::testing::TempFolder temp;
    const auto files = SampleFiles();
    WriteArchive(temp / "original.vlm", files, false);
    const Archive archive = Archive::Open(temp / "original.vlm");
    EXPECT_EQ(archive.Read("sound/snd.tor"), files[3].bytes);
    std::filesystem::resize_file(temp / "original.vlm", 20);
    try {
        archive.Read("Data/t_data/Enemies.ini");
        FAIL() << "read past the end of a shrunk file";
    } catch (const DataError& error) {
        EXPECT_THAT(error.what(), HasSubstr("Enemies.ini"));
    }
}

} // namespace
} // namespace vlm::data
