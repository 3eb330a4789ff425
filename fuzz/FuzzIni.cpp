// libFuzzer target: the INI parser and writer. Any text parses; a key written into it
// always reads back as written.
#include "data/IniText.h"

#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace vlm::data;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> lines = SplitLines(text);
    const IniDocument document(lines);

    // Look up names taken from the text itself, so matches happen.
    // Copies: the names must outlive the edits to `lines` below.
    std::string section = "OPTIONS";
    std::string key = "Gamma";
    if (!lines.empty()) {
        if (auto name = SectionHeaderName(lines.front()))
            section = *name;
        if (lines.size() > 1)
            if (auto pair = SplitPair(lines[1]))
                key = pair->key;
    }
    (void)document.Read(section, key);

    if (WhyNotStorable(section, key, "written").empty()) {
        SetIniValue(lines, section, key, "written");
        if (IniDocument(SplitLines(JoinLines(lines, "\r\n"))).Read(section, key) != "written")
            std::abort();
    }
    return 0;
}
