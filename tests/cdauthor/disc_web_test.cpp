// The web pages as part of a disc job: built from what the disc tree holds, added after
// everything else as files in memory, and counted for the CD window.
#include "disc_content_fixture.h"
#include "disc_web.h"
#include "iso_records.h"
#include "web_text.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <set>

using ::testing::HasSubstr;
using ::testing::Not;

namespace fs = std::filesystem;

namespace {

class DiscWebTest : public DiscContentFixture {
protected:
    // The pages in the tree: index.html at the root and everything in \Web.
    static std::vector<const TFEntry*> PageEntries(const TMCDBurner& burner) {
        std::vector<const TFEntry*> pages;
        for (const TFEntry* e = burner.RootDir()->FirstChild; e; e = e->Next)
            if (e->LongName == "index.html") pages.push_back(e);
        for (const TFEntry* e = burner.FindDir("\\Web") ? burner.FindDir("\\Web")->FirstChild : nullptr; e; e = e->Next)
            pages.push_back(e);
        return pages;
    }

    std::string Page(const std::string& name) const {
        for (const TFEntry* page : PageEntries(Burner))
            if (page->LongName == name) return page->Data ? *page->Data : "(no contents)";
        return "(no page " + name + ")";
    }

    // The pictures the pages link, as "Images/name" and "Thumbs/name" (percent-encoded).
    std::set<std::string> LinkedPictures() const {
        std::set<std::string> linked;
        const std::regex picture("(Images|Thumbs)/([^\"]+)\"");
        for (const TFEntry* page : PageEntries(Burner))
            for (std::sregex_iterator m(page->Data->begin(), page->Data->end(), picture), end; m != end; ++m)
                linked.insert((*m)[1].str() + "/" + (*m)[2].str());
        return linked;
    }
};

TEST_F(DiscWebTest, PagesComeLastAndThePartsFilesStayAsTheyWere) {
    Albums.AddAlbum("Holidays", 0, {"a.jpg", "b.jpg"});
    TDiscContent content = Content("Summer 2004");
    content.WebPages = false;
    Build(content);
    const std::vector<std::string> discFiles{"autorun.inf", "title.txt", "Diorama.exe", "Albums.dat", "Images", "Thumbs"};
    EXPECT_EQ(Names(Burner.RootDir()), discFiles);
    EXPECT_EQ(Burner.FindDir("\\Web"), nullptr);
    const std::string catalogue = ReadBytes(Temp.CataloguePath());
    const std::string autorun = ReadBytes(Temp.AutorunPath());
    EndDiscJob(Burner, Temp);

    Build(Content("Summer 2004"));
    std::vector<std::string> withPages = discFiles;
    withPages.insert(withPages.end(), {"index.html", "Web"});
    EXPECT_EQ(Names(Burner.RootDir()), withPages);
    EXPECT_EQ(Names(Burner.FindDir("\\Web")),
              (std::vector<std::string>{"album-1.html", "album-1-photo-1.html", "album-1-photo-2.html", "style.css"}));
    EXPECT_EQ(Names(Burner.FindDir("\\Images")), (std::vector<std::string>{"a.jpg", "b.jpg"}));
    EXPECT_EQ(ReadBytes(Temp.CataloguePath()), catalogue);
    EXPECT_EQ(ReadBytes(Temp.AutorunPath()), autorun);
    // The pages are held in memory: the temporary folder has the three files of every disc.
    const TFEntry* album = Burner.FindDir("\\Web")->FirstChild;
    EXPECT_EQ(album->SourcePath, "\\Web\\album-1.html");
    ASSERT_NE(album->Data, nullptr);
    EXPECT_EQ(album->Size, static_cast<int64_t>(album->Data->size()));
    EXPECT_EQ(std::distance(fs::directory_iterator(Temp.Folder()), fs::directory_iterator()), 3);
}

TEST_F(DiscWebTest, PhotosTheTreeLeavesOffAreLinkedNowhere) {
    const std::string longName = std::string(130, 'n') + ".jpg";  // too long for a Joliet record
    Albums.AddAlbum("Trip", 0, {"a.jpg", "A.jpg", longName, "gone.jpg", "no thumb.jpg", "b.jpg"}, {"gone.jpg"});
    Albums.AddAlbum("Again", 1, {"b.jpg"});
    fs::remove(Albums.Folders.ThumbDir + "no thumb.jpg");
    Build(Content());

    // The pages link exactly what the tree holds.
    std::set<std::string> onDisc;
    for (const std::string& name : Names(Burner.FindDir("\\Images"))) onDisc.insert("Images/" + LinkName(name));
    for (const std::string& name : Names(Burner.FindDir("\\Thumbs"))) onDisc.insert("Thumbs/" + LinkName(name));
    for (const std::string& link : LinkedPictures()) EXPECT_TRUE(onDisc.count(link)) << link << " is not on the disc";
    EXPECT_EQ(LinkedPictures(), (std::set<std::string>{"Images/a.jpg", "Images/b.jpg", "Images/no%20thumb.jpg",
                                                       "Thumbs/a.jpg", "Thumbs/b.jpg"}));
    // The first album shows its three photos on the disc in album order; the shared one in both.
    EXPECT_EQ(Names(Burner.FindDir("\\Web")),
              (std::vector<std::string>{"album-1.html", "album-1-photo-1.html", "album-1-photo-2.html",
                                        "album-1-photo-3.html", "album-2.html", "album-2-photo-1.html", "style.css"}));
    EXPECT_THAT(Page("index.html"), HasSubstr("Trip</span><span class=\"count\">3 photos"));
    EXPECT_THAT(Page("album-1-photo-2.html"), HasSubstr("src=\"../Images/no%20thumb.jpg\""));
    EXPECT_THAT(Page("album-2-photo-1.html"), HasSubstr("src=\"../Images/b.jpg\""));
}

// The pages are made ahead, while the tree takes the photos; when the tree holds every photo,
// they are those the tree's own names give, word for word.
TEST_F(DiscWebTest, PagesMadeAheadAreThoseOfTheTree) {
    Albums.AddAlbum("Trip", 0, {"a.jpg", "b & c.jpg", "d.jpg"});
    Albums.AddAlbum("Again", 1, {"d.jpg"});  // one photo in two albums is on the disc once
    const TDiscContent content = Content("Summer <2004>");
    Build(content);
    const std::vector<TWebPage> fromTree = WebPages(content.Title, WebAlbumsOnDisc(Burner, content));
    ASSERT_EQ(PageEntries(Burner).size(), fromTree.size());
    for (const TWebPage& page : fromTree) EXPECT_EQ(Page(FileNamePart(page.Path)), page.Text) << page.Path;
}

TEST_F(DiscWebTest, TheCdWindowsEstimateIsWhatTheJobWrites) {
    Albums.AddAlbum("Holidays", 0, {"a.jpg", "b.jpg", "c.jpg"});
    Albums.AddAlbum("Garden", 1, {"d.jpg"});
    const TDiscContent content = Content("Summer 2004");
    Build(content);
    int64_t written = 0;
    for (const TFEntry* page : PageEntries(Burner)) written += SectorsFor(page->Size);
    EXPECT_EQ(written, 1 + 2 + 4 + 1);  // index, album pages, photo pages, style sheet
    EXPECT_EQ(WebPagesSectors(content.Title, content.Albums), written);
}

TEST_F(DiscWebTest, PagesThatDoNotFitTheTreesLimitsAreLeftOutWhole) {
    Albums.AddAlbum("Holidays", 0, {"a.jpg", "b.jpg", "c.jpg"});
    // 11 entries before the pages (five at the root, six photo files); the pages need six more
    // and \Web one.
    for (const int32_t maxFiles : {17, 18}) {
        SCOPED_TRACE(maxFiles);
        Burner.ResetTree(maxFiles, 10);
        std::vector<std::string>& messages = CaptureMessages(Burner);
        Build(Content());
        const bool fits = maxFiles == 18;
        EXPECT_EQ(Burner.FindDir("\\Web") != nullptr, fits);
        EXPECT_EQ(Names(Burner.FindDir("\\Images")), (std::vector<std::string>{"a.jpg", "b.jpg", "c.jpg"}));
        EXPECT_EQ(FileCount, fits ? 18 : 11);
        if (!fits) {
            EXPECT_THAT(messages, testing::Contains(HasSubstr("No room in the disc tree for the web pages")));
        }
        EndDiscJob(Burner, Temp);
    }
}

} // namespace
