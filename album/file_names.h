// Path helpers shared by every layer: local paths use '/' as separator.
#pragma once

#include <string>

// The file-name part of a path: everything after the last '/'.
std::string FileNamePart(const std::string& path);
// The folder part of a path, ending in '/'; empty when the path has no folder.
std::string FolderPart(const std::string& path);
// `folder` with a '/' at its end (an empty folder stays empty).
std::string WithTrailingSlash(const std::string& folder);
