// "Fotolark Application Settings": the default scanner, the CD writer, the JPEG quality, the
// base storage folder and whether discs carry web pages of the albums. The dialog keeps its own settings object and saves it only when
// the user confirms.
#pragma once

#include "prefs.h"

#include <QDialog>

#include <functional>
#include <optional>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QToolButton;
class TScanSourceList;

// A drive that can write CD-R, as the recorder component lists it (CdWriterIDs).
struct TCDWriterChoice {
    // The device ID string ("0:1:0,D: VENDOR PRODUCT REV"): the drive letter and colon at
    // characters 7 and 8, the description after them.
    std::string DeviceID;
    // The drive's device node, such as "/dev/sr0"; empty when it has none.
    std::string DeviceNode;
    // What the drive writes ("writes CD-R, DVD+R, BD-R"), shown in the description's tip.
    std::string Writes;
};

class TPrefsForm : public QDialog {
    Q_OBJECT
public:
    // `writers`: the CD-R writers of the recorder component in list order (empty without a
    // recorder). `scanners`: the scanner sources of this run (none: no scanner interface);
    // the dialog shows "Looking for scanners..." until their search has ended.
    TPrefsForm(QWidget* owner, std::vector<TCDWriterChoice> writers, TScanSourceList* scanners,
               const QString& helpFile = {});

    // Shows the dialog modally; true when the user confirmed (the settings are then saved).
    static bool Execute(QWidget* owner, std::vector<TCDWriterChoice> writers, TScanSourceList* scanners,
                        const QString& helpFile = {});

    // The folder browser; tests replace it. Returns the chosen folder, or "" when cancelled.
    std::function<QString(QWidget* parent, const QString& title, const QString& start)> ChooseFolder;

    // Every way of closing: Ok saves, anything else leaves the settings as they were.
    void done(int result) override;

    QFrame* Bevel1;
    QLabel* lblScanner;
    QComboBox* cbxScanners;
    QLabel* lblCDR;
    QComboBox* cbxCDR;
    QLabel* lblCDDesc;
    QLabel* Label3;
    QLineEdit* edQuality;
    QSpinBox* udQuality;
    QLabel* Label1;
    QLineEdit* edStorage;
    QPushButton* btnDirSelect;
    QCheckBox* cxWebIndex;
    QPushButton* btnOk;
    QPushButton* btnCancel;
    QToolButton* sbHelp;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormCreate(const std::vector<TCDWriterChoice>& writers);
    void FormActivate();
    void FillScanners(const std::vector<std::string>& sources);
    void cbxCDRChange();
    void cbxScannersChange();
    void edQualityChange();
    void btnDirSelectClick();
    void FormClose();

    TPrefs FPrefs;
    TScanSourceList* FScanner;
    std::vector<std::string> FDriveDescriptions;
    std::vector<std::string> FDriveMedia;  // what each drive writes
    bool FScannersListed = false;
    bool FActivated = false;
    bool FSaveOnClose = true;
};

// After the dialog: the storage folders for the stored base folder, created, when its album
// folder differs from `currentAlbumDir`; nothing when the base folder did not change.
std::optional<TStorageFolders> ChangedStorageFolders(const std::string& currentAlbumDir);
