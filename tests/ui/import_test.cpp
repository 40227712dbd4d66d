// Image files coming in through the open dialog and drops on the view and the tree.
#include "ui_fixture.h"

#include "album_nodes.h"
#include "file_names.h"
#include "jpeg_io.h"

#include <QImage>

#include <fstream>
#include <functional>

namespace fs = std::filesystem;

class ImportTest : public MainFormTest {
protected:
    TMainForm& OpenWithAlbums() {
        WriteAlbum("a.alb", "Trip", 0, {"2003041200003"});
        WriteAlbum("b.alb", "Home", 1, {"Garden"});
        return Open();
    }
    QString Picture(const std::string& name, int width = 12) {
        const fs::path folder = Base / "desktop";
        fs::create_directories(folder);
        TBitmap32 picture(width, 8);
        picture.Clear(Color32(10, 20, 30));
        WriteJpegFile(picture, (folder / name).string(), 90);
        return QString::fromStdString((folder / name).string());
    }
};

TEST_F(ImportTest, OnlyJpegFilesAreTakenByEitherTarget) {
    TMainForm& window = OpenWithAlbums();
    EXPECT_TRUE(window.FImgViewDropAccepts({"/x/photo.JPEG"}));
    EXPECT_TRUE(window.FImgViewDropAccepts({"/x/photo.jpg"}));
    EXPECT_FALSE(window.FImgViewDropAccepts({"/x/photo.png"}));
    EXPECT_FALSE(window.FImgViewDropAccepts({}));
    EXPECT_FALSE(window.FTreeDropAccepts({"/x/photo.png"}, nullptr, true));
    EXPECT_TRUE(window.FTreeDropAccepts({"/x/photo.jpg"}, nullptr, true));
}

TEST_F(ImportTest, AnEmptyTreeRefusesDrops) {
    TMainForm& window = Open();
    EXPECT_FALSE(window.FTreeDropAccepts({"/x/photo.jpg"}, nullptr, true));
}

TEST_F(ImportTest, TwoFilesOnTheViewWarnThenShowTheFirst) {
    TMainForm& window = OpenWithAlbums();
    const QString first = Picture("first.jpg", 12), second = Picture("second.jpg", 20);
    window.FImgViewDropDrop({first, second});
    EXPECT_EQ(Prompts->Informations, QStringList{"Files Dropped"});
    EXPECT_EQ(window.FImgView->Bitmap().Width(), 12);
    EXPECT_EQ(window.FImageSource, isFile);
    EXPECT_EQ(window.FImageFile, first.toStdString());
}

TEST_F(ImportTest, ADuplicateDroppedOnTheViewBecomesACopyInTheImageFolder) {
    TMainForm& window = OpenWithAlbums();
    const QString used = Picture("2003041200003.JPG");
    Prompts->Answers = {mrYes};
    window.FImgViewDropDrop({used});
    EXPECT_EQ(Prompts->Asked, QStringList{"Image Already Used"});
    EXPECT_EQ(window.FImageSource, isFileCopy);
    EXPECT_EQ(FolderPart(window.FImageFile), Folders.ImageDir);
    EXPECT_TRUE(fs::exists(window.FImageFile));
    EXPECT_TRUE(window.FImgView->HasImage());

    Prompts->Answers = {mrNo};
    const std::string shown = window.FImageFile;
    window.FImgViewDropDrop({used});
    EXPECT_EQ(window.FImageFile, shown) << "No leaves everything as it was";
}

// The "Image Already Used" dialog cannot show a photo whose file is missing: the error is
// shown and the drop ends, on either target.
TEST_F(ImportTest, AUsedPhotoThatCannotBeShownEndsTheDrop) {
    TMainForm& window = OpenWithAlbums();
    const QString used = Picture("2003041200003.jpg");
    Prompts->UsedImageError = "Cannot open 2003041200003.jpg";
    window.FImgViewDropDrop({used});
    Prompts->Captions = {"Dropped"};
    window.FTreeDropDrop({used}, nullptr);
    EXPECT_EQ(Prompts->Errors, (QStringList{"Cannot open 2003041200003.jpg", "Cannot open 2003041200003.jpg"}));
    EXPECT_FALSE(window.FImgView->HasImage());
    EXPECT_EQ(window.FImageSource, isNew);
    EXPECT_EQ(window.FAlbumTree->topLevelItem(1)->childCount(), 1);
    EXPECT_TRUE(fs::is_empty(Folders.ImageDir));
}

TEST_F(ImportTest, ADropBelowTheLastNodeAddsToTheLastAlbum) {
    TMainForm& window = OpenWithAlbums();
    Prompts->Captions = {"Dropped"};
    window.FTreeDropDrop({Picture("new.jpg")}, nullptr);
    QTreeWidgetItem* home = window.FAlbumTree->topLevelItem(1);
    ASSERT_EQ(home->childCount(), 2);
    EXPECT_EQ(home->child(1)->text(0), "Dropped");
    EXPECT_TRUE(fs::exists(Folders.ImageDir + "new.jpg"));
    EXPECT_TRUE(home->isExpanded());
    EXPECT_TRUE(window.FAlbumsModified);
}

TEST_F(ImportTest, ADuplicateDroppedOnAPhotoGoesToThatPhotosAlbum) {
    TMainForm& window = OpenWithAlbums();
    window.SelectNode(window.FAlbumTree->topLevelItem(1));
    Prompts->Answers = {mrYes};
    Prompts->Captions = {"Again"};
    window.FTreeDropDrop({Picture("2003041200003.jpg")}, window.FAlbumTree->topLevelItem(0)->child(0));
    QTreeWidgetItem* trip = window.FAlbumTree->topLevelItem(0);
    ASSERT_EQ(trip->childCount(), 2);
    const TPhoto& copy = AsPhotoNode(trip->child(1))->Photo();
    EXPECT_NE(copy.FileName, "2003041200003.jpg");
    EXPECT_TRUE(fs::exists(Folders.ImageDir + copy.FileName));
}

TEST_F(ImportTest, CancellingThePropertiesAfterATreeDropKeepsTheCurrentImage) {
    TMainForm& window = OpenWithAlbums();
    ShowImage(window, 5, 5);
    window.FImageSource = isNew;
    window.FTreeDropDrop({Picture("other.jpg", 30)}, nullptr);
    EXPECT_EQ(window.FWorkBitmap.Width(), 5);
    EXPECT_EQ(window.FImageSource, isNew);
    EXPECT_EQ(window.FAlbumTree->topLevelItem(1)->childCount(), 1);
}

TEST_F(ImportTest, TheOpenDialogLoadsWithoutTheDuplicateQuestion) {
    TMainForm& window = OpenWithAlbums();
    Prompts->FileToOpen = Picture("2003041200003.jpg");
    window.A_NewImage->trigger();
    EXPECT_EQ(Prompts->Asked, QStringList{"Open"});
    EXPECT_EQ(window.FImageSource, isFile);
    EXPECT_TRUE(window.FImgView->HasImage());
}

// A picture that fails to decode never becomes a photo, whichever way it comes in: the
// current image stays with its source, file and modified flag, no copy or thumbnail is left
// behind, and adding the current image afterwards adds that image.
TEST_F(ImportTest, APictureThatCannotBeDecodedChangesNothing) {
    struct TWay {
        const char* name;
        const char* file;  // "2003041200003.jpg" is used by an album, so it asks about a copy
        std::function<void(TMainForm&, TScriptedPrompts&, const QString&)> bringIn;
    };
    const TWay ways[] = {
        {"open dialog", "broken.jpg",
         [](TMainForm& w, TScriptedPrompts& p, const QString& f) { p.FileToOpen = f; w.A_NewImage->trigger(); }},
        {"drop on the view", "broken.jpg", [](TMainForm& w, TScriptedPrompts&, const QString& f) { w.FImgViewDropDrop({f}); }},
        {"copy dropped on the view", "2003041200003.jpg",
         [](TMainForm& w, TScriptedPrompts& p, const QString& f) { p.Answers = {mrYes}; w.FImgViewDropDrop({f}); }},
        {"drop on the tree", "broken.jpg",
         [](TMainForm& w, TScriptedPrompts& p, const QString& f) { p.Captions = {"Broken"}; w.FTreeDropDrop({f}, nullptr); }},
        {"copy dropped on the tree", "2003041200003.jpg",
         [](TMainForm& w, TScriptedPrompts& p, const QString& f) {
             p.Answers = {mrYes};
             p.Captions = {"Broken"};
             w.FTreeDropDrop({f}, nullptr);
         }},
    };
    for (const TWay& way : ways) {
        SCOPED_TRACE(way.name);
        fs::remove_all(Folders.ImageDir);
        fs::remove_all(Folders.ThumbDir);
        CreateStorageFolders(Folders);
        const QString good = Picture("good.jpg", 12);
        const fs::path broken = Base / way.file;
        std::ofstream(broken) << "not a jpeg";
        TMainForm& window = OpenWithAlbums();
        window.LoadImageFile(good.toStdString(), true);
        window.A_RotateR->trigger();  // 8 x 12 now, and modified

        way.bringIn(window, *Prompts, QString::fromStdString(broken.string()));
        EXPECT_EQ(Prompts->Errors.size(), 1);
        EXPECT_EQ(window.FImageSource, isFile);
        EXPECT_EQ(window.FImageFile, good.toStdString());
        EXPECT_TRUE(window.FModified);
        EXPECT_EQ(window.FWorkBitmap.Width(), 8);
        EXPECT_EQ(window.FImgView->Bitmap().Width(), 8);
        EXPECT_TRUE(fs::is_empty(Folders.ImageDir));
        EXPECT_TRUE(fs::is_empty(Folders.ThumbDir));
        EXPECT_EQ(window.FAlbumTree->topLevelItem(1)->childCount(), 1);

        Prompts->Albums = {"Home"};
        Prompts->Captions = {"Good"};
        window.CommitImage(true);
        QTreeWidgetItem* home = window.FAlbumTree->topLevelItem(1);
        ASSERT_EQ(home->childCount(), 2);
        EXPECT_EQ(AsPhotoNode(home->child(1))->Photo().FileName, "good.jpg");
        EXPECT_EQ(ReadJpegFile(Folders.ImageDir + "good.jpg").Width(), 8);
        Window.reset();
    }
}

// The open dialog offers JPEG files, but a typed name of another format the platform loader
// reads is opened too; formats without a reader keep the design's message.
TEST_F(ImportTest, PicturesOfThePlatformLoaderOpenAndOthersAreNamed) {
    TMainForm& window = Open();
    QImage picture(6, 4, QImage::Format_RGB32);
    picture.fill(QColor(200, 100, 50));
    for (const char* format : {"bmp", "ico"}) {
        SCOPED_TRACE(format);
        const QString path = QString::fromStdString((Base / "picture.").string()) + format;
        ASSERT_TRUE(picture.save(path, format));
        Prompts->FileToOpen = path;
        window.A_NewImage->trigger();
        EXPECT_TRUE(Prompts->Errors.isEmpty()) << Prompts->Errors.join('\n').toStdString();
        ASSERT_EQ(window.FWorkBitmap.Width(), 6);
        EXPECT_EQ(window.FWorkBitmap.Pixel(5, 3), Color32(200, 100, 50));
    }

    const struct {
        const char* Name;
        const char* Content;
        const char* Error;
    } refused[] = {{"drawing.emf", "", "Unknown picture file extension (.emf)"},
                   {"broken.bmp", "BM not really", "Cannot read picture file"}};
    for (const auto& c : refused) {
        SCOPED_TRACE(c.Name);
        Prompts->Errors.clear();
        std::ofstream(Base / c.Name) << c.Content;
        Prompts->FileToOpen = QString::fromStdString((Base / c.Name).string());
        window.A_NewImage->trigger();
        ASSERT_EQ(Prompts->Errors.size(), 1);
        EXPECT_TRUE(Prompts->Errors[0].startsWith(c.Error)) << Prompts->Errors[0].toStdString();
        EXPECT_EQ(window.FWorkBitmap.Width(), 6) << "the image shown stays";
    }
}
