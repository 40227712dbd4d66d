#include "album_list_form.h"
#include "dialog_test_support.h"
#include "fixed_dialog.h"

#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QTest>

namespace {

const std::vector<std::string> Names = {"Holidays", "Caf\xe9s", "Family"};

TEST(AlbumListFormTest, ListsTheAlbumsWithTheFirstChosen) {
    TAlbumListForm form(nullptr, Names);
    EXPECT_EQ(form.windowTitle(), "Add Photo to Album");
    EXPECT_EQ(form.size(), QSize(248, 320));
    EXPECT_EQ(form.windowFlags() & Qt::WindowType_Mask, Qt::Tool);
    EXPECT_EQ(form.windowFlags() & kTitleBarHints,
              kFixedDialogHints) << "a caption and close, no minimise or maximise";
    ASSERT_EQ(form.lbAlbums->count(), 3);
    EXPECT_EQ(form.lbAlbums->item(1)->text(), QString::fromUtf8("Cafés"));
    EXPECT_EQ(form.lbAlbums->currentRow(), 0);
    EXPECT_EQ(form.lblAlbumName->text(), "Holidays");
    EXPECT_EQ(form.btnOk->text(), "&Ok");
    EXPECT_TRUE(form.btnOk->isDefault());
    EXPECT_TRUE(form.btnOk->isEnabled());
    EXPECT_EQ(form.btnCancel->text(), "&Cancel");
    ExpectHint(form.lbAlbums, "Avaliable albums");
    ExpectHint(form.lblAlbumName, "Selected album");
    ExpectHint(form.btnOk, "Add photo to selected album");
    ExpectHint(form.btnCancel, "Close without adding photo to album");
}

TEST(AlbumListFormTest, WithoutAlbumsOkIsDisabled) {
    TAlbumListForm form(nullptr, {}, "Choose");
    EXPECT_EQ(form.windowTitle(), "Choose");
    EXPECT_FALSE(form.btnOk->isEnabled());
    EXPECT_TRUE(form.lblAlbumName->text().isEmpty());
    EXPECT_EQ(form.AlbumName(), "");
}

TEST(AlbumListFormTest, OkReturnsTheClickedTitleAsItsBytes) {
    AnswerDialog<TAlbumListForm>([](TAlbumListForm& form) {
        QListWidget* list = form.lbAlbums;
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(1)).center());
        EXPECT_EQ(form.lblAlbumName->text(), QString::fromUtf8("Cafés"));
        form.btnOk->click();
    });
    std::string chosen;
    ASSERT_TRUE(TAlbumListForm::Execute(nullptr, Names, chosen));
    EXPECT_EQ(chosen, "Caf\xe9s");
}

TEST(AlbumListFormTest, DoubleClickChoosesAndCloses) {
    AnswerDialog<TAlbumListForm>([](TAlbumListForm& form) {
        QListWidget* list = form.lbAlbums;
        const QPoint at = list->visualItemRect(list->item(2)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    });
    std::string chosen;
    ASSERT_TRUE(TAlbumListForm::Execute(nullptr, Names, chosen));
    EXPECT_EQ(chosen, "Family");
}

TEST(AlbumListFormTest, CancelLeavesTheNameAlone) {
    AnswerDialog<TAlbumListForm>([](TAlbumListForm& form) { form.btnCancel->click(); });
    std::string chosen = "unchanged";
    EXPECT_FALSE(TAlbumListForm::Execute(nullptr, Names, chosen));
    EXPECT_EQ(chosen, "unchanged");
}

struct TPlaceCase {
    const char* Name;
    QPoint Wanted;
    QPoint Expected;
};

void PrintTo(const TPlaceCase& c, std::ostream* out) { *out << c.Name; }

class KeepInsideTest : public ::testing::TestWithParam<TPlaceCase> {};

// A 248 x 320 dialog, a main window at (100, 50) of 800 x 600 on a 1024 x 768 screen.
TEST_P(KeepInsideTest, PlacesTheWholeDialog) {
    EXPECT_EQ(KeepInside(GetParam().Wanted, QSize(248, 320), QRect(100, 50, 800, 600), QRect(0, 0, 1024, 768)),
              GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Points, KeepInsideTest,
    ::testing::Values(TPlaceCase{"inside", {300, 200}, {300, 200}},
                      TPlaceCase{"past the window's right", {800, 200}, {652, 200}},
                      TPlaceCase{"past the window's bottom", {300, 500}, {300, 330}},
                      TPlaceCase{"left of the window", {20, 10}, {100, 50}},
                      TPlaceCase{"off the screen", {5000, 5000}, {652, 330}}));

TEST(KeepInsideTest, AWindowPartlyOffScreenStillGivesAWholeDialog) {
    EXPECT_EQ(KeepInside({900, 600}, QSize(248, 320), QRect(600, 400, 800, 600), QRect(0, 0, 1024, 768)),
              QPoint(776, 448));
    EXPECT_EQ(KeepInside({10, 10}, QSize(2000, 2000), QRect(0, 0, 800, 600), QRect(0, 0, 1024, 768)), QPoint(0, 0));
}

TEST(AlbumListFormTest, ExecutePlacesTheDialogInsideTheWindow) {
    QWidget window;
    window.setGeometry(40, 30, 600, 500);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QPoint at;
    AnswerDialog<TAlbumListForm>([&at](TAlbumListForm& form) {
        at = form.pos();
        form.btnCancel->click();
    });
    std::string chosen;
    TAlbumListForm::Execute(&window, Names, chosen, window.mapToGlobal(QPoint(590, 490)));
    const QRect placed(at, QSize(248, 320));
    EXPECT_TRUE(window.frameGeometry().contains(placed)) << placed.x() << "," << placed.y();
    EXPECT_TRUE(window.screen()->availableGeometry().contains(placed));

    AnswerDialog<TAlbumListForm>([&at](TAlbumListForm& form) {
        at = form.pos();
        form.btnCancel->click();
    });
    TAlbumListForm::Execute(&window, Names, chosen, {-1, -1});
    EXPECT_EQ(at, window.mapToGlobal(QPoint(300 - 124, 250 - 160)));
}

} // namespace
