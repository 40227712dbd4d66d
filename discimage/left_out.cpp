#include "left_out.h"

#include <algorithm>

namespace {

bool EqualIgnoringCase(const std::string& a, const std::string& b) {
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}

} // namespace

std::string LeftOutReasonText(const TLeftOutFile& file) {
    switch (file.Reason) {
    case lrMissing: return "missing";
    case lrUnreadable: return "cannot be read";
    case lrTooLarge: return "4 GiB or larger";
    case lrNameTooLong: return "name too long for the disc";
    case lrNameTaken: {
        const std::string name = file.DiscPath.substr(file.DiscPath.find_last_of('\\') + 1);
        if (name != file.TakenBy && EqualIgnoringCase(name, file.TakenBy))
            return "name differs only in letter case from " + file.TakenBy;
        return "same name on the disc as " + file.TakenBy;
    }
    }
    return {};
}
