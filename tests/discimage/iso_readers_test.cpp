// Images written by the image-file job, read back with public ISO readers: every file, read
// from disk or held in memory, must come out with its bytes under its ISO 9660 name and under
// its Joliet name.
#include "disc_test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

namespace fs = std::filesystem;

namespace {

struct TSourceFile {
    std::string DiscDir;    // "\" or "\Images"
    std::string LocalName;  // also the Joliet name (with "." added when it has none)
    std::string IsoName;    // the expected ISO 9660 name
    std::string Bytes;
    bool InMemory = false;  // added with InsertData instead of from a local file
};

class IsoReadersTest : public ::testing::Test {
protected:
    TScratchDir Scratch;
    TMCDBurner Burner;
    std::vector<TSourceFile> Files;
    std::string Iso;

    void SetUp() override {
        Files = {
            {"\\", "autorun.inf", "AUTORUN.INF", "[autorun]\r\nopen=Diorama.exe\r\n"},
            {"\\", "Albums.dat", "ALBUMS.DAT", PatternBytes(5000, 1)},
            {"\\", "NOTES", "NOTES.", "no extension"},
            {"\\Images", "2004061200001.jpg", "200406~1.JPG", PatternBytes(200000, 2)},
            {"\\Images", "2004061200002.jpg", "200406~2.JPG", PatternBytes(63488, 3)},
            {"\\Images", "empty.jpg", "EMPTY.JPG", ""},
            {"\\Images", "Strand und Meer.jpeg", "STRAND~1.JPE", PatternBytes(3000, 4)},
            {"\\Thumbs", "2004061200001.jpg", "200406~1.JPG", PatternBytes(4097, 5)},
            {"\\Thumbs", "Grüße aus Köln.jpg", "GREAUS~1.JPG", PatternBytes(100, 6)},
            {"\\Web", "album-1.html", "ALBUM-~1.HTM", PatternBytes(2049, 7), true},
            {"\\Web", "big page.html", "BIGPAG~1.HTM", PatternBytes(70000, 8), true},
            {"\\Web", "empty.css", "EMPTY.CSS", "", true},
            {"\\", "index.html", "INDEX~1.HTM", "<!DOCTYPE html>", true},
        };
        for (const TSourceFile& file : Files) {
            Burner.CreateDirPath(file.DiscDir);
            if (file.InMemory) {
                ASSERT_EQ(Burner.InsertData(file.DiscDir, file.LocalName, std::make_shared<const std::string>(file.Bytes)), 1);
                continue;
            }
            const std::string local = Scratch.Write("src" + std::to_string(&file - Files.data()) + "/" + file.LocalName, file.Bytes);
            ASSERT_EQ(Burner.InsertFile(file.DiscDir, local, false), 1) << local;
        }
        Burner.IdVolume = "Summer 2004";
        Iso = Scratch.Path() + "/out.iso";
        ASSERT_EQ(WriteImage(Burner, Iso), "");
    }

    static std::string DiscToLocal(const std::string& discDir) {
        std::string path = discDir == "\\" ? "" : discDir.substr(1) + "/";
        for (char& c : path)
            if (c == '\\') c = '/';
        return path;
    }

    // Every file under `root`, named as `nameOf` says, must hold its bytes.
    void ExpectExtracted(const std::string& root, bool joliet) {
        for (const TSourceFile& file : Files) {
            std::string name = joliet ? file.LocalName : file.IsoName;
            if (joliet && name.find('.') == std::string::npos) name += '.';
            std::string dir = DiscToLocal(file.DiscDir);
            if (!joliet)
                for (char& c : dir) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
            std::string path = root + "/" + dir + name;
            // Some readers drop the dot that ends a name without extension (NOTES.).
            if (!fs::exists(path) && name.back() == '.') path.pop_back();
            ASSERT_TRUE(fs::exists(path)) << path;
            EXPECT_EQ(ReadBytes(path), file.Bytes) << path;
        }
    }
};

TEST_F(IsoReadersTest, XorrisoExtractsBothTreesByteForByte) {
    for (const char* fs : {"norock", "ecma119"}) {
        const std::string out = Scratch.Path() + "/xorriso-" + fs;
        const TCommandResult run = RunCommand("xorriso -abort_on FAILURE -osirrox on -read_fs " + std::string(fs) +
                                              " -indev " + Quote(Iso) + " -extract / " + Quote(out));
        ASSERT_EQ(run.Status, 0) << run.Output;
        EXPECT_EQ(run.Output.find("WARNING"), std::string::npos) << run.Output;
        ExpectExtracted(out, std::string(fs) == "norock");
    }
}

TEST_F(IsoReadersTest, BsdtarExtractsBothTreesByteForByte) {
    const std::string joliet = Scratch.Path() + "/bsdtar-joliet";
    const std::string iso = Scratch.Path() + "/bsdtar-iso";
    fs::create_directories(joliet);
    fs::create_directories(iso);
    TCommandResult run = RunCommand("bsdtar -x -f " + Quote(Iso) + " -C " + Quote(joliet));
    ASSERT_EQ(run.Status, 0) << run.Output;
    ExpectExtracted(joliet, true);
    run = RunCommand("bsdtar -x --options iso9660:!joliet -f " + Quote(Iso) + " -C " + Quote(iso));
    ASSERT_EQ(run.Status, 0) << run.Output;
    ExpectExtracted(iso, false);
}

TEST_F(IsoReadersTest, IsoinfoListsDescriptorsTreesAndPathTable) {
    TCommandResult run = RunCommand("isoinfo -d -i " + Quote(Iso));
    ASSERT_EQ(run.Status, 0) << run.Output;
    EXPECT_NE(run.Output.find("Volume id: Summer 2004"), std::string::npos) << run.Output;
    EXPECT_NE(run.Output.find("Joliet with UCS level 1 found"), std::string::npos) << run.Output;

    run = RunCommand("isoinfo -l -i " + Quote(Iso));
    ASSERT_EQ(run.Status, 0) << run.Output;
    EXPECT_NE(run.Output.find("Directory listing of /IMAGES/"), std::string::npos) << run.Output;
    EXPECT_NE(run.Output.find("200406~2.JPG;1"), std::string::npos) << run.Output;

    run = RunCommand("isoinfo -J -l -i " + Quote(Iso));
    ASSERT_EQ(run.Status, 0) << run.Output;
    EXPECT_NE(run.Output.find("Strand und Meer.jpeg"), std::string::npos) << run.Output;
    // isoinfo prints Joliet names in ISO 8859-1.
    EXPECT_NE(run.Output.find("Gr\xFC\xDF" "e aus K\xF6ln.jpg;1"), std::string::npos) << run.Output;

    run = RunCommand("isoinfo -p -i " + Quote(Iso));
    ASSERT_EQ(run.Status, 0) << run.Output;
    EXPECT_NE(run.Output.find("2:    1 19 IMAGES"), std::string::npos) << run.Output;
    EXPECT_NE(run.Output.find("3:    1 1a THUMBS"), std::string::npos) << run.Output;
}

TEST_F(IsoReadersTest, SevenZipTestsTheImage) {
    const TCommandResult run = RunCommand("7z t " + Quote(Iso));
    ASSERT_EQ(run.Status, 0) << run.Output;
    EXPECT_NE(run.Output.find("Everything is Ok"), std::string::npos) << run.Output;
    EXPECT_EQ(run.Output.find("WARNING"), std::string::npos) << run.Output;
}

// Names with a character beyond 16 bits or a control character list like any other.
TEST(JolietNamesTest, ReadersListNamesWithoutSurrogatesOrControls) {
    TScratchDir scratch;
    TMCDBurner burner;
    burner.InsertFile("\\", scratch.Write("sun😀.jpg", "s"), false);
    burner.InsertFile("\\", scratch.Write("line\nbreak.jpg", "l"), false);
    const std::string iso = scratch.Path() + "/names.iso";
    ASSERT_EQ(WriteImage(burner, iso), "");
    const TCommandResult list = RunCommand("bsdtar -tf " + Quote(iso));
    EXPECT_EQ(list.Status, 0) << list.Output;
    EXPECT_NE(list.Output.find("sun_.jpg\nline_break.jpg"), std::string::npos) << list.Output;
    const TCommandResult joliet = RunCommand("xorriso -indev " + Quote(iso) + " -find / -type f");
    EXPECT_EQ(joliet.Status, 0) << joliet.Output;
    EXPECT_NE(joliet.Output.find("'/sun_.jpg'"), std::string::npos) << joliet.Output;
    EXPECT_NE(joliet.Output.find("'/line_break.jpg'"), std::string::npos) << joliet.Output;
}

} // namespace
