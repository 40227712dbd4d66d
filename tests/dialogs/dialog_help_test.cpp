// Every dialog has the help button `sbHelp`, and it and F1 open the contents of the help file
// the dialog was given.
#include "album_list_form.h"
#include "del_album_form.h"
#include "del_photo_form.h"
#include "dialog_test_support.h"
#include "help_viewer.h"
#include "img_modify_form.h"
#include "jpeg_io.h"
#include "photo_form.h"
#include "used_image_form.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <memory>

namespace {

const QString BuiltHelpFile = QStringLiteral(FOTOLARK_BINARY_DIR "/app/flk.chm");

using TMakeDialog = std::function<std::unique_ptr<QDialog>(const QString& helpFile, const std::string& imageDir)>;

struct TDialogCase {
    const char* Name;
    TMakeDialog Make;
};

void PrintTo(const TDialogCase& c, std::ostream* out) { *out << c.Name; }

TPhoto& SomePhoto() {
    static TPhoto photo = [] {
        TPhoto made;
        made.FileName = "photo.jpg";
        return made;
    }();
    return photo;
}

const TDialogCase Dialogs[] = {
    {"PhotoProperties",
     [](const QString& help, const std::string&) {
         return std::make_unique<TPhotoForm>(nullptr, TBitmap32(), SomePhoto(), help);
     }},
    {"AddPhotoToAlbum",
     [](const QString& help, const std::string&) {
         return std::make_unique<TAlbumListForm>(nullptr, std::vector<std::string>{"Album"}, QString(), help);
     }},
    {"ImageAlreadyUsed",
     [](const QString& help, const std::string& imageDir) {
         return std::make_unique<TUsedImageForm>(nullptr, SomePhoto(), "Album", imageDir, help);
     }},
    {"RemovePhoto",
     [](const QString& help, const std::string& imageDir) {
         return std::make_unique<TDelPhotoForm>(nullptr, SomePhoto(), imageDir, imageDir, help);
     }},
    {"RemoveAlbum",
     [](const QString& help, const std::string&) { return std::make_unique<TDelAlbumForm>(nullptr, "Album", help); }},
    {"ModifyImage",
     [](const QString& help, const std::string&) {
         return std::make_unique<TImgModifyForm>(nullptr, TBitmap32(2, 2), help);
     }},
};

class DialogHelpTest : public ::testing::TestWithParam<TDialogCase> {
protected:
    void SetUp() override {
        if (!QFile::exists(BuiltHelpFile)) GTEST_SKIP() << "the help file is not built";
        ASSERT_TRUE(QFile::copy(BuiltHelpFile, Folder.filePath("flk.chm")));
        HelpFile = Folder.filePath("flk.chm");
        WriteJpegFile(TBitmap32(8, 8), Folder.filePath("photo.jpg").toStdString(), 90);
        Dialog = GetParam().Make(HelpFile, Folder.path().toStdString());
    }
    void TearDown() override {
        Dialog.reset();
        for (QWidget* window : QApplication::topLevelWidgets())
            if (qobject_cast<THelpWindow*>(window)) delete window;
    }

    // The help window showing `HelpFile`, if one is open.
    THelpWindow* OpenHelp() const {
        for (QWidget* window : QApplication::topLevelWidgets())
            if (auto* help = qobject_cast<THelpWindow*>(window); help && help->HelpFile() == HelpFile) return help;
        return nullptr;
    }

    QTemporaryDir Folder;
    QString HelpFile;
    std::unique_ptr<QDialog> Dialog;
};

TEST_P(DialogHelpTest, HelpButtonOpensTheContents) {
    auto* sbHelp = Dialog->findChild<QToolButton*>("sbHelp");
    ASSERT_TRUE(sbHelp);
    ExpectHint(sbHelp, "Fotolark Help|Fotolark Help");
    ASSERT_FALSE(OpenHelp());
    sbHelp->click();
    ASSERT_TRUE(OpenHelp());
    EXPECT_TRUE(OpenHelp()->isVisible());
}

TEST_P(DialogHelpTest, F1OpensTheContents) {
    Dialog->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Dialog.get()));
    QTest::keyClick(Dialog.get(), Qt::Key_F1);
    EXPECT_TRUE(OpenHelp());
}

INSTANTIATE_TEST_SUITE_P(Dialogs, DialogHelpTest, ::testing::ValuesIn(Dialogs));

} // namespace
