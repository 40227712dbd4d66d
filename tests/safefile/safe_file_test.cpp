// Replacing files: exclusive temporary files, the replaced file's permissions, failures that
// leave the target as it was, and keeping a copy that never replaces anything.
#include "safe_file.h"

#include "child_process.h"
#include "temporary_names.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

class SafeFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        Folder = fs::temp_directory_path() / ("fotolark-safefile-" + std::to_string(getpid()) + "-" +
                                              ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(Folder);
        fs::create_directories(Folder);
    }
    void TearDown() override { fs::remove_all(Folder); }

    std::string PathOf(const std::string& name) const { return (Folder / name).string(); }
    void WriteText(const std::string& name, const std::string& text) const {
        std::ofstream(PathOf(name), std::ios::binary) << text;
    }
    std::string ReadText(const std::string& name) const {
        std::ostringstream text;
        text << std::ifstream(PathOf(name), std::ios::binary).rdbuf();
        return text.str();
    }
    int Replace(const std::string& name, const std::string& text) const {
        return ReplaceFileContents(PathOf(name), text.data(), text.size());
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(Folder)) names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    mode_t ModeOf(const std::string& name) const {
        struct stat info {};
        EXPECT_EQ(stat(PathOf(name).c_str(), &info), 0);
        return info.st_mode & 07777;
    }

    fs::path Folder;
};

TEST_F(SafeFileTest, ReplacesTheContentAndLeavesNothingElse) {
    WriteText("photo.jpg", "old and longer");
    EXPECT_EQ(Replace("photo.jpg", "new"), 0);
    EXPECT_EQ(ReadText("photo.jpg"), "new");
    EXPECT_EQ(Names(), std::vector<std::string>{"photo.jpg"});
}

TEST_F(SafeFileTest, TheReplacementKeepsThePermissionsOfTheReplacedFile) {
    for (const mode_t mode : {0600, 0640, 0664, 0444}) {
        SCOPED_TRACE(mode);
        WriteText("album.alb", "old");
        ASSERT_EQ(chmod(PathOf("album.alb").c_str(), mode), 0);
        EXPECT_EQ(Replace("album.alb", "new"), 0);
        EXPECT_EQ(ModeOf("album.alb"), mode);
    }
}

TEST_F(SafeFileTest, ANewFileGetsThePermissionsTheUmaskAllows) {
    const mode_t previous = umask(027);
    const int error = Replace("new.alb", "bytes");
    umask(previous);
    EXPECT_EQ(error, 0);
    EXPECT_EQ(ModeOf("new.alb"), 0640u);
}

// A link planted at the target is replaced as a name; the file it points to is not touched.
TEST_F(SafeFileTest, ALinkAtTheTargetIsReplacedNotWrittenThrough) {
    WriteText("victim", "precious");
    fs::create_symlink(PathOf("victim"), PathOf("album.alb"));
    EXPECT_EQ(Replace("album.alb", "album"), 0);
    EXPECT_EQ(ReadText("victim"), "precious");
    EXPECT_FALSE(fs::is_symlink(PathOf("album.alb")));
    EXPECT_EQ(ReadText("album.alb"), "album");
}

TEST_F(SafeFileTest, AFullDiskLeavesTheTargetAsItWasAndNoTemporaryFile) {
    WriteText("album.alb", "the old album");
    const std::string big(64 * 1024, 'x');
    EXPECT_TRUE(RunInLimitedChild(RLIMIT_FSIZE, 4096, [&] { return Replace("album.alb", big) == EFBIG; }));
    EXPECT_EQ(ReadText("album.alb"), "the old album");
    EXPECT_EQ(Names(), std::vector<std::string>{"album.alb"});
}

TEST_F(SafeFileTest, FailuresTellWhyAndChangeNothing) {
    fs::create_directory(Folder / "folder");
    EXPECT_EQ(Replace("folder", "x"), EISDIR);
    EXPECT_EQ(Replace("missing/file", "x"), ENOENT);
    EXPECT_EQ(Names(), std::vector<std::string>{"folder"});
}

TEST_F(SafeFileTest, AnUncommittedFileIsRemovedAndTheTargetKept) {
    WriteText("image.iso", "earlier image");
    {
        TSafeFile file(PathOf("image.iso"));
        ASSERT_TRUE(file.Open());
        ASSERT_TRUE(file.Write("half", 4));
        const fs::path temporary = file.TemporaryPath();
        EXPECT_EQ(temporary.parent_path(), Folder);
        long pid = 0;
        EXPECT_TRUE(IsTemporaryName(temporary.filename().string(), pid));
        EXPECT_EQ(pid, getpid());
        EXPECT_EQ(Names().size(), 2u);
    }
    EXPECT_EQ(ReadText("image.iso"), "earlier image");
    EXPECT_EQ(Names(), std::vector<std::string>{"image.iso"});
}

TEST_F(SafeFileTest, EveryTemporaryFileHasANameOfItsOwn) {
    TSafeFile first(PathOf("a")), second(PathOf("a"));
    ASSERT_TRUE(first.Open());
    ASSERT_TRUE(second.Open());
    EXPECT_NE(first.TemporaryPath(), second.TemporaryPath());
}

// A photo copied into the image folder under a name where a dangling link was planted: the
// copy takes the name, and nothing appears where the link pointed.
TEST_F(SafeFileTest, ACopyReplacesTheTargetAndNeverWritesThroughALink) {
    WriteText("source.jpg", "picture bytes");
    fs::create_symlink(PathOf("elsewhere"), PathOf("20261210-00001.jpg"));
    EXPECT_EQ(CopyFileContents(PathOf("source.jpg"), PathOf("20261210-00001.jpg")), 0);
    EXPECT_EQ(ReadText("20261210-00001.jpg"), "picture bytes");
    EXPECT_FALSE(fs::exists(PathOf("elsewhere")));

    EXPECT_EQ(CopyFileContents(PathOf("missing.jpg"), PathOf("20261210-00001.jpg")), ENOENT);
    EXPECT_EQ(ReadText("20261210-00001.jpg"), "picture bytes");
    EXPECT_EQ(Names(), (std::vector<std::string>{"20261210-00001.jpg", "source.jpg"}));
}

TEST_F(SafeFileTest, APreservedFileKeepsItsBytesAndNeverReplacesAnything) {
    WriteText("album.alb", "damaged bytes");
    WriteText("taken", "someone else's");
    EXPECT_EQ(PreserveFileAs(PathOf("album.alb"), PathOf("album.alb.damaged")), 0);
    EXPECT_EQ(Replace("album.alb", "rewritten"), 0);
    EXPECT_EQ(ReadText("album.alb.damaged"), "damaged bytes");

    EXPECT_EQ(PreserveFileAs(PathOf("album.alb"), PathOf("taken")), EEXIST);
    EXPECT_EQ(ReadText("taken"), "someone else's");
    EXPECT_EQ(PreserveFileAs(PathOf("missing"), PathOf("copy")), ENOENT);
    EXPECT_FALSE(fs::exists(PathOf("copy")));
}

} // namespace
