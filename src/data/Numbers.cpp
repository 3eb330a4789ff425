#include "data/Numbers.h"

#include "data/Errors.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace vlm::data {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Parses into a magnitude and a sign, then checks the range [minimum, maximum].
bool ParseInteger(std::string_view text, int64_t minimum, int64_t maximum, int64_t& value)
{
    size_t i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    int base = 10;
    if (i < text.size() && text[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i == text.size())
        return false;

    // The magnitude may reach |minimum| = maximum + 1.
    const uint64_t limit = negative ? uint64_t(-(minimum + 1)) + 1 : uint64_t(maximum);
    uint64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        const int digit = HexDigit(text[i]);
        if (digit < 0 || digit >= base)
            return false;
        if (magnitude > (limit - uint64_t(digit)) / uint64_t(base))
            return false;
        magnitude = magnitude * uint64_t(base) + uint64_t(digit);
    }
    if (negative)
        value = magnitude == 0 ? 0 : -int64_t(magnitude - 1) - 1;
    else
        value = int64_t(magnitude);
    return value >= minimum && value <= maximum;
}

[[noreturn]] void IntegerFailure(std::string_view text)
{
    throw EConvertError("'" + std::string(text) + "' is not a valid integer value", std::string(text));
}

// The power of ten of the leading non-zero digit of a checked "."-form ("12.5e3" -> 4),
// enough to tell an overflow from an underflow.
int64_t DecimalMagnitude(std::string_view form)
{
    if (!form.empty() && form[0] == '-')
        form.remove_prefix(1);
    const size_t e = form.find('e');
    int64_t exponent = 0;
    if (e != std::string_view::npos) {
        std::string_view digits = form.substr(e + 1);
        const bool negative = !digits.empty() && digits[0] == '-';
        if (!digits.empty() && (digits[0] == '-' || digits[0] == '+'))
            digits.remove_prefix(1);
        for (char c : digits)
            exponent = std::min<int64_t>(exponent * 10 + (c - '0'), 1'000'000'000);
        if (negative)
            exponent = -exponent;
        form = form.substr(0, e);
    }
    const size_t point = std::min(form.find('.'), form.size());
    const size_t first = form.find_first_not_of("0.");
    if (first == std::string_view::npos)
        return INT64_MIN; // zero
    const int64_t position = first < point ? int64_t(point - first) - 1 : -int64_t(first - point);
    return position + exponent;
}

} // namespace

bool TryStrToInt64(std::string_view text, int64_t& value)
{
    int64_t parsed = 0;
    if (!ParseInteger(text, std::numeric_limits<int64_t>::min(), std::numeric_limits<int64_t>::max(), parsed))
        return false;
    value = parsed;
    return true;
}

bool TryStrToInt(std::string_view text, int32_t& value)
{
    int64_t parsed = 0;
    if (!ParseInteger(text, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max(), parsed))
        return false;
    value = static_cast<int32_t>(parsed);
    return true;
}

int32_t StrToInt(std::string_view text)
{
    int32_t value = 0;
    if (!TryStrToInt(text, value))
        IntegerFailure(text);
    return value;
}

int64_t StrToInt64(std::string_view text)
{
    int64_t value = 0;
    if (!TryStrToInt64(text, value))
        IntegerFailure(text);
    return value;
}

bool TryStrToFloat(std::string_view text, double& value)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);

    // Check the shape ourselves, then hand a "."-form to from_chars.
    std::string form;
    form.reserve(text.size());
    size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        if (text[i] == '-')
            form += '-';
        ++i;
    }
    size_t digits = 0;
    bool separator = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            form += c;
            ++digits;
        } else if (c == ',' && !separator) {
            form += '.';
            separator = true;
        } else {
            break;
        }
    }
    if (digits == 0)
        return false;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        form += 'e';
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-'))
            form += text[i++];
        size_t exponentDigits = 0;
        for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i, ++exponentDigits)
            form += text[i];
        if (exponentDigits == 0)
            return false;
    }
    if (i != text.size())
        return false;

    double parsed = 0;
    const auto [end, error] = std::from_chars(form.data(), form.data() + form.size(), parsed);
    if (error == std::errc::result_out_of_range && end == form.data() + form.size()) {
        // Too small to hold reads as zero, like every other reader; too large does not convert.
        if (DecimalMagnitude(form) >= 0)
            return false;
        value = form[0] == '-' ? -0.0 : 0.0;
        return true;
    }
    if (error != std::errc() || end != form.data() + form.size() || !std::isfinite(parsed))
        return false;
    value = parsed;
    return true;
}

double StrToFloat(std::string_view text)
{
    double value = 0;
    if (!TryStrToFloat(text, value))
        throw EConvertError("'" + std::string(text) + "' is not a valid floating point value", std::string(text));
    return value;
}

std::string IntToStr(int64_t value) { return std::to_string(value); }

std::string FloatToStr(double value)
{
    if (std::isnan(value))
        return "NAN";
    if (std::isinf(value))
        return value > 0 ? "INF" : "-INF";
    char buffer[64];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    std::string text(buffer, error == std::errc() ? end : buffer);
    for (char& c : text) {
        if (c == '.')
            c = ',';
        else if (c == 'e')
            c = 'E';
    }
    // to_chars writes "1e+20" / "1e-07"; keep the exponent short: "1E20", "1E-7".
    if (const size_t e = text.find('E'); e != std::string::npos) {
        std::string exponent = text.substr(e + 1);
        bool negative = !exponent.empty() && exponent[0] == '-';
        if (!exponent.empty() && (exponent[0] == '+' || exponent[0] == '-'))
            exponent.erase(0, 1);
        const size_t nonZero = exponent.find_first_not_of('0');
        exponent = nonZero == std::string::npos ? "0" : exponent.substr(nonZero);
        text = text.substr(0, e + 1) + (negative ? "-" : "") + exponent;
    }
    return text;
}

int64_t RoundHalfEven(double value)
{
    if (std::isnan(value))
        return 0;
    if (value >= 9223372036854775807.0)
        return std::numeric_limits<int64_t>::max();
    if (value <= -9223372036854775808.0)
        return std::numeric_limits<int64_t>::min();
    const double floor = std::floor(value);
    const double fraction = value - floor;
    double result = floor;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(floor, 2.0) != 0.0))
        result = floor + 1.0;
    return static_cast<int64_t>(result);
}

} // namespace vlm::data
