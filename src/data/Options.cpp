#include "data/Options.h"

#include "data/Errors.h"
#include "data/FileIo.h"
#include "data/Numbers.h"

#include <cmath>
#include <type_traits>
#include <utility>

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

    // A value that converted but lies outside what the game can use goes to the nearest bound.
    template <class T>
    void Clamp(const TOptionRange& range, T& value)
    {
        if (double(value) >= range.Min && double(value) <= range.Max)
            return;
        const std::string given = std::is_integral_v<T> ? IntToStr(int64_t(value)) : FloatToStr(double(value));
        value = double(value) < range.Min ? T(range.Min) : T(range.Max);
        Replace(range.Section, range.Key, given,
                ("is outside " + FloatToStr(range.Min) + " to " + FloatToStr(range.Max)).c_str(),
                std::is_integral_v<T> ? IntToStr(int64_t(value)) : FloatToStr(double(value)));
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
        } catch (const DataError& error) {
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
    reader.Clamp(kLightingQualityRange, options.LightingQuality);
    reader.Float("OPTIONS", "Gamma", options.Gamma, defaults.Gamma);
    reader.Clamp(kGammaRange, options.Gamma);
    reader.Float("OPTIONS", "Brightness", options.Brightness, defaults.Brightness);
    reader.Clamp(kBrightnessRange, options.Brightness);
    reader.Float("OPTIONS", "SoundVolume", options.SoundVolume, defaults.SoundVolume);
    reader.Clamp(kSoundVolumeRange, options.SoundVolume);
    reader.Float("OPTIONS", "MusicVolume", options.MusicVolume, defaults.MusicVolume);
    reader.Clamp(kMusicVolumeRange, options.MusicVolume);
    reader.Float("OPTIONS", "MouseSpeed", options.MouseSpeed, defaults.MouseSpeed);
    reader.Clamp(kMouseSpeedRange, options.MouseSpeed);
    reader.Flag("TEST", "Fps", options.Fps, defaults.Fps);
    reader.Flag("OPTIONS", "ff", options.FullScreen, defaults.FullScreen);
    return reader.Take();
}

std::string WhyOptionsOutOfRange(const TOptions& o)
{
    const std::pair<const TOptionRange&, double> checks[] = {
        {kResolutionRange, double(o.Resolution)}, {kMouseSpeedRange, o.MouseSpeed},
        {kGammaRange, o.Gamma},                   {kBrightnessRange, o.Brightness},
        {kLightingQualityRange, double(o.LightingQuality)},
        {kMusicVolumeRange, o.MusicVolume},       {kSoundVolumeRange, o.SoundVolume},
    };
    for (const auto& [range, value] : checks) {
        if (!(value >= range.Min && value <= range.Max)) // NaN fails too
            return std::string("[") + range.Section + "] " + range.Key + " = " +
                   (value == std::trunc(value) && std::fabs(value) < 1e15 ? IntToStr(int64_t(value)) : FloatToStr(value)) +
                   " is outside " +
                   FloatToStr(range.Min) + " to " + FloatToStr(range.Max);
    }
    return {};
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

namespace {

// The settings are saved where the game can; a folder that cannot be written must not keep
// the player from playing. The one message says why, and that the settings are not kept.
void SaveOptionsOrNote(DataStore& store, const TOptions& options, const TPlayer& player,
                       std::vector<std::string>& messages)
{
    try {
        SaveOptions(store, options, player);
    } catch (const EWriteError& error) {
        messages.push_back(std::string(error.what()) + (error.Reason().empty() ? "" : ": " + error.Reason()) +
                           ". The game goes on, but changed settings will not be kept.");
    } catch (const DataError& error) {
        messages.push_back(std::string(error.what()) + ". The game goes on, but changed settings will not be kept.");
    }
}

} // namespace

std::vector<std::string> LoadOptions(DataStore& store, TOptions& options, TOptions& cancelCopy, TPlayer& player)
{
    const std::filesystem::path user = UserOptionsFile(store);
    const std::filesystem::path templ = TemplateOptionsFile(store);
    std::vector<std::string> messages;
    int32_t resolution = 0;

    // Writes cut short by a crash or a kill leave their temporary siblings behind.
    for (const char* folder : {"", "Saves", "Saves/tr"})
        RemoveStaleTempFiles(store.AppDataFolder() / folder);

    // A file that is there but cannot be read is reported once and left as it is: the run
    // goes on with the template or the defaults and saves nothing over it.
    bool userUnreadable = false;
    auto readGuarded = [&](const std::filesystem::path& file, const char* section) {
        try {
            return store.ReadIniValue(file.string(), section, "Resolution");
        } catch (const DataError& error) {
            messages.push_back(std::string(error.what()) + "; the settings of this run are not read from it.");
            if (file == user)
                userUnreadable = true;
            return std::string(kIniError);
        }
    };

    if (TryStrToInt(readGuarded(user, "Options"), resolution)) {
        messages = ReadOptions(store, user, options, player);
        if (!messages.empty())
            SaveOptionsOrNote(store, options, player, messages); // the broken keys now hold their defaults
    } else {
        if (!userUnreadable && store.DataFileExists(user.string()))
            messages.push_back("Options file \"" + user.string() +
                               "\": [OPTIONS] Resolution is missing or not a whole number; "
                               "the settings were reset.");
        if (TryStrToInt(readGuarded(templ, "OPTIONS"), resolution)) {
            std::vector<std::string> more = ReadOptions(store, templ, options, player);
            messages.insert(messages.end(), more.begin(), more.end());
        } else {
            DefaultOptions(options, player);
        }
        if (!userUnreadable)
            SaveOptionsOrNote(store, options, player, messages);
    }
    cancelCopy = options;
    return messages;
}

} // namespace vlm::data
