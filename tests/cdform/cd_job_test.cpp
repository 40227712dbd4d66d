// The write job into an image file, with the window in image-file mode (no drive access).
#include "cd_job_fixture.h"
#include "prefs.h"

#include <QSettings>
#include <QTest>

#include <thread>

namespace {

namespace fs = std::filesystem;

TEST_F(TCDJobTest, TitledDiscMatchesTheDiscToolAndHoldsASharedPhotoOnce) {
    Albums.AddAlbum("Holidays", 0, {"a.jpg", "shared.jpg"});
    Albums.AddAlbum("Garden", 1, {"c.jpg", "shared.jpg"});
    Albums.AddAlbum("Empty", 2, {});
    Open();
    Drag(Form->LBAlbums, 1, Form->LBLayout);  // Garden first
    Form->btnCopyAllClick();
    std::vector<std::string> added;
    const TAddFileEvent windowHandler = Burner->OnAddFile;
    Burner->OnAddFile = [&](TMCDBurner* sender, const std::string& path, std::string& longName, std::string& shortName,
                            TDateTime& date, int32_t attr, int64_t size, bool& skip) {
        windowHandler(sender, path, longName, shortName, date, attr, size, skip);
        added.push_back(Message().toStdString());
    };

    Write("Summer 2004");
    EXPECT_EQ(Message(), "CD created and verified.");
    ExpectJobEndedCleanly();
    EXPECT_EQ(Form->FProgress->value(), 0);
    EXPECT_EQ(added.front(), "Adding autorun.inf to CD layout");
    // The four root files, then each photo and thumbnail, then index.html and in Web/ three album
    // pages, four photo pages and the style sheet.
    EXPECT_EQ(added.size(), 4u + 2 * 4 + 9);
    EXPECT_EQ(added.back(), "Adding style.css to CD layout");
    EXPECT_EQ(Prompts.Asked, (QStringList{"Set CD-R Size", "Save"}));

    const std::string disc = Extract(Iso);
    EXPECT_EQ(ReadBytes(disc + "autorun.inf"), "[autorun]\r\nopen=Diorama.exe\r\nicon=Diorama.exe\r\nlabel=Summer 2004\r\n");
    EXPECT_EQ(ReadBytes(disc + "title.txt"), "Summer 2004\r\n");
    EXPECT_EQ(ReadBytes(disc + "Diorama.exe"), "MZ stand-in viewer");
    EXPECT_EQ(ReadBytes(disc + "Albums.dat"), Catalogue());
    EXPECT_EQ(ReadBytes(disc + "Images/shared.jpg"), TAlbumFolder::ImageBytes("shared.jpg"));
    EXPECT_EQ(std::distance(fs::directory_iterator(disc + "Images"), fs::directory_iterator()), 3);
    EXPECT_EQ(std::distance(fs::directory_iterator(disc + "Thumbs"), fs::directory_iterator()), 3);
    EXPECT_NE(RunCommand("isoinfo -d -i " + Quote(Iso)).Output.find("Volume id: Summer 2004"), std::string::npos);
    EXPECT_EQ(DatelessView(Iso), DatelessView(DiscToolImage("Summer 2004")));
}

TEST_F(TCDJobTest, UntitledTestOfOneEmptyAlbum) {
    Albums.AddAlbum("Empty", 0, {});
    Open();
    Form->btnCopyAllClick();
    Write("", true);
    EXPECT_EQ(Message(), "Test was successful.");
    EXPECT_FALSE(Burner->TestWrite);  // the test-write setting only applies to a recorder
    ExpectJobEndedCleanly();

    const std::string disc = Extract(Iso);
    EXPECT_FALSE(fs::exists(disc + "title.txt"));
    EXPECT_TRUE(ReadBytes(disc + "autorun.inf").ends_with("\r\nlabel=Photo Album Viewer\r\n"));
    EXPECT_TRUE(fs::is_directory(disc + "Images") && fs::is_empty(disc + "Images"));
    EXPECT_TRUE(fs::is_directory(disc + "Thumbs") && fs::is_empty(disc + "Thumbs"));
    EXPECT_EQ(ReadBytes(disc + "Albums.dat").substr(0, 4), std::string("\x01\x00\x00\x00", 4));
    EXPECT_NE(RunCommand("isoinfo -d -i " + Quote(Iso)).Output.find("Volume id: Fotolark"), std::string::npos);
    EXPECT_EQ(DatelessView(Iso), DatelessView(DiscToolImage("")));
}

TEST_F(TCDJobTest, WebIndexDecidesWhetherTheDiscHasPages) {
    Albums.AddAlbum("Holidays", 0, {"a.jpg"});
    for (const bool web : {false, true}) {
        SCOPED_TRACE(web);
        TPrefs prefs;
        prefs.WebIndex = web;
        prefs.Save();
        Form.reset();  // one window at a time holds the burner's events
        Open();
        Form->btnCopyAllClick();
        Write("Summer 2004");
        EXPECT_EQ(Message(), "CD created and verified.");
        ExpectJobEndedCleanly();
        const std::string disc = Extract(Iso);
        EXPECT_EQ(fs::exists(disc + "index.html"), web);
        EXPECT_EQ(fs::exists(disc + "Web/album-1-photo-1.html"), web);
        EXPECT_EQ(ReadBytes(disc + "Images/a.jpg"), TAlbumFolder::ImageBytes("a.jpg"));
    }
}

TEST_F(TCDJobTest, CancelInTheSaveDialogChangesNothing) {
    Albums.AddAlbum("Holidays", 0, {"a.jpg"});
    Open();
    Form->btnCopyAllClick();
    const QString message = Message();
    Prompts.IsoFile.clear();
    Form->btnBurnClick();
    EXPECT_EQ(Prompts.Asked.last(), "Save");
    EXPECT_FALSE(Form->JobRunning());
    EXPECT_EQ(Message(), message);
    EXPECT_TRUE(Form->btnBurn->isEnabled());
    EXPECT_TRUE(Form->btnClose->isEnabled());
    EXPECT_FALSE(fs::exists(Iso));
    EXPECT_TRUE(fs::is_empty(TempFolder));
}

// The save dialog takes no image file that would replace a photo, an album or the viewer, nor
// one inside Albums/ or Images/: it says why, and no job starts.
TEST_F(TCDJobTest, TheSaveDialogRefusesTargetsAmongTheInputs) {
    Albums.AddAlbum("Holidays", 0, {"a.jpg"});
    Open();
    Form->btnCopyAllClick();
    const std::string photo = Albums.Folders.ImageDir + "a.jpg";
    for (const std::string& target : {photo, Albums.Folders.AlbumDir + "album0.alb", Viewer,
                                      Albums.Folders.ImageDir + "new.iso"}) {
        Prompts.IsoFile = QString::fromStdString(target);
        Prompts.Errors.clear();
        Form->btnBurnClick();
        ASSERT_EQ(Prompts.Errors.size(), 1) << target;
        EXPECT_TRUE(Prompts.Errors[0].startsWith(QString::fromStdString(target + " is "))) << Prompts.Errors[0].toStdString();
        EXPECT_FALSE(Form->JobRunning());
        EXPECT_TRUE(Form->btnBurn->isEnabled());
    }
    EXPECT_EQ(ReadBytes(photo), TAlbumFolder::ImageBytes("a.jpg"));
    EXPECT_EQ(ReadBytes(Viewer), "MZ stand-in viewer");
    EXPECT_FALSE(fs::exists(Albums.Folders.ImageDir + "new.iso"));
    EXPECT_TRUE(fs::is_empty(TempFolder));

    Prompts.Errors.clear();
    Write("");  // a place outside the base folder is taken
    EXPECT_TRUE(Prompts.Errors.isEmpty());
    EXPECT_EQ(Message(), "CD created and verified.");
}

// After the job the window says which photos the disc could not hold: "CD created." followed by
// the count and one line per file.
TEST_F(TCDJobTest, LeftOutPhotosAreShownAfterTheJob) {
    Albums.AddAlbum("Beach", 0, {"sea.jpg", "Sea.JPG", "lost.jpg"}, {"lost.jpg"});
    Open();
    Form->btnCopyAllClick();
    Write("");
    EXPECT_EQ(Message(), "CD created and verified.");
    ExpectJobEndedCleanly();
    ASSERT_EQ(Prompts.Asked.last(), "Create a CD");
    const std::string images = Albums.Folders.ImageDir, thumbs = Albums.Folders.ThumbDir;
    EXPECT_EQ(Prompts.Texts.last().toStdString(),
              "CD created and verified.\n\n4 files were left out of the disc.\n"
              "\\Images\\Sea.JPG: name differs only in letter case from sea.jpg (" + images + "Sea.JPG)\n"
              "\\Thumbs\\Sea.JPG: name differs only in letter case from sea.jpg (" + thumbs + "Sea.JPG)\n"
              "\\Images\\lost.jpg: missing (" + images + "lost.jpg)\n"
              "\\Thumbs\\lost.jpg: missing (" + thumbs + "lost.jpg)");

    // The next job, with nothing left out, shows no list.
    Albums.AddAlbum("Beach", 0, {"sea.jpg"});
    Form.reset();
    Prompts.Asked.clear();
    Open();
    Form->btnCopyAllClick();
    Write("");
    EXPECT_EQ(Message(), "CD created and verified.");
    EXPECT_FALSE(Prompts.Asked.contains("Create a CD"));
}

// The title box takes no control character; one that reaches the title anyway (set by code)
// stops the job before anything is written.
TEST_F(TCDJobTest, ATitleWithAControlCharacterCannotBeEnteredNorWritten) {
    Albums.AddAlbum("Holidays", 0, {"a.jpg"});
    Open();
    Form->btnCopyAllClick();
    Form->edTitle->setFocus();
    QTest::keyClicks(Form->edTitle, "Summer");
    Form->edTitle->insert("\r\nopen=evil.exe");
    QTest::keyClick(Form->edTitle, Qt::Key_Return);
    QTest::keyClick(Form->edTitle, Qt::Key_Tab);
    EXPECT_EQ(Form->edTitle->text(), "Summer");
    Form->edTitle->insert(" 2004");
    EXPECT_EQ(Form->edTitle->text(), "Summer 2004");

    Prompts.IsoFile = QString::fromStdString(Iso);
    Form->edTitle->setText("Summer\nopen=evil.exe");  // code bypasses the check of typed text
    Form->btnBurnClick();
    EXPECT_EQ(Message(), "Error: The title holds a control character, such as a line break");
    EXPECT_FALSE(Form->JobRunning());
    EXPECT_FALSE(fs::exists(Iso));
    EXPECT_TRUE(fs::is_empty(TempFolder));
}

TEST_F(TCDJobTest, AbortEndsTheJobAndTheNextJobWritesAgain) {
    const int reader = StartJobIntoPipe();
    EXPECT_EQ(Message(), "Creating " + Prompts.IsoFile);
    EXPECT_FALSE(Form->btnAbort->isHidden());
    EXPECT_GT(Form->FProgress->maximum(), 40 * 31);

    Form->btnAbort->click();
    EXPECT_TRUE(Form->btnAbort->isHidden());
    EXPECT_TRUE(Form->btnClose->isEnabled());
    EXPECT_FALSE(Form->btnBurn->isEnabled());  // until the aborted job has ended
    std::vector<char> sink(65536);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            while (read(reader, sink.data(), sink.size()) > 0) {
            }
            return !Form->JobRunning();
        },
        HangGuardMs));
    close(reader);
    EXPECT_EQ(Message(), "Error: OPERATION ABORTED BY USER");
    ExpectJobEndedCleanly();

    Write("Again");
    EXPECT_EQ(Message(), "CD created and verified.");
    EXPECT_EQ(ReadBytes(Extract(Iso) + "Images/a.jpg"), BigPhoto());
}

// Closing right after "&Abort Write" waits for the aborted job and handles its end.
TEST_F(TCDJobTest, ClosingRightAfterAnAbort) {
    const int reader = StartJobIntoPipe();
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

TEST_F(TCDJobTest, ASourcePhotoThatGoesMissingEndsTheJobWithTheProducersMessage) {
    Albums.AddAlbum("Holidays", 0, {"a.jpg", "gone.jpg"});
    std::ofstream(Albums.Folders.ImageDir + "a.jpg", std::ios::binary) << PatternBytes(40 * 63488, 4);
    Open();
    Form->btnCopyAllClick();
    const std::string gone = Albums.Folders.ThumbDir + "gone.jpg";
    const TAddFileEvent windowHandler = Burner->OnAddFile;
    Burner->OnAddFile = [&](TMCDBurner* sender, const std::string& path, std::string& longName, std::string& shortName,
                            TDateTime& date, int32_t attr, int64_t size, bool& skip) {
        windowHandler(sender, path, longName, shortName, date, attr, size, skip);
        if (path == gone) fs::remove(gone);  // found and added, gone before it is read
    };
    Write("");
    EXPECT_EQ(Message().toStdString(),
              "Error: CAN'T OPEN FILE \"" + gone + "\" OR FILE IS IN USES BY OTHER SOFTWARE");
    ExpectJobEndedCleanly();
    EXPECT_FALSE(fs::exists(Iso));
}

TEST_F(TCDJobTest, ProgressFollowsTheBytesWritten) {
    Albums.AddAlbum("Holidays", 0, {"a.jpg"});
    Open();
    Form->btnCopyAllClick();
    Write("");
    // The last update of the job's end shows the whole image before the bar is reset.
    EXPECT_EQ(Burner->BytesWritten(), Burner->ImageBlocks() * 2048);
    Form->FProgress->setMaximum(static_cast<int>(Burner->ImageBlocks()));
    Form->FTimerTimer();
    EXPECT_EQ(Form->FProgress->value(), Burner->ImageBlocks());
}

} // namespace

// "Verify written data" sits under "Test Write", is on by default and off while a test write
// is chosen; turned off it is kept in the settings and the job ends without reading back.
TEST_F(TCDJobTest, VerifyIsTheDefaultAndCanBeTurnedOff) {
    Albums.AddAlbum("Holidays", 0, {"a.jpg"});
    Open();
    Form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Form.get()));
    EXPECT_EQ(Form->cxVerify->x(), Form->cxTestBurn->x());
    EXPECT_GT(Form->cxVerify->y(), Form->cxTestBurn->y());
    EXPECT_EQ(Form->cxISOFile->y(), Form->cxTestBurn->y());
    EXPECT_TRUE(Form->cxVerify->isChecked());
    Form->cxTestBurn->setChecked(true);
    EXPECT_FALSE(Form->cxVerify->isEnabled());
    Form->cxTestBurn->setChecked(false);
    EXPECT_TRUE(Form->cxVerify->isEnabled());

    Form->cxVerify->setChecked(false);
    EXPECT_EQ(QSettings(QSettings::IniFormat, QSettings::UserScope, "Fotolark", "Fotolark").value("Prefs/Verify"), "0");
    Form->btnCopyAllClick();
    Write("");
    EXPECT_EQ(Message(), "CD created.");
    EXPECT_FALSE(Burner->Verified());
    EXPECT_EQ(ReadBytes(Extract(Iso) + "Images/a.jpg"), ReadBytes(Albums.Folders.ImageDir + "a.jpg"));
    Form->cxVerify->setChecked(true);
    EXPECT_TRUE(ReadVerifySetting());
}

// The end message carries the job's error text as the job gave it; blanks alone are no error.
TEST_F(TCDJobTest, TheEndMessageShowsTheErrorTextUnchanged) {
    const struct {
        const char* Error;
        const char* Message;
    } cases[] = {{" DRIVE SAID NO \r\n", "Error:  DRIVE SAID NO \r\n"}, {"  ", "CD created."}, {"", "CD created."}};
    Open();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Error);
        Burner->OnWriteDone(Burner.get(), c.Error);
        QCoreApplication::sendPostedEvents(Form.get(), QEvent::MetaCall);
        EXPECT_EQ(Message(), c.Message);
    }
}
