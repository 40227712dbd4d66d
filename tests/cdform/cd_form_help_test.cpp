// The help button and F1 of both CD dialogs, and the CD window's minimise and close rules.
#include "cd_job_fixture.h"
#include "cdsize_form.h"
#include "help_viewer.h"

#include <QFile>
#include <QTest>
#include <QToolButton>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <thread>

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

TEST_F(TCDFormTest, MinimisingMinimisesTheProgram) {
    QWidget mainWindow;
    mainWindow.show();
    Prompts.CDSize = 650;
    Open().showMinimized();
    QCoreApplication::processEvents();
    EXPECT_TRUE(mainWindow.isMinimized());
}

// Closing right after "&Abort Write" waits for the aborted job and handles its end.
TEST_F(TCDJobTest, ClosingRightAfterAnAbort) {
    Albums.AddAlbum("Holidays", 0, {"a.jpg"});
    std::ofstream(Albums.Folders.ImageDir + "a.jpg", std::ios::binary) << PatternBytes(40 * 63488, 5);
    Open();
    Form->btnCopyAllClick();
    Iso = Scratch.Path() + "/pipe.iso";
    ASSERT_EQ(mkfifo(Iso.c_str(), 0600), 0);
    const int reader = open(Iso.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    Prompts.IsoFile = QString::fromStdString(Iso);
    Form->btnBurnClick();
    ASSERT_TRUE(Form->JobRunning());
    EXPECT_FALSE(Form->btnClose->isEnabled());
    Form->close();
    EXPECT_TRUE(Form->isVisible());  // no closing while the job runs

    Form->btnAbort->click();
    // Drains the pipe until the recording thread closes it, so that it can see the abort.
    fcntl(reader, F_SETFL, 0);
    std::thread drain([reader] {
        std::vector<char> sink(65536);
        while (read(reader, sink.data(), sink.size()) > 0) {
        }
    });
    Form->btnClose->click();
    drain.join();
    close(reader);
    EXPECT_FALSE(Form->isVisible());
    EXPECT_EQ(Message(), "Error: OPERATION ABORTED BY USER");
    ExpectJobEndedCleanly();
}

} // namespace
