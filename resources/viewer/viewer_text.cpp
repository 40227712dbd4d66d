#include "viewer_text.h"

namespace {

// Windows-1252 characters 0x80 to 0x9F; the rest of the code page equals Latin-1. The five
// unassigned bytes map to themselves.
constexpr char16_t Cp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void AppendCodePoint(TText& out, char32_t c) {
    if (c < 0x10000) {
        out += static_cast<char16_t>(c);
    } else {
        c -= 0x10000;
        out += static_cast<char16_t>(0xD800 + (c >> 10));
        out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    }
}

// Strict UTF-8 (no overlong forms, no surrogates, nothing above U+10FFFF); false on any fault.
bool DecodeUtf8(const std::string& bytes, TText& out) {
    for (size_t i = 0; i < bytes.size();) {
        const unsigned char lead = static_cast<unsigned char>(bytes[i]);
        int extra = 0;
        char32_t c = 0, minimum = 0;
        if (lead < 0x80) { c = lead; }
        else if ((lead & 0xE0) == 0xC0) { extra = 1; c = lead & 0x1F; minimum = 0x80; }
        else if ((lead & 0xF0) == 0xE0) { extra = 2; c = lead & 0x0F; minimum = 0x800; }
        else if ((lead & 0xF8) == 0xF0) { extra = 3; c = lead & 0x07; minimum = 0x10000; }
        else return false;
        if (i + extra >= bytes.size()) return false;  // a sequence cut off at the end
        for (int k = 1; k <= extra; ++k) {
            const unsigned char next = static_cast<unsigned char>(bytes[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            c = (c << 6) | (next & 0x3F);
        }
        if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
        AppendCodePoint(out, c);
        i += 1 + extra;
    }
    return true;
}

} // namespace

TText DecodeText(const std::string& bytes) {
    TText text;
    if (DecodeUtf8(bytes, text)) return text;
    text.clear();
    for (unsigned char b : bytes) text += (b >= 0x80 && b < 0xA0) ? Cp1252High[b - 0x80] : char16_t(b);
    return text;
}

TText NotesText(const std::vector<std::string>& lines) {
    TText text;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) text += u"\r\n";
        text += DecodeText(lines[i]);
    }
    return text;
}

TText TitleFromFile(const std::string& bytes, const TText& fallback) {
    const std::string line = bytes.substr(0, bytes.find_first_of("\r\n"));
    const TText title = DecodeText(line);
    return title.find_first_not_of(u' ') == TText::npos ? fallback : title;
}

std::string EncodeUtf8(const TText& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size()) c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}
