// The disc's web pages: index.html at the root, and in Web/ one page per album, one per photo
// and the style sheet they share. Built in memory from what the disc holds, so that every
// link names a file of the disc.
#pragma once

#include <string>
#include <vector>

struct TWebPhoto {
    std::string Caption;             // 8-bit album text
    std::vector<std::string> Notes;  // 8-bit lines
    std::string ImageName;           // the image's name in \Images on the disc
    std::string ThumbName;           // its thumbnail's name in \Thumbs; empty when the disc has none
};

struct TWebAlbum {
    std::string Title;  // 8-bit album text
    std::vector<TWebPhoto> Photos;  // the photos the disc holds, in album order
};

struct TWebPage {
    std::string Path;  // from the disc's root, '/' between folders: "index.html", "Web/album-1.html"
    std::string Text;  // UTF-8
};

// The folder of the album and photo pages and of the style sheet.
inline constexpr const char* kWebFolder = "Web";

// Every page of a disc with `title` (may be empty) and `albums` in layout order: index.html,
// then per album its page and its photos' pages, then the style sheet.
std::vector<TWebPage> WebPages(const std::string& title, const std::vector<TWebAlbum>& albums);
