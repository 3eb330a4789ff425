#include "levels/CutSceneFile.h"

#include <algorithm>
#include <optional>
#include <stdexcept>

#include "data/Numbers.h"
#include "levels/LevelLoader.h"

namespace vlm::levels {

namespace {

// A key that is not there names nothing (no picture, no text) rather than the reader's
// "ini error".
std::string Optional(const FieldReader& f, const std::string& section, const std::string& key) {
    std::string value = f.Text(section, key);
    if (value == kIniError) value.clear();
    return value;
}

double FloatIn(const FieldReader& f, const std::string& section, const std::string& key, double lo, double hi) {
    const double v = f.Float(section, key);
    if (!(v >= lo && v <= hi))
        throw EFieldError(f.File(), section, key, f.Text(section, key),
                          "number from " + data::FloatToStr(lo) + " to " + data::FloatToStr(hi));
    return v;
}

}  // namespace

TCutSceneScript ReadCutScene(const IniReadFn& read, const std::string& name) {
    TCutSceneScript script;
    script.FileName = CutSceneFileName(name);
    const FieldReader f(read, script.FileName);
    script.ShowAtText = f.Text("MAIN", "ShowAt");
    for (int n = 0;; ++n) {
        const std::string section = SectionName(n);
        const std::optional<int32_t> time = f.TryInt(section, "Time");
        if (!time) break;
        if (n >= kMaxCutScenePages)
            throw std::runtime_error("File \"" + script.FileName + "\", section [" + section + "]: more than " +
                                     std::to_string(kMaxCutScenePages) +
                                     " pages (the limit on pages of a cut-scene)");
        TCutScenePage page;
        page.Time = *time;
        page.SpriteImage = Optional(f, section, "SpriteImage");
        page.Text = Optional(f, section, "Text");
        if (!page.SpriteImage.empty() || !page.Text.empty()) page.DestroyTime = f.Int(section, "DestroyTime");
        if (!page.SpriteImage.empty()) {
            page.SpriteX = FloatIn(f, section, "SpriteX", -kMaxCutSceneDistance, kMaxCutSceneDistance);
            page.SpriteZ = FloatIn(f, section, "SpriteZ", -kMaxCutSceneDistance, kMaxCutSceneDistance);
            page.SpriteWidth = FloatIn(f, section, "SpriteWidth", 0.0, kMaxCutSceneDistance);
            page.SpriteHeight = FloatIn(f, section, "SpriteHeight", 0.0, kMaxCutSceneDistance);
        }
        if (!page.Text.empty()) {
            if (page.Text.size() > kMaxCutSceneTextLength)
                throw EFieldError(f.File(), section, "Text", page.Text.substr(0, 40) + "...",
                                  "text of at most " + std::to_string(kMaxCutSceneTextLength) + " characters");
            std::replace(page.Text.begin(), page.Text.end(), '|', '\r');
            page.TextX = FloatIn(f, section, "TextX", -kMaxCutSceneTextPosition, kMaxCutSceneTextPosition);
            page.TextY = FloatIn(f, section, "TextY", -kMaxCutSceneTextPosition, kMaxCutSceneTextPosition);
            page.TextScaleX = FloatIn(f, section, "TextScaleX", -kMaxCutSceneTextScale, kMaxCutSceneTextScale);
            page.TextScaleY = FloatIn(f, section, "TextScaleY", -kMaxCutSceneTextScale, kMaxCutSceneTextScale);
            page.TextAlign = f.Int(section, "TextAlign");
        }
        script.Pages.push_back(std::move(page));
    }
    return script;
}

}  // namespace vlm::levels
