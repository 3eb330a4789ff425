#include "data/IniText.h"

#include <gtest/gtest.h>

namespace vlm::data {
namespace {

struct LookupCase {
    const char* name;
    std::string text;
    const char* section;
    const char* key;
    std::string expected;
};

class IniLookup : public ::testing::TestWithParam<LookupCase> {};

TEST_P(IniLookup, ReadsLikeTheProfileService)
{
    const LookupCase& c = GetParam();
    EXPECT_EQ(IniDocument(SplitLines(c.text)).Read(c.section, c.key), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IniLookup,
    ::testing::Values(
        LookupCase{"Plain", "[OPTIONS]\nGamma=0,9\n", "OPTIONS", "Gamma", "0,9"},
        LookupCase{"SectionAndKeyIgnoreCase", "[Options]\ngamma=0,9\n", "OPTIONS", "GAMMA", "0,9"},
        LookupCase{"BlanksTrimmedEverywhere", "  [ OPTIONS ]  \n\t Gamma \t=  0,9 \t\n", " OPTIONS", "Gamma ", "0,9"},
        LookupCase{"FirstKeyWins", "[A]\nk=1\nK=2\n", "A", "k", "1"},
        LookupCase{"OnlyTheFirstMatchingSectionCounts", "[A]\nx=1\n[a]\nk=2\n", "A", "k", "ini error"},
        LookupCase{"KeyOfAnotherSectionIsNotFound", "[A]\nk=1\n[B]\nj=2\n", "B", "k", "ini error"},
        LookupCase{"MissingSection", "[A]\nk=1\n", "B", "k", "ini error"},
        LookupCase{"MissingKey", "[A]\nk=1\n", "A", "j", "ini error"},
        LookupCase{"KeysBeforeAnySectionBelongToNone", "k=1\n[A]\n", "A", "k", "ini error"},
        LookupCase{"LineWithoutEqualsIsNoKey", "[A]\nk\nk=2\n", "A", "k", "2"},
        LookupCase{"ValueKeepsLaterEquals", "[A]\nk=a=b\n", "A", "k", "a=b"},
        LookupCase{"EmptyValueIsNotAnError", "[A]\nk=\n", "A", "k", ""},
        LookupCase{"DoubleQuotesRemovedOnce", "[A]\nk=\"\"x\"\"\n", "A", "k", "\"x\""},
        LookupCase{"SingleQuotesRemoved", "[A]\nk=' padded '\n", "A", "k", " padded "},
        LookupCase{"MismatchedQuotesKept", "[A]\nk=\"x'\n", "A", "k", "\"x'"},
        LookupCase{"LoneQuoteKept", "[A]\nk=\"\n", "A", "k", "\""},
        LookupCase{"CrLfBreaks", "[A]\r\nk=1\r\nj=2\r\n", "A", "j", "2"},
        LookupCase{"CrBreaks", "[A]\rk=1\rj=2", "A", "j", "2"},
        LookupCase{"ByteOrderMarkDropped", "\xEF\xBB\xBF[A]\nk=1\n", "A", "k", "1"},
        LookupCase{"BytesPassThrough", "[A]\nname=Zo\xC3\xAB \xFF\n", "a", "NAME", "Zo\xC3\xAB \xFF"},
        LookupCase{"NumberedSection", "[0]\nint=1\n[1]\nint=2\n", "1", "int", "2"},
        LookupCase{"LongValueCutTo2047", "[A]\nk=" + std::string(3000, 'v') + "\n", "A", "k",
                   std::string(2047, 'v')}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(IniLines, SplitKeepsEmptyLinesButNoPhantomLast)
{
    EXPECT_EQ(SplitLines("a\r\n\r\nb\n"), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_EQ(SplitLines("a\n\rb"), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_TRUE(SplitLines("").empty());
    EXPECT_EQ(DetectLineBreak("a\nb\r\n"), "\n");
    EXPECT_EQ(DetectLineBreak("a\r\nb"), "\r\n");
    EXPECT_EQ(DetectLineBreak("one line"), "\r\n");
}

struct SetCase {
    const char* name;
    std::vector<std::string> before;
    const char* section;
    const char* key;
    const char* value;
    std::vector<std::string> after;
};

class IniSet : public ::testing::TestWithParam<SetCase> {};

TEST_P(IniSet, EditsLikeTheProfileService)
{
    const SetCase& c = GetParam();
    std::vector<std::string> lines = c.before;
    SetIniValue(lines, c.section, c.key, c.value);
    EXPECT_EQ(lines, c.after);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IniSet,
    ::testing::Values(
        SetCase{"ReplacesInPlace", {"[A]", "k=1", "j=2"}, "a", "K", "5", {"[A]", "K=5", "j=2"}},
        SetCase{"ReplacesOnlyTheFirst", {"[A]", "k=1", "k=2"}, "A", "k", "5", {"[A]", "k=5", "k=2"}},
        SetCase{"AppendsToItsSectionBeforeBlankLines",
                {"[A]", "k=1", "", "[B]", "x=1"}, "A", "j", "2", {"[A]", "k=1", "j=2", "", "[B]", "x=1"}},
        SetCase{"AppendsToAnEmptySection", {"[A]", "[B]"}, "A", "j", "2", {"[A]", "j=2", "[B]"}},
        SetCase{"AppendsToTheLastSection", {"[A]", "k=1"}, "A", "j", "2", {"[A]", "k=1", "j=2"}},
        SetCase{"MissingSectionGoesAtTheEnd", {"[A]", "k=1"}, "B", "j", "2", {"[A]", "k=1", "[B]", "j=2"}},
        SetCase{"EmptyFile", {}, "OPTIONS", "Gamma", "0,9", {"[OPTIONS]", "Gamma=0,9"}},
        SetCase{"KeyInAnotherSectionUntouched", {"[A]", "k=1", "[B]"}, "B", "k", "2", {"[A]", "k=1", "[B]", "k=2"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(IniSet, RefusesTextsThatWouldBreakTheFile)
{
    EXPECT_EQ(WhyNotStorable("A", "k", "value with = and [x]"), "");
    EXPECT_NE(WhyNotStorable("A", "k", "two\nlines"), "");
    EXPECT_NE(WhyNotStorable("A", "k", "cr\r"), "");
    EXPECT_NE(WhyNotStorable("A", "k", std::string("zero\0byte", 9)), "");
    EXPECT_NE(WhyNotStorable("A", "k=j", "v"), "");
    EXPECT_NE(WhyNotStorable("A", "[k", "v"), "");
    EXPECT_NE(WhyNotStorable("A]", "k", "v"), "");
    EXPECT_NE(WhyNotStorable(" ", "k", "v"), "");
    EXPECT_NE(WhyNotStorable("A", "", "v"), "");
}

} // namespace
} // namespace vlm::data
