#pragma once
// Reading typed values out of the game's INI data files.
//
// Every loader of the levels and combat subsystems reads one key at a time through an
// IniReadFn (in the game: the data store's ReadIniValue; in tests: a table). A key or file
// that cannot be found reads as the text "ini error". The loaders convert the text
// themselves: a failed conversion of a key that is not guarded raises EFieldError, which
// names the file, the section, the key and the text that would not convert.

#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace vlm::data {
class DataStore;
}

namespace vlm::levels {

// What every reader gives for a key or file it cannot find.
inline constexpr std::string_view kIniError = "ini error";

// One key of one INI file: (file, section, key) -> value, or "ini error".
using IniReadFn =
    std::function<std::string(const std::string& file, const std::string& section, const std::string& key)>;

// A value of a data file that does not convert to the number the loader needs.
// what(): File "<file>", section [<section>], key "<key>": "<value>" is not a valid <kind>.
class EFieldError : public std::runtime_error {
public:
    EFieldError(std::string file, std::string section, std::string key, std::string value, std::string_view kind);

    const std::string& File() const noexcept { return file_; }
    const std::string& Section() const noexcept { return section_; }
    const std::string& Key() const noexcept { return key_; }
    const std::string& Value() const noexcept { return value_; }

private:
    std::string file_;
    std::string section_;
    std::string key_;
    std::string value_;
};

// Typed reads of one file. Int and Float are the unguarded reads (EFieldError on failure);
// TryInt and TryFloat are the guarded ones (nothing on failure).
class FieldReader {
public:
    FieldReader(const IniReadFn& read, std::string file) : read_(read), file_(std::move(file)) {}

    const std::string& File() const { return file_; }

    std::string Text(const std::string& section, const std::string& key) const;
    int32_t Int(const std::string& section, const std::string& key) const;
    double Float(const std::string& section, const std::string& key) const;
    std::optional<int32_t> TryInt(const std::string& section, const std::string& key) const;
    std::optional<double> TryFloat(const std::string& section, const std::string& key) const;

    // Converts a value already read (for values that are looked at before they are converted).
    int32_t IntOf(const std::string& section, const std::string& key, const std::string& value) const;
    double FloatOf(const std::string& section, const std::string& key, const std::string& value) const;

private:
    const IniReadFn& read_;
    std::string file_;
};

// The plain reader of the data store (ReadIniValue), as the loaders take it. The store must
// outlive the function.
IniReadFn PlainIniReader(data::DataStore& store);

// The sections of the game's lists are named by the decimal number of the entry.
std::string SectionName(int index);

} // namespace vlm::levels
