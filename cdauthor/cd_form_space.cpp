// The CD window's first display (the capacity of the blank disc), the space shown, and the
// moving of albums between the two lists.
#include "cd_form.h"

#include "cd_form_lists.h"
#include "cd_form_widgets.h"
#include "disc_web.h"
#include "recorder_steps.h"
#include "mcdburner.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include <algorithm>

namespace {

constexpr int32_t kAssumedCapacity = 333000;  // sectors of a 650 MB CD-R

} // namespace

void TCDForm::FormActivate() {
    if (FShown) return;
    FShown = true;
    if (!ReadBaseSectors()) return;
    const TPrefs prefs;
    // A chosen recorder that is not there (any more) could never become ready: the window
    // then works as without one.
    if (SelectRecorder(FBurner, prefs.CDWriter)) AskRecorderCapacity(prefs.CDWriter);
    else AskImageCapacity();
    FProgress->setMaximum(std::max(Capacity, 1));  // a range of 0 would make a busy indicator
    UpdateSpace();
}

bool TCDForm::ReadBaseSectors() {
    QFile viewer(QString::fromStdString(ViewerPath));
    if (!viewer.open(QIODevice::ReadOnly)) {
        FPrompts->ShowError(this, QString("Cannot open file \"%1\". %2").arg(viewer.fileName(), viewer.errorString()));
        return false;
    }
    BaseSectors = static_cast<int32_t>((viewer.size() + 2047) / 2048 + 1);
    return true;
}

void TCDForm::AskRecorderCapacity(const std::string& cdWriter) {
    const QString drive = QString::fromStdString(cdWriter);
    const QString question = "Please place a blank CD into drive " + drive +
                             "\nso that Fotolark can determine\nthe amount of available space.\n\n"
                             "If you click Cancel here, a 650MB CD-R is assumed";
    if (!FPrompts->AskOkCancel(this, "Insert Blank CD", question)) {
        AssumeDefaultCapacity();
        return;
    }
    // The window stays responsive while the disc spins up; closing it ends the wait.
    while (!FBurner.TestUnitReady(5000) && isVisible()) {
        SetMessage("Waiting for CD to be ready...");
        ProcessEventsFor(kDriveWaitMs);
    }
    SetMessage("Checking CD-R size...");
    Capacity = static_cast<int32_t>(FBurner.FreeBlocks());
    SetMessage("");
    FBurner.AllowMediumRemoval(true);
}

void TCDForm::AskImageCapacity() {
    cxISOFile->setChecked(true);
    cxISOFile->setEnabled(false);
    int megabytes = 0;
    if (FPrompts->AskCDSize(this, FHelpFile, megabytes)) Capacity = megabytes * 512;  // N MB of 2048-byte sectors
    else AssumeDefaultCapacity();
}

void TCDForm::AssumeDefaultCapacity() {
    Capacity = kAssumedCapacity;
    SetMessage("Assuming 650 MB CD-R");
}

void TCDForm::UpdateSpace() {
    int64_t used = BaseSectors;
    const std::vector<TAlbum*> layout = LBLayout->Albums();
    for (const TAlbum* album : layout) used += album->SectorCount();
    // The pages of a layout; with none there is no disc to write.
    if (FWebPages && !layout.empty()) used += WebPagesSectors(Title(), {layout.begin(), layout.end()});
    // During a job the bar shows the job's progress instead.
    if (!FJobRunning) FProgress->setValue(static_cast<int>(std::min<int64_t>(used, FProgress->maximum())));
    lblUsed->setText("Used: " + MegabytesText(used) + " MB");
    const int64_t available = Capacity - used;
    lblAvailable->setText("Available: " + MegabytesText(available) + " MB");
    // An overfull layout shows its negative space in red.
    QPalette colours = lblAvailable->palette();
    colours.setColor(QPalette::WindowText, available < 0 ? QColor(Qt::red) : palette().color(QPalette::WindowText));
    lblAvailable->setPalette(colours);
    btnBurn->setEnabled(LBLayout->Count() > 0 && !FJobRunning);
}

bool TCDForm::LBDragOver(QObject* source) const {
    return source == LBAlbums || source == LBLayout;
}

void TCDForm::LBDragDrop(TAlbumListBox* target, QObject* source, QPoint pos) {
    if (!LBDragOver(source)) return;
    auto* from = static_cast<TAlbumListBox*>(source);
    const int row = from->SelectedRow();
    if (row < 0) return;
    if (from == target) {
        // Dropped below the last item: the album goes to the end.
        const int to = target->RowAt(pos);
        target->MoveItem(row, to < 0 ? target->Count() - 1 : to);
        return;
    }
    target->AppendAlbum(from->AlbumAt(row));
    from->RemoveAt(row);
    UpdateSpace();
}

void TCDForm::MoveAllAlbums(TAlbumListBox* from, TAlbumListBox* to) {
    for (TAlbum* album : from->Albums()) to->AppendAlbum(album);
    from->clear();
    UpdateSpace();
}

void TCDForm::btnCopyAllClick() {
    MoveAllAlbums(LBAlbums, LBLayout);
}

void TCDForm::btnRemoveAllClick() {
    MoveAllAlbums(LBLayout, LBAlbums);
}
