// "Set CD-R Size" on its own.
#include "cdsize_form.h"
#include "fixed_dialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

TEST(CDSizeFormTest, TextsAndControls) {
    TCDSizeForm form;
    EXPECT_EQ(form.windowTitle(), "Set CD-R Size");
    EXPECT_EQ(form.Label1->text(), "Fotolark has been unable to detect a CD-R/RW drive on your system.");
    EXPECT_EQ(form.Label2->text(),
              "You can create a CD image (ISO) file, which can be written to a blank CD on another system.");
    EXPECT_EQ(form.Label3->text(), "Please enter the size, in megabytes, of the blank CD that will be used.");
    EXPECT_TRUE(form.Label1->wordWrap());
    EXPECT_EQ(form.edCDSize->text(), "650");
    EXPECT_EQ(form.edCDSize->maxLength(), 3);
    EXPECT_EQ(form.btnOk->text(), "&Ok");
    EXPECT_TRUE(form.btnOk->isDefault());
    EXPECT_EQ(form.btnCancel->text(), "&Cancel");
    EXPECT_EQ(form.sbHelp->toolTip(), "Fotolark Help");
    EXPECT_EQ(form.windowFlags() & kTitleBarHints,
              kFixedDialogHints) << "a caption and close, no minimise or maximise";
    EXPECT_EQ(form.minimumSize(), form.maximumSize());
}

TEST(CDSizeFormTest, OnlyDigitsCanBeTyped) {
    TCDSizeForm form;
    form.edCDSize->clear();
    QTest::keyClicks(form.edCDSize, "7a0-01");
    EXPECT_EQ(form.edCDSize->text(), "700");  // letters and signs refused, at most 3 digits
    EXPECT_EQ(form.Megabytes(), 700);
}

TEST(CDSizeFormTest, OkNeedsASize) {
    for (const char* text : {"", "0"}) {
        TCDSizeForm form;
        form.show();
        form.edCDSize->setText(text);
        form.btnOk->click();
        EXPECT_TRUE(form.isVisible()) << text;
        EXPECT_EQ(form.lblError->text(), "Please enter a size of 1 to 999 MB.");
        form.edCDSize->setText("64");
        form.btnOk->click();
        EXPECT_EQ(form.result(), QDialog::Accepted);
        EXPECT_FALSE(form.isVisible());
    }
}

TEST(CDSizeFormTest, ExecuteReportsTheSizeOrCancel) {
    for (const bool ok : {true, false}) {
        QTimer::singleShot(0, [ok] {
            auto* form = qobject_cast<TCDSizeForm*>(QApplication::activeModalWidget());
            ASSERT_NE(form, nullptr);
            form->edCDSize->setText("80");
            (ok ? form->btnOk : form->btnCancel)->click();
        });
        int megabytes = -1;
        EXPECT_EQ(TCDSizeForm::Execute(nullptr, QString(), megabytes), ok);
        EXPECT_EQ(megabytes, ok ? 80 : -1);
    }
}

} // namespace
