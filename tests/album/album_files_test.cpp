// Album files on disk: discovery, loading under the real file name, safe saving.
#include "album_records.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

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
    fs::create_directory(folder / "keep.alb.tmp");  // the temporary file cannot be created

    TAlbum changed;
    changed.Title = "Changed";
    std::string reason;
    EXPECT_FALSE(changed.SaveToFile(PathOf("keep.alb"), &reason));
    EXPECT_FALSE(reason.empty());
    EXPECT_EQ(TAlbum::CreateFromFile(PathOf("keep.alb"))->Title, "Original");

    EXPECT_FALSE(changed.SaveToFile(PathOf("no/such/folder.alb"), &reason));
}

TEST_F(AlbumFiles, SaveReplacesTheFileAndLeavesNoTemporary) {
    WriteAlbum("x.alb", "Old", 0);
    WriteAlbum("x.alb", "New", 0);
    EXPECT_EQ(TAlbum::CreateFromFile(PathOf("x.alb"))->Title, "New");
    EXPECT_FALSE(fs::exists(folder / "x.alb.tmp"));
}
