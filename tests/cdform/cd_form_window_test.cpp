// The help button and F1 of both CD dialogs, and minimising the CD window.
#include "cd_form_fixture.h"
#include "cdsize_form.h"
#include "help_button.h"
#include "help_viewer.h"

#include <QFile>
#include <QScreen>
#include <QTest>
#include <QToolButton>

namespace {

const QString BuiltHelpFile = QStringLiteral(FOTOLARK_BINARY_DIR "/app/flk.chm");

THelpWindow* OpenHelp() {
    for (QWidget* window : QApplication::topLevelWidgets())
        if (auto* help = qobject_cast<THelpWindow*>(window); help && help->HelpFile() == BuiltHelpFile) return help;
    return nullptr;
}

void CloseHelp() {
    for (QWidget* window : QApplication::topLevelWidgets())
        if (qobject_cast<THelpWindow*>(window)) delete window;
}

TEST_F(TCDFormTest, HelpButtonAndF1OpenTheContents) {
    if (!QFile::exists(BuiltHelpFile)) GTEST_SKIP() << "the help file is not built";
    Prompts.CDSize = 650;
    Form = std::make_unique<TCDForm>(Albums.Folders, *Burner, BuiltHelpFile, &Prompts);
    TCDSizeForm sizeForm(nullptr, BuiltHelpFile);
    for (QDialog* dialog : std::initializer_list<QDialog*>{Form.get(), &sizeForm}) {
        SCOPED_TRACE(dialog->windowTitle().toStdString());
        dialog->findChild<QToolButton*>("sbHelp")->click();
        EXPECT_TRUE(OpenHelp());
        CloseHelp();
        dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(dialog));
        QTest::keyClick(dialog, Qt::Key_F1);
        EXPECT_TRUE(OpenHelp());
        CloseHelp();
        dialog->hide();
    }
}

// Both CD dialogs show the help button every other dialog shows: the help icon, no text.
TEST_F(TCDFormTest, TheHelpButtonLooksAsInEveryDialog) {
    QDialog other;
    const QImage helpIcon = CreateHelpButton(&other, BuiltHelpFile)->icon().pixmap(16).toImage();
    ASSERT_FALSE(helpIcon.isNull());
    Prompts.CDSize = 650;
    Form = std::make_unique<TCDForm>(Albums.Folders, *Burner, BuiltHelpFile, &Prompts);
    TCDSizeForm sizeForm(nullptr, BuiltHelpFile);
    for (QDialog* dialog : std::initializer_list<QDialog*>{Form.get(), &sizeForm}) {
        SCOPED_TRACE(dialog->windowTitle().toStdString());
        const QToolButton* help = dialog->findChild<QToolButton*>("sbHelp");
        EXPECT_EQ(help->text(), "");
        EXPECT_EQ(help->icon().pixmap(16).toImage(), helpIcon);
        EXPECT_TRUE(help->autoRaise());
    }
}

// Without a stored place the window opens centred on the main window, inside the screen.
TEST_F(TCDFormTest, TheFirstDisplayIsCentredOnItsOwner) {
    QWidget owner;
    owner.setGeometry(120, 60, 700, 520);
    owner.show();
    Prompts.CDSize = 650;
    Form = std::make_unique<TCDForm>(Albums.Folders, *Burner, QString(), &Prompts, &owner);
    Form->show();
    EXPECT_LE((Form->geometry().center() - owner.geometry().center()).manhattanLength(), 2);
    EXPECT_TRUE(Form->screen()->availableGeometry().contains(Form->frameGeometry()));
    Form.reset();  // before its owner, which would delete it otherwise
}

TEST_F(TCDFormTest, MinimisingMinimisesTheProgram) {
    QWidget mainWindow;
    mainWindow.show();
    Prompts.CDSize = 650;
    Open().showMinimized();
    QCoreApplication::processEvents();
    EXPECT_TRUE(mainWindow.isMinimized());
}

} // namespace
