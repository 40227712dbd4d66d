// The content of an album disc: temporary files, their texts, and the order of the tree.
#include "disc_content_fixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

using DiscContentTest = DiscContentFixture;

TEST_F(DiscContentTest, EmptyTitle) {
    Albums.AddAlbum("Holidays", 0, {"a.jpg"});
    Build(Content(""));
    EXPECT_EQ(Names(Burner.RootDir()),
              (std::vector<std::string>{"autorun.inf", "Diorama.exe", "Albums.dat", "Images", "Thumbs", "index.html", "Web"}));
    EXPECT_EQ(ReadBytes(Temp.AutorunPath()),
              "[autorun]\r\nopen=Diorama.exe\r\nicon=Diorama.exe\r\nlabel=Photo Album Viewer\r\n");
    EXPECT_FALSE(fs::exists(Temp.TitlePath()));
    EXPECT_EQ(VolumeIdFor(""), "Fotolark");
}

TEST_F(DiscContentTest, TitledDisc) {
    Albums.AddAlbum("Holidays", 0, {"a.jpg"});
    Build(Content("Summer 2004"));
    EXPECT_EQ(Names(Burner.RootDir()),
              (std::vector<std::string>{"autorun.inf", "title.txt", "Diorama.exe", "Albums.dat", "Images", "Thumbs",
                                        "index.html", "Web"}));
    const std::string autorun = ReadBytes(Temp.AutorunPath());
    EXPECT_TRUE(autorun.ends_with("\r\nlabel=Summer 2004\r\n")) << autorun;
    EXPECT_EQ(ReadBytes(Temp.TitlePath()), "Summer 2004\r\n");
    EXPECT_EQ(VolumeIdFor("Summer 2004"), "Summer 2004");
    EXPECT_EQ(Burner.RootDir()->FirstChild->Next->SourcePath, Temp.TitlePath());
}

TEST_F(DiscContentTest, OneEmptyAlbumStillGetsBothFoldersAndItsCatalogue) {
    Albums.AddAlbum("Empty", 0, {});
    const TDiscContent content = Content("");
    Build(content);
    ASSERT_NE(Burner.FindDir("\\Images"), nullptr);
    ASSERT_NE(Burner.FindDir("\\Thumbs"), nullptr);
    EXPECT_EQ(Names(Burner.FindDir("\\Images")), std::vector<std::string>{});
    std::ostringstream catalogue(std::ios::binary);
    WriteAlbumCatalogue(catalogue, content.Albums);
    EXPECT_EQ(ReadBytes(Temp.CataloguePath()), catalogue.str());
    EXPECT_EQ(ReadBytes(Temp.CataloguePath()).substr(0, 4), std::string("\x01\x00\x00\x00", 4));
}

TEST_F(DiscContentTest, PhotosInLayoutOrderASharedPhotoOnceAndMissingFilesLeftOut) {
    Albums.AddAlbum("Second", 1, {"c.jpg", "shared.jpg"});
    Albums.AddAlbum("First", 0, {"b.jpg", "shared.jpg", "gone.jpg"}, {"gone.jpg"});
    Build(Content(""));
    const std::vector<std::string> expected{"b.jpg", "shared.jpg", "c.jpg"};
    EXPECT_EQ(Names(Burner.FindDir("\\Images")), expected);
    EXPECT_EQ(Names(Burner.FindDir("\\Thumbs")), expected);
    EXPECT_EQ(Burner.FindDir("\\Thumbs")->FirstChild->SourcePath, Albums.Folders.ThumbDir + "b.jpg");
    EXPECT_EQ(LeftOutReport(Burner.LeftOutFiles()),
              (std::vector<std::string>{"\\Images\\gone.jpg: missing (" + Albums.Folders.ImageDir + "gone.jpg)",
                                        "\\Thumbs\\gone.jpg: missing (" + Albums.Folders.ThumbDir + "gone.jpg)",
                                        "2 files were left out of the disc."}));
}

// Two photos whose names differ only in letter case cannot both be on a disc: the second is
// left out and reported, not dropped in silence.
TEST_F(DiscContentTest, APhotoWhoseNameDiffersOnlyInCaseIsReported) {
    Albums.AddAlbum("Holidays", 0, {"beach.jpg", "Beach.JPG"});
    Build(Content(""));
    EXPECT_EQ(Names(Burner.FindDir("\\Images")), std::vector<std::string>{"beach.jpg"});
    EXPECT_TRUE(Burner.WasLeftOut("\\Images\\Beach.JPG"));
    const std::vector<std::string> report = LeftOutReport(Burner.LeftOutFiles());
    ASSERT_EQ(report.size(), 3u);
    EXPECT_EQ(report[0], "\\Images\\Beach.JPG: name differs only in letter case from beach.jpg (" +
                             Albums.Folders.ImageDir + "Beach.JPG)");
    EXPECT_EQ(report[2], "2 files were left out of the disc.");
    EXPECT_EQ(LeftOutReport({}), std::vector<std::string>{});
    EXPECT_EQ(LeftOutReport({Burner.LeftOutFiles()[0]}).back(), "1 file was left out of the disc.");
}

TEST_F(DiscContentTest, AMissingViewerIsLeftOutAndListed) {
    TDiscContent content = Content("");
    content.ViewerPath = Scratch.Path() + "/nowhere/Diorama.exe";
    Build(content);
    EXPECT_EQ(Names(Burner.RootDir()),
              (std::vector<std::string>{"autorun.inf", "Albums.dat", "Images", "Thumbs", "index.html", "Web"}));
    EXPECT_TRUE(Burner.WasLeftOut("\\Diorama.exe"));
}

// autorun.inf opens Diorama.exe, so the viewer has that name on the disc whatever its file is called.
TEST_F(DiscContentTest, TheViewerIsAlwaysDioramaExeOnTheDisc) {
    TDiscContent content = Content("");
    content.ViewerPath = Scratch.Write("viewer-2.1.exe", "MZ another build");
    Build(content);
    EXPECT_EQ(Names(Burner.RootDir()),
              (std::vector<std::string>{"autorun.inf", "Diorama.exe", "Albums.dat", "Images", "Thumbs", "index.html", "Web"}));
    EXPECT_EQ(Burner.RootDir()->FirstChild->Next->SourcePath, content.ViewerPath);
    EXPECT_EQ(Burner.RootDir()->FirstChild->Next->ShortName, "DIORAMA.EXE");
}

// A line break in the title would add lines to autorun.inf.
TEST_F(DiscContentTest, ATitleWithAControlCharacterIsRefused) {
    for (const char* title : {"Summer\r\nopen=evil.exe", "Tab\there", "Bell\a", "Del\x7F"}) {
        EXPECT_TRUE(HasControlCharacters(title)) << title;
        TDiscTempFiles temp;
        ASSERT_TRUE(temp.Create(Scratch.Path()));
        std::string error;
        EXPECT_FALSE(BuildDiscContent(Burner, Content(title), temp, error));
        EXPECT_EQ(error, "The title holds a control character, such as a line break");
        EXPECT_FALSE(fs::exists(temp.AutorunPath()));
    }
    EXPECT_FALSE(HasControlCharacters("Grüße aus Köln, Sommer 2004 ☀"));
}

// An image file never replaces what the disc is made from, under any name, nor lands in the
// folders that hold the albums and photos.
TEST_F(DiscContentTest, ImageTargetsThatWouldOverwriteAnInputAreRefused) {
    Albums.AddAlbum("Holidays", 0, {"a.jpg"});
    Albums.AddAlbum("Other", 1, {"z.jpg"});  // not in the layout below, but read by the job
    const TDiscContent content = [&] {
        TDiscContent all = Content("");
        all.Albums.pop_back();
        return all;
    }();
    const TStorageFolders& folders = Albums.Folders;
    const std::string base = Scratch.Path() + "/base/";
    fs::create_hard_link(folders.ImageDir + "a.jpg", Scratch.Path() + "/hard-link.iso");
    fs::create_symlink(folders.AlbumDir + "album0.alb", Scratch.Path() + "/link.iso");
    fs::create_directory(Scratch.Path() + "/elsewhere");
    const struct {
        std::string Target;
        std::string Refusal;  // empty: accepted
    } cases[] = {
        {folders.ImageDir + "a.jpg", " is inside " + folders.ImageDir},
        {folders.ImageDir + "new.iso", " is inside " + folders.ImageDir},
        {folders.ThumbDir + "new.iso", " is inside " + folders.AlbumDir},
        {folders.AlbumDir + "album1.alb", " is inside " + folders.AlbumDir},
        {base + "Images/../Albums/x.iso", " is inside " + folders.AlbumDir},
        {base + "Images", " is " + folders.ImageDir + ", which holds your albums and photos"},
        {Scratch.Path() + "/hard-link.iso", " is " + folders.ImageDir + "a.jpg, which goes onto the disc"},
        {Scratch.Path() + "/link.iso", " is " + folders.AlbumDir + "album0.alb, which goes onto the disc"},
        {content.ViewerPath, " is " + content.ViewerPath + ", which goes onto the disc"},
        {Scratch.Path() + "/elsewhere/../base/Images/b.iso", " is inside " + folders.ImageDir},
        {base + "out.iso", ""},
        {base + "Images/../out.iso", ""},
        {Scratch.Path() + "/elsewhere/out.iso", ""},
        {"relative.iso", ""},
    };
    for (const auto& c : cases) {
        const std::string refusal = ImageTargetRefusal(c.Target, content);
        if (c.Refusal.empty()) EXPECT_EQ(refusal, "") << c.Target;
        else EXPECT_EQ(refusal.find(c.Target + c.Refusal), 0u) << c.Target << ": " << refusal;
    }
}

TEST_F(DiscContentTest, EndOfJobDeletesTheTemporaryFilesAndEmptiesTheTree) {
    Albums.AddAlbum("Holidays", 0, {"a.jpg"});
    Build(Content("Title"));
    const std::string folder = Temp.Folder();
    ASSERT_TRUE(fs::exists(Temp.TitlePath()));
    EndDiscJob(Burner, Temp);
    EXPECT_FALSE(fs::exists(folder));
    EXPECT_EQ(DirCount, 1);
    EXPECT_EQ(FileCount, 0);
}

TEST_F(DiscContentTest, EveryJobHasItsOwnTemporaryFolder) {
    TDiscTempFiles other;
    ASSERT_TRUE(Temp.Create(Scratch.Path()));
    ASSERT_TRUE(other.Create(Scratch.Path()));
    EXPECT_NE(Temp.Folder(), other.Folder());
    EXPECT_TRUE(Temp.Folder().starts_with(Scratch.Path() + "/fotolark-disc-"));
    EXPECT_EQ(FileNamePart(Temp.CataloguePath()), "Albums.dat");
    EXPECT_FALSE(TDiscTempFiles().Create(Scratch.Path() + "/missing"));
}

// The job folders that a process of ours left when it ended in the middle of a job go when
// the next job makes its own; a folder holding anything else than our files stays.
TEST_F(DiscContentTest, JobFoldersOfEndedProcessesAreRemoved) {
    const pid_t child = fork();
    if (child == 0) _exit(0);
    waitpid(child, nullptr, 0);
    const std::string ended = "fotolark-disc-" + std::to_string(child);
    const std::string running = "fotolark-disc-" + std::to_string(getpid());
    Scratch.Write(ended + "-aB3dE6/autorun.inf", "[autorun]");
    Scratch.Write(ended + "-aB3dE6/Albums.dat", "albums");
    Scratch.Write(ended + "-aB3dE6/.fotolark-" + std::to_string(child) + "-00000000000000aa.tmp", "half");
    Scratch.Write(ended + "-fG7hI8/keep.txt", "not ours");
    Scratch.Write(running + "-jK9lM0/autorun.inf", "[autorun]");
    Scratch.Write("fotolark-disc-other/autorun.inf", "[autorun]");

    ASSERT_TRUE(Temp.Create(Scratch.Path()));
    EXPECT_FALSE(fs::exists(Scratch.Path() + "/" + ended + "-aB3dE6"));
    EXPECT_TRUE(fs::exists(Scratch.Path() + "/" + ended + "-fG7hI8/keep.txt"));
    EXPECT_TRUE(fs::exists(Scratch.Path() + "/" + running + "-jK9lM0/autorun.inf"));
    EXPECT_TRUE(fs::exists(Scratch.Path() + "/fotolark-disc-other/autorun.inf"));
    EXPECT_TRUE(Temp.Folder().starts_with(Scratch.Path() + "/" + running + "-"));
}

TEST_F(DiscContentTest, UnwritableTemporaryFolderIsReported) {
    ASSERT_TRUE(Temp.Create(Scratch.Path()));
    fs::create_directory(Temp.CataloguePath());  // a folder where the file should go
    std::string error;
    EXPECT_FALSE(BuildDiscContent(Burner, Content(""), Temp, error));
    EXPECT_EQ(error, "Can't write the temporary file " + Temp.CataloguePath());
    fs::remove(Temp.CataloguePath());
}

TEST(BurnerSettingsTest, AlbumDiscConfiguration) {
    TMCDBurner burner;
    burner.IdVolume = "x";
    burner.SetCacheSize(8000000);
    burner.WritePostGap = false;
    ApplyBurnerSettings(burner);
    EXPECT_EQ(burner.IdVolume, "Fotolark");
    EXPECT_EQ(burner.IdApplication, "Fotolark");
    EXPECT_EQ(burner.CacheSize(), 4194304);
    EXPECT_TRUE(burner.WritePostGap);
    EXPECT_TRUE(burner.JolietFileSystem);
    EXPECT_TRUE(burner.FinalizeDisc);
    EXPECT_FALSE(burner.TestWrite);
    EXPECT_FALSE(burner.ReplaceFile);
    EXPECT_EQ(burner.IdSystem, "");
    EXPECT_EQ(AddingFileMessage("a.jpg"), "Adding a.jpg to CD layout");
}

} // namespace
