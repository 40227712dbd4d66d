#include "joliet_text.h"

#include <optional>

namespace {

// C0 controls, DEL and the C1 controls: no reader shows them in a name.
bool IsControl(char32_t code) {
    return code < 0x20 || (code >= 0x7F && code <= 0x9F);
}

// Decodes strict UTF-8 (no overlong forms, no surrogates); nullopt when `text` is not UTF-8.
std::optional<std::u32string> DecodeUtf8(const std::string& text) {
    std::u32string codes;
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
        codes += code;
        i += length;
    }
    return codes;
}

bool IsAscii(const std::string& text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

} // namespace

void AppendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

bool IsUtf8(const std::string& text) {
    return IsAscii(text) || DecodeUtf8(text).has_value();
}

std::u16string JolietUnits(const std::string& text) {
    // Most names are plain ASCII: one unit per byte, without decoding (a disc has thousands).
    if (IsAscii(text)) {
        std::u16string units(text.begin(), text.end());
        for (char16_t& unit : units)
            if (IsControl(unit)) unit = u'_';
        return units;
    }
    std::u32string codes;
    if (auto decoded = DecodeUtf8(text)) codes = *decoded;
    else
        for (char c : text) codes += static_cast<char32_t>(static_cast<unsigned char>(c));
    // Joliet is UCS-2: a character beyond 16 bits would need a surrogate pair, which some
    // readers refuse, so it becomes "_" as a control character does.
    std::u16string units;
    units.reserve(codes.size());
    for (char32_t code : codes) units += (code > 0xFFFF || IsControl(code)) ? u'_' : static_cast<char16_t>(code);
    return units;
}

std::string JolietField(const std::string& text, size_t units) {
    std::u16string value = JolietUnits(text);
    value.resize(units, u' ');
    return BigEndianBytes(value);
}

size_t JolietLength(const std::string& text) {
    return IsAscii(text) ? text.size() : JolietUnits(text).size();
}

void AppendJolietBytes(std::string& out, const std::string& text) {
    if (!IsAscii(text)) {
        out += BigEndianBytes(JolietUnits(text));
        return;
    }
    const size_t at = out.size();
    out.resize(at + 2 * text.size(), '\0');
    for (size_t i = 0; i < text.size(); ++i) out[at + 2 * i + 1] = IsControl(static_cast<unsigned char>(text[i])) ? '_' : text[i];
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

std::string CutAtCharacter(const std::string& text, size_t bytes) {
    if (text.size() <= bytes) return text;
    size_t cut = bytes;
    // In UTF-8 a continuation byte never starts a character; other 8-bit text has none.
    if (IsUtf8(text))
        while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
    return text.substr(0, cut);
}
