#include "short_names.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

char UpperAscii(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool IsShortNameChar(char c) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (u >= 0x80 || u <= 0x20) return false;
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) return true;
    return std::strchr("$%'-_@~`!(){}^#&", c) != nullptr;
}

// The characters of `part` an 8.3 name may hold, upper-cased; "+,;=[]" become "_" as Windows
// does, everything else (blanks, dots, non-ASCII) is dropped.
std::string ValidCharsOf(const std::string& part) {
    std::string out;
    for (char c : part) {
        if (IsShortNameChar(c)) out += UpperAscii(c);
        else if (std::strchr("+,;=[]", c) != nullptr && c != '\0') out += '_';
    }
    return out;
}

std::string UpperCased(std::string text) {
    for (char& c : text) c = UpperAscii(c);
    return text;
}

} // namespace

bool IsValidShortName(const std::string& name) {
    const size_t dot = name.find('.');
    const std::string base = name.substr(0, dot);
    const std::string ext = dot == std::string::npos ? std::string() : name.substr(dot + 1);
    if (base.empty() || base.size() > 8 || ext.size() > 3 || ext.find('.') != std::string::npos)
        return false;
    for (char c : base + ext)
        if (!IsShortNameChar(c)) return false;
    return true;
}

std::string DirShortName(const std::string& longName) {
    std::string name = longName.substr(0, 13);
    for (char& c : name) {
        c = UpperAscii(c);
        const unsigned char u = static_cast<unsigned char>(c);
        if (u < 0x21 || u > 0x7A) c = '_';
    }
    return name;
}

void TShortNameRegistry::Clear() {
    FNames.clear();
    FNextTail.clear();
}

void TShortNameRegistry::Add(const TDEntry* dir, const std::string& shortName) {
    FNames[dir].insert(UpperCased(shortName));
}

bool TShortNameRegistry::IsTaken(const TDEntry* dir, const std::string& shortName) const {
    const auto names = FNames.find(dir);
    return names != FNames.end() && names->second.count(UpperCased(shortName)) != 0;
}

std::string TShortNameRegistry::FileAlias(const TDEntry* dir, const std::string& longName) {
    if (IsValidShortName(longName) && !IsTaken(dir, longName)) return UpperCased(longName);
    size_t dot = longName.find_last_of('.');
    if (dot == 0) dot = std::string::npos;  // ".profile" is all name, no extension
    std::string stem = ValidCharsOf(longName.substr(0, dot));
    const std::string ext = dot == std::string::npos ? "" : ValidCharsOf(longName.substr(dot + 1)).substr(0, 3);
    if (stem.empty()) stem = "_";
    return UniqueWithTail(dir, stem, 8, ext.empty() ? "" : "." + ext);
}

std::string TShortNameRegistry::DirAlias(const TDEntry* dir, const std::string& longName) {
    const std::string name = DirShortName(longName);
    if (!IsTaken(dir, name)) return name;
    return UniqueWithTail(dir, name, 13, "");
}

// stem shortened so that stem + "~n" fits in `maxStem` characters (at most six of the stem
// for 8.3 names, as Windows does), then `suffix`; the first such name not yet taken.
std::string TShortNameRegistry::UniqueWithTail(const TDEntry* dir, const std::string& stem,
                                               size_t maxStem, const std::string& suffix) {
    const size_t keep = maxStem == 8 ? 6 : maxStem - 2;
    const std::string hintKey = std::to_string(reinterpret_cast<uintptr_t>(dir)) + '|' +
                                stem.substr(0, keep) + suffix;
    int& next = FNextTail[hintKey];
    for (int tail = next > 0 ? next : 1;; ++tail) {
        const std::string number = "~" + std::to_string(tail);
        const std::string candidate = stem.substr(0, std::min(keep, maxStem - number.size())) + number + suffix;
        if (!IsTaken(dir, candidate)) {
            next = tail + 1;
            return candidate;
        }
    }
}
