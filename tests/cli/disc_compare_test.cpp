// fotolark-disc --compare: a disc or image file checked against the albums it was made from.
#include "album_folder.h"
#include "disc_options.h"
#include "disc_tool_fixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

TEST(CompareOptionsTest, CompareStandsAlone) {
    TDiscOptions options;
    std::string error;
    ASSERT_TRUE(ParseDiscOptions({"--compare", "/dev/sr0", "--base", "/photos"}, options, error)) << error;
    EXPECT_EQ(options.Compare, "/dev/sr0");
    for (const std::vector<std::string>& args : {std::vector<std::string>{"--compare", "D", "--iso", "a.iso"},
                                                 {"--compare", "a.iso", "--drive", "E"}}) {
        EXPECT_FALSE(ParseDiscOptions(args, options, error));
        EXPECT_EQ(error, "--compare cannot be combined with --iso, --drive or --test-write");
    }
}

class DiscCompareTest : public TDiscToolFixture {
protected:
    std::string Base = Scratch.Path() + "/base";

    void SetUp() override {
        TDiscToolFixture::SetUp();
        const TCommandResult made = RunCommand("TMPDIR=" + Quote(Temp) + " " + Quote(FOTOLARK_DISC) + " --iso " +
                                               Quote(Iso) + " --no-verify --base " + Quote(Base) + " --viewer " +
                                               Quote(Viewer));
        ASSERT_EQ(made.Status, 0) << made.Output;
    }

    TCommandResult Compare(const std::string& target, const std::string& prefix = "") {
        return RunCommand(prefix + Quote(FOTOLARK_DISC) + " --compare " + Quote(target) + " --base " + Quote(Base));
    }
    static void ExpectLine(const TCommandResult& run, const std::string& line) {
        EXPECT_NE(run.Output.find(line + "\n"), std::string::npos) << run.Output;
    }

    // Little-endian and big-endian copies of a 32-bit field of a directory record.
    static void Patch32(std::string& image, size_t at, uint32_t value) {
        for (int i = 0; i < 4; ++i) {
            image[at + i] = static_cast<char>(value >> (8 * i));
            image[at + 7 - i] = static_cast<char>(value >> (8 * i));
        }
    }
    // The offset in `image` of the record named `name` in the Joliet root directory.
    static size_t JolietRootRecord(const std::string& image, const std::string& name) {
        size_t descriptor = 16 * 2048;
        while (image[descriptor] != 2) descriptor += 2048;
        const size_t root = size_t(Little32(image, descriptor + 156 + 2)) * 2048;
        std::string units;
        for (char c : name) units += std::string{'\0', c};
        for (size_t at = root; image[at] != 0; at += static_cast<unsigned char>(image[at]))
            if (image.compare(at + 33, units.size(), units) == 0 && size_t(image[at + 32]) >= units.size()) return at;
        ADD_FAILURE() << name << " not found";
        return root;
    }
};

TEST_F(DiscCompareTest, AnImageMadeFromTheAlbumsMatchesThemUntilTheyChange) {
    TCommandResult run = Compare(Iso);
    EXPECT_EQ(run.Status, 0) << run.Output;
    ExpectLine(run, "Album \"Holidays\"");
    ExpectLine(run, "  3 photos on the disc and equal");
    ExpectLine(run, "Album \"Garden\"");
    ExpectLine(run, "Every photo on the disc matches the albums.");

    // One photo changed, one deleted from its album, one added to an album after the disc.
    std::ofstream(Albums.Folders.ImageDir + "c.jpg", std::ios::binary) << "changed";
    Albums.AddAlbum("Holidays", 0, {"2004061200001.jpg", "b.jpg", "new.jpg"});
    run = Compare(Iso);
    EXPECT_EQ(run.Status, 1) << run.Output;
    ExpectLine(run, "  different: c.jpg (the image differs)");
    ExpectLine(run, "  missing from the albums: 2004061200002.jpg");
    ExpectLine(run, "  missing from the disc: new.jpg");
    ExpectLine(run, "The disc differs from the albums.");
}

TEST_F(DiscCompareTest, AnImageOfAnotherMakerAndTheDiscInADriveAreReadToo) {
    const std::string tree = ExtractTree(Iso, "norock", "tree");
    const std::string other = Scratch.Path() + "/other.iso";
    TCommandResult made = RunCommand("xorriso -as mkisofs -J -o " + Quote(other) + " " + Quote(tree));
    ASSERT_EQ(made.Status, 0) << made.Output;
    TCommandResult run = Compare(other);
    EXPECT_EQ(run.Status, 0) << run.Output;
    ExpectLine(run, "Every photo on the disc matches the albums.");

    for (const auto& node : fs::directory_iterator("/dev"))
        if (node.path().filename().string().rfind("sr", 0) == 0)
            GTEST_SKIP() << "this machine has a real CD/DVD drive, which the tool would prefer";
    const std::string drive = "LD_LIBRARY_PATH=" + Quote(VIRTUAL_RECORDER_DIR) + " VREC_DRIVES=" +
                              Quote("letter=D,content=" + Iso) + " ";
    run = Compare("D", drive);
    EXPECT_EQ(run.Status, 0) << run.Output;
    ExpectLine(run, "Every photo on the disc matches the albums.");
    // A block of a photo the drive cannot read is retried, then reported.
    const std::string image = ReadBytes(Iso);
    const size_t record = JolietRootRecord(image, "Albums.dat");
    const uint32_t catalogue = Little32(image, record + 2);
    const std::string faulty = "LD_LIBRARY_PATH=" + Quote(VIRTUAL_RECORDER_DIR) + " VREC_DRIVES=" +
                               Quote("letter=D,content=" + Iso + ",readerror=" + std::to_string(catalogue)) + " ";
    run = Compare("D", faulty);
    EXPECT_EQ(run.Status, 1) << run.Output;
    EXPECT_NE(run.Output.find("the disc's Albums.dat cannot be read"), std::string::npos) << run.Output;
}

// Without Joliet a disc has only its ISO 9660 names: upper-case, and cut to 8.3 at level 1, so
// that a photo with a longer name is not found there.
TEST_F(DiscCompareTest, AnImageWithoutJolietIsReadByItsIsoNames) {
    const std::string tree = ExtractTree(Iso, "norock", "tree");
    const struct {
        const char* Level;
        int Status;
        std::vector<std::string> Lines;
    } cases[] = {
        {"4", 0, {"  3 photos on the disc and equal", "Every photo on the disc matches the albums."}},
        {"1", 1, {"  missing from the disc: 2004061200001.jpg (the image is not on the disc)",
                  "  1 photo on the disc and equal", "  2 photos on the disc and equal", "The disc differs from the albums."}},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(std::string("ISO level ") + test.Level);
        const std::string other = Scratch.Path() + "/iso-level-" + test.Level + ".iso";
        TCommandResult made = RunCommand(std::string("xorriso -as mkisofs -iso-level ") + test.Level + " -o " +
                                         Quote(other) + " " + Quote(tree) + " 2>&1");
        ASSERT_EQ(made.Status, 0) << made.Output;
        TCommandResult run = Compare(other);
        EXPECT_EQ(run.Status, test.Status) << run.Output;
        for (const std::string& line : test.Lines) ExpectLine(run, line);
    }
}

TEST_F(DiscCompareTest, ADamagedVolumeGetsAMessage) {
    const std::string good = ReadBytes(Iso);
    const size_t images = JolietRootRecord(good, "Images");
    const size_t albums = JolietRootRecord(good, "Albums.dat");
    size_t descriptor = 16 * 2048;
    while (good[descriptor] != 2) descriptor += 2048;
    const uint32_t root = Little32(good, descriptor + 156 + 2);
    const struct {
        const char* Name;
        size_t Field;
        uint32_t Value;
        const char* Message;
    } cases[] = {
        {"a directory that loops", images + 2, root, "the directory \\Images loops back to a directory read before"},
        {"a huge directory", images + 10, 0xFFFFF000u, "the directory \\Images is too large to be real"},
        {"a directory past the end", images + 2, 0x7FFFFFF0u, "the directory \\Images lies past the end of the volume"},
        {"a file past the end", albums + 2, 0x7FFFFFF0u,
         "the disc's Albums.dat cannot be read: it lies past the end of the volume"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        std::string bad = good;
        Patch32(bad, c.Field, c.Value);
        const std::string path = Scratch.Write("bad.iso", bad);
        const TCommandResult run = Compare(path);
        EXPECT_EQ(run.Status, 1) << run.Output;
        EXPECT_NE(run.Output.find(c.Message), std::string::npos) << run.Output;
    }
    const TCommandResult run = Compare(Scratch.Write("short.iso", good.substr(0, 40000)));
    EXPECT_EQ(run.Status, 1) << run.Output;
    EXPECT_NE(run.Output.find("can't read the disc: "), std::string::npos) << run.Output;
}

} // namespace
