// Adding the current image to an album: where its file goes, its thumbnail and its node.
#include "ui_fixture.h"

#include "album_nodes.h"
#include "jpeg_io.h"

#include <fstream>

namespace fs = std::filesystem;

class AddPhotoTest : public MainFormTest {
protected:
    TMainForm& OpenWithAlbums() {
        WriteAlbum("a.alb", "Trip", 0, {"Beach"});
        WriteAlbum("b.alb", "trip", 1);
        return Open();
    }
    std::string Outside(const std::string& name) {
        const fs::path folder = Base / "outside";
        fs::create_directories(folder);
        TBitmap32 picture(40, 30);
        picture.Clear(Color32(200, 100, 50));
        WriteJpegFile(picture, (folder / name).string(), 90);
        return (folder / name).string();
    }
    static TPhoto& PhotoAt(TMainForm& window, int album, int photo) {
        return AsPhotoNode(window.FAlbumTree->topLevelItem(album)->child(photo))->Photo();
    }
};

TEST_F(AddPhotoTest, AScannedImageGetsTheNextNameAThumbnailAndItsSizes) {
    TMainForm& window = OpenWithAlbums();
    OpenSettings()->setValue("Prefs/Filenum", "3");
    char today[16];
    const std::time_t now = std::time(nullptr);
    std::strftime(today, sizeof today, "%Y%m%d", std::localtime(&now));
    OpenSettings()->setValue("Prefs/LastScan", QString::fromLatin1(today));
    ShowImage(window, 64, 48);
    window.FImageSource = isNew;
    Prompts->Albums = {"Trip"};
    Prompts->Captions = {"Harbour"};
    window.A_SaveImage->setEnabled(true);
    window.CommitImage(true);

    const std::string name = std::string(today) + "00004.jpg";
    ASSERT_EQ(window.FAlbumTree->topLevelItem(0)->childCount(), 2);
    const TPhoto& photo = PhotoAt(window, 0, 1);
    EXPECT_EQ(photo.FileName, name);
    EXPECT_EQ(photo.Caption, "Harbour");
    EXPECT_EQ(photo.ImageSize, static_cast<int32_t>(fs::file_size(Folders.ImageDir + name)));
    EXPECT_EQ(photo.ThumbSize, static_cast<int32_t>(fs::file_size(Folders.ThumbDir + name)));
    EXPECT_EQ(Prompts->Offered, (std::vector<std::string>{"Trip", "trip"}));
    EXPECT_FALSE(window.FImgView->HasImage());
    EXPECT_TRUE(window.FAlbumsModified);
    EXPECT_EQ(window.StatusText(2).toStdString(), name);
}

TEST_F(AddPhotoTest, AnUnchangedFileIsCopiedAndAnExistingNameIsNeverOverwritten) {
    TMainForm& window = OpenWithAlbums();
    const std::string beach = Outside("beach.jpg");
    window.LoadImageFile(beach, true);
    window.SelectNode(window.FAlbumTree->topLevelItem(1));
    Prompts->Captions = {"First"};
    window.AddPhotoToAlbum();
    EXPECT_EQ(PhotoAt(window, 1, 0).FileName, "beach.jpg");
    EXPECT_EQ(fs::file_size(Folders.ImageDir + "beach.jpg"), fs::file_size(beach));

    std::ofstream(Folders.ImageDir + "beach.jpg", std::ios::trunc) << "kept";
    window.LoadImageFile(beach, true);
    window.SelectNode(window.FAlbumTree->topLevelItem(1));
    Prompts->Captions = {"Second"};
    window.AddPhotoToAlbum();
    EXPECT_NE(PhotoAt(window, 1, 1).FileName, "beach.jpg");
    EXPECT_TRUE(fs::exists(Folders.ImageDir + PhotoAt(window, 1, 1).FileName));
    std::string kept;
    std::ifstream(Folders.ImageDir + "beach.jpg") >> kept;
    EXPECT_EQ(kept, "kept");
}

// Beach.JPG beside beach.jpg could never go onto one disc: a name taken in another letter
// case is taken, and the copy gets a new name.
TEST_F(AddPhotoTest, ACopyWhoseNameDiffersOnlyInCaseGetsANewName) {
    TMainForm& window = OpenWithAlbums();
    std::ofstream(Folders.ImageDir + "BEACH.JPG") << "kept";
    window.LoadImageFile(Outside("beach.jpg"), true);
    window.SelectNode(window.FAlbumTree->topLevelItem(1));
    Prompts->Captions = {"First"};
    window.AddPhotoToAlbum();
    const std::string name = PhotoAt(window, 1, 0).FileName;
    EXPECT_NE(name, "beach.jpg");
    EXPECT_TRUE(fs::exists(Folders.ImageDir + name));
    EXPECT_FALSE(fs::exists(Folders.ImageDir + "beach.jpg"));
    EXPECT_EQ(fs::file_size(Folders.ImageDir + "BEACH.JPG"), 4u);
}

TEST_F(AddPhotoTest, AChangedFileIsWrittenToTheImageFolderAndTheOriginalLeftAlone) {
    TMainForm& window = OpenWithAlbums();
    const std::string dunes = Outside("dunes.jpg");
    const auto before = fs::file_size(dunes);
    window.LoadImageFile(dunes, true);
    window.A_RotateR->trigger();
    window.SelectNode(window.FAlbumTree->topLevelItem(0));
    Prompts->Captions = {"Dunes"};
    window.AddPhotoToAlbum();
    EXPECT_EQ(fs::file_size(dunes), before);
    EXPECT_EQ(ReadJpegFile(Folders.ImageDir + "dunes.jpg").Width(), 30) << "the turned picture";
    EXPECT_FALSE(window.FModified);
}

TEST_F(AddPhotoTest, ChoosingAnAlbumIgnoresCaseAndTakesTheFirstMatch) {
    TMainForm& window = OpenWithAlbums();
    ShowImage(window, 8, 8);
    Prompts->Albums = {"TRIP"};
    Prompts->Captions = {"Any"};
    EXPECT_TRUE(window.ChooseAlbumAndAdd(QPoint(-1, -1)));
    EXPECT_EQ(window.FAlbumTree->topLevelItem(0)->childCount(), 2);
    EXPECT_EQ(window.FAlbumTree->topLevelItem(1)->childCount(), 0);
}

TEST_F(AddPhotoTest, CancellingThePropertiesKeepsTheImageAsUnchanged) {
    TMainForm& window = OpenWithAlbums();
    ShowImage(window, 8, 8);
    window.FModified = true;
    Prompts->Albums = {"Trip"};
    window.CommitImage(false);  // as the "Image Changed" question runs it
    EXPECT_TRUE(window.FImgView->HasImage());
    EXPECT_FALSE(window.FModified);
    EXPECT_EQ(window.FAlbumTree->topLevelItem(0)->childCount(), 1);
}

TEST_F(AddPhotoTest, WithoutAnAlbumTheUserIsToldToCreateOne) {
    TMainForm& window = Open();
    ShowImage(window, 8, 8);
    window.CommitImage(true);
    EXPECT_EQ(Prompts->Informations.size(), 1);
    EXPECT_TRUE(window.FImgView->HasImage());
}

TEST_F(AddPhotoTest, ReSavingAnAlbumPhotoUpdatesItsFilesAndSizes) {
    TMainForm& window = OpenWithAlbums();
    TBitmap32 picture(20, 10);
    picture.Clear(Color32(1, 2, 3));
    WriteJpegFile(picture, Folders.ImageDir + "Beach.jpg", 90);
    window.SelectNode(window.FAlbumTree->topLevelItem(0)->child(0));
    window.ShowPhoto();
    window.A_RotateL->trigger();
    window.CommitImage(true);
    EXPECT_EQ(ReadJpegFile(Folders.ImageDir + "Beach.jpg").Width(), 10);
    EXPECT_TRUE(fs::exists(Folders.ThumbDir + "Beach.jpg"));
    EXPECT_EQ(PhotoAt(window, 0, 0).ThumbSize, static_cast<int32_t>(fs::file_size(Folders.ThumbDir + "Beach.jpg")));
    EXPECT_TRUE(window.FAlbumsModified);
    EXPECT_FALSE(window.FModified);
}

// Only the file-name part of a stored name is used: a photo stored as "../victim.jpg" is
// Images/victim.jpg, and re-saving it never writes beside the image folder.
TEST_F(AddPhotoTest, ReSavingAPhotoWhoseStoredNameCarriesAPathStaysInTheImageFolder) {
    WriteAlbumStoring("a.alb", "Trip", 0, {{"Victim", "../victim.jpg"}});
    TBitmap32 picture(20, 10);
    picture.Clear(Color32(1, 2, 3));
    WriteJpegFile(picture, Folders.ImageDir + "victim.jpg", 90);
    std::ofstream(Base / "victim.jpg") << "outside";
    TMainForm& window = Open();
    window.SelectNode(window.FAlbumTree->topLevelItem(0)->child(0));
    window.ShowPhoto();
    EXPECT_EQ(window.FImageFile, "victim.jpg");
    window.A_RotateL->trigger();
    window.CommitImage(true);

    EXPECT_TRUE(Prompts->Errors.isEmpty());
    std::string outside;
    std::ifstream(Base / "victim.jpg") >> outside;
    EXPECT_EQ(outside, "outside");
    EXPECT_EQ(ReadJpegFile(Folders.ImageDir + "victim.jpg").Width(), 10);
    EXPECT_EQ(PhotoAt(window, 0, 0).ImageSize, static_cast<int32_t>(fs::file_size(Folders.ImageDir + "victim.jpg")));
    EXPECT_TRUE(fs::exists(Folders.ThumbDir + "victim.jpg"));
}

// The "Image Changed" question runs after the user clicked another photo: the new sizes
// belong to the photo that was saved, not to the one clicked.
TEST_F(AddPhotoTest, SizesOfASavedPhotoGoToThatPhotoAfterTheSelectionMoved) {
    WriteAlbum("a.alb", "Trip", 0, {"Beach", "Dunes"});
    TBitmap32 picture(20, 10);
    picture.Clear(Color32(1, 2, 3));
    WriteJpegFile(picture, Folders.ImageDir + "Beach.jpg", 90);
    TMainForm& window = Open();
    QTreeWidgetItem* trip = window.FAlbumTree->topLevelItem(0);
    PhotoAt(window, 0, 1).ImageSize = 111;
    PhotoAt(window, 0, 1).ThumbSize = 222;
    window.SelectNode(trip->child(0));
    window.FAlbumTreeClick();
    window.ShowPhoto();
    window.A_RotateL->trigger();

    window.SelectNode(trip->child(1));
    Prompts->Answers = {mrYes};
    window.FAlbumTreeClick();
    EXPECT_EQ(Prompts->Asked, QStringList{"Image Changed"});
    EXPECT_EQ(PhotoAt(window, 0, 0).ImageSize, static_cast<int32_t>(fs::file_size(Folders.ImageDir + "Beach.jpg")));
    EXPECT_EQ(PhotoAt(window, 0, 0).ThumbSize, static_cast<int32_t>(fs::file_size(Folders.ThumbDir + "Beach.jpg")));
    EXPECT_EQ(PhotoAt(window, 0, 1).ImageSize, 111);
    EXPECT_EQ(PhotoAt(window, 0, 1).ThumbSize, 222);
}

TEST_F(AddPhotoTest, AFileNameUsedByAnAlbumInAnyCaseIsFound) {
    TMainForm& window = OpenWithAlbums();
    EXPECT_NE(window.FindPhotoByFile("/elsewhere/BEACH.JPG"), nullptr);
    EXPECT_EQ(window.FindPhotoByFile("/elsewhere/beach2.jpg"), nullptr);
    TPhotoNode* node = nullptr;
    Prompts->Answers = {mrYes};
    EXPECT_EQ(window.CheckDupImage("/x/beach.jpg", node), mrYes);
    EXPECT_EQ(node, window.FAlbumTree->topLevelItem(0)->child(0));
}
