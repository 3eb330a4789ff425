#include "data/IniText.h"

namespace vlm::data {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }

char Fold(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string Folded(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = Fold(c);
    return out;
}

std::string Unquoted(std::string_view value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    if (value.size() > kMaxIniValue)
        value = value.substr(0, kMaxIniValue);
    return std::string(value);
}

} // namespace

std::vector<std::string> SplitLines(std::string_view text)
{
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    std::vector<std::string> lines;
    size_t start = 0;
    size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.emplace_back(text.substr(start, i - start));
            i += (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
            start = i;
        } else {
            ++i;
        }
    }
    if (start < text.size())
        lines.emplace_back(text.substr(start));
    return lines;
}

std::string JoinLines(const std::vector<std::string>& lines, std::string_view eol)
{
    size_t total = 0;
    for (const std::string& line : lines)
        total += line.size() + eol.size();
    std::string text;
    text.reserve(total);
    for (const std::string& line : lines) {
        text += line;
        text += eol;
    }
    return text;
}

std::string_view DetectLineBreak(std::string_view text)
{
    const size_t at = text.find_first_of("\r\n");
    if (at == std::string_view::npos)
        return "\r\n";
    if (text[at] == '\n')
        return "\n";
    return (at + 1 < text.size() && text[at + 1] == '\n') ? std::string_view("\r\n") : std::string_view("\r");
}

bool EqualsNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (Fold(a[i]) != Fold(b[i]))
            return false;
    }
    return true;
}

std::string_view TrimBlanks(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::optional<std::string_view> SectionHeaderName(std::string_view line)
{
    line = TrimBlanks(line);
    if (line.empty() || line.front() != '[')
        return std::nullopt;
    const size_t close = line.rfind(']');
    if (close == std::string_view::npos || close == 0)
        return std::nullopt;
    return TrimBlanks(line.substr(1, close - 1));
}

std::optional<IniPair> SplitPair(std::string_view line)
{
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos)
        return std::nullopt;
    return IniPair{TrimBlanks(line.substr(0, eq)), TrimBlanks(line.substr(eq + 1))};
}

IniDocument::IniDocument(const std::vector<std::string>& lines)
{
    std::vector<Key>* current = nullptr; // keys before the first header belong to no section
    for (const std::string& line : lines) {
        if (auto name = SectionHeaderName(line)) {
            sections_.emplace_back();
            firstSection_.emplace(Folded(*name), sections_.size() - 1);
            current = &sections_.back();
            continue;
        }
        if (!current)
            continue;
        if (auto pair = SplitPair(line))
            current->push_back(Key{Folded(pair->key), Unquoted(pair->value)});
    }
}

std::optional<std::string> IniDocument::Find(std::string_view section, std::string_view key) const
{
    auto it = firstSection_.find(Folded(TrimBlanks(section)));
    if (it == firstSection_.end())
        return std::nullopt;
    const std::string foldedKey = Folded(TrimBlanks(key));
    for (const Key& k : sections_[it->second]) {
        if (k.foldedName == foldedKey)
            return k.value;
    }
    return std::nullopt;
}

std::string IniDocument::Read(std::string_view section, std::string_view key) const
{
    auto value = Find(section, key);
    return value ? std::move(*value) : std::string(kIniError);
}

std::string WhyNotStorable(std::string_view section, std::string_view key, std::string_view value)
{
    auto hasBreak = [](std::string_view s) { return s.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos; };
    if (hasBreak(section) || hasBreak(key) || hasBreak(value))
        return "a section, key or value may not hold a line break or a zero byte";
    if (TrimBlanks(section).empty())
        return "the section name is empty";
    if (section.find(']') != std::string_view::npos)
        return "the section name \"" + std::string(section) + "\" holds \"]\"";
    const std::string_view k = TrimBlanks(key);
    if (k.empty())
        return "the key name is empty";
    if (k.find('=') != std::string_view::npos || k.front() == '[')
        return "the key name \"" + std::string(key) + "\" holds \"=\" or starts with \"[\"";
    return {};
}

void SetIniValue(std::vector<std::string>& lines, std::string_view section, std::string_view key,
                 std::string_view value)
{
    const std::string_view wantSection = TrimBlanks(section);
    const std::string_view wantKey = TrimBlanks(key);
    std::string newLine = std::string(wantKey) + "=" + std::string(value);

    size_t i = 0;
    while (i < lines.size()) {
        auto name = SectionHeaderName(lines[i]);
        if (name && EqualsNoCase(*name, wantSection))
            break;
        ++i;
    }
    if (i == lines.size()) {
        lines.push_back("[" + std::string(wantSection) + "]");
        lines.push_back(std::move(newLine));
        return;
    }

    size_t lastFilled = i; // the header itself when the section is empty
    for (size_t j = i + 1; j < lines.size(); ++j) {
        if (SectionHeaderName(lines[j]))
            break;
        if (auto pair = SplitPair(lines[j]); pair && EqualsNoCase(pair->key, wantKey)) {
            lines[j] = std::move(newLine);
            return;
        }
        if (!TrimBlanks(lines[j]).empty())
            lastFilled = j;
    }
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(lastFilled) + 1, std::move(newLine));
}

} // namespace vlm::data
