#include "data/Options.h"

#include "data/Errors.h"
#include "data/Numbers.h"

namespace vlm::data {

namespace {

class OptionsReader {
public:
    OptionsReader(DataStore& store, const std::filesystem::path& file) : store_(store), file_(file) {}

    void Integer(const char* section, const char* key, int32_t& value, int32_t fallback)
    {
        const std::string text = store_.ReadIniValue(file_.string(), section, key);
        if (!TryStrToInt(text, value))
            Replace(section, key, text, "is not a whole number", IntToStr(value = fallback));
    }

    void Float(const char* section, const char* key, double& value, double fallback)
    {
        const std::string text = store_.ReadIniValue(file_.string(), section, key);
        if (!TryStrToFloat(text, value))
            Replace(section, key, text, "is not a number (the decimal separator is \",\")",
                    FloatToStr(value = fallback));
    }

    // Stored as 1 or 0; exactly 1 means true, any other integer false.
    void Flag(const char* section, const char* key, bool& value, bool fallback)
    {
        const std::string text = store_.ReadIniValue(file_.string(), section, key);
        int32_t number = 0;
        if (TryStrToInt(text, number)) {
            value = number == 1;
        } else {
            value = fallback;
            Replace(section, key, text, "is not 0 or 1", fallback ? "1" : "0");
        }
    }

    void Replace(const std::string& section, const std::string& key, const std::string& text, const char* problem,
                 const std::string& replacement)
    {
        std::string what = text == kIniError ? "is missing" : "= \"" + text + "\" " + problem;
        messages_.push_back("Options file \"" + file_.string() + "\": [" + section + "] " + key + " " + what +
                            "; it was set to " + replacement + ".");
    }

    void Note(std::string message) { messages_.push_back(std::move(message)); }

    std::vector<std::string> Take() { return std::move(messages_); }

private:
    DataStore& store_;
    const std::filesystem::path& file_;
    std::vector<std::string> messages_;
};

} // namespace

std::filesystem::path UserOptionsFile(const DataStore& store) { return store.AppDataFolder() / kOptionsFileName; }

std::filesystem::path TemplateOptionsFile(const DataStore& store) { return store.WorkingFolder() / kOptionsFileName; }

void DefaultOptions(TOptions& options, TPlayer& player)
{
    player.FileName.clear();
    player.Name.clear();
    options = TOptions{};
}

std::vector<std::string> ReadOptions(DataStore& store, const std::filesystem::path& file, TOptions& options,
                                     TPlayer& player)
{
    const TOptions defaults;
    OptionsReader reader(store, file);

    player.FileName = store.ReadIniValue(file.string(), "PLAYER", "FileName");
    if (player.FileName == kIniError)
        player.FileName.clear(); // a missing key is no profile
    player.Name.clear();
    if (!player.FileName.empty()) {
        const std::string profile = (store.AppDataFolder() / "Saves" / player.FileName).string();
        try {
            const std::string name = store.ReadSavedValue(profile, "MAIN", "Name");
            if (name != kIniError)
                player.Name = name;
        } catch (const ECryptError& error) {
            reader.Note("The profile \"" + profile + "\" named in \"" + file.string() + "\" cannot be read: " +
                        error.what());
        }
    }

    reader.Integer("OPTIONS", "Resolution", options.Resolution, defaults.Resolution);
    if (options.Resolution < kMinResolution || options.Resolution > kMaxResolution) {
        const std::string given = IntToStr(options.Resolution);
        options.Resolution = defaults.Resolution;
        reader.Replace("OPTIONS", "Resolution", given, "is not a screen mode (1 to 3)", IntToStr(options.Resolution));
    }
    reader.Integer("OPTIONS", "LightingQuality", options.LightingQuality, defaults.LightingQuality);
    reader.Float("OPTIONS", "Gamma", options.Gamma, defaults.Gamma);
    reader.Float("OPTIONS", "Brightness", options.Brightness, defaults.Brightness);
    reader.Float("OPTIONS", "SoundVolume", options.SoundVolume, defaults.SoundVolume);
    reader.Float("OPTIONS", "MusicVolume", options.MusicVolume, defaults.MusicVolume);
    reader.Float("OPTIONS", "MouseSpeed", options.MouseSpeed, defaults.MouseSpeed);
    reader.Flag("TEST", "Fps", options.Fps, defaults.Fps);
    reader.Flag("OPTIONS", "ff", options.FullScreen, defaults.FullScreen);
    return reader.Take();
}

void SaveOptions(DataStore& store, const TOptions& options, const TPlayer& player)
{
    store.EnsureAppDataFolder();
    const IniWrite writes[] = {
        {"OPTIONS", "Resolution", IntToStr(options.Resolution)},
        {"OPTIONS", "MusicVolume", FloatToStr(options.MusicVolume)},
        {"OPTIONS", "SoundVolume", FloatToStr(options.SoundVolume)},
        {"OPTIONS", "MouseSpeed", FloatToStr(options.MouseSpeed)},
        {"OPTIONS", "LightingQuality", IntToStr(options.LightingQuality)},
        {"OPTIONS", "Gamma", FloatToStr(options.Gamma)},
        {"OPTIONS", "Brightness", FloatToStr(options.Brightness)},
        {"PLAYER", "FileName", player.FileName},
        {"TEST", "Fps", options.Fps ? "1" : "0"},
        {"OPTIONS", "ff", options.FullScreen ? "1" : "0"},
    };
    store.WriteIniValues(UserOptionsFile(store).string(), writes);
}

std::vector<std::string> LoadOptions(DataStore& store, TOptions& options, TOptions& cancelCopy, TPlayer& player)
{
    const std::filesystem::path user = UserOptionsFile(store);
    const std::filesystem::path templ = TemplateOptionsFile(store);
    std::vector<std::string> messages;
    int32_t resolution = 0;

    if (TryStrToInt(store.ReadIniValue(user.string(), "Options", "Resolution"), resolution)) {
        messages = ReadOptions(store, user, options, player);
        if (!messages.empty())
            SaveOptions(store, options, player); // the broken keys now hold their defaults
    } else {
        if (store.DataFileExists(user.string()))
            messages.push_back("Options file \"" + user.string() +
                               "\": [OPTIONS] Resolution is missing or not a whole number; "
                               "the settings were reset.");
        if (TryStrToInt(store.ReadIniValue(templ.string(), "OPTIONS", "Resolution"), resolution)) {
            std::vector<std::string> more = ReadOptions(store, templ, options, player);
            messages.insert(messages.end(), more.begin(), more.end());
        } else {
            DefaultOptions(options, player);
        }
        SaveOptions(store, options, player);
    }
    cancelCopy = options;
    return messages;
}

} // namespace vlm::data
