// fotolark-disc: its command line, and whole runs checked with the public ISO readers.
#include "album_folder.h"
#include "disc_tool_fixture.h"
#include "disc_options.h"

#include <QSettings>
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

namespace fs = std::filesystem;

namespace {

TEST(DiscOptionsTest, ParsesEveryOption) {
    TDiscOptions options;
    std::string error;
    ASSERT_TRUE(ParseDiscOptions({"--iso", "out.iso", "--title", "Summer 2004", "--album", "B", "--album", "A",
                                  "--base", "/photos", "--viewer", "v.exe", "--verbose", "--no-web"},
                                 options, error))
        << error;
    EXPECT_EQ(options.IsoFile, "out.iso");
    EXPECT_EQ(options.Title, "Summer 2004");
    EXPECT_EQ(options.Albums, (std::vector<std::string>{"B", "A"}));
    EXPECT_EQ(options.BaseDir, "/photos");
    EXPECT_EQ(options.Viewer, "v.exe");
    EXPECT_TRUE(options.Verbose);
    EXPECT_FALSE(options.WebPages);
    TDiscOptions defaults;
    ASSERT_TRUE(ParseDiscOptions({"--iso", "out.iso"}, defaults, error));
    EXPECT_TRUE(defaults.WebPages) << "the pages are on every disc unless --no-web";
}

TEST(DiscOptionsTest, UsageErrors) {
    const struct {
        std::vector<std::string> Args;
        const char* Error;
    } cases[] = {
        {{}, "the image file is missing: give --iso FILE"},
        {{"--title", "x"}, "the image file is missing: give --iso FILE"},
        {{"--iso"}, "option '--iso' needs a value"},
        {{"--iso", "a.iso", "--album"}, "option '--album' needs a value"},
        {{"--iso", "a.iso", "--fast"}, "unknown option '--fast'"},
        {{"--iso", "a.iso", "--title", std::string(33, 't')}, "the title has more than 32 characters"},
        {{"--iso", "a.iso", "--title", "Summer\r\nopen=x.exe"}, "the title holds a control character, such as a line break"},
        {{"--iso", "a.iso", "--title", "tab\t"}, "the title holds a control character, such as a line break"},
    };
    for (const auto& c : cases) {
        TDiscOptions options;
        std::string error;
        EXPECT_FALSE(ParseDiscOptions(c.Args, options, error));
        EXPECT_EQ(error, c.Error);
    }
    TDiscOptions options;
    std::string error;
    EXPECT_TRUE(ParseDiscOptions({"--iso", "a.iso", "--title", "Grüße aus Köln, Sommer 2004 ...."}, options, error))
        << "32 characters, more bytes";
    EXPECT_TRUE(ParseDiscOptions({"--help"}, options, error));
    EXPECT_TRUE(options.Help);
    TDiscOptions versionOnly;
    EXPECT_TRUE(ParseDiscOptions({"--version", "--fast"}, versionOnly, error)) << "answered before the rest";
    EXPECT_TRUE(versionOnly.Version);
}

class FotolarkDiscTest : public TDiscToolFixture {
protected:
    TCommandResult Run(const std::string& arguments) {
        return RunCommand("TMPDIR=" + Quote(Temp) + " " + Quote(FOTOLARK_DISC) + " " + arguments);
    }
    std::string StandardArguments() const {
        return "--iso " + Quote(Iso) + " --base " + Quote(Scratch.Path() + "/base") + " --viewer " + Quote(Viewer);
    }
    std::string Extract(const std::string& readFs) { return ExtractTree(Iso, readFs, readFs) + "/"; }
    std::string Catalogue(const std::vector<std::string>& titles) {
        const TAlbumList found = FindAlbums(Albums.Folders.AlbumDir);
        std::vector<const TAlbum*> layout;
        for (const std::string& title : titles)
            for (const auto& album : found)
                if (album->Title == title) layout.push_back(album.get());
        std::ostringstream out(std::ios::binary);
        WriteAlbumCatalogue(out, layout);
        return out.str();
    }
};

TEST_F(FotolarkDiscTest, WritesEveryAlbumReadableByThePublicReaders) {
    const TCommandResult run = Run(StandardArguments() + " --title 'Summer 2004'");
    ASSERT_EQ(run.Status, 0) << run.Output;

    const std::string joliet = Extract("norock");
    const std::string iso = Extract("ecma119");
    EXPECT_EQ(ReadBytes(joliet + "autorun.inf"),
              "[autorun]\r\nopen=Diorama.exe\r\nicon=Diorama.exe\r\nlabel=Summer 2004\r\n");
    EXPECT_EQ(ReadBytes(joliet + "title.txt"), "Summer 2004\r\n");
    EXPECT_EQ(ReadBytes(joliet + "Diorama.exe"), "MZ stand-in viewer");
    EXPECT_EQ(ReadBytes(joliet + "Albums.dat"), Catalogue({"Holidays", "Garden"}));
    EXPECT_EQ(ReadBytes(iso + "ALBUMS.DAT"), Catalogue({"Holidays", "Garden"}));
    EXPECT_EQ(ReadBytes(iso + "AUTORUN.INF"), ReadBytes(joliet + "autorun.inf"));
    const struct {
        const char* Name;
        const char* IsoName;
    } photos[] = {{"2004061200001.jpg", "200406~1.JPG"}, {"2004061200002.jpg", "200406~2.JPG"},
                  {"b.jpg", "B.JPG"}, {"c.jpg", "C.JPG"}};
    for (const auto& photo : photos) {
        EXPECT_EQ(ReadBytes(joliet + "Images/" + photo.Name), TAlbumFolder::ImageBytes(photo.Name)) << photo.Name;
        EXPECT_EQ(ReadBytes(joliet + "Thumbs/" + photo.Name), TAlbumFolder::ThumbBytes(photo.Name)) << photo.Name;
        EXPECT_EQ(ReadBytes(iso + "IMAGES/" + photo.IsoName), TAlbumFolder::ImageBytes(photo.Name)) << photo.IsoName;
        EXPECT_EQ(ReadBytes(iso + "THUMBS/" + photo.IsoName), TAlbumFolder::ThumbBytes(photo.Name)) << photo.IsoName;
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(joliet + "Images"), fs::directory_iterator()), 4);

    TCommandResult check = RunCommand("isoinfo -d -i " + Quote(Iso));
    EXPECT_NE(check.Output.find("Volume id: Summer 2004"), std::string::npos) << check.Output;
    EXPECT_NE(check.Output.find("Application id: Fotolark"), std::string::npos) << check.Output;
    check = RunCommand("7z t " + Quote(Iso));
    EXPECT_EQ(check.Status, 0) << check.Output;
    EXPECT_EQ(check.Output.find("WARNING"), std::string::npos) << check.Output;
    check = RunCommand("bsdtar -tf " + Quote(Iso));
    EXPECT_EQ(check.Status, 0) << check.Output;
    EXPECT_NE(check.Output.find("Thumbs/2004061200002.jpg"), std::string::npos) << check.Output;
    // The temporary files are gone.
    EXPECT_TRUE(fs::is_empty(Temp));
}

// Reading back is the default; the last of --verify and --no-verify counts.
TEST_F(FotolarkDiscTest, TheImageIsVerifiedUnlessTurnedOff) {
    const struct {
        const char* Options;
        bool Verified;
    } cases[] = {{"", true}, {" --no-verify", false}, {" --no-verify --verify", true}};
    for (const auto& c : cases) {
        const TCommandResult run = Run(StandardArguments() + c.Options);
        ASSERT_EQ(run.Status, 0) << c.Options << ": " << run.Output;
        EXPECT_EQ(run.Output.find("fotolark-disc: CD created and verified.") != std::string::npos, c.Verified)
            << c.Options << ": " << run.Output;
        EXPECT_EQ(ReadBytes(Extract("norock") + "Images/b.jpg"), TAlbumFolder::ImageBytes("b.jpg"));
    }
}

TEST_F(FotolarkDiscTest, ChosenAlbumsInTheGivenOrderAndAnUntitledVolume) {
    const TCommandResult run = Run(StandardArguments() + " --album Garden");
    ASSERT_EQ(run.Status, 0) << run.Output;
    const std::string joliet = Extract("norock");
    EXPECT_EQ(ReadBytes(joliet + "Albums.dat"), Catalogue({"Garden"}));
    EXPECT_FALSE(fs::exists(joliet + "title.txt"));
    EXPECT_TRUE(ReadBytes(joliet + "autorun.inf").ends_with("label=Photo Album Viewer\r\n"));
    EXPECT_TRUE(fs::exists(joliet + "Images/c.jpg"));
    EXPECT_FALSE(fs::exists(joliet + "Images/2004061200001.jpg"));
    EXPECT_NE(RunCommand("isoinfo -d -i " + Quote(Iso)).Output.find("Volume id: Fotolark"), std::string::npos);

    ASSERT_EQ(Run(StandardArguments() + " --album Garden --album Holidays").Status, 0);
    EXPECT_EQ(ReadBytes(Extract("ecma119") + "ALBUMS.DAT"), Catalogue({"Garden", "Holidays"}));
}

TEST_F(FotolarkDiscTest, BaseFolderFromTheSettings) {
    // Settings of our own, also when the test runs outside ctest; the tool inherits them.
    setenv("XDG_CONFIG_HOME", (Scratch.Path() + "/config").c_str(), 1);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, QString::fromStdString(Scratch.Path() + "/config"));
    TPrefs prefs;
    prefs.BaseDir = Scratch.Path() + "/base";
    prefs.Save();
    const TCommandResult run = Run("--iso " + Quote(Iso) + " --viewer " + Quote(Viewer));
    ASSERT_EQ(run.Status, 0) << run.Output;
    EXPECT_EQ(ReadBytes(Extract("norock") + "Albums.dat"), Catalogue({"Holidays", "Garden"}));
}

TEST_F(FotolarkDiscTest, FailuresExitWithOneAndTheReason) {
    TCommandResult run = Run(StandardArguments() + " --album Nowhere");
    EXPECT_EQ(run.Status, 1);
    EXPECT_NE(run.Output.find("no album titled \"Nowhere\""), std::string::npos) << run.Output;

    const std::string target = Scratch.Path() + "/missing/out.iso";
    run = Run("--iso " + Quote(target) + " --base " + Quote(Scratch.Path() + "/base") + " --viewer " + Quote(Viewer));
    EXPECT_EQ(run.Status, 1);
    EXPECT_NE(run.Output.find("fotolark-disc: Error: CAN'T CREATE FILE \"" + target + "\""), std::string::npos)
        << run.Output;
    EXPECT_TRUE(fs::is_empty(Temp));

    fs::remove(Albums.Folders.ImageDir + "b.jpg");
    run = Run(StandardArguments() + " --verbose");
    EXPECT_EQ(run.Status, 0) << run.Output;  // a photo whose file is missing is left out
    EXPECT_NE(run.Output.find("Adding c.jpg to CD layout"), std::string::npos) << run.Output;
}

TEST_F(FotolarkDiscTest, UsageAndHelp) {
    TCommandResult run = Run("");
    EXPECT_EQ(run.Status, 2);
    EXPECT_NE(run.Output.find("Usage: fotolark-disc --iso FILE"), std::string::npos) << run.Output;
    run = Run("--help");
    EXPECT_EQ(run.Status, 0);
    EXPECT_NE(run.Output.find("--album TITLE"), std::string::npos) << run.Output;
    EXPECT_NE(run.Output.find("--no-web         leave the web pages off the disc"), std::string::npos) << run.Output;
}

// An image file that would replace an album, a photo, a thumbnail or the viewer, or land in
// Albums/ or Images/, is refused before anything is written.
TEST_F(FotolarkDiscTest, NeverOverwritesAnInput) {
    const std::string photo = Albums.Folders.ImageDir + "b.jpg";
    const std::string album = Albums.Folders.AlbumDir + "album0.alb";
    const std::string albumBytes = ReadBytes(album);
    fs::create_symlink(Albums.Folders.ThumbDir + "c.jpg", Scratch.Path() + "/thumb-link.iso");
    const std::string base = " --base " + Quote(Scratch.Path() + "/base") + " --viewer " + Quote(Viewer);
    for (const std::string& target : {photo, album, Scratch.Path() + "/thumb-link.iso", Viewer,
                                      Albums.Folders.ImageDir + "new.iso", Albums.Folders.AlbumDir + "new.iso"}) {
        const TCommandResult run = Run("--iso " + Quote(target) + base);
        EXPECT_EQ(run.Status, 2) << target << ": " << run.Output;
        EXPECT_NE(run.Output.find("fotolark-disc: " + target + " is "), std::string::npos) << run.Output;
        EXPECT_NE(run.Output.find("the image file"), std::string::npos) << run.Output;
    }
    EXPECT_EQ(ReadBytes(photo), TAlbumFolder::ImageBytes("b.jpg"));
    EXPECT_EQ(ReadBytes(album), albumBytes);
    EXPECT_EQ(ReadBytes(Albums.Folders.ThumbDir + "c.jpg"), TAlbumFolder::ThumbBytes("c.jpg"));
    EXPECT_EQ(ReadBytes(Viewer), "MZ stand-in viewer");
    EXPECT_FALSE(fs::exists(Albums.Folders.ImageDir + "new.iso"));
    EXPECT_TRUE(fs::is_empty(Temp));
}

TEST_F(FotolarkDiscTest, TheViewerIsDioramaExeOnTheDiscWhateverItsFileIsCalled) {
    const std::string viewer = Scratch.Write("viewer-2.1.exe", "MZ another build");
    const TCommandResult run = Run("--iso " + Quote(Iso) + " --base " + Quote(Scratch.Path() + "/base") +
                                   " --viewer " + Quote(viewer));
    ASSERT_EQ(run.Status, 0) << run.Output;
    const std::string joliet = Extract("norock");
    EXPECT_EQ(ReadBytes(joliet + "Diorama.exe"), "MZ another build");
    EXPECT_FALSE(fs::exists(joliet + "viewer-2.1.exe"));
    EXPECT_EQ(ReadBytes(Extract("ecma119") + "DIORAMA.EXE"), "MZ another build");
}

// Photos the disc cannot hold are named on stderr, one line each and the count, without
// --verbose; the rest of the disc is written.
TEST_F(FotolarkDiscTest, LeftOutPhotosAreListedWithoutVerbose) {
    Albums.AddAlbum("Beach", 2, {"sea.jpg", "Sea.JPG", "lost.jpg"}, {"lost.jpg"});
    const TCommandResult run = Run(StandardArguments());
    ASSERT_EQ(run.Status, 0) << run.Output;
    const std::string images = Albums.Folders.ImageDir;
    const std::string thumbs = Albums.Folders.ThumbDir;
    for (const std::string& line :
         {"fotolark-disc: \\Images\\Sea.JPG: name differs only in letter case from sea.jpg (" + images + "Sea.JPG)\n",
          "fotolark-disc: \\Thumbs\\Sea.JPG: name differs only in letter case from sea.jpg (" + thumbs + "Sea.JPG)\n",
          "fotolark-disc: \\Images\\lost.jpg: missing (" + images + "lost.jpg)\n",
          "fotolark-disc: \\Thumbs\\lost.jpg: missing (" + thumbs + "lost.jpg)\n",
          std::string("fotolark-disc: 4 files were left out of the disc.\n")})
        EXPECT_NE(run.Output.find(line), std::string::npos) << line << run.Output;
    EXPECT_EQ(ReadBytes(Extract("norock") + "Images/sea.jpg"), TAlbumFolder::ImageBytes("sea.jpg"));

    // A disc that holds everything says nothing about left-out files.
    fs::remove(Albums.Folders.AlbumDir + "album2.alb");
    const TCommandResult whole = Run(StandardArguments());
    ASSERT_EQ(whole.Status, 0) << whole.Output;
    EXPECT_EQ(whole.Output.find("left out"), std::string::npos) << whole.Output;
}

TEST_F(FotolarkDiscTest, AMissingViewerIsReportedButTheDiscIsWritten) {
    const TCommandResult run = Run("--iso " + Quote(Iso) + " --base " + Quote(Scratch.Path() + "/base") +
                                   " --viewer " + Quote(Scratch.Path() + "/none.exe"));
    EXPECT_EQ(run.Status, 0) << run.Output;
    EXPECT_NE(run.Output.find("warning: the album viewer"), std::string::npos) << run.Output;
    EXPECT_FALSE(fs::exists(Extract("norock") + "Diorama.exe"));
}

} // namespace
