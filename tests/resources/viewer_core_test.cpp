// The album viewer's portable half (catalogue, texts, paths, placement, report), built for
// Linux from the same sources as Diorama.exe and checked against catalogues written by the
// album library.
#include "catalogue.h"
#include "disc_fixture.h"
#include "disc_paths.h"
#include "fit_rect.h"
#include "load_report.h"
#include "viewer_text.h"

#include <gtest/gtest.h>

namespace {

const std::vector<TFixtureAlbum> TwoAlbums = {
    {"Summer", {{"2026121000000.jpg", "Beach", {"Sunny", "", "windy"}}, {"a.jpg", "Dunes", {}}}},
    {"Empty", {}},
    {"Winter \xC3\xA9t\xC3\xA9", {{"b.jpg", "Snow", {"cold"}}}},
};

std::string ReportOf(const TCatalogue& catalogue) {
    return LoadReport(u"T", catalogue, u"D:\\", [](const TText& path) { return path.find(u"a.jpg") == TText::npos; });
}

} // namespace

TEST(CatalogueTest, ReadsEveryAlbumAndPhotoTheAlbumLibraryWrote) {
    const TCatalogue catalogue = ReadCatalogue(CatalogueBytes(TwoAlbums));
    EXPECT_EQ(catalogue.State, TCatalogueState::csComplete);
    ASSERT_EQ(catalogue.Albums.size(), 3u);
    for (size_t a = 0; a < TwoAlbums.size(); ++a) {
        const TAlbum& album = *catalogue.Albums[a];
        EXPECT_EQ(album.Title, TwoAlbums[a].Title);
        ASSERT_EQ(album.Project.PhotoCount(), static_cast<int>(TwoAlbums[a].Photos.size()));
        for (size_t p = 0; p < TwoAlbums[a].Photos.size(); ++p) {
            const TPhoto& photo = *album.Project.PhotoAt(static_cast<int>(p));
            EXPECT_EQ(photo.FileName, TwoAlbums[a].Photos[p].FileName);
            EXPECT_EQ(photo.Caption, TwoAlbums[a].Photos[p].Caption);
            EXPECT_EQ(photo.Notes(), TwoAlbums[a].Photos[p].Notes);
        }
    }
}

TEST(CatalogueTest, AnEmptyCatalogueIsCompleteWithoutAlbums) {
    const TCatalogue catalogue = ReadCatalogue(CatalogueBytes({}));
    EXPECT_EQ(catalogue.State, TCatalogueState::csComplete);
    EXPECT_TRUE(catalogue.Albums.empty());
}

TEST(CatalogueTest, EveryCutOfTheCatalogueIsDamagedAndKeepsTheAlbumsBeforeIt) {
    const std::string whole = CatalogueBytes(TwoAlbums);
    for (size_t length = 0; length < whole.size(); ++length) {
        const TCatalogue catalogue = ReadCatalogue(whole.substr(0, length));
        ASSERT_EQ(catalogue.State, TCatalogueState::csDamaged) << length;
        ASSERT_LE(catalogue.Albums.size(), TwoAlbums.size());
        for (size_t a = 0; a + 1 < catalogue.Albums.size(); ++a)
            EXPECT_EQ(catalogue.Albums[a]->Project.PhotoCount(), static_cast<int>(TwoAlbums[a].Photos.size()));
    }
}

TEST(CatalogueTest, AbsurdCountsAndLengthsAreDamageNotACrash) {
    struct Case {
        const char* Name;
        std::string Bytes;
    };
    const std::string one = CatalogueBytes({{"A", {}}});
    std::string hugeLength = one;
    hugeLength[4 + 7] = '\x7F';  // record length near 2^63
    std::string negativeLength = one;
    negativeLength[4 + 7] = '\xFF';
    std::string hugeCount = one;
    hugeCount.replace(0, 4, "\xFF\xFF\xFF\x7F", 4);
    const Case cases[] = {
        {"negative count", std::string("\xFF\xFF\xFF\xFF", 4)},
        {"huge count", hugeCount},
        {"huge record length", hugeLength},
        {"negative record length", negativeLength},
        {"garbage", std::string(64, '\xAB')},
    };
    for (const Case& c : cases) {
        const TCatalogue catalogue = ReadCatalogue(c.Bytes);
        EXPECT_EQ(catalogue.State, TCatalogueState::csDamaged) << c.Name;
    }
    EXPECT_EQ(ReadCatalogue(hugeCount).Albums.size(), 1u);
}

TEST(ViewerTextTest, DecodesUtf8AndFallsBackToWindows1252) {
    EXPECT_EQ(DecodeText("Beach"), u"Beach");
    EXPECT_EQ(DecodeText("\xC3\xA9t\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x93\xB7"), u"été € \U0001F4F7");
    EXPECT_EQ(DecodeText("\xE9t\xE9 \x80 \x93x\x94"), u"été € “x”");   // Windows-1252
    EXPECT_EQ(DecodeText("\xC0\xAF"), u"À¯");                          // overlong form
    EXPECT_EQ(DecodeText("ab\xC3"), u"abÃ");                           // cut-off sequence
    EXPECT_EQ(EncodeUtf8(DecodeText("\xC3\xA9 \xF0\x9F\x93\xB7")), "\xC3\xA9 \xF0\x9F\x93\xB7");
}

TEST(ViewerTextTest, NotesAreJoinedWithWindowsLineBreaks) {
    EXPECT_EQ(NotesText({"one", "", "three"}), u"one\r\n\r\nthree");
    EXPECT_EQ(NotesText({}), u"");
}

TEST(ViewerTextTest, TheTitleIsTheFirstLineOfTitleTxt) {
    EXPECT_EQ(TitleFromFile("Summer 2004\r\n", u"Photo Album Viewer"), u"Summer 2004");
    EXPECT_EQ(TitleFromFile("One\nTwo\n", u"X"), u"One");
    EXPECT_EQ(TitleFromFile("", u"Photo Album Viewer"), u"Photo Album Viewer");
    EXPECT_EQ(TitleFromFile("  \r\n", u"Photo Album Viewer"), u"Photo Album Viewer");
}

TEST(DiscPathsTest, PhotosAreFoundBelowTheProgramsFolderByTheirBareName) {
    EXPECT_EQ(ProgramFolder(u"D:\\Diorama.exe"), u"D:\\");
    EXPECT_EQ(ProgramFolder(u"Z:\\tmp\\disc\\Diorama.exe"), u"Z:\\tmp\\disc\\");
    EXPECT_EQ(ProgramFolder(u"Diorama.exe"), u"");

    const TText disc = u"D:\\";
    EXPECT_EQ(DiscFilePath(disc, u"Images", "2026121000000.jpg"), u"D:\\Images\\2026121000000.jpg");
    EXPECT_EQ(DiscFilePath(disc, u"Thumbs", "old/folder/x.jpg"), u"D:\\Thumbs\\x.jpg");
    EXPECT_EQ(DiscFilePath(disc, u"Images", "..\\..\\windows\\win.ini"), u"D:\\Images\\win.ini");
    EXPECT_EQ(DiscFilePath(disc, u"Images", "C:win.ini"), u"D:\\Images\\win.ini");
    EXPECT_EQ(DiscFilePath(disc, u"Images", "\xE9t\xE9.jpg"), u"D:\\Images\\été.jpg");
    for (const char* unusable : {"", ".", "..", "folder\\"}) EXPECT_EQ(DiscFilePath(disc, u"Images", unusable), u"");
}

TEST(FitInsideTest, KeepsTheAspectRatioCentresAndNeverEnlarges) {
    struct Case {
        int W, H, BoxW, BoxH;
        TPlacement Expected;
    };
    const Case cases[] = {
        {640, 480, 320, 320, {0, 40, 320, 240}},     // wide picture, limited by width
        {480, 640, 320, 320, {40, 0, 240, 320}},     // tall picture, limited by height
        {100, 50, 320, 320, {110, 135, 100, 50}},    // small picture stays small
        {4000, 1, 100, 100, {0, 49, 100, 1}},        // never thinner than one pixel
        {0, 480, 320, 320, {0, 0, 0, 0}},            // nothing to draw
        {640, 480, 0, 320, {0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        const TPlacement p = FitInside(c.W, c.H, 0, 0, c.BoxW, c.BoxH);
        EXPECT_EQ(std::tie(p.Left, p.Top, p.Width, p.Height),
                  std::tie(c.Expected.Left, c.Expected.Top, c.Expected.Width, c.Expected.Height))
            << c.W << "x" << c.H << " in " << c.BoxW << "x" << c.BoxH;
    }
    const TPlacement shifted = FitInside(640, 480, 10, 20, 320, 320);
    EXPECT_EQ(shifted.Left, 10);
    EXPECT_EQ(shifted.Top, 60);
}

TEST(LoadReportTest, CountsPhotosAndThePicturesThatLoaded) {
    EXPECT_EQ(ReportOf(ReadCatalogue(CatalogueBytes(TwoAlbums))),
              "title\tT\ncatalogue\tcomplete\n"
              "album\tSummer\t2\t1\t1\nalbum\tEmpty\t0\t0\t0\nalbum\tWinter \xC3\xA9t\xC3\xA9\t1\t1\t1\n");
    EXPECT_EQ(ReportOf(TCatalogue{}), "title\tT\ncatalogue\tmissing\n");
}
