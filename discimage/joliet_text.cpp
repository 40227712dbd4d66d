#include "joliet_text.h"

std::optional<std::u16string> DecodeUtf8(const std::string& text) {
    std::u16string units;
    for (size_t i = 0; i < text.size();) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        int length = 0;
        char32_t code = 0;
        if (lead < 0x80) { length = 1; code = lead; }
        else if (lead >= 0xC2 && lead <= 0xDF) { length = 2; code = lead & 0x1F; }
        else if (lead >= 0xE0 && lead <= 0xEF) { length = 3; code = lead & 0x0F; }
        else if (lead >= 0xF0 && lead <= 0xF4) { length = 4; code = lead & 0x07; }
        else return std::nullopt;
        if (i + length > text.size()) return std::nullopt;
        for (int k = 1; k < length; ++k) {
            const unsigned char next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return std::nullopt;
            code = (code << 6) | (next & 0x3F);
        }
        const bool overlong = (length == 3 && code < 0x800) || (length == 4 && code < 0x10000);
        if (overlong || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return std::nullopt;
        if (code >= 0x10000) {
            code -= 0x10000;
            units += static_cast<char16_t>(0xD800 + (code >> 10));
            units += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
        } else {
            units += static_cast<char16_t>(code);
        }
        i += length;
    }
    return units;
}

std::u16string JolietUnits(const std::string& text) {
    if (auto decoded = DecodeUtf8(text)) return *decoded;
    std::u16string units;
    for (char c : text) units += static_cast<char16_t>(static_cast<unsigned char>(c));
    return units;
}

std::string JolietField(const std::string& text, size_t units) {
    std::u16string value = JolietUnits(text);
    if (value.size() > units) {
        value.resize(units);
        // Never leave half of a surrogate pair at the end.
        if (value.back() >= 0xD800 && value.back() <= 0xDBFF) value.back() = u' ';
    }
    value.resize(units, u' ');
    return BigEndianBytes(value);
}

std::string BigEndianBytes(const std::u16string& units) {
    std::string bytes;
    bytes.reserve(units.size() * 2);
    for (char16_t unit : units) {
        bytes += static_cast<char>(unit >> 8);
        bytes += static_cast<char>(unit & 0xFF);
    }
    return bytes;
}
