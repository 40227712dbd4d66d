// Path helpers shared by every layer: local paths use '/' as separator.
#pragma once

#include <string>
#include <unordered_set>

// The file-name part of a path: everything after the last '/'.
std::string FileNamePart(const std::string& path);
// The folder part of a path, ending in '/'; empty when the path has no folder.
std::string FolderPart(const std::string& path);
// `folder` with a '/' at its end (an empty folder stays empty).
std::string WithTrailingSlash(const std::string& folder);

// The names in use in one folder. A name that differs only in letter case from one of them
// counts as taken: a disc (and many file systems) cannot hold both, so such a name is never made.
class TNamesInFolder {
public:
    explicit TNamesInFolder(const std::string& folder);
    bool IsTaken(const std::string& name) const;

private:
    std::unordered_set<std::string> FFolded;  // ASCII letters upper-cased, as the disc compares
};

// The file-name part of a name stored in an album (a photo's `FileName`, an album's
// `AlbumFile`), which is all a file operation may use of it. "" when the name is damaged:
// its file-name part is empty (or the name ends in '/'), "." or "..", or holds a NUL byte,
// which would cut the name short at the system call. No file operation is made with a
// damaged name.
std::string StoredFileName(const std::string& storedName);
// `folder` joined with StoredFileName(storedName), or "" when the name is damaged.
std::string StoredFilePath(const std::string& folder, const std::string& storedName);
