// Album files on disk: discovery, loading under the real file name, safe saving.
#include "album_records.h"

#include "child_process.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

class AlbumFiles : public ::testing::Test {
protected:
    void SetUp() override {
        folder = fs::temp_directory_path() / ("fotolark-albums-" + std::to_string(::getpid()) + "-" +
                                               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }

    std::string PathOf(const std::string& name) const { return (folder / name).string(); }
    void WriteFile(const std::string& name, const std::string& bytes) const {
        std::ofstream(PathOf(name), std::ios::binary) << bytes;
    }
    std::string ReadFile(const std::string& name) const {
        std::ostringstream bytes;
        bytes << std::ifstream(PathOf(name), std::ios::binary).rdbuf();
        return bytes.str();
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    void WriteAlbum(const std::string& name, const std::string& title, int32_t position,
                    const std::string& storedFile = "stored.alb") {
        TAlbum album;
        album.Title = title;
        album.Position = position;
        album.AlbumFile = storedFile;
        ASSERT_TRUE(album.SaveToFile(PathOf(name)));
    }

    fs::path folder;
};

std::vector<std::string> Titles(const TAlbumList& albums) {
    std::vector<std::string> titles;
    for (const auto& album : albums) titles.push_back(album->Title);
    return titles;
}

} // namespace

TEST_F(AlbumFiles, FindsOnlyRegularAlbumFilesSortedByPosition) {
    WriteAlbum("b.alb", "Second", 1);
    WriteAlbum("a.alb", "Third", 2);
    WriteAlbum("c.ALB", "First", 0);
    WriteAlbum("notes.txt", "Not an album", -1);
    fs::create_directory(folder / "dir.alb");

    const TAlbumList albums = FindAlbums(folder.string() + "/");
    EXPECT_EQ(Titles(albums), (std::vector<std::string>{"First", "Second", "Third"}));
    EXPECT_EQ(FindAlbums(folder.string()).size(), 3u) << "folder without trailing slash";
}

TEST_F(AlbumFiles, EqualPositionsAreBothListed) {
    WriteAlbum("a.alb", "A", 1);
    WriteAlbum("b.alb", "B", 1);
    const TAlbumList albums = FindAlbums(folder.string());
    ASSERT_EQ(albums.size(), 2u);
    EXPECT_NE(albums[0]->Title, albums[1]->Title);
}

TEST_F(AlbumFiles, EmptyOrMissingFolderGivesNothing) {
    EXPECT_TRUE(FindAlbums(folder.string()).empty());
    EXPECT_TRUE(FindAlbums((folder / "missing").string()).empty());
}

TEST_F(AlbumFiles, AlbumIsListedUnderItsActualFileName) {
    WriteAlbum("20260101000000.alb", "Renamed", 0, "20250505050505.alb");
    const TAlbumList albums = FindAlbums(folder.string());
    ASSERT_EQ(albums.size(), 1u);
    EXPECT_EQ(albums[0]->AlbumFile, "20260101000000.alb");
}

TEST_F(AlbumFiles, DamagedAlbumStaysListedWithWhatCouldBeRead) {
    std::ofstream(PathOf("broken.alb"), std::ios::binary) << std::string("\x04\0\0\0Tr", 6);
    std::ofstream(PathOf("empty.alb"), std::ios::binary);
    const TAlbumList albums = FindAlbums(folder.string());
    ASSERT_EQ(albums.size(), 2u);
    for (const auto& album : albums) {
        EXPECT_TRUE(album->AlbumFile == "broken.alb" || album->AlbumFile == "empty.alb");
        EXPECT_EQ(album->Project.PhotoCount(), 0);
    }
}

TEST_F(AlbumFiles, LoadingAMissingFileLeavesTheAlbumEmpty) {
    auto album = TAlbum::CreateFromFile(PathOf("gone.alb"));
    EXPECT_EQ(album->Title, "");
    EXPECT_EQ(album->AlbumFile, "gone.alb");
}

TEST_F(AlbumFiles, FailedSaveKeepsThePreviousFileAndTellsWhy) {
    WriteAlbum("keep.alb", "Original", 0);
    TAlbum changed;
    changed.Title = std::string(64 * 1024, 'C');  // more than the full disk takes
    std::string reason;
    EXPECT_TRUE(RunInLimitedChild(RLIMIT_FSIZE, 4096, [&] {
        return !changed.SaveToFile(PathOf("keep.alb"), &reason) && reason == std::strerror(EFBIG);
    }));
    EXPECT_EQ(TAlbum::CreateFromFile(PathOf("keep.alb"))->Title, "Original");
    EXPECT_EQ(Names(), std::vector<std::string>{"keep.alb"});

    EXPECT_FALSE(changed.SaveToFile(PathOf("no/such/folder.alb"), &reason));
    EXPECT_EQ(reason, std::strerror(ENOENT));
}

// A link planted where the save once put its temporary file is never written through, and a
// private album stays private.
TEST_F(AlbumFiles, SaveCannotBeRedirectedAndKeepsThePermissions) {
    WriteAlbum("x.alb", "Old", 0);
    ASSERT_EQ(chmod(PathOf("x.alb").c_str(), 0600), 0);
    WriteFile("victim", "precious");
    fs::create_symlink(PathOf("victim"), PathOf("x.alb.tmp"));
    WriteAlbum("x.alb", "New", 0);
    EXPECT_EQ(ReadFile("victim"), "precious");
    EXPECT_EQ(TAlbum::CreateFromFile(PathOf("x.alb"))->Title, "New");
    EXPECT_EQ(fs::status(PathOf("x.alb")).permissions(), fs::perms::owner_read | fs::perms::owner_write);
}

TEST_F(AlbumFiles, SaveReplacesTheFileAndLeavesNoTemporary) {
    WriteAlbum("x.alb", "Old", 0);
    WriteAlbum("x.alb", "New", 0);
    EXPECT_EQ(TAlbum::CreateFromFile(PathOf("x.alb"))->Title, "New");
    EXPECT_EQ(Names(), std::vector<std::string>{"x.alb"});
}

// An album whose reading stopped early: cut in its second photo, or followed by bytes that
// belong to no album.
class DamagedAlbumFile : public AlbumFiles, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override {
        AlbumFiles::SetUp();
        TAlbum album;
        album.Title = "Trip";
        album.AlbumFile = "trip.alb";
        album.AddPhoto(NewPhoto("a.jpg"));
        album.AddPhoto(NewPhoto("b.jpg"));
        const std::string whole = album.ToBytes();
        Original = GetParam() ? whole.substr(0, whole.size() - 5) : whole + "rest";
        WriteFile("trip.alb", Original);
    }
    static TPhoto* NewPhoto(const std::string& file) {
        auto* photo = new TPhoto;
        photo->FileName = file;
        photo->SetNotes({"a note long enough to be cut"});
        return photo;
    }

    std::string Original;
};

TEST_P(DamagedAlbumFile, IsNotRewrittenWhileUnchanged) {
    auto album = TAlbum::CreateFromFile(PathOf("trip.alb"));
    EXPECT_TRUE(album->ReadDamaged());
    EXPECT_EQ(album->Project.PhotoCount(), GetParam() ? 1 : 2);
    album->Position = 7;  // saving numbers the albums anew; that is no change of this one
    EXPECT_TRUE(album->SaveToFile(PathOf("trip.alb")));
    EXPECT_EQ(ReadFile("trip.alb"), Original);
    EXPECT_EQ(Names(), std::vector<std::string>{"trip.alb"});
}

TEST_P(DamagedAlbumFile, ItsFirstRewriteKeepsTheOriginalBesideIt) {
    auto album = TAlbum::CreateFromFile(PathOf("trip.alb"));
    album->Title = "Trip, renamed";
    ASSERT_TRUE(album->SaveToFile(PathOf("trip.alb")));
    EXPECT_EQ(ReadFile("trip.alb.damaged"), Original);
    EXPECT_EQ(TAlbum::CreateFromFile(PathOf("trip.alb"))->Title, "Trip, renamed");
    EXPECT_FALSE(album->ReadDamaged());

    album->Title = "Trip, again";  // the file is sound now: no second copy
    ASSERT_TRUE(album->SaveToFile(PathOf("trip.alb")));
    EXPECT_EQ(Names(), (std::vector<std::string>{"trip.alb", "trip.alb.damaged"}));
}

TEST_P(DamagedAlbumFile, AnEarlierCopyIsNeverOverwritten) {
    WriteFile("trip.alb.damaged", "an earlier damage");
    auto album = TAlbum::CreateFromFile(PathOf("trip.alb"));
    album->Title = "Changed";
    ASSERT_TRUE(album->SaveToFile(PathOf("trip.alb")));
    EXPECT_EQ(ReadFile("trip.alb.damaged"), "an earlier damage");
    EXPECT_EQ(ReadFile("trip.alb.damaged.2"), Original);
}

INSTANTIATE_TEST_SUITE_P(CutOrWithTrailingBytes, DamagedAlbumFile, ::testing::Bool());

TEST_F(AlbumFiles, ASoundAlbumIsNotDamagedAndLeavesNoCopy) {
    WriteAlbum("sound.alb", "Sound", 0);
    auto album = TAlbum::CreateFromFile(PathOf("sound.alb"));
    EXPECT_FALSE(album->ReadDamaged());
    ASSERT_TRUE(album->SaveToFile(PathOf("sound.alb")));
    EXPECT_EQ(Names(), std::vector<std::string>{"sound.alb"});
}

// A huge album file is read no further than the limit: in a child with far less memory than
// the file's size, it loads with what its first bytes hold and counts as damaged.
TEST_F(AlbumFiles, AnAlbumFileBeyondTheLimitIsDamagedAndNotReadWhole) {
    WriteAlbum("huge.alb", "Huge", 0);
    constexpr uintmax_t kHugeSize = uintmax_t(1) << 30;
    fs::resize_file(PathOf("huge.alb"), kHugeSize);  // sparse: takes no room on the disk
    const rlim_t memory = AddressSpaceInUse() + 3 * TAlbum::kMaxAlbumFileSize;
    ASSERT_LT(memory, kHugeSize);
    EXPECT_TRUE(RunInLimitedChild(RLIMIT_AS, memory, [&] {
        auto album = TAlbum::CreateFromFile(PathOf("huge.alb"));
        return album->Title == "Huge" && album->ReadDamaged() && album->SaveToFile(PathOf("huge.alb"));
    }));
    EXPECT_EQ(fs::file_size(PathOf("huge.alb")), kHugeSize) << "saved unchanged: not rewritten";
}

// The limit itself: an album of exactly kMaxAlbumFileSize bytes is read whole, one byte more
// is cut at the limit (here in its reserved text, before its photo).
TEST_F(AlbumFiles, TheLimitIsTheLargestAlbumFileReadWhole) {
    TAlbum album;
    album.Title = "Big";
    album.AddPhoto(new TPhoto);
    const int64_t frame = static_cast<int64_t>(album.ToBytes().size());
    for (const int64_t extra : {0, 1}) {
        SCOPED_TRACE(extra);
        album.ReservedText.assign(static_cast<size_t>(TAlbum::kMaxAlbumFileSize - frame + extra), 'r');
        WriteFile("big.alb", album.ToBytes());
        ASSERT_EQ(static_cast<int64_t>(fs::file_size(PathOf("big.alb"))), TAlbum::kMaxAlbumFileSize + extra);
        TAlbum read;
        read.LoadFromFile(PathOf("big.alb"));
        EXPECT_EQ(read.Title, "Big");
        EXPECT_EQ(read.ReadDamaged(), extra != 0);
        EXPECT_EQ(read.Project.PhotoCount(), extra == 0 ? 1 : 0);
    }
}
