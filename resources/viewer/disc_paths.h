// Where the viewer finds its files: everything lies in the folder it was started from, the
// root of the disc: "Albums.dat", "title.txt", "Images\<name>" and "Thumbs\<name>".
#pragma once

#include "viewer_text.h"

#include <string>

// The folder part of the program's own path, ending in a separator.
TText ProgramFolder(const TText& programPath);
// disc folder + sub-folder + '\' + the bare file name of `fileName` (a photo's FileName);
// empty when the name cannot name a file there ("", "." or "..").
TText DiscFilePath(const TText& discFolder, const TText& subFolder, const std::string& fileName);
