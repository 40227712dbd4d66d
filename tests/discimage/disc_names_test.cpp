// Short names as a Windows file system would report them, and Joliet names in 16-bit units.
#include "joliet_text.h"
#include "short_names.h"

#include <gtest/gtest.h>

namespace {

TEST(ShortNamesTest, ValidEightDotThreeNames) {
    const struct {
        const char* Name;
        bool Valid;
    } cases[] = {
        {"AUTORUN.INF", true}, {"autorun.inf", true}, {"NOTES", true}, {"A", true}, {"12345678.123", true},
        {"123456789.jpg", false}, {"photo.jpeg", false}, {"a b.jpg", false}, {"a.b.c", false}, {".hidden", false},
        {"", false}, {"a+b.txt", false}, {"Grüße.jpg", false}, {"$%'-_@~`.!()", true},
    };
    for (const auto& c : cases) EXPECT_EQ(IsValidShortName(c.Name), c.Valid) << c.Name;
}

TEST(ShortNamesTest, AliasesAreUniqueWithinTheirDirectory) {
    TShortNameRegistry names;
    const int dirA = 0, dirB = 0;
    const auto* a = reinterpret_cast<const TDEntry*>(&dirA);
    const auto* b = reinterpret_cast<const TDEntry*>(&dirB);
    auto alias = [&](const TDEntry* dir, const std::string& longName) {
        const std::string name = names.FileAlias(dir, longName);
        names.Add(dir, name);
        return name;
    };
    EXPECT_EQ(alias(a, "Albums.dat"), "ALBUMS.DAT");
    for (int i = 1; i <= 9; ++i) EXPECT_EQ(alias(a, "2004061200" + std::to_string(100 + i) + ".jpg"), "200406~" + std::to_string(i) + ".JPG");
    EXPECT_EQ(alias(a, "2004061200110.jpg"), "20040~10.JPG");  // the tail eats into the name
    EXPECT_EQ(alias(b, "2004061200101.jpg"), "200406~1.JPG");  // another directory starts afresh
    EXPECT_EQ(alias(a, "ALBUMS.DAT"), "ALBUMS~1.DAT");           // a taken valid name gets a tail
    EXPECT_EQ(alias(a, "Strand und Meer.jpeg"), "STRAND~1.JPE");
    EXPECT_EQ(alias(a, "no extension at all"), "NOEXTE~1");
    EXPECT_EQ(alias(a, ".profile"), "PROFIL~1");
    EXPECT_EQ(alias(a, "日本.jpg"), "_~1.JPG");
    EXPECT_EQ(alias(a, "x[1];2.txt"), "X_1__2~1.TXT");
}

TEST(ShortNamesTest, DirectoryNamesKeepThirteenCharacters) {
    EXPECT_EQ(DirShortName("Images"), "IMAGES");
    EXPECT_EQ(DirShortName("my photos"), "MY_PHOTOS");
    EXPECT_EQ(DirShortName("Ferienbilder 2004 Sommer"), "FERIENBILDER_");
    EXPECT_EQ(DirShortName("Köln"), "K__LN");
}

TEST(JolietTextTest, UnitsOfUtf8AndOfOtherBytes) {
    EXPECT_EQ(JolietUnits("Images"), u"Images");
    EXPECT_EQ(JolietUnits("Grüße"), u"Grüße");
    EXPECT_EQ(JolietUnits("Gr\xFC\xDF" "e"), u"Grüße");  // not UTF-8: one unit per byte
    EXPECT_EQ(JolietUnits("\xC0\xAF"), u"\u00C0\u00AF");    // an overlong form is not UTF-8 either
    EXPECT_EQ(BigEndianBytes(u"A€"), std::string("\x00\x41\x20\xAC", 4));
}

// Joliet is UCS-2: no surrogate pairs, and no control characters in a name.
TEST(JolietTextTest, CharactersBeyondSixteenBitsAndControlsBecomeUnderscores) {
    const struct {
        const char* Text;
        std::u16string Units;
    } cases[] = {
        {"€ 😀", u"€ _"},
        {"😀😀.jpg", u"__.jpg"},
        {"line\nbreak\r\t.jpg", u"line_break__.jpg"},
        {"del\x7F.jpg", u"del_.jpg"},
        {"\xC2\x85next", u"_next"},     // U+0085, a C1 control in UTF-8
        {"c1\x85\xE9.jpg", u"c1_é.jpg"},  // not UTF-8: the byte 85h is a C1 control as well
        {"\xEF\xBF\xBF", u"\uFFFF"},    // the last 16-bit character stays
    };
    for (const auto& c : cases) EXPECT_EQ(JolietUnits(c.Text), c.Units) << c.Text;
}

TEST(JolietTextTest, CutsNeverSplitAUtf8Character) {
    const struct {
        std::string Text;
        size_t Bytes;
        std::string Cut;
    } cases[] = {
        {"Summer", 32, "Summer"},
        {"aé", 2, "a"},             // é is C3 A9: cut before it, not inside
        {"aé", 3, "aé"},
        {"a😀b", 4, "a"},
        {"a\xE9\xE9", 2, "a\xE9"},  // not UTF-8 (Windows-1252): every byte is a character
    };
    for (const auto& c : cases) EXPECT_EQ(CutAtCharacter(c.Text, c.Bytes), c.Cut) << c.Text;
}

TEST(JolietTextTest, FieldsArePaddedWithBlanksOrCut) {
    EXPECT_EQ(JolietField("ab", 3), std::string("\x00" "a\x00" "b\x00 ", 6));
    EXPECT_EQ(JolietField("abcd", 2), std::string("\x00" "a\x00" "b", 4));
    EXPECT_EQ(JolietField("a😀", 2), std::string("\x00" "a\x00_", 4));
}

} // namespace
