// The disc's web pages as text: their names, links, escaping and navigation.
#include "web_pages.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>

using ::testing::HasSubstr;
using ::testing::Not;

namespace {

class WebPagesTest : public ::testing::Test {
protected:
    std::map<std::string, std::string> Pages;  // by path

    void Make(const std::string& title, const std::vector<TWebAlbum>& albums) {
        for (TWebPage& page : WebPages(title, albums)) {
            EXPECT_TRUE(Pages.emplace(page.Path, page.Text).second) << "twice: " << page.Path;
        }
    }

    static std::vector<TWebAlbum> TwoAlbums() {
        TWebAlbum holidays{"Holidays <2004>", {}};
        holidays.Photos.push_back({"<script>alert(1)</script>", {"line one", "line <two>"}, "a b.jpg", "a b.jpg"});
        holidays.Photos.push_back({"", {}, "100%#1.jpg", ""});
        holidays.Photos.push_back({"Tom & Jerry", {}, "c.jpg", "c.jpg"});
        return {holidays, TWebAlbum{"", {}}};
    }
};

TEST_F(WebPagesTest, PagesAreNamedByNumbersAndComeWithOneStyleSheet) {
    Make("Summer 2004", TwoAlbums());
    std::vector<std::string> paths;
    for (const auto& [path, text] : Pages) paths.push_back(path);
    EXPECT_EQ(paths, (std::vector<std::string>{"Web/album-1-photo-1.html", "Web/album-1-photo-2.html",
                                               "Web/album-1-photo-3.html", "Web/album-1.html", "Web/album-2.html",
                                               "Web/style.css", "index.html"}));
    for (const auto& [path, text] : Pages) {
        EXPECT_THAT(text, Not(HasSubstr("://"))) << path << ": nothing outside the disc";
        if (!path.ends_with(".html")) continue;
        EXPECT_TRUE(text.starts_with("<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n")) << path;
        EXPECT_THAT(text, HasSubstr("<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"));
        EXPECT_THAT(text, HasSubstr(path == "index.html" ? "href=\"Web/style.css\"" : "href=\"style.css\""));
    }
}

TEST_F(WebPagesTest, TextsAreEscapedEverywhere) {
    Make("<i>Disc</i> & co", TwoAlbums());
    for (const auto& [path, text] : Pages) EXPECT_THAT(text, Not(HasSubstr("<script>alert"))) << path;
    const std::string& first = Pages["Web/album-1-photo-1.html"];
    EXPECT_THAT(first, HasSubstr("<title>&lt;script&gt;alert(1)&lt;/script&gt; &ndash; Holidays &lt;2004&gt;</title>"));
    EXPECT_THAT(first, HasSubstr("alt=\"&lt;script&gt;alert(1)&lt;/script&gt;\""));
    EXPECT_THAT(first, HasSubstr("<h1>&lt;script&gt;alert(1)&lt;/script&gt;</h1>"));
    EXPECT_THAT(first, HasSubstr("<p class=\"notes\">line one<br>\nline &lt;two&gt;</p>"));
    EXPECT_THAT(Pages["index.html"], HasSubstr("<h1>&lt;i&gt;Disc&lt;/i&gt; &amp; co</h1>"));
    EXPECT_THAT(Pages["Web/album-1.html"], HasSubstr("<h1>Holidays &lt;2004&gt;</h1>"));
    EXPECT_THAT(Pages["Web/album-1.html"], HasSubstr("<span class=\"caption\">Tom &amp; Jerry</span>"));
}

TEST_F(WebPagesTest, PhotoPagesLinkTheirPictureNeighboursAndAlbum) {
    Make("", TwoAlbums());
    const std::string& first = Pages["Web/album-1-photo-1.html"];
    EXPECT_THAT(first, HasSubstr("<a href=\"../Images/a%20b.jpg\"><img src=\"../Images/a%20b.jpg\""));
    EXPECT_THAT(first, HasSubstr("<a id=\"up\" href=\"album-1.html\">&uarr; Holidays &lt;2004&gt;</a>"));
    EXPECT_THAT(first, HasSubstr("<span id=\"prev\" class=\"off\">&larr; Previous</span>"));
    EXPECT_THAT(first, HasSubstr("<span class=\"pos\">1 of 3</span>"));
    EXPECT_THAT(first, HasSubstr("<a id=\"next\" rel=\"next\" href=\"album-1-photo-2.html\">Next &rarr;</a>"));
    EXPECT_THAT(first, HasSubstr("ArrowLeft: \"prev\", ArrowRight: \"next\", Escape: \"up\""));

    const std::string& second = Pages["Web/album-1-photo-2.html"];  // no caption, no notes
    EXPECT_THAT(second, HasSubstr("<title>Photo 2 &ndash; Holidays &lt;2004&gt;</title>"));
    EXPECT_THAT(second, HasSubstr("src=\"../Images/100%25%231.jpg\" alt=\"Photo 2\""));
    EXPECT_THAT(second, Not(HasSubstr("<h1>")));
    EXPECT_THAT(second, Not(HasSubstr("class=\"notes\"")));
    EXPECT_THAT(second, HasSubstr("<a id=\"prev\" rel=\"prev\" href=\"album-1-photo-1.html\">"));

    const std::string& last = Pages["Web/album-1-photo-3.html"];
    EXPECT_THAT(last, HasSubstr("<a id=\"prev\" rel=\"prev\" href=\"album-1-photo-2.html\">"));
    EXPECT_THAT(last, HasSubstr("<span id=\"next\" class=\"off\">Next &rarr;</span>"));
}

TEST_F(WebPagesTest, AlbumPagesAndTheIndexShowThumbnailsAndCounts) {
    Make("", TwoAlbums());
    const std::string& album = Pages["Web/album-1.html"];
    EXPECT_THAT(album, HasSubstr("<a id=\"up\" href=\"../index.html\">"));
    EXPECT_THAT(album, HasSubstr("<p class=\"count\">3 photos</p>"));
    EXPECT_THAT(album, HasSubstr("<li><a href=\"album-1-photo-1.html\"><span class=\"thumb\"><img "
                                 "src=\"../Thumbs/a%20b.jpg\" alt=\"\" loading=\"lazy\"></span>"));
    // The second photo's thumbnail is not on the disc: an empty frame instead of a broken link.
    EXPECT_THAT(album, HasSubstr("<li><a href=\"album-1-photo-2.html\"><span class=\"thumb\"><span "
                                 "class=\"none\"></span></span><span class=\"caption\"></span></a></li>"));

    const std::string& index = Pages["index.html"];
    EXPECT_THAT(index, HasSubstr("<title>Photo Albums</title>"));
    EXPECT_THAT(index, HasSubstr("<p class=\"count\">2 albums</p>"));
    EXPECT_THAT(index, HasSubstr("<li><a href=\"Web/album-1.html\"><span class=\"thumb\"><img src=\"Thumbs/a%20b.jpg\""));
    EXPECT_THAT(index, HasSubstr("<span class=\"caption\">Holidays &lt;2004&gt;</span><span class=\"count\">3 photos"));
    EXPECT_THAT(index, HasSubstr("<li><a href=\"Web/album-2.html\"><span class=\"thumb\"><span class=\"none\"></span>"
                                 "</span><span class=\"caption\">Album 2</span><span class=\"count\">No photos"));
    EXPECT_THAT(Pages["Web/album-2.html"], HasSubstr("<h1>Album 2</h1>\n<p class=\"count\">No photos</p>"));
}

TEST_F(WebPagesTest, OnePhotoAndOneAlbumAreCountedInTheSingular) {
    Make("T", {TWebAlbum{"A", {TWebPhoto{"x", {}, "x.jpg", "x.jpg"}}}});
    EXPECT_THAT(Pages["index.html"], HasSubstr("<p class=\"count\">1 album</p>"));
    EXPECT_THAT(Pages["index.html"], HasSubstr("<span class=\"count\">1 photo</span>"));
    EXPECT_THAT(Pages["Web/album-1-photo-1.html"], HasSubstr("<span class=\"pos\">1 of 1</span>"));
    EXPECT_THAT(Pages["Web/album-1-photo-1.html"], HasSubstr("<span id=\"next\" class=\"off\">"));
}

} // namespace
