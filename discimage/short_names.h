// ISO 9660 short names. Linux reports no 8.3 alternate names, so files get the names a
// Windows file system would have reported; directories get their 13-character form.
#pragma once

#include <functional>
#include <string>
#include <unordered_map>
#include <unordered_set>

struct TDEntry;

// True when `name` is a valid 8.3 name: 1-8 characters, an optional dot and 0-3 more,
// all of them characters an 8.3 name may hold.
bool IsValidShortName(const std::string& name);

// A directory's short name: the first 13 characters, a-z upper-cased, anything below "!" or
// above "z" replaced by "_".
std::string DirShortName(const std::string& longName);

// Remembers the short names used in each directory so that generated names stay unique.
class TShortNameRegistry {
public:
    void Clear();
    void Add(const TDEntry* dir, const std::string& shortName);
    bool IsTaken(const TDEntry* dir, const std::string& shortName) const;

    // The 8.3 name of a file called `longName` in `dir`: a valid, free 8.3 name upper-cased,
    // otherwise six characters, "~n" and three characters of the extension.
    std::string FileAlias(const TDEntry* dir, const std::string& longName);
    // A directory's 13-character short name, given a "~n" tail when the name is taken.
    std::string DirAlias(const TDEntry* dir, const std::string& longName);

private:
    std::unordered_map<const TDEntry*, std::unordered_set<std::string>> FNames;
    std::unordered_map<std::string, int> FNextTail;  // first tail worth trying per name stem

    std::string UniqueWithTail(const TDEntry* dir, const std::string& stem, size_t maxStem,
                               const std::string& suffix);
};
