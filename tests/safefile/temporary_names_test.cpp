// Our temporary file names, and the removal of those whose process has ended.
#include "temporary_names.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// The id of a process that has certainly ended: a child that exited and was reaped.
long EndedProcess() {
    const pid_t child = fork();
    if (child == 0) _exit(0);
    int status = 0;
    waitpid(child, &status, 0);
    return child;
}

TEST(TemporaryNames, NewNamesFollowThePatternAndNameThisProcess) {
    const std::string name = NewTemporaryName();
    long pid = 0;
    ASSERT_TRUE(IsTemporaryName(name, pid)) << name;
    EXPECT_EQ(pid, getpid());
    EXPECT_EQ(name.front(), '.');
    EXPECT_NE(NewTemporaryName(), name);
}

TEST(TemporaryNames, OnlyOurPatternIsRecognised) {
    struct TCase {
        const char* Name;
        bool Ours;
    };
    const TCase cases[] = {
        {".fotolark-123-0123456789abcdef.tmp", true},
        {".fotolark-123-0123456789abcde.tmp", false},    // too few digits
        {".fotolark-123-0123456789ABCDEF.tmp", false},   // not our digits
        {".fotolark--0123456789abcdef.tmp", false},      // no process
        {".fotolark-12a-0123456789abcdef.tmp", false},
        {".fotolark-1234567890-0123456789abcdef.tmp", false},  // beyond any process id
        {"fotolark-123-0123456789abcdef.tmp", false},
        {".fotolark-123-0123456789abcdef.tmp.jpg", false},
        {"20261210-00001.jpg", false},
        {"album.alb.tmp", false},
    };
    for (const TCase& c : cases) {
        long pid = 0;
        EXPECT_EQ(IsTemporaryName(c.Name, pid), c.Ours) << c.Name;
    }
}

TEST(TemporaryNames, OnlyFilesOfEndedProcessesAreRemoved) {
    const fs::path folder = fs::temp_directory_path() / ("fotolark-stale-" + std::to_string(getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    const std::string ended = ".fotolark-" + std::to_string(EndedProcess()) + "-00000000000000aa.tmp";
    const std::string running = ".fotolark-" + std::to_string(getpid()) + "-00000000000000bb.tmp";
    const std::string endedFolder = ".fotolark-" + std::to_string(EndedProcess()) + "-00000000000000cc.tmp";
    for (const std::string& name : {ended, running, std::string("photo.jpg")})
        std::ofstream(folder / name) << "x";
    fs::create_directory(folder / endedFolder);

    EXPECT_EQ(RemoveStaleTemporaryFiles(folder.string() + "/"), 1);
    EXPECT_FALSE(fs::exists(folder / ended));
    EXPECT_TRUE(fs::exists(folder / running));
    EXPECT_TRUE(fs::exists(folder / "photo.jpg"));
    EXPECT_TRUE(fs::exists(folder / endedFolder));
    EXPECT_EQ(RemoveStaleTemporaryFiles((folder / "missing").string()), 0);
    fs::remove_all(folder);
}

} // namespace
