#include "disc_paths.h"

namespace {

bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

} // namespace

TText ProgramFolder(const TText& programPath) {
    size_t end = programPath.size();
    while (end > 0 && !IsSeparator(programPath[end - 1])) --end;
    return programPath.substr(0, end);
}

TText DiscFilePath(const TText& discFolder, const TText& subFolder, const std::string& fileName) {
    // Only the bare name counts, so that a damaged catalogue cannot lead outside the disc.
    const TText decoded = DecodeText(fileName);
    size_t start = decoded.size();
    while (start > 0 && !IsSeparator(decoded[start - 1]) && decoded[start - 1] != u':') --start;
    const TText name = decoded.substr(start);
    if (name.empty() || name == u"." || name == u"..") return {};
    return discFolder + subFolder + u'\\' + name;
}
