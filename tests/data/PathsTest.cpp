#include "data/Paths.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace vlm::data {
namespace {

// Sets or clears environment variables for one test and puts them back afterwards.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name)
    {
        if (const char* old = std::getenv(name))
            old_ = old;
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedEnv()
    {
        if (old_)
            setenv(name_, old_->c_str(), 1);
        else
            unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(Paths, BackslashesBecomeSlashes)
{
    EXPECT_EQ(ToNativePath("Data\\t_data\\levels\\1.ini"), std::filesystem::path("Data/t_data/levels/1.ini"));
    EXPECT_EQ(ToNativePath("/home/a/Velmora 2\\Saves\\x.ini"), std::filesystem::path("/home/a/Velmora 2/Saves/x.ini"));
    EXPECT_EQ(ToNativePath(""), std::filesystem::path());
}

struct AppDataCase {
    const char* name;
    const char* xdg;
    const char* home;
    const char* expected;
};

class AppDataFolder : public ::testing::TestWithParam<AppDataCase> {};

TEST_P(AppDataFolder, FollowsXdgThenHome)
{
    ScopedEnv xdg("XDG_DATA_HOME", GetParam().xdg);
    ScopedEnv home("HOME", GetParam().home);
    EXPECT_EQ(DefaultAppDataFolder(), std::filesystem::path(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AppDataFolder,
    ::testing::Values(AppDataCase{"Xdg", "/xdg", "/home/a", "/xdg/Quorvel Works/Velmora 2"},
                      AppDataCase{"NoXdg", nullptr, "/home/a", "/home/a/.local/share/Quorvel Works/Velmora 2"},
                      AppDataCase{"EmptyXdg", "", "/home/a", "/home/a/.local/share/Quorvel Works/Velmora 2"},
                      // A relative XDG_DATA_HOME is invalid and ignored.
                      AppDataCase{"RelativeXdg", "share", "/home/a", "/home/a/.local/share/Quorvel Works/Velmora 2"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Paths, ExecutableFolderHoldsThisProgram)
{
    const std::filesystem::path folder = ExecutableFolder();
    EXPECT_TRUE(folder.is_absolute());
    EXPECT_TRUE(std::filesystem::exists(folder / "data_tests"));
}

} // namespace
} // namespace vlm::data
