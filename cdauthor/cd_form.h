// "Create a CD": the window in which the user chooses the albums for a disc, sees how much of
// the blank disc they fill, and writes them to a recorder or into an ISO image file.
#pragma once

#include "album_records.h"
#include "cd_prompts.h"
#include "disc_content.h"
#include "prefs.h"

#include <QDialog>

#include <memory>
#include <string>
#include <vector>

class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSplitter;
class QTimer;
class QToolButton;
class TAlbumListBox;
class TMCDBurner;
class TPJRegWdwState;

class TCDForm : public QDialog {
    Q_OBJECT
public:
    // `folders`: where the albums, photos and thumbnails are; `burner`: the main window's
    // component, shared; `prompts`: answers the window's questions (none: the real dialogs).
    TCDForm(const TStorageFolders& folders, TMCDBurner& burner, const QString& helpFile,
            TCDPrompts* prompts = nullptr, QWidget* parent = nullptr);
    ~TCDForm() override;


    std::string ViewerPath;   // the album viewer copied onto every disc
    int32_t BaseSectors = 0;  // sectors counted for the viewer and the disc's fixed files
    int32_t Capacity = 0;     // sectors of the blank disc

    // ---- Space and editing ----
    // Once, after the window is first shown: the disc's capacity, then the space shown.
    void FormActivate();
    void UpdateSpace();
    bool LBDragOver(QObject* source) const;
    // Drops the album selected in `source` on `target` at `pos` (viewport coordinates).
    void LBDragDrop(TAlbumListBox* target, QObject* source, QPoint pos);
    void btnCopyAllClick();
    void btnRemoveAllClick();

    // ---- The write job ----
    void btnBurnClick();
    void btnAbortClick();
    void FTimerTimer();
    // From the start of a job until its end has been handled.
    bool JobRunning() const { return FJobRunning; }

    QWidget* FAlbumPanel;
    TAlbumListBox* LBAlbums;
    QPushButton* btnCopyAll;
    QSplitter* FSplitter;
    QWidget* FLayoutPanel;
    TAlbumListBox* LBLayout;
    QPushButton* btnRemoveAll;
    QProgressBar* FProgress;
    QLabel* lblUsed;
    QLabel* lblAvailable;
    QLabel* lblMessage;
    QCheckBox* cxTestBurn;
    QCheckBox* cxVerify;
    QCheckBox* cxISOFile;
    QLabel* Label1;
    QLineEdit* edTitle;
    QToolButton* sbHelp;
    QPushButton* btnAbort;
    QPushButton* btnBurn;
    QPushButton* btnClose;
    QTimer* FTimer;
    TPJRegWdwState* PJRegWdwState1;

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;
    void done(int result) override;

private:
    // cd_form.cpp: controls and window behaviour
    void CreateControls();
    QWidget* MakeListPanel(const char* heading, TAlbumListBox* list, QPushButton* button);
    QLayout* MakeFooter();
    void AttachBurnerHandlers();
    void DetachBurnerHandlers();
    void SetMessage(const QString& text);
    // A wait for the drive in the message line (0: over, the message before it comes back).
    void ShowDriveWait(int seconds);

    // cd_form_space.cpp: capacity of the blank disc
    bool ReadBaseSectors();
    void AskRecorderCapacity(const std::string& cdWriter);
    void AskImageCapacity();
    void AssumeDefaultCapacity();
    void MoveAllAlbums(TAlbumListBox* from, TAlbumListBox* to);

    // cd_form_job.cpp: the write job
    void ApplyJobSettings(bool toFile);
    bool WaitForBlankDisc();
    TDiscContent LayoutContent() const;
    bool BuildContent();
    void StartRecorderJob();
    void StartFileJob();
    void RefuseStart();
    void SetBusy(bool busy);
    void OnAddFile(const std::string& longFileName);
    void WriteDone(const std::string& error);
    void ShowLeftOut(const std::string& outcome, std::vector<std::string> lines);
    void FinishPendingJob();
    std::string Title() const;

    static constexpr int kDriveWaitMs = 100;  // between two questions to a drive that is not ready
    TStorageFolders FFolders;
    TMCDBurner& FBurner;
    QString FHelpFile;
    std::unique_ptr<TCDPrompts> FOwnPrompts;
    TCDPrompts* FPrompts;
    TAlbumList FAlbums;  // every album of the album folder, owned here
    bool FShown = false;
    bool FJobRunning = false;
    bool FBusyCursor = false;
    bool FWaitAborted = false;  // "&Abort Write" while the job waits for a disc
    bool FFinalizing = false;   // the drive is finishing the disc of the running job
    QString FMessage;           // the message line, apart from waits for the drive
    bool FWebPages = true;      // "WebIndex": the discs carry web pages, counted in "Used"
    TDiscTempFiles FTemp;
};
