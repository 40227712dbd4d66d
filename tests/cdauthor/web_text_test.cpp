// Text of the disc's web pages: album texts made safe HTML, disc names made into links.
#include "web_text.h"

#include <gtest/gtest.h>

using namespace std::string_literals;

namespace {

TEST(WebTextTest, EscapesMarkupQuotesAndControlCharacters) {
    const struct {
        std::string Text;
        std::string Html;
    } cases[] = {
        {"<script>alert(1)</script>", "&lt;script&gt;alert(1)&lt;/script&gt;"},
        {"Tom & Jerry's \"house\"", "Tom &amp; Jerry&#39;s &quot;house&quot;"},
        {"&amp;", "&amp;amp;"},
        {"a\tb\nc", "a\tb\nc"},
        {"bell\x07, nul\0, cr\r, del\x7F"s, "bell , nul , cr , del "},
        {"Grüße", "Grüße"},
    };
    for (const auto& c : cases) EXPECT_EQ(HtmlEscape(c.Text), c.Html) << c.Text;
}

TEST(WebTextTest, AlbumTextsBecomeUtf8LikeTheWindowsShowThem) {
    EXPECT_EQ(PageText("Caf\xC3\xA9"), "Caf\xC3\xA9");            // UTF-8 stays
    EXPECT_EQ(PageText("Caf\xE9"), "Caf\xC3\xA9");                // Windows-1252 é
    EXPECT_EQ(PageText("\x80 \x93x\x94"), "€ “x”");              // the 80h-9Fh block
    EXPECT_EQ(PageText("\xC3"), "\xC3\x83");                      // a cut-off sequence is no UTF-8
    EXPECT_EQ(HtmlText("<b>\xE9</b>"), "&lt;b&gt;\xC3\xA9&lt;/b&gt;");
}

TEST(WebTextTest, LinkNamesArePercentEncodedAsTheJolietRecordSpellsThem) {
    const struct {
        std::string Name;
        std::string Link;
    } cases[] = {
        {"20040612 00001.jpg", "20040612%2000001.jpg"},
        {"a#b%c?d.jpg", "a%23b%25c%3Fd.jpg"},
        {"quote\"amp&lt<.jpg", "quote%22amp%26lt%3C.jpg"},
        {"Käse.jpg", "K%C3%A4se.jpg"},
        {"K\xE4se.jpg", "K%C3%A4se.jpg"},  // not UTF-8: one Joliet unit per byte
        {"\xF0\x9F\x93\xB7.jpg", "_.jpg"},  // Joliet has no room for it: "_" on the disc
        {"plain-name_1.2~x.JPG", "plain-name_1.2~x.JPG"},
        {"NOTES.", "NOTES."},
    };
    for (const auto& c : cases) EXPECT_EQ(LinkName(c.Name), c.Link) << c.Name;
}

} // namespace
