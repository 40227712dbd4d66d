// The Preferences dialog "Fotolark Application Settings", with real settings files and the
// scanner sources of SANE's "test" backend.
#include "prefs_form.h"
#include "scan_source_list.h"
#include "scratch_settings.h"
#include "hang_guard.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFrame>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

namespace {

// The sources of this run, searched once for the whole program.
TScanSourceList& Scanners() {
    static TScanSourceList scanners;
    scanners.Start();
    return scanners;
}

void WaitForScanners() {
    ASSERT_TRUE(QTest::qWaitFor([] { return Scanners().Listed(); }, HangGuardMs));
    QCoreApplication::processEvents();
}

QByteArray SettingsFileBytes() {
    QFile file(OpenSettings()->fileName());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

const std::vector<TCDWriterChoice> kTwoWriters{
    {"0:0:0,D: VIRTUAL  CD-RW ONE       1.00", "/dev/sr0", ""},
    {"0:1:0,E: VIRTUAL  CD-RW TWO       2.00", "/dev/sr1", ""},
};

class PrefsFormTest : public ::testing::Test {
protected:
    // The settings the dialog starts from.
    void Store(const std::function<void(TPrefs&)>& change) {
        TPrefs prefs;
        change(prefs);
        prefs.Save();
    }
    TPrefsForm& Form(std::vector<TCDWriterChoice> writers = {}, TScanSourceList* scanners = &Scanners()) {
        FForm = std::make_unique<TPrefsForm>(nullptr, std::move(writers), scanners);
        FForm->show();
        return *FForm;
    }
    TScratchSettings FSettings;
    std::unique_ptr<TPrefsForm> FForm;
};

TEST_F(PrefsFormTest, ControlsTextsAndHints) {
    TPrefsForm& form = Form();
    EXPECT_EQ(form.windowTitle(), "Fotolark Application Settings");
    EXPECT_EQ(form.size(), QSize(307, 221 + 26));  // a row more for the web pages' check box
    EXPECT_EQ(form.lblScanner->text(), "Scanner:");
    EXPECT_EQ(form.lblCDR->text(), "CD-Writer:");
    EXPECT_EQ(form.Label3->text(), "JPEG Image Quality:");
    EXPECT_EQ(form.Label1->text(), "\"Base\" Storage Folder:");
    EXPECT_EQ(form.btnDirSelect->text(), "Select...");
    EXPECT_EQ(form.btnOk->text(), "&Ok");
    EXPECT_EQ(form.btnCancel->text(), "&Cancel");
    EXPECT_TRUE(form.btnOk->isDefault());
    EXPECT_EQ(form.cbxScanners->toolTip(), "Select your default scanner");
    EXPECT_EQ(form.cbxCDR->toolTip(), "Select your CD-R/RW drive");
    EXPECT_EQ(form.udQuality->toolTip(), "Adjust JPEG image quality");
    EXPECT_EQ(form.btnDirSelect->toolTip(), "Choose a folder for storing images and albums");
    EXPECT_EQ(form.btnOk->toolTip(), "Accept preferences");
    EXPECT_EQ(form.btnCancel->toolTip(), "Close without changing preferences");
    EXPECT_EQ(form.sbHelp->toolTip(), "Fotolark Help");
    EXPECT_EQ(form.sbHelp->statusTip(), "Fotolark Help");
    EXPECT_EQ(form.edQuality->text(), "10");  // "Quality" 100
    EXPECT_TRUE(form.edQuality->isReadOnly());
    EXPECT_EQ(form.udQuality->minimum(), 1);
    EXPECT_EQ(form.udQuality->maximum(), 10);
    EXPECT_TRUE(form.edStorage->isReadOnly());
    EXPECT_EQ(form.edStorage->text().toStdString(), DefaultBaseFolder());
    // No recorder: the drive box and its label are disabled.
    EXPECT_FALSE(form.cbxCDR->isEnabled());
    EXPECT_FALSE(form.lblCDR->isEnabled());
    EXPECT_EQ(form.lblCDDesc->text(), "");
    EXPECT_EQ(form.cxWebIndex->text(), "Add web pages to the disc");
    EXPECT_EQ(form.cxWebIndex->toolTip(), "Put web pages of the albums on every disc, for any web browser");
    EXPECT_TRUE(form.cxWebIndex->isChecked());  // "WebIndex" defaults to on
    // Below the storage folder, inside the frame of the fields.
    EXPECT_EQ(form.cxWebIndex->parentWidget(), form.Bevel1);
    EXPECT_GT(form.cxWebIndex->geometry().top(), form.edStorage->geometry().bottom());
    EXPECT_LE(form.Bevel1->geometry().bottom(), form.btnOk->geometry().top());
}

TEST_F(PrefsFormTest, CancelLeavesEverySettingAsItWas) {
    QTemporaryDir folder;
    Store([](TPrefs& prefs) {
        prefs.Quality = 70;
        prefs.CDWriter = "D:";
        prefs.Scansource = "test:0";
        prefs.BaseDir = "/somewhere/photos";
    });
    const QByteArray before = SettingsFileBytes();
    WaitForScanners();
    TPrefsForm& form = Form(kTwoWriters);
    form.ChooseFolder = [&](QWidget*, const QString&, const QString&) { return folder.path(); };
    form.udQuality->setValue(3);
    form.cbxCDR->setCurrentIndex(1);
    form.cbxScanners->setCurrentIndex(1);
    form.btnDirSelect->click();
    EXPECT_EQ(form.edStorage->text(), folder.path());
    form.cxWebIndex->setChecked(false);
    form.btnCancel->click();
    EXPECT_EQ(form.result(), QDialog::Rejected);
    EXPECT_EQ(SettingsFileBytes(), before);
}

TEST_F(PrefsFormTest, EscapeCancelsAndEnterConfirms) {
    Store([](TPrefs& prefs) { prefs.Quality = 50; });
    TPrefsForm& escaped = Form();
    escaped.udQuality->setValue(8);
    QTest::keyClick(&escaped, Qt::Key_Escape);
    EXPECT_FALSE(escaped.isVisible());
    EXPECT_EQ(TPrefs().Quality, 50);

    TPrefsForm& entered = Form();
    entered.udQuality->setFocus();
    QTest::keyClick(entered.udQuality, Qt::Key_Up);  // the up-down steps although its edit is read-only
    EXPECT_EQ(entered.edQuality->text(), "6");
    entered.btnDirSelect->setFocus();
    QTest::keyClick(entered.btnDirSelect, Qt::Key_Return);
    EXPECT_EQ(entered.result(), QDialog::Accepted);
    EXPECT_EQ(TPrefs().Quality, 60);
}

TEST_F(PrefsFormTest, QualityIsShownInStepsOfTen) {
    Store([](TPrefs& prefs) { prefs.Quality = 95; });
    TPrefsForm& form = Form();
    EXPECT_EQ(form.udQuality->value(), 9);
    EXPECT_EQ(form.edQuality->text(), "9");
    form.btnOk->click();
    EXPECT_EQ(TPrefs().Quality, 90);
}

TEST_F(PrefsFormTest, WebIndexFollowsTheCheckBoxOnOk) {
    Store([](TPrefs& prefs) { prefs.WebIndex = false; });
    TPrefsForm& off = Form();
    EXPECT_FALSE(off.cxWebIndex->isChecked());
    off.btnOk->click();
    EXPECT_FALSE(TPrefs().WebIndex);
    EXPECT_EQ(OpenSettings()->value("Prefs/WebIndex").toString(), "0");

    TPrefsForm& on = Form();
    on.cxWebIndex->click();
    on.btnOk->click();
    EXPECT_TRUE(TPrefs().WebIndex);
}

TEST_F(PrefsFormTest, StoredWriterIsPreselectedWithItsDescription) {
    Store([](TPrefs& prefs) { prefs.CDWriter = "E:"; });
    TPrefsForm& form = Form(kTwoWriters);
    EXPECT_TRUE(form.cbxCDR->isEnabled());
    EXPECT_EQ(form.cbxCDR->count(), 2);
    EXPECT_EQ(form.cbxCDR->currentText(), "E:");
    EXPECT_EQ(form.lblCDDesc->text(), "VIRTUAL CD-RW TWO 2.00 (/dev/sr1)");
    form.cbxCDR->setCurrentIndex(0);
    EXPECT_EQ(form.lblCDDesc->text(), "VIRTUAL CD-RW ONE 1.00 (/dev/sr0)");
    form.btnOk->click();
    EXPECT_EQ(TPrefs().CDWriter, "D:");
}

// What each drive writes is in the description's tip; the label keeps its single line.
TEST_F(PrefsFormTest, TheDescriptionTipTellsWhatTheDriveWrites) {
    TPrefsForm& form = Form({{"0:0:0,D: VIRTUAL  BD WRITER       1.00", "/dev/sr0", "writes CD-R, DVD+R, BD-R, BD-RE"},
                             {"0:1:0,E: VIRTUAL  CD-RW TWO       2.00", "/dev/sr1", ""}});
    EXPECT_EQ(form.lblCDDesc->text(), "VIRTUAL BD WRITER 1.00 (/dev/sr0)");
    EXPECT_EQ(form.lblCDDesc->toolTip(), "VIRTUAL BD WRITER 1.00 (/dev/sr0)\nwrites CD-R, DVD+R, BD-R, BD-RE");
    form.cbxCDR->setCurrentIndex(1);
    EXPECT_EQ(form.lblCDDesc->toolTip(), "VIRTUAL CD-RW TWO 2.00 (/dev/sr1)");
}

TEST_F(PrefsFormTest, WriterSettingFollowsTheListOnOk) {
    Store([](TPrefs& prefs) { prefs.CDWriter = "F:"; });
    TPrefsForm& first = Form(kTwoWriters);  // not listed: the first writer
    EXPECT_EQ(first.cbxCDR->currentText(), "D:");
    first.btnOk->click();
    EXPECT_EQ(TPrefs().CDWriter, "D:");

    Form({}).btnOk->click();  // no CD-R writer at all: cleared
    EXPECT_EQ(TPrefs().CDWriter, "");
}

TEST_F(PrefsFormTest, ScannerNameDifferingInLetterCaseSelectsThatSource) {
    Store([](TPrefs& prefs) { prefs.Scansource = "TEST:1"; });
    WaitForScanners();
    TPrefsForm& form = Form();
    EXPECT_EQ(form.cbxScanners->count(), 2);
    EXPECT_EQ(form.cbxScanners->currentText(), "test:1");
    form.btnOk->click();
    EXPECT_EQ(TPrefs().Scansource, "test:1");
}

TEST_F(PrefsFormTest, ScannerChoiceRules) {
    WaitForScanners();
    {
        TPrefsForm& form = Form();  // nothing stored: the first source
        EXPECT_EQ(form.cbxScanners->currentText(), "test:0");
        form.cbxScanners->setCurrentIndex(1);
        form.btnOk->click();
        EXPECT_EQ(TPrefs().Scansource, "test:1");
    }
    {
        Store([](TPrefs& prefs) { prefs.Scansource = "gone:0"; });
        TPrefsForm& form = Form();  // no longer listed and not replaced: kept
        EXPECT_EQ(form.cbxScanners->currentIndex(), -1);
        form.btnOk->click();
        EXPECT_EQ(TPrefs().Scansource, "gone:0");
    }
    {
        TPrefsForm& form = Form({}, nullptr);  // no scanner interface: cleared
        EXPECT_EQ(form.cbxScanners->count(), 0);
        form.btnOk->click();
        EXPECT_EQ(TPrefs().Scansource, "");
    }
}

TEST_F(PrefsFormTest, ScannerListShowsTheSearchUntilItEnds) {
    Store([](TPrefs& prefs) { prefs.Scansource = "test:1"; });
    TScanSourceList searching;  // not started: the dialog starts it
    TPrefsForm& form = Form({}, &searching);
    EXPECT_EQ(form.cbxScanners->currentText(), "Looking for scanners...");
    EXPECT_FALSE(form.cbxScanners->isEnabled());
    ASSERT_TRUE(QTest::qWaitFor([&] { return form.cbxScanners->isEnabled(); }, HangGuardMs));
    EXPECT_EQ(form.cbxScanners->currentText(), "test:1");
}

TEST_F(PrefsFormTest, OkBeforeTheSearchEndsKeepsTheStoredScanner) {
    Store([](TPrefs& prefs) { prefs.Scansource = "test:1"; });
    TScanSourceList searching("libsane-not-installed.so.1");
    TPrefsForm& form = Form({}, &searching);
    form.btnOk->click();  // no events processed since show(): the result has not arrived
    EXPECT_EQ(TPrefs().Scansource, "test:1");
}

TEST_F(PrefsFormTest, NewBaseFolderChangesTheStorageFolders) {
    QTemporaryDir base;
    const std::string current = StorageFolders(BaseFolder("")).AlbumDir;
    TPrefsForm& form = Form();
    form.ChooseFolder = [&](QWidget*, const QString& title, const QString& start) {
        EXPECT_EQ(title, "Base Storage Folder");
        EXPECT_EQ(start.toStdString(), DefaultBaseFolder());
        return base.path();
    };
    form.btnDirSelect->click();
    form.btnOk->click();
    EXPECT_EQ(TPrefs().BaseDir, base.path().toStdString());

    const auto changed = ChangedStorageFolders(current);
    ASSERT_TRUE(changed);
    EXPECT_EQ(changed->AlbumDir, base.path().toStdString() + "/Albums/");
    EXPECT_TRUE(QDir(QString::fromStdString(changed->ThumbDir)).exists());
    EXPECT_TRUE(QDir(QString::fromStdString(changed->ImageDir)).exists());
    // The same folder again changes nothing.
    EXPECT_FALSE(ChangedStorageFolders(changed->AlbumDir));
}

} // namespace
