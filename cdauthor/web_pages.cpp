#include "web_pages.h"

#include "web_style.h"
#include "web_text.h"

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

std::string AlbumPageName(size_t album) {
    return "album-" + std::to_string(album + 1) + ".html";
}

std::string PhotoPageName(size_t album, size_t photo) {
    return "album-" + std::to_string(album + 1) + "-photo-" + std::to_string(photo + 1) + ".html";
}

std::string CountText(size_t count, const char* one, const char* many) {
    if (count == 0) return std::string("No ") + many;
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

// Escaped titles; texts that are empty get a name from their number.
std::string AlbumTitle(const TWebAlbum& album, size_t index) {
    return album.Title.empty() ? "Album " + std::to_string(index + 1) : HtmlText(album.Title);
}

std::string PhotoTitle(const TWebPhoto& photo, size_t index) {
    return photo.Caption.empty() ? "Photo " + std::to_string(index + 1) : HtmlText(photo.Caption);
}

// The page's start up to its body; `toWeb` leads from the page's folder to Web/.
void AppendHead(std::string& page, const std::string& title, const std::string& toWeb, const char* kind) {
    page += "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n"
            "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>";
    page += title;
    page += "</title>\n<link rel=\"stylesheet\" href=\"";
    page += toWeb;
    page += kWebStyleName;
    page += "\">\n</head>\n<body class=\"";
    page += kind;
    page += "\">\n";
}

// One cell of a grid: a thumbnail (or an empty frame) with its caption and, on the index, a count.
void AppendCell(std::string& page, const std::string& href, const std::string& thumbSrc, const std::string& caption,
                const std::string& count) {
    page += "<li><a href=\"" + href + "\"><span class=\"thumb\">";
    if (thumbSrc.empty()) page += "<span class=\"none\"></span>";
    else page += "<img src=\"" + thumbSrc + "\" alt=\"\" loading=\"lazy\">";
    page += "</span><span class=\"caption\">" + caption + "</span>";
    if (!count.empty()) page += "<span class=\"count\">" + count + "</span>";
    page += "</a></li>\n";
}

std::string ThumbSource(const TWebPhoto& photo, const std::string& toRoot) {
    return photo.ThumbName.empty() ? std::string() : toRoot + "Thumbs/" + LinkName(photo.ThumbName);
}

std::string IndexPage(const std::string& title, const std::vector<TWebAlbum>& albums) {
    const std::string heading = title.empty() ? std::string("Photo Albums") : HtmlText(title);
    std::string page;
    AppendHead(page, heading, std::string(kWebFolder) + "/", "index");
    page += "<main>\n<h1>" + heading + "</h1>\n<p class=\"count\">" + CountText(albums.size(), "album", "albums") +
            "</p>\n<ul class=\"grid\">\n";
    for (size_t a = 0; a < albums.size(); ++a) {
        const TWebAlbum& album = albums[a];
        const std::string thumb = album.Photos.empty() ? std::string() : ThumbSource(album.Photos.front(), "");
        AppendCell(page, std::string(kWebFolder) + "/" + AlbumPageName(a), thumb, AlbumTitle(album, a),
                   CountText(album.Photos.size(), "photo", "photos"));
    }
    page += "</ul>\n</main>\n</body>\n</html>\n";
    return page;
}

std::string AlbumPage(const TWebAlbum& album, size_t a) {
    const std::string title = AlbumTitle(album, a);
    std::string page;
    page.reserve(1024 + album.Photos.size() * 256);
    AppendHead(page, title, "", "album");
    page += "<nav class=\"bar\"><a id=\"up\" href=\"../index.html\">&larr; All albums</a></nav>\n<main>\n<h1>" + title +
            "</h1>\n<p class=\"count\">" + CountText(album.Photos.size(), "photo", "photos") +
            "</p>\n<ul class=\"grid\">\n";
    for (size_t p = 0; p < album.Photos.size(); ++p) {
        const TWebPhoto& photo = album.Photos[p];
        AppendCell(page, PhotoPageName(a, p), ThumbSource(photo, "../"), HtmlText(photo.Caption), "");
    }
    page += "</ul>\n</main>\n";
    page += kKeyScript;
    page += "</body>\n</html>\n";
    return page;
}

// A link to the neighbouring photo page, or the same words shown dimmed at either end.
std::string NeighbourLink(const char* id, const char* words, bool exists, const std::string& href) {
    if (!exists) return std::string("<span id=\"") + id + "\" class=\"off\">" + words + "</span>";
    return std::string("<a id=\"") + id + "\" rel=\"" + id + "\" href=\"" + href + "\">" + words + "</a>";
}

std::string PhotoPage(const TWebAlbum& album, size_t a, size_t p) {
    const TWebPhoto& photo = album.Photos[p];
    const size_t count = album.Photos.size();
    const std::string caption = PhotoTitle(photo, p);
    const std::string albumTitle = AlbumTitle(album, a);
    const std::string image = "../Images/" + LinkName(photo.ImageName);
    std::string page;
    page.reserve(2048);
    AppendHead(page, caption + " &ndash; " + albumTitle, "", "photo");
    page += "<nav class=\"bar\"><a id=\"up\" href=\"" + AlbumPageName(a) + "\">&uarr; " + albumTitle +
            "</a><span class=\"steps\">";
    page += NeighbourLink("prev", "&larr; Previous", p > 0, p > 0 ? PhotoPageName(a, p - 1) : "");
    page += "<span class=\"pos\">" + std::to_string(p + 1) + " of " + std::to_string(count) + "</span>";
    page += NeighbourLink("next", "Next &rarr;", p + 1 < count, PhotoPageName(a, p + 1));
    page += "</span></nav>\n<main>\n<figure>\n<a href=\"" + image + "\"><img src=\"" + image + "\" alt=\"" + caption +
            "\"></a>\n<figcaption>";
    if (!photo.Caption.empty()) page += "\n<h1>" + caption + "</h1>";
    if (!photo.Notes.empty()) {
        page += "\n<p class=\"notes\">";
        for (size_t i = 0; i < photo.Notes.size(); ++i) page += (i > 0 ? "<br>\n" : "") + HtmlText(photo.Notes[i]);
        page += "</p>";
    }
    page += "\n</figcaption>\n</figure>\n</main>\n";
    page += kKeyScript;
    page += "</body>\n</html>\n";
    return page;
}

} // namespace

std::vector<TWebPage> WebPages(const std::string& title, const std::vector<TWebAlbum>& albums) {
    const std::string web = std::string(kWebFolder) + "/";
    std::vector<TWebPage> pages;
    pages.push_back({"index.html", IndexPage(title, albums)});
    for (size_t a = 0; a < albums.size(); ++a) {
        pages.push_back({web + AlbumPageName(a), AlbumPage(albums[a], a)});
        for (size_t p = 0; p < albums[a].Photos.size(); ++p)
            pages.push_back({web + PhotoPageName(a, p), PhotoPage(albums[a], a, p)});
    }
    pages.push_back({web + kWebStyleName, kWebStyle});
    return pages;
}
