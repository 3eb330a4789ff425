#pragma once
// Data files held in memory for the loader tests, looked up with the game's INI semantics
// (the data layer's IniDocument): "ini error" for a missing file, section or key. Every
// read is logged, so tests can tell which keys a loader looked at.

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "data/IniText.h"
#include "levels/DataFields.h"

namespace vlm::test {

class IniFiles {
public:
    // `name` as the game spells it; a leading "\" is ignored, as by the game's reader.
    void Add(std::string_view name, std::string_view text) {
        files_[Key(name)] = data::IniDocument(data::SplitLines(text));
    }

    levels::IniReadFn Reader() {
        return [this](const std::string& file, const std::string& section, const std::string& key) {
            reads.push_back(section + "/" + key);
            auto it = files_.find(Key(file));
            if (it == files_.end()) return std::string(levels::kIniError);
            return it->second.Read(section, key);
        };
    }

    bool WasRead(std::string_view sectionSlashKey) const {
        for (const auto& r : reads)
            if (r == sectionSlashKey) return true;
        return false;
    }

    std::vector<std::string> reads;  // "section/key", in order

private:
    static std::string Key(std::string_view name) {
        if (!name.empty() && name.front() == '\\') name.remove_prefix(1);
        return std::string(name);
    }
    std::map<std::string, data::IniDocument> files_;
};

} // namespace vlm::test
