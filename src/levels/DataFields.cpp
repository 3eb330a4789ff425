#include "levels/DataFields.h"

#include "data/DataStore.h"
#include "data/Numbers.h"

namespace vlm::levels {

EFieldError::EFieldError(std::string file, std::string section, std::string key, std::string value,
                         std::string_view kind)
    : std::runtime_error("File \"" + file + "\", section [" + section + "], key \"" + key + "\": \"" + value +
                         "\" is not a valid " + std::string(kind)),
      file_(std::move(file)),
      section_(std::move(section)),
      key_(std::move(key)),
      value_(std::move(value)) {}

std::string FieldReader::Text(const std::string& section, const std::string& key) const {
    return read_(file_, section, key);
}

int32_t FieldReader::Int(const std::string& section, const std::string& key) const {
    return IntOf(section, key, Text(section, key));
}

double FieldReader::Float(const std::string& section, const std::string& key) const {
    return FloatOf(section, key, Text(section, key));
}

std::optional<int32_t> FieldReader::TryInt(const std::string& section, const std::string& key) const {
    int32_t value = 0;
    if (data::TryStrToInt(Text(section, key), value)) return value;
    return std::nullopt;
}

std::optional<double> FieldReader::TryFloat(const std::string& section, const std::string& key) const {
    double value = 0.0;
    if (data::TryStrToFloat(Text(section, key), value)) return value;
    return std::nullopt;
}

int32_t FieldReader::IntOf(const std::string& section, const std::string& key, const std::string& value) const {
    int32_t result = 0;
    if (!data::TryStrToInt(value, result)) throw EFieldError(file_, section, key, value, "integer");
    return result;
}

double FieldReader::FloatOf(const std::string& section, const std::string& key, const std::string& value) const {
    double result = 0.0;
    if (!data::TryStrToFloat(value, result)) throw EFieldError(file_, section, key, value, "number");
    return result;
}

IniReadFn PlainIniReader(data::DataStore& store) {
    return [&store](const std::string& file, const std::string& section, const std::string& key) {
        return store.ReadIniValue(file, section, key);
    };
}

std::string SectionName(int index) { return std::to_string(index); }

} // namespace vlm::levels
