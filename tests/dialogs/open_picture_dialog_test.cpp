// The picture open dialog: its filter as shown and applied, and the preview pane that decodes
// the chosen file on a worker thread.
#include "open_picture_dialog.h"

#include "dialog_test_support.h"
#include "fit_image.h"
#include "hang_guard.h"
#include "jpeg_io.h"

#include <QComboBox>
#include <QSignalSpy>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class OpenPictureDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        Folder = fs::temp_directory_path() / ("fotolark-open-" + std::to_string(::getpid()));
        fs::create_directories(Folder);
    }
    void TearDown() override { fs::remove_all(Folder); }

    QString Jpeg(const char* name, int width, int height) {
        TBitmap32 picture(width, height);
        picture.Clear(Color32(40, 90, 160));
        WriteJpegFile(picture, (Folder / name).string(), 80);
        return QString::fromStdString((Folder / name).string());
    }
    // Asks the pane for `path` and waits until it shows what was asked for last.
    static void ShowAndWait(TPicturePreview& preview, const QString& path) {
        QSignalSpy shown(&preview, &TPicturePreview::PictureShown);
        preview.ShowFile(path);
        if (shown.isEmpty()) {
            ASSERT_TRUE(shown.wait(HangGuardMs));
        }
    }

    fs::path Folder;
};

TEST_F(OpenPictureDialogTest, ShowsTheDesignedFilterTextOnce) {
    TOpenPictureDialog dialog;
    auto* types = dialog.findChild<QComboBox*>("fileTypeCombo");
    ASSERT_TRUE(types);
    ASSERT_EQ(types->count(), 1);
    EXPECT_EQ(types->itemText(0), "JPEG Image File (*.jpg,.jpeg)");
    EXPECT_EQ(dialog.fileMode(), QFileDialog::ExistingFile);
}

TEST_F(OpenPictureDialogTest, ThePreviewShowsTheChosenPictureScaledIntoThePane) {
    TOpenPictureDialog dialog;
    TPicturePreview& preview = dialog.Preview();
    ShowAndWait(preview, Jpeg("wide.jpg", 800, 400));
    EXPECT_TRUE(preview.Picture().HasPicture());
    EXPECT_EQ(preview.Picture().PictureRect(), QRect(0, 0, 200, 100));
    EXPECT_EQ(preview.SizeText(), "800 \u00d7 400");

    std::ofstream(Folder / "broken.jpg") << "not a picture";
    const struct {
        const char* What;
        QString Path;
    } empty[] = {{"a damaged file", QString::fromStdString((Folder / "broken.jpg").string())},
                 {"a folder", QString::fromStdString(Folder.string())},
                 {"nothing", QString()}};
    for (const auto& c : empty) {
        SCOPED_TRACE(c.What);
        ShowAndWait(preview, Jpeg("again.jpg", 30, 60));
        ShowAndWait(preview, c.Path);
        EXPECT_FALSE(preview.Picture().HasPicture());
        EXPECT_EQ(preview.SizeText(), "");
    }
}

// Moving on quickly: only the last file chosen is shown, whatever order the decodings end in.
TEST_F(OpenPictureDialogTest, OnlyTheLastChoiceIsShown) {
    TPicturePreview preview;
    const QString first = Jpeg("first.jpg", 1600, 1200);
    const QString last = Jpeg("last.jpg", 60, 90);
    QSignalSpy shown(&preview, &TPicturePreview::PictureShown);
    preview.ShowFile(first);
    preview.ShowFile(last);
    ASSERT_TRUE(shown.wait(HangGuardMs));
    EXPECT_EQ(shown.count(), 1) << "the first picture's decoding is dropped";
    EXPECT_EQ(preview.SizeText(), "60 \u00d7 90");
}

} // namespace
