#include "web_text.h"

#include "joliet_text.h"

namespace {

// The characters Windows-1252 places at 80h to 9Fh; the rest of the page equals Latin-1.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

bool IsUnreserved(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
           c == '_' || c == '~';
}

} // namespace

std::string PageText(const std::string& bytes) {
    if (IsUtf8(bytes)) return bytes;
    std::string text;
    text.reserve(bytes.size() * 2);
    for (unsigned char c : bytes) AppendUtf8(text, c >= 0x80 && c < 0xA0 ? kCp1252High[c - 0x80] : char16_t(c));
    return text;
}

namespace {

// The reference or blank that stands for `c` in a page, or nullptr when `c` stands for itself.
const char* Replacement(char c) {
    switch (c) {
    case '&': return "&amp;";
    case '<': return "&lt;";
    case '>': return "&gt;";
    case '"': return "&quot;";
    case '\'': return "&#39;";
    case '\t':
    case '\n': return nullptr;
    default:
        const bool control = static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
        return control ? " " : nullptr;
    }
}

} // namespace

std::string HtmlEscape(const std::string& text) {
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    // Runs of characters that stand for themselves are copied whole.
    size_t run = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const char* replacement = Replacement(text[i]);
        if (!replacement) continue;
        out.append(text, run, i - run);
        out += replacement;
        run = i + 1;
    }
    out.append(text, run, std::string::npos);
    return out;
}

std::string HtmlText(const std::string& bytes) {
    return HtmlEscape(PageText(bytes));
}

std::string LinkName(const std::string& discName) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    // Joliet names are UCS-2: one character per unit.
    std::string name;
    name.reserve(discName.size());
    for (char16_t unit : JolietUnits(discName)) AppendUtf8(name, unit);
    std::string link;
    link.reserve(name.size());
    for (unsigned char c : name) {
        if (IsUnreserved(c)) {
            link += static_cast<char>(c);
        } else {
            link += '%';
            link += kHex[c >> 4];
            link += kHex[c & 0x0F];
        }
    }
    return link;
}
