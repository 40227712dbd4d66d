// Scanning into the current image, and the base folder changed in the preferences.
#include "ui_fixture.h"

#include "album_nodes.h"

namespace fs = std::filesystem;

namespace {

TBitmap32 Page(int width, int height) {
    TBitmap32 page(width, height);
    page.Clear(Color32(9, 8, 7, 0));  // the scanner's alpha does not matter
    return page;
}

} // namespace

TEST_F(MainFormTest, ScanningOverAChangedImageAsksFirst) {
    TMainForm& window = Open();
    ShowImage(window, 4, 4);
    window.FModified = true;
    Prompts->Answers = {mrNo};
    Prompts->Pages = {Page(30, 20)};
    window.A_Scan->trigger();
    EXPECT_EQ(Prompts->Asked, QStringList{"Fotolark"});
    EXPECT_EQ(window.FWorkBitmap.Width(), 4);
    EXPECT_TRUE(window.FModified);

    Prompts->Answers = {mrYes};
    window.A_Scan->trigger();
    EXPECT_EQ(window.FWorkBitmap.Width(), 30);
    EXPECT_EQ(window.FWorkBitmap.Pixel(0, 0), Color32(9, 8, 7));
    EXPECT_EQ(window.FImgView->Bitmap(), window.FWorkBitmap);
    EXPECT_EQ(window.FImageSource, isNew);
    EXPECT_FALSE(window.FModified);
    EXPECT_FALSE(window.A_SaveImage->isEnabled());
}

TEST_F(MainFormTest, AnUnchangedAlbumPhotoIsReplacedByAScanWithoutAsking) {
    TMainForm& window = Open();
    ShowImage(window, 4, 4);
    window.FImageSource = isAlbumPhoto;
    Prompts->Pages = {Page(10, 10)};
    window.A_Scan->trigger();
    EXPECT_EQ(Prompts->Asked, QStringList{"Scan"});
    EXPECT_EQ(window.FWorkBitmap.Width(), 10);
}

TEST_F(MainFormTest, ANewBaseFolderReloadsTheTreeFromThere) {
    WriteAlbum("a.alb", "Old album", 0);
    TMainForm& window = Open();
    const TStorageFolders other = StorageFolders((Base / "other").string());
    CreateStorageFolders(other);
    TAlbum album;
    album.Title = "New place";
    album.AlbumFile = "n.alb";
    album.SaveToFile(other.AlbumDir + "n.alb");

    window.FilePrefsClick();  // cancelled: nothing changes
    EXPECT_EQ(window.FAlbumTree->topLevelItem(0)->text(0), "Old album");

    EditLabel(window, window.FAlbumTree->topLevelItem(0), "Renamed");  // an unsaved change
    Prompts->NewBaseDir = (Base / "other").string();
    Prompts->Answers = {mrYes};
    window.FilePrefsClick();
    EXPECT_EQ(window.FAlbumDir, other.AlbumDir);
    ASSERT_EQ(window.FAlbumTree->topLevelItemCount(), 1);
    EXPECT_EQ(window.FAlbumTree->topLevelItem(0)->text(0), "New place");
    EXPECT_EQ(TAlbum::CreateFromFile(Folders.AlbumDir + "a.alb")->Title, "Renamed") << "saved where it belonged";
}
