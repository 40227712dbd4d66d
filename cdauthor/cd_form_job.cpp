// The CD window's write job: assembling the disc, starting it on the recorder or into an
// image file, its progress, abort and end.
#include "cd_form.h"

#include "cd_form_lists.h"
#include "cd_form_widgets.h"
#include "recorder_steps.h"
#include "mcdburner.h"
#include "scsi_texts.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include <algorithm>

namespace {

const QString kVerifyingText = QStringLiteral("Verifying\u2026");

} // namespace

std::string TCDForm::Title() const {
    return edTitle->text().toStdString();
}

void TCDForm::btnBurnClick() {
    if (FJobRunning) return;  // the end of the last job has not been handled yet
    const bool toFile = cxISOFile->isChecked();
    if (toFile) {
        // An image file never replaces what the disc is made from.
        const TDiscContent content = LayoutContent();
        const QString file = FPrompts->SaveIsoFile(this, [&content](const QString& target) {
            return QString::fromStdString(ImageTargetRefusal(target.toStdString(), content));
        });
        if (file.isEmpty()) return;
        FBurner.ISOFileName = file.toStdString();
    }
    FJobRunning = true;
    SetBusy(true);
    QCoreApplication::processEvents();
    ApplyJobSettings(toFile);
    if (!toFile && !WaitForBlankDisc()) {
        if (FWaitAborted) SetMessage("");  // a cancelled question leaves the message as it was
        RefuseStart();
        return;
    }
    SetMessage("Preparing files for writing...");
    lblMessage->repaint();
    if (!BuildContent()) return;
    FBurner.PrepareImage(toFile);
    if (toFile) StartFileJob();
    else StartRecorderJob();
}

void TCDForm::ApplyJobSettings(bool toFile) {
    const TPrefs prefs;
    FBurner.IdVolume = VolumeIdFor(Title());
    // A test write records nothing to read back; an image file is always really written.
    FBurner.Verify = cxVerify->isChecked() && (toFile || !cxTestBurn->isChecked());
    if (toFile) return;
    SelectRecorder(FBurner, prefs.CDWriter);
    ApplyDriveJobSettings(FBurner, cxTestBurn->isChecked());
}

bool TCDForm::WaitForBlankDisc() {
    FWaitAborted = false;
    SetMessage("Waiting for CD to be ready...");
    if (FBurner.WaitReady(10000, 5000)) return true;
    if (!FPrompts->AskOkCancel(this, "Insert Blank CD",
                               "Make sure a blank CD-R is in the CD-R/RW drive.\nClick Ok to write")) {
        ShowDriveWait(0);  // the wait is over: a line about it gives way to the message
        return false;
    }
    // "&Abort Write" ends this wait, so that a user without a disc is never stuck.
    btnAbort->show();
    while (!FWaitAborted && !FBurner.TestUnitReady(5000)) ProcessEventsFor(kDriveWaitMs);
    btnAbort->hide();
    return !FWaitAborted;
}

TDiscContent TCDForm::LayoutContent() const {
    TDiscContent content;
    for (const TAlbum* album : LBLayout->Albums()) content.Albums.push_back(album);
    content.AlbumDir = FFolders.AlbumDir;
    content.ImageDir = FFolders.ImageDir;
    content.ThumbDir = FFolders.ThumbDir;
    content.Title = Title();
    content.ViewerPath = ViewerPath;
    content.WebPages = FWebPages;
    return content;
}

bool TCDForm::BuildContent() {
    std::string error;
    if (!FTemp.Create()) error = "Can't create a folder in " + TDiscTempFiles::SystemTempFolder();
    else if (BuildDiscContent(FBurner, LayoutContent(), FTemp, error)) return true;
    SetMessage(QString::fromStdString("Error: " + error));
    EndDiscJob(FBurner, FTemp);
    RefuseStart();
    return false;
}

void TCDForm::StartFileJob() {
    FProgress->setMaximum(static_cast<int>(std::max<int64_t>(FBurner.ImageBlocks(), 1)));
    FProgress->setValue(0);
    btnAbort->show();
    SetMessage(QString::fromStdString("Creating " + FBurner.ISOFileName));
    FTimer->start();
    FBurner.WriteISOFile(FBurner.ISOFileName);
}

void TCDForm::StartRecorderJob() {
    if (!ImageFitsOnDisc(FBurner)) {
        FPrompts->ShowMessage(this, "Layout Error", kNotEnoughSpaceText);
        SetMessage("");
        EndDiscJob(FBurner, FTemp);
        RefuseStart();
        return;
    }
    if (TestWriteRefused(FBurner)) {
        SetMessage(kNoTestWriteText);
        EndDiscJob(FBurner, FTemp);
        RefuseStart();
        return;
    }
    FFinalizing = false;
    FProgress->setMaximum(static_cast<int>(std::max<int64_t>(FBurner.ImageBlocks(), 1)));
    FProgress->setValue(0);
    btnAbort->show();
    SetMessage("Writing the CD");
    FTimer->start();
    FBurner.BurnCD();  // a producer failure is reported through OnWriteDone
}

// A start refused before any recording: back to editing.
void TCDForm::RefuseStart() {
    FJobRunning = false;
    SetBusy(false);
}

void TCDForm::SetBusy(bool busy) {
    btnBurn->setEnabled(!busy && LBLayout->Count() > 0);
    btnClose->setEnabled(!busy);
    if (busy == FBusyCursor) return;
    FBusyCursor = busy;
    if (busy) QApplication::setOverrideCursor(Qt::WaitCursor);
    else QApplication::restoreOverrideCursor();
}

void TCDForm::OnAddFile(const std::string& longFileName) {
    SetMessage(QString::fromStdString(AddingFileMessage(longFileName)));
    QCoreApplication::processEvents();
}

void TCDForm::FTimerTimer() {
    // Reading back runs the bar a second time, over the same blocks.
    const bool verifying = FBurner.Verifying();
    if (verifying && lblMessage->text() != kVerifyingText) SetMessage(kVerifyingText);
    const int64_t bytes = verifying ? FBurner.BytesVerified() : FBurner.BytesWritten();
    FProgress->setValue(static_cast<int>(std::min<int64_t>(bytes / 2048, FProgress->maximum())));
    FProgress->repaint();
}

void TCDForm::btnAbortClick() {
    if (FFinalizing && FJobRunning &&
        !FPrompts->AskOkCancel(this, "Abort Write", QString(kAbortWhileFinalizingText) + "\nAbort anyway?"))
        return;
    FWaitAborted = true;
    btnAbort->hide();
    if (!FJobRunning || !FTimer->isActive()) return;  // only the wait for a disc was running
    FBurner.AbortWrite();
    // "&Write CD" follows when the aborted job has ended, so that two jobs never overlap.
    btnClose->setEnabled(true);
}

void TCDForm::WriteDone(const std::string& error) {
    // The recording thread and its producer let go of the disc tree before it is emptied.
    FBurner.WaitForJob();
    std::vector<std::string> leftOut = LeftOutReport(FBurner.LeftOutFiles());
    FTemp.Delete();
    FTimer->stop();
    FTimerTimer();
    EndDriveJob(FBurner);
    QApplication::beep();
    FBurner.ClearTree();
    FProgress->setValue(0);
    FProgress->setMaximum(std::max(Capacity, 1));  // editing shows the disc's share again
    btnAbort->hide();
    FJobRunning = false;
    FFinalizing = false;
    SetBusy(false);
    // Blanks alone are no error; a real error text is shown as the job gave it.
    const std::string outcome = !TrimBlanks(error).empty() ? "Error: " + error
                                : cxTestBurn->isChecked() ? "Test was successful."
                                : FBurner.Verified()      ? "CD created and verified."
                                                          : "CD created.";
    SetMessage(QString::fromStdString(outcome));
    if (!leftOut.empty()) ShowLeftOut(outcome, leftOut);
}

// The outcome, then how many files were left off the disc, then which and why.
void TCDForm::ShowLeftOut(const std::string& outcome, std::vector<std::string> lines) {
    std::string text = outcome + "\n\n" + lines.back();
    lines.pop_back();
    for (const std::string& line : lines) text += "\n" + line;
    FPrompts->ShowMessage(this, windowTitle(), QString::fromStdString(text));
}

// Closing the window while an aborted job is still ending: wait for that end and handle it.
void TCDForm::FinishPendingJob() {
    if (!FJobRunning) return;
    FBurner.AbortWrite();
    FBurner.WaitForJob();
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}
