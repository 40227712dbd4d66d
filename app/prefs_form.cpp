#include "prefs_form.h"

#include "cd_writers.h"
#include "dialog_frame.h"
#include "hints.h"
#include "scan_source_list.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int kWebIndexRowHeight = 26;

// The up-down control of the quality: its edit is `edQuality`, shown read-only.
class TQualityUpDown : public QSpinBox {
public:
    using QSpinBox::QSpinBox;
    QLineEdit* Edit() const { return lineEdit(); }
};

// The description of a device ID string: everything after the drive letter and its colon
// (characters 7 and 8).
std::string DescriptionOf(const std::string& deviceID) {
    return deviceID.size() > 8 ? deviceID.substr(8) : std::string();
}

// The folder browser starts at the base folder, or at the default one while none is stored.
QString StartFolder(const std::string& baseDir) {
    return QString::fromStdString(baseDir.empty() ? DefaultBaseFolder() : baseDir);
}

} // namespace

TPrefsForm::TPrefsForm(QWidget* owner, std::vector<TCDWriterChoice> writers, TScanSourceList* scanners,
                       const QString& helpFile)
    : QDialog(owner), FScanner(scanners) {
    setObjectName("PrefsForm");
    setWindowTitle("Fotolark Application Settings");
    // The designed 307 x 221, and a row more for the web pages' check box below the fields.
    SetDialogFrame(this, QSize(307, 221 + kWebIndexRowHeight));

    Bevel1 = MakeBevel("Bevel1");
    lblScanner = new QLabel("Scanner:");
    cbxScanners = new QComboBox;
    cbxScanners->setObjectName("cbxScanners");
    SetHint(cbxScanners, "Select your default scanner");
    lblScanner->setBuddy(cbxScanners);

    lblCDR = new QLabel("CD-Writer:");
    cbxCDR = new QComboBox;
    cbxCDR->setObjectName("cbxCDR");
    cbxCDR->setMinimumWidth(44);
    SetHint(cbxCDR, "Select your CD-R/RW drive");
    lblCDR->setBuddy(cbxCDR);
    lblCDDesc = new QLabel;
    lblCDDesc->setObjectName("lblCDDesc");
    // A long description is cut at the dialog's edge rather than widening it; its tool tip
    // shows it whole.
    lblCDDesc->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);

    Label3 = new QLabel("JPEG Image Quality:");
    auto* upDown = new TQualityUpDown;
    udQuality = upDown;
    udQuality->setObjectName("udQuality");
    udQuality->setRange(1, 10);
    udQuality->setValue(10);
    SetHint(udQuality, "Adjust JPEG image quality");
    edQuality = upDown->Edit();
    edQuality->setObjectName("edQuality");
    edQuality->setReadOnly(true);
    Label3->setBuddy(udQuality);

    Label1 = new QLabel("\"Base\" Storage Folder:");
    edStorage = new QLineEdit;
    edStorage->setObjectName("edStorage");
    edStorage->setReadOnly(true);
    btnDirSelect = new QPushButton("Select...");
    btnDirSelect->setObjectName("btnDirSelect");
    btnDirSelect->setAutoDefault(false);  // Enter confirms the dialog wherever the focus is
    SetHint(btnDirSelect, "Choose a folder for storing images and albums");
    Label1->setBuddy(btnDirSelect);

    cxWebIndex = new QCheckBox("Add web pages to the disc");
    cxWebIndex->setObjectName("cxWebIndex");
    SetHint(cxWebIndex, "Put web pages of the albums on every disc, for any web browser");

    btnOk = MakeCloseButton(this, "btnOk", "&Ok", "Accept preferences", Accepted);
    btnOk->setDefault(true);
    btnCancel = MakeCloseButton(this, "btnCancel", "&Cancel", "Close without changing preferences", Rejected);
    btnCancel->setAutoDefault(false);
    sbHelp = MakeHelpButton(this, helpFile);

    auto* fields = new QGridLayout(Bevel1);
    fields->addWidget(lblScanner, 0, 0);
    fields->addWidget(cbxScanners, 0, 1, 1, 2);
    fields->addWidget(lblCDR, 1, 0);
    fields->addWidget(cbxCDR, 1, 1);
    fields->addWidget(lblCDDesc, 2, 0, 1, 3);
    fields->addWidget(Label3, 3, 0);
    fields->addWidget(udQuality, 3, 1);
    fields->addWidget(Label1, 4, 0, 1, 3);
    fields->addWidget(edStorage, 5, 0, 1, 2);
    fields->addWidget(btnDirSelect, 5, 2, Qt::AlignRight);
    fields->addWidget(cxWebIndex, 6, 0, 1, 3);
    fields->setColumnStretch(2, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Bevel1);
    layout->addLayout(MakeButtonRow(sbHelp, {btnOk, btnCancel}));

    ChooseFolder = [](QWidget* parent, const QString& title, const QString& start) {
        return QFileDialog::getExistingDirectory(parent, title, start, QFileDialog::ShowDirsOnly);
    };

    FormCreate(writers);
    connect(cbxCDR, &QComboBox::currentIndexChanged, this, &TPrefsForm::cbxCDRChange);
    connect(cbxScanners, &QComboBox::currentIndexChanged, this, &TPrefsForm::cbxScannersChange);
    connect(udQuality, &QSpinBox::valueChanged, this, &TPrefsForm::edQualityChange);
    connect(btnDirSelect, &QPushButton::clicked, this, &TPrefsForm::btnDirSelectClick);
}

bool TPrefsForm::Execute(QWidget* owner, std::vector<TCDWriterChoice> writers, TScanSourceList* scanners,
                         const QString& helpFile) {
    TPrefsForm form(owner, std::move(writers), scanners, helpFile);
    return form.exec() == Accepted;
}

void TPrefsForm::FormCreate(const std::vector<TCDWriterChoice>& writers) {
    edStorage->setText(StartFolder(FPrefs.BaseDir));
    lblCDDesc->clear();
    udQuality->setValue(FPrefs.Quality / 10);
    cxWebIndex->setChecked(FPrefs.WebIndex);

    int stored = -1;
    for (const TCDWriterChoice& writer : writers) {
        const std::string drive = DriveLetterOf(writer.DeviceID);
        if (drive == FPrefs.CDWriter && stored < 0) stored = cbxCDR->count();
        cbxCDR->addItem(QString::fromStdString(drive));
        // The inquiry fields are padded with blanks; one blank between words reads better.
        std::string description = QString::fromStdString(DescriptionOf(writer.DeviceID)).simplified().toStdString();
        if (!writer.DeviceNode.empty()) description += " (" + writer.DeviceNode + ")";
        FDriveDescriptions.push_back(description);
        FDriveMedia.push_back(writer.Writes);
    }
    if (cbxCDR->count() > 0) {
        cbxCDR->setCurrentIndex(stored >= 0 ? stored : 0);
        cbxCDRChange();
    } else {
        cbxCDR->setEnabled(false);
        lblCDR->setEnabled(false);
    }
}

void TPrefsForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!FActivated) FormActivate();
}

// The sources are searched once per run on a worker thread; until the search has ended the
// box says so, and the stored scanner stays as it is.
void TPrefsForm::FormActivate() {
    FActivated = true;
    if (!FScanner) {
        FillScanners({});
        return;
    }
    connect(FScanner, &TScanSourceList::SourcesListed, this, [this] { FillScanners(FScanner->Names()); });
    if (FScanner->Listed()) {
        FillScanners(FScanner->Names());
        return;
    }
    const QSignalBlocker blocker(cbxScanners);
    cbxScanners->addItem(kLookingForScanners);
    cbxScanners->setEnabled(false);
    FScanner->Start();
}

void TPrefsForm::FillScanners(const std::vector<std::string>& sources) {
    if (FScannersListed) return;
    FScannersListed = true;
    const QSignalBlocker blocker(cbxScanners);
    cbxScanners->clear();
    cbxScanners->setEnabled(true);
    int selected = -1;
    for (const std::string& source : sources) {
        const QString name = QString::fromStdString(source);
        if (selected < 0 && name.compare(QString::fromStdString(FPrefs.Scansource), Qt::CaseInsensitive) == 0)
            selected = cbxScanners->count();
        cbxScanners->addItem(name);
    }
    if (FPrefs.Scansource.empty() && !sources.empty()) selected = 0;
    cbxScanners->setCurrentIndex(selected);
}

void TPrefsForm::cbxCDRChange() {
    const int index = cbxCDR->currentIndex();
    const QString description = index >= 0 && std::size_t(index) < FDriveDescriptions.size()
                                    ? QString::fromStdString(FDriveDescriptions[std::size_t(index)])
                                    : QString();
    lblCDDesc->setText(description);
    // The media go into the tip: the label keeps its one line of the dialog's layout.
    const std::string media = index >= 0 && std::size_t(index) < FDriveMedia.size() ? FDriveMedia[std::size_t(index)] : "";
    lblCDDesc->setToolTip(media.empty() ? description : description + "\n" + QString::fromStdString(media));
}

void TPrefsForm::cbxScannersChange() {
    if (cbxScanners->currentIndex() >= 0) FPrefs.Scansource = cbxScanners->currentText().toStdString();
}

void TPrefsForm::edQualityChange() {
    FPrefs.Quality = udQuality->value() * 10;
}

void TPrefsForm::btnDirSelectClick() {
    const QString folder = ChooseFolder(this, "Base Storage Folder", edStorage->text());
    if (folder.isEmpty()) return;
    FPrefs.BaseDir = folder.toStdString();
    edStorage->setText(folder);
}

void TPrefsForm::done(int result) {
    FSaveOnClose = result == Accepted;
    FormClose();
    QDialog::done(result);
}

void TPrefsForm::FormClose() {
    FPrefs.CDWriter = cbxCDR->currentText().toStdString();
    // A stored scanner that is no longer listed, and was not replaced, is kept; so is the
    // stored one while the search has not ended.
    if (FScannersListed && cbxScanners->count() == 0) FPrefs.Scansource.clear();
    else if (FScannersListed && cbxScanners->currentIndex() >= 0)
        FPrefs.Scansource = cbxScanners->currentText().toStdString();
    FPrefs.Quality = udQuality->value() * 10;
    FPrefs.WebIndex = cxWebIndex->isChecked();
    if (FSaveOnClose) FPrefs.Save();
}

std::optional<TStorageFolders> ChangedStorageFolders(const std::string& currentAlbumDir) {
    const TStorageFolders folders = StorageFolders(BaseFolder(TPrefs().BaseDir));
    if (folders.AlbumDir == currentAlbumDir) return std::nullopt;
    CreateStorageFolders(folders);
    return folders;
}
