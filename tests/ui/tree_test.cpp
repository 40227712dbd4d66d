// The album tree: selection, sizes, renaming, new albums, the context menu and dragging.
#include "ui_fixture.h"

#include "album_nodes.h"

#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QStatusTipEvent>

#include <functional>

#include <fstream>

namespace {

std::vector<std::string> Labels(const TMainForm& window) {
    std::vector<std::string> labels;
    for (int i = 0; i < window.FAlbumTree->topLevelItemCount(); ++i) {
        QTreeWidgetItem* album = window.FAlbumTree->topLevelItem(i);
        labels.push_back(album->text(0).toStdString());
        for (int j = 0; j < album->childCount(); ++j) labels.push_back("  " + album->child(j)->text(0).toStdString());
    }
    return labels;
}

} // namespace

class TreeTest : public MainFormTest {
protected:
    TMainForm& OpenWithAlbums() {
        WriteAlbum("a.alb", "Trip", 0, {"Beach", "Dunes", "Harbour"});
        WriteAlbum("b.alb", "Home", 1, {"Garden"});
        TMainForm& window = Open();
        SetSizes(window, 0, {{1048000, 576}, {1048000, 577}, {0, 0}});
        return window;
    }
    static void SetSizes(TMainForm& window, int album, std::vector<std::pair<int, int>> sizes) {
        QTreeWidgetItem* node = window.FAlbumTree->topLevelItem(album);
        for (size_t i = 0; i < sizes.size(); ++i) {
            TPhoto& photo = AsPhotoNode(node->child(static_cast<int>(i)))->Photo();
            photo.ImageSize = sizes[i].first;
            photo.ThumbSize = sizes[i].second;
        }
    }
    static QTreeWidgetItem* Node(TMainForm& window, int album, int photo = -1) {
        QTreeWidgetItem* node = window.FAlbumTree->topLevelItem(album);
        return photo < 0 ? node : node->child(photo);
    }
    static void Click(TMainForm& window, QTreeWidgetItem* node) {
        window.SelectNode(node);
        window.FAlbumTreeClick();
    }
};

TEST_F(TreeTest, ClickingAPhotoShowsItsFileNameAndSize) {
    TMainForm& window = OpenWithAlbums();
    Click(window, Node(window, 0, 0));
    EXPECT_EQ(window.StatusText(1), "1024KB");
    EXPECT_EQ(window.StatusText(2), "Beach.jpg");
    EXPECT_EQ(window.FImageSource, isAlbumPhoto);
    Click(window, Node(window, 0, 1));
    EXPECT_EQ(window.StatusText(1), "1MB");
    Click(window, Node(window, 0));
    EXPECT_EQ(window.StatusText(1), "2MB") << "the album's total of 2097153 bytes";
    EXPECT_TRUE(Prompts->Asked.isEmpty());
}

TEST_F(TreeTest, AnAlbumOfMoreThanFourGigabytesDoesNotWrapRound) {
    TMainForm& window = OpenWithAlbums();
    SetSizes(window, 0, {{2000000000, 0}, {2000000000, 0}, {2000000000, 1}});
    Click(window, Node(window, 0));
    EXPECT_EQ(window.AlbumByteSize(), 6000000001u);
    EXPECT_EQ(window.StatusText(1), "5722MB");
}

TEST_F(TreeTest, ClickingAfterOpeningAnUnchangedFileAsksAndNoDiscards) {
    TMainForm& window = OpenWithAlbums();
    ShowImage(window, 4, 4);
    window.FImageSource = isFile;
    window.FImageFile = "/somewhere/outside.jpg";
    Prompts->Answers = {mrNo};
    Click(window, Node(window, 1));
    EXPECT_EQ(Prompts->Asked, QStringList{"Image Changed"});
    EXPECT_FALSE(window.FImgView->HasImage());
    EXPECT_TRUE(window.FWorkBitmap.Empty());
    EXPECT_EQ(window.FImageFile, "");
    EXPECT_FALSE(window.A_Discard->isEnabled());
}

TEST_F(TreeTest, RenamingAnAlbumInPlaceMarksTheAlbumsModified) {
    TMainForm& window = OpenWithAlbums();
    EditLabel(window, Node(window, 1), "Home and garden");
    EXPECT_TRUE(window.FAlbumsModified);
    EXPECT_EQ(AsAlbumNode(Node(window, 1))->Album().Title, "Home and garden");
    EXPECT_FALSE(Node(window, 0, 0)->flags() & Qt::ItemIsEditable) << "photos are not renamed in place";
    Prompts->Answers = {mrCancel};
    EXPECT_FALSE(window.close());
    EXPECT_EQ(Prompts->Asked, QStringList{"Albums Modified"});
}

// Album strings are bytes: a Windows-1252 title and caption are shown and clicked through
// (which changes the album pictures) and saved again without a byte changing.
TEST_F(TreeTest, LookingAtAlbumsChangesNoByte) {
    const std::string title = "Caf\xe9", caption = "Cr\xe8" "me br\xfb" "l\xe9" "e";
    WriteAlbum("a.alb", title, 0, {caption});
    WriteAlbum("b.alb", "Home", 1, {"Garden"});
    TMainForm& window = Open();
    EXPECT_EQ(Node(window, 0)->text(0), QString::fromUtf8("Caf\u00e9"));
    for (QTreeWidgetItem* node : {Node(window, 0), Node(window, 0, 0), Node(window, 1), Node(window, 1, 0), Node(window, 0)}) {
        window.FAlbumTree->setCurrentItem(node);  // as a click does, pictures and all
        window.FAlbumTreeClick();
    }
    EXPECT_FALSE(window.FAlbumsModified);
    window.SaveAlbums();
    const std::unique_ptr<TAlbum> saved = TAlbum::CreateFromFile(Folders.AlbumDir + "a.alb");
    EXPECT_EQ(saved->Title, title);
    ASSERT_EQ(saved->Project.PhotoCount(), 1);
    EXPECT_EQ(saved->Project.PhotoAt(0)->Caption, caption);
}

TEST_F(TreeTest, OnlyAConfirmedInPlaceEditRenames) {
    const std::string title = "Caf\xe9";
    WriteAlbum("a.alb", title, 0);
    TMainForm& window = Open();
    TAlbum& album = AsAlbumNode(Node(window, 0))->Album();
    EditLabel(window, Node(window, 0), "Tea", Qt::Key_Escape);
    EXPECT_EQ(album.Title, title);
    EXPECT_FALSE(window.FAlbumsModified);
    EditLabel(window, Node(window, 0), QString::fromUtf8("Caf\u00e9"));  // confirmed as shown
    EXPECT_EQ(album.Title, title);
    EXPECT_FALSE(window.FAlbumsModified);
    EditLabel(window, Node(window, 0), QString::fromUtf8("Caf\u00e9 au lait"));
    EXPECT_EQ(album.Title, "Caf\xc3\xa9 au lait");
    EXPECT_TRUE(window.FAlbumsModified);
}

// A photo that cannot be shown leaves the current image as it was, so that saving it later
// never writes it over the photo's file.
TEST_F(TreeTest, AnAlbumPhotoThatCannotBeShownLeavesTheCurrentImage) {
    TMainForm& window = OpenWithAlbums();
    std::ofstream(Folders.ImageDir + "Beach.jpg") << "broken";
    ShowImage(window, 4, 4);
    window.FImageSource = isFile;
    window.FImageFile = "/somewhere/outside.jpg";
    window.FModified = true;
    window.SelectNode(Node(window, 0, 0));  // as a right-click selects, without the click handling
    window.ShowPhoto();
    EXPECT_EQ(Prompts->Errors.size(), 1);
    EXPECT_EQ(window.FImageSource, isFile);
    EXPECT_EQ(window.FImageFile, "/somewhere/outside.jpg");
    EXPECT_TRUE(window.FModified);
    EXPECT_EQ(window.FImgView->Bitmap().Width(), 4);

    window.CommitImage(true);  // the album choice is cancelled
    std::string kept;
    std::ifstream(Folders.ImageDir + "Beach.jpg") >> kept;
    EXPECT_EQ(kept, "broken");
}

TEST_F(TreeTest, ANewAlbumKeepsItsTitleThroughSaveAndReload) {
    TMainForm& window = OpenWithAlbums();
    window.A_NewAlbum->trigger();
    ASSERT_EQ(window.FAlbumTree->topLevelItemCount(), 3);
    EXPECT_EQ(Node(window, 2)->text(0), "New Album");
    EXPECT_EQ(window.SelectedNode(), Node(window, 2));
    EXPECT_TRUE(window.FAlbumsModified);
    EXPECT_EQ(FindAlbums(Folders.AlbumDir).size(), 2u) << "nothing written before saving";
    window.SaveAlbums();
    window.LoadAlbums();
    EXPECT_EQ(Node(window, 2)->text(0), "New Album");
    EXPECT_EQ(AsAlbumNode(Node(window, 2))->Album().Position, 2);
}

TEST_F(TreeTest, DraggingAPhotoWithinItsAlbumReordersWithoutAMenu) {
    TMainForm& window = OpenWithAlbums();
    window.SelectNode(Node(window, 0, 2));
    window.FAlbumTreeDragDrop(true, Node(window, 0, 0), QPoint(10, 10));
    EXPECT_EQ(Labels(window), (std::vector<std::string>{"Trip", "  Harbour", "  Beach", "  Dunes", "Home", "  Garden"}));
    EXPECT_FALSE(window.FPhotoMenu->isVisible());
    EXPECT_TRUE(window.FAlbumsModified);
}

TEST_F(TreeTest, DraggingAPhotoOntoAnotherAlbumOffersMoveOrCopy) {
    TMainForm& window = OpenWithAlbums();
    window.SelectNode(Node(window, 0, 1));
    window.FAlbumTreeDragDrop(true, Node(window, 1, 0), QPoint(10, 10));
    EXPECT_TRUE(window.FPhotoMenu->isVisible());
    EXPECT_EQ(window.FDragNode, Node(window, 0, 1));
    EXPECT_EQ(window.FDropNode, Node(window, 1, 0));
    window.FPhotoMenu->hide();
}

TEST_F(TreeTest, DraggingAnAlbumOntoAPhotoPlacesItBeforeThatAlbum) {
    TMainForm& window = OpenWithAlbums();
    window.SelectNode(Node(window, 1));
    window.FAlbumTreeDragDrop(true, Node(window, 0, 2), QPoint(10, 10));
    EXPECT_EQ(Labels(window), (std::vector<std::string>{"Home", "  Garden", "Trip", "  Beach", "  Dunes", "  Harbour"}));
}

TEST_F(TreeTest, ImageDragAcceptanceFollowsWhereTheImageCameFrom) {
    TMainForm& window = OpenWithAlbums();
    window.SelectNode(Node(window, 0, 1));
    window.FImageSource = isAlbumPhoto;
    EXPECT_FALSE(window.FAlbumTreeDragOver(false, Node(window, 0)));
    EXPECT_FALSE(window.FAlbumTreeDragOver(false, Node(window, 0, 2)));
    EXPECT_TRUE(window.FAlbumTreeDragOver(false, Node(window, 1, 0)));
    window.FImageSource = isFile;
    EXPECT_TRUE(window.FAlbumTreeDragOver(false, nullptr));
    EXPECT_TRUE(window.FAlbumTreeDragOver(true, Node(window, 0)));
}

TEST_F(TreeTest, RightClickOnEmptySpaceClearsTheSelectionAndDisablesNodeItems) {
    TMainForm& window = OpenWithAlbums();
    window.SelectNode(Node(window, 0, 0));
    window.FAlbumTreeMouseUp(nullptr, QPoint(5, 5));
    EXPECT_EQ(window.SelectedNode(), nullptr);
    EXPECT_FALSE(window.TreeEdit->isEnabled());
    EXPECT_FALSE(window.TreeDelete->isEnabled());
    EXPECT_FALSE(window.TreeShowImage->isEnabled());
    window.FTreeMenu->hide();

    window.FAlbumTreeMouseUp(Node(window, 0, 1), QPoint(5, 5));
    EXPECT_TRUE(window.TreeEdit->isEnabled());
    EXPECT_TRUE(window.TreeShowImage->isEnabled());
    window.FTreeMenu->hide();
}

TEST_F(TreeTest, PhotoPropertiesRelabelTheNodeOnOkOnly) {
    TMainForm& window = OpenWithAlbums();
    ShowImage(window, 2, 2);  // the preview is the current image
    window.SelectNode(Node(window, 0, 0));
    window.TreeEditClick();  // cancelled
    EXPECT_EQ(Node(window, 0, 0)->text(0), "Beach");
    EXPECT_FALSE(window.FAlbumsModified);
    Prompts->Captions = {"Sunset"};
    window.TreeEditClick();
    EXPECT_EQ(Node(window, 0, 0)->text(0), "Sunset");
    EXPECT_TRUE(window.FAlbumsModified);
}

// Status panel 2 names the selected photo's file, and nothing once the selection is no photo.
TEST_F(TreeTest, TheStatusBarNamesAFileOnlyWhileAPhotoIsSelected) {
    TMainForm& window = OpenWithAlbums();
    const auto selectedFile = [&]() -> QString {
        const TPhotoNode* photo = AsPhotoNode(window.SelectedNode());
        return photo ? QString::fromStdString(photo->Photo().FileName) : QString();
    };
    const auto showPhotoThen = [&](const std::function<void()>& step) {
        Click(window, Node(window, 0, 0));
        EXPECT_FALSE(window.StatusText(2).isEmpty());
        step();
        EXPECT_EQ(window.StatusText(2), selectedFile());
    };
    showPhotoThen([&] { Click(window, Node(window, 0)); });
    showPhotoThen([&] {
        Prompts->Answers = {mrYes};
        window.TreeDeleteClick();  // the photo: the next one is selected and named
    });
    showPhotoThen([&] {
        window.SelectNode(Node(window, 1));
        Prompts->Answers = {mrYes};
        window.TreeDeleteClick();  // the other album
    });
    showPhotoThen([&] {
        window.SelectNode(Node(window, 0));
        Prompts->Answers = {mrYes};
        window.TreeDeleteClick();  // the last album: nothing is left to select
        EXPECT_EQ(window.FAlbumTree->topLevelItemCount(), 0);
        EXPECT_EQ(window.StatusText(2), "");
    });
}

TEST_F(TreeTest, ABaseFolderWithoutAlbumsLeavesNoFileNameBehind) {
    TMainForm& window = OpenWithAlbums();
    Click(window, Node(window, 0, 0));
    Prompts->NewBaseDir = (Base / "empty").string();
    window.FilePrefsClick();
    EXPECT_EQ(window.FAlbumTree->topLevelItemCount(), 0);
    EXPECT_EQ(window.StatusText(1), "");
    EXPECT_EQ(window.StatusText(2), "");
}

TEST_F(TreeTest, TheThumbnailsHintReachesTheStatusBar) {
    TMainForm& window = OpenWithAlbums();
    QStatusTipEvent tip(window.FThumbView->statusTip());
    QApplication::sendEvent(&window, &tip);
    EXPECT_EQ(window.StatusText(3), "Double-click to display full image");
    EXPECT_EQ(window.FThumbView->toolTip(), "Double-click to display full image");
}
