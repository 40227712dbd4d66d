// Removing photos and albums with their files, and moving or copying photos.
#include "ui_fixture.h"

#include "album_nodes.h"

#include <fstream>

namespace fs = std::filesystem;

class RemoveMoveTest : public MainFormTest {
protected:
    TMainForm& OpenWithFiles() {
        WriteAlbum("a.alb", "Trip", 0, {"Beach", "Dunes"});
        WriteAlbum("b.alb", "Home", 1, {"Garden"});
        WriteAlbum("c.alb", "Work", 2);
        for (const char* name : {"Beach.jpg", "Dunes.jpg", "Garden.jpg"}) {
            std::ofstream(Folders.ImageDir + name) << "image " << name;
            std::ofstream(Folders.ThumbDir + name) << "thumb " << name;
        }
        return Open();
    }
    static QTreeWidgetItem* Node(TMainForm& window, int album, int photo = -1) {
        QTreeWidgetItem* node = window.FAlbumTree->topLevelItem(album);
        return photo < 0 ? node : node->child(photo);
    }
    bool Exists(const std::string& path) const { return fs::exists(path); }
};

TEST_F(RemoveMoveTest, RemovingAPhotoKeepsItsImageUnlessAskedAndAlwaysDropsTheThumbnail) {
    TMainForm& window = OpenWithFiles();
    window.SelectNode(Node(window, 0, 0));
    window.TreeDeleteClick();  // cancelled
    EXPECT_EQ(Node(window, 0)->childCount(), 2);
    EXPECT_TRUE(Exists(Folders.ThumbDir + "Beach.jpg"));

    Prompts->Answers = {mrYes};
    window.TreeDeleteClick();
    EXPECT_EQ(Node(window, 0)->childCount(), 1);
    EXPECT_TRUE(Exists(Folders.ImageDir + "Beach.jpg"));
    EXPECT_FALSE(Exists(Folders.ThumbDir + "Beach.jpg"));
    EXPECT_TRUE(window.FAlbumsModified);

    window.SelectNode(Node(window, 0, 0));
    Prompts->Answers = {mrYes};
    Prompts->EraseFiles = true;
    window.TreeDeleteClick();
    EXPECT_FALSE(Exists(Folders.ImageDir + "Dunes.jpg"));
}

TEST_F(RemoveMoveTest, RemovingAnAlbumDeletesItsFilesAndNothingElse) {
    TMainForm& window = OpenWithFiles();
    window.SelectNode(Node(window, 0));
    Prompts->Answers = {mrYes};
    Prompts->EraseFiles = true;
    window.TreeDeleteClick();
    EXPECT_EQ(window.FAlbumTree->topLevelItemCount(), 2);
    EXPECT_EQ(window.SelectedNode(), Node(window, 0)) << "the next album is selected";
    EXPECT_EQ(Node(window, 0)->text(0), "Home");
    for (const char* name : {"Beach.jpg", "Dunes.jpg"}) {
        EXPECT_FALSE(Exists(Folders.ImageDir + name));
        EXPECT_FALSE(Exists(Folders.ThumbDir + name));
    }
    EXPECT_FALSE(Exists(Folders.AlbumDir + "a.alb"));
    EXPECT_TRUE(Exists(Folders.ImageDir + "Garden.jpg"));
    EXPECT_TRUE(Exists(Folders.AlbumDir + "b.alb"));
}

TEST_F(RemoveMoveTest, RemovingTheOnlyAlbumLeavesNothingSelected) {
    WriteAlbum("a.alb", "Only", 0);
    TMainForm& window = Open();
    window.SelectNode(Node(window, 0));
    Prompts->Answers = {mrYes};
    window.TreeDeleteClick();
    EXPECT_EQ(window.FAlbumTree->topLevelItemCount(), 0);
    EXPECT_EQ(window.SelectedNode(), nullptr);
    EXPECT_FALSE(window.A_SaveAlbums->isEnabled());
}

TEST_F(RemoveMoveTest, MovingOntoAPhotoPlacesItBeforeAndOntoAnAlbumLast) {
    TMainForm& window = OpenWithFiles();
    window.FDragNode = Node(window, 0, 1);  // Dunes
    window.FDropNode = Node(window, 1, 0);  // Garden
    window.PhotoMoveClick(1);
    EXPECT_EQ(Node(window, 1, 0)->text(0), "Dunes");
    EXPECT_EQ(Node(window, 0)->childCount(), 1);
    EXPECT_EQ(window.SelectedNode(), Node(window, 1, 1)) << "the target stays selected";

    window.FDragNode = Node(window, 0, 0);  // Beach
    window.FDropNode = Node(window, 2);
    window.PhotoMoveClick(1);
    EXPECT_EQ(Node(window, 2, 0)->text(0), "Beach");
    EXPECT_TRUE(window.FAlbumsModified);
}

TEST_F(RemoveMoveTest, CopyingAPhotoGivesItFilesOfItsOwnUnderANewName) {
    TMainForm& window = OpenWithFiles();
    AsPhotoNode(Node(window, 0, 0))->Photo().SetNotes({"sunny"});
    window.FDragNode = Node(window, 0, 0);
    window.FDropNode = Node(window, 2);
    window.PhotoMoveClick(0);
    ASSERT_EQ(Node(window, 2)->childCount(), 1);
    const TPhoto& copy = AsPhotoNode(Node(window, 2, 0))->Photo();
    EXPECT_NE(copy.FileName, "Beach.jpg");
    EXPECT_EQ(copy.Caption, "Beach");
    EXPECT_EQ(copy.Notes(), std::vector<std::string>{"sunny"});
    std::string image;
    std::getline(std::ifstream(Folders.ImageDir + copy.FileName), image);
    EXPECT_EQ(image, "image Beach.jpg");
    EXPECT_TRUE(Exists(Folders.ThumbDir + copy.FileName));
    EXPECT_EQ(Node(window, 0)->childCount(), 2) << "the original stays";
}

// A stored name whose file-name part is empty, "." or "..", or that holds a NUL byte, names no
// file: showing, removing and copying such photos touches nothing, not even the empty
// image and thumbnail folders.
TEST_F(RemoveMoveTest, DamagedStoredNamesGetNoFileOperation) {
    const std::vector<std::string> names = {"", ".", "..", "pictures/", "pictures/..", std::string("\0x.jpg", 6)};
    std::vector<std::pair<std::string, std::string>> photos;
    for (const std::string& name : names) photos.emplace_back("Damaged", name);
    WriteAlbumStoring("a.alb", "One by one", 0, photos);
    WriteAlbumStoring("b.alb", "All at once", 1, photos);
    WriteAlbum("c.alb", "Target", 2);
    TMainForm& window = Open();
    Prompts->EraseFiles = true;

    window.SelectNode(Node(window, 0, 0));
    window.ShowPhoto();
    EXPECT_EQ(Prompts->Errors.size(), 1);
    EXPECT_FALSE(window.FImgView->HasImage());
    window.FDragNode = Node(window, 0, 0);
    window.FDropNode = Node(window, 2);
    window.PhotoMoveClick(0);
    EXPECT_EQ(Node(window, 2)->childCount(), 1);

    while (Node(window, 0)->childCount() > 0) {
        window.SelectNode(Node(window, 0, 0));
        Prompts->Answers = {mrYes};
        window.TreeDeleteClick();
    }
    window.SelectNode(Node(window, 1));
    Prompts->Answers = {mrYes};
    window.TreeDeleteClick();
    EXPECT_EQ(window.FAlbumTree->topLevelItemCount(), 2);
    EXPECT_FALSE(Exists(Folders.AlbumDir + "b.alb"));
    EXPECT_TRUE(fs::is_directory(Folders.ImageDir));
    EXPECT_TRUE(fs::is_directory(Folders.ThumbDir));
    EXPECT_TRUE(fs::is_directory(Folders.AlbumDir));
}
