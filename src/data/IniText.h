#pragma once
// INI text with the semantics of the Windows profile functions the game's files were
// authored for: the first section whose name matches without regard to case, the first
// key in it likewise, blanks trimmed, one pair of enclosing quotes removed, at most 2047
// characters, and "ini error" for anything missing. Texts are bytes; only ASCII letters
// are folded for the comparisons.

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace vlm::data {

// What a reader returns for a missing file, section or key.
inline constexpr std::string_view kIniError = "ini error";
// The longest value a reader returns.
inline constexpr size_t kMaxIniValue = 2047;

// Splits at CR LF, CR or LF. A final line without a break counts; a trailing break does
// not start another line. A UTF-8 byte-order mark at the very start is dropped.
std::vector<std::string> SplitLines(std::string_view text);

// Joins lines, each followed by `eol`.
std::string JoinLines(const std::vector<std::string>& lines, std::string_view eol);

// The line break a text uses first ("\r\n", "\n" or "\r"); "\r\n" when it has none.
std::string_view DetectLineBreak(std::string_view text);

bool EqualsNoCase(std::string_view a, std::string_view b);
std::string_view TrimBlanks(std::string_view text);

// The parsed lines of one INI file, ready for repeated lookups.
class IniDocument {
public:
    IniDocument() = default;
    explicit IniDocument(const std::vector<std::string>& lines);

    // The value as the reader returns it, or nothing when the section or key is missing.
    std::optional<std::string> Find(std::string_view section, std::string_view key) const;
    // Find(), with "ini error" for a missing value.
    std::string Read(std::string_view section, std::string_view key) const;

private:
    struct Key {
        std::string foldedName;
        std::string value; // already trimmed, unquoted and cut to length
    };
    std::vector<std::vector<Key>> sections_;
    std::unordered_map<std::string, size_t> firstSection_; // folded name -> index
};

// The section name of a header line ("[name]" with blanks allowed), or nothing.
std::optional<std::string_view> SectionHeaderName(std::string_view line);

// What a value line holds; nothing when the line has no "=".
struct IniPair {
    std::string_view key;   // trimmed
    std::string_view value; // trimmed, quotes still on
};
std::optional<IniPair> SplitPair(std::string_view line);

// Why a section, key or value cannot be stored in a line-based INI file; empty when it can.
std::string WhyNotStorable(std::string_view section, std::string_view key, std::string_view value);

// Writes one key into the lines: an existing key's line is replaced in place, a new key
// goes after the last non-blank line of its section, a missing section is appended at the
// end. The caller has checked the texts with WhyNotStorable.
void SetIniValue(std::vector<std::string>& lines, std::string_view section, std::string_view key,
                 std::string_view value);

} // namespace vlm::data
