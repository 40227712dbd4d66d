#include "web_pages.h"

#include "web_style.h"
#include "web_text.h"

#include <initializer_list>
#include <string_view>

namespace {

// ←, → and Escape follow the links with these ids; the pages work without it.
constexpr const char* kKeyScript =
    "<script>\n"
    "document.addEventListener(\"keydown\", function (e) {\n"
    "  if (e.altKey || e.ctrlKey || e.metaKey) return;\n"
    "  var link = document.getElementById({ArrowLeft: \"prev\", ArrowRight: \"next\", Escape: \"up\"}[e.key]);\n"
    "  if (link && link.href) location.href = link.href;\n"
    "});\n"
    "</script>\n";

// Adds the pieces to the page in turn: the pages are made by the thousand, without temporaries.
void Append(std::string& page, std::initializer_list<std::string_view> pieces) {
    for (std::string_view piece : pieces) page.append(piece);
}

std::string CountText(size_t count, const char* one, const char* many) {
    if (count == 0) return std::string("No ") + many;
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

// What every page of one album repeats, made once for the album.
struct TAlbumNames {
    std::string Title;        // escaped; from its number when the album has none
    std::string PageName;     // "album-1.html"
    std::string PhotoPrefix;  // "album-1-photo-"

    TAlbumNames(const TWebAlbum& album, size_t index) {
        const std::string number = std::to_string(index + 1);
        Title = album.Title.empty() ? "Album " + number : HtmlText(album.Title);
        PageName = "album-" + number + ".html";
        PhotoPrefix = "album-" + number + "-photo-";
    }

    std::string PhotoPageName(size_t photo) const { return PhotoPrefix + std::to_string(photo + 1) + ".html"; }
};

// Escaped caption; from its number when the photo has none.
std::string PhotoTitle(const TWebPhoto& photo, size_t index) {
    return photo.Caption.empty() ? "Photo " + std::to_string(index + 1) : HtmlText(photo.Caption);
}

// The page's start up to its body; `toWeb` leads from the page's folder to Web/.
void AppendHead(std::string& page, std::string_view title, std::string_view toWeb, std::string_view kind) {
    Append(page, {"<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n"
                  "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>",
                  title, "</title>\n<link rel=\"stylesheet\" href=\"", toWeb, kWebStyleName,
                  "\">\n</head>\n<body class=\"", kind, "\">\n"});
}

// One cell of a grid: a thumbnail (or an empty frame) with its caption and, on the index, a count.
void AppendCell(std::string& page, std::string_view href, std::string_view thumbSrc, std::string_view caption,
                std::string_view count) {
    Append(page, {"<li><a href=\"", href, "\"><span class=\"thumb\">"});
    if (thumbSrc.empty()) page += "<span class=\"none\"></span>";
    else Append(page, {"<img src=\"", thumbSrc, "\" alt=\"\" loading=\"lazy\">"});
    Append(page, {"</span><span class=\"caption\">", caption, "</span>"});
    if (!count.empty()) Append(page, {"<span class=\"count\">", count, "</span>"});
    page += "</a></li>\n";
}

std::string ThumbSource(const TWebPhoto& photo, std::string_view toRoot) {
    if (photo.ThumbName.empty()) return {};
    std::string source(toRoot);
    Append(source, {"Thumbs/", LinkName(photo.ThumbName)});
    return source;
}

std::string IndexPage(const std::string& title, const std::vector<TWebAlbum>& albums) {
    const std::string heading = title.empty() ? std::string("Photo Albums") : HtmlText(title);
    const std::string web = std::string(kWebFolder) + "/";
    std::string page;
    AppendHead(page, heading, web, "index");
    Append(page, {"<main>\n<h1>", heading, "</h1>\n<p class=\"count\">", CountText(albums.size(), "album", "albums"),
                  "</p>\n<ul class=\"grid\">\n"});
    for (size_t a = 0; a < albums.size(); ++a) {
        const TWebAlbum& album = albums[a];
        const TAlbumNames names(album, a);
        const std::string thumb = album.Photos.empty() ? std::string() : ThumbSource(album.Photos.front(), "");
        AppendCell(page, web + names.PageName, thumb, names.Title, CountText(album.Photos.size(), "photo", "photos"));
    }
    page += "</ul>\n</main>\n</body>\n</html>\n";
    return page;
}

std::string AlbumPage(const TWebAlbum& album, const TAlbumNames& names) {
    std::string page;
    page.reserve(1024 + album.Photos.size() * 256);
    AppendHead(page, names.Title, "", "album");
    Append(page, {"<nav class=\"bar\"><a id=\"up\" href=\"../index.html\">&larr; All albums</a></nav>\n<main>\n<h1>",
                  names.Title, "</h1>\n<p class=\"count\">", CountText(album.Photos.size(), "photo", "photos"),
                  "</p>\n<ul class=\"grid\">\n"});
    for (size_t p = 0; p < album.Photos.size(); ++p) {
        const TWebPhoto& photo = album.Photos[p];
        AppendCell(page, names.PhotoPageName(p), ThumbSource(photo, "../"), HtmlText(photo.Caption), "");
    }
    Append(page, {"</ul>\n</main>\n", kKeyScript, "</body>\n</html>\n"});
    return page;
}

// A link to the neighbouring photo page, or the same words shown dimmed at either end.
void AppendNeighbourLink(std::string& page, std::string_view id, std::string_view words, bool exists,
                         std::string_view href) {
    if (!exists) Append(page, {"<span id=\"", id, "\" class=\"off\">", words, "</span>"});
    else Append(page, {"<a id=\"", id, "\" rel=\"", id, "\" href=\"", href, "\">", words, "</a>"});
}

std::string PhotoPage(const TWebAlbum& album, const TAlbumNames& names, size_t p) {
    const TWebPhoto& photo = album.Photos[p];
    const size_t count = album.Photos.size();
    const std::string caption = PhotoTitle(photo, p);
    const std::string image = "../Images/" + LinkName(photo.ImageName);
    std::string page;
    page.reserve(2048);
    AppendHead(page, caption + " &ndash; " + names.Title, "", "photo");
    Append(page, {"<nav class=\"bar\"><a id=\"up\" href=\"", names.PageName, "\">&uarr; ", names.Title,
                  "</a><span class=\"steps\">"});
    AppendNeighbourLink(page, "prev", "&larr; Previous", p > 0, p > 0 ? names.PhotoPageName(p - 1) : "");
    Append(page, {"<span class=\"pos\">", std::to_string(p + 1), " of ", std::to_string(count), "</span>"});
    AppendNeighbourLink(page, "next", "Next &rarr;", p + 1 < count, names.PhotoPageName(p + 1));
    Append(page, {"</span></nav>\n<main>\n<figure>\n<a href=\"", image, "\"><img src=\"", image, "\" alt=\"", caption,
                  "\"></a>\n<figcaption>"});
    if (!photo.Caption.empty()) Append(page, {"\n<h1>", caption, "</h1>"});
    if (!photo.Notes.empty()) {
        page += "\n<p class=\"notes\">";
        for (size_t i = 0; i < photo.Notes.size(); ++i) Append(page, {i > 0 ? "<br>\n" : "", HtmlText(photo.Notes[i])});
        page += "</p>";
    }
    Append(page, {"\n</figcaption>\n</figure>\n</main>\n", kKeyScript, "</body>\n</html>\n"});
    // Kept by the thousand until the disc is written: no more memory than the text needs.
    page.shrink_to_fit();
    return page;
}

} // namespace

std::vector<TWebPage> WebPages(const std::string& title, const std::vector<TWebAlbum>& albums) {
    const std::string web = std::string(kWebFolder) + "/";
    std::vector<TWebPage> pages;
    size_t photos = 0;
    for (const TWebAlbum& album : albums) photos += album.Photos.size();
    pages.reserve(2 + albums.size() + photos);
    pages.push_back({"index.html", IndexPage(title, albums)});
    for (size_t a = 0; a < albums.size(); ++a) {
        const TAlbumNames names(albums[a], a);
        pages.push_back({web + names.PageName, AlbumPage(albums[a], names)});
        for (size_t p = 0; p < albums[a].Photos.size(); ++p)
            pages.push_back({web + names.PhotoPageName(p), PhotoPage(albums[a], names, p)});
    }
    pages.push_back({web + kWebStyleName, kWebStyle});
    return pages;
}
