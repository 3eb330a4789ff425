#pragma once
// Text from a file made safe to print in a message or a listing: control characters (and
// DEL) become "\xNN", so a crafted name cannot move the cursor, clear the terminal or forge
// further lines of output. Bytes from 0x80 up pass through (UTF-8 names stay readable).

#include <string>
#include <string_view>

namespace vlm::data {

inline std::string PrintableText(std::string_view raw)
{
    static constexpr char kHex[] = "0123456789abcdef";
    std::string text;
    text.reserve(raw.size());
    for (unsigned char c : raw) {
        if (c >= 0x20 && c != 0x7F) {
            text += static_cast<char>(c);
        } else {
            text += "\\x";
            text += kHex[c >> 4];
            text += kHex[c & 15];
        }
    }
    return text;
}

} // namespace vlm::data
