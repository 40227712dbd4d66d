// The main window's start, exit, album loading and saving, and its small shared helpers.
#include "mainform.h"

#include "about_box.h"
#include "album_nodes.h"
#include "acquire_image.h"
#include "cd_writers.h"
#include "writable_media.h"
#include "disc_content.h"
#include "file_names.h"
#include "mcdburner.h"
#include "picture_loaders.h"
#include "prefs_form.h"
#include "scan_source_list.h"
#include "up_down.h"
#include "help_viewer.h"
#include "hints.h"
#include "image_view.h"
#include "prefs.h"
#include "temporary_names.h"
#include "window_state.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QSettings>
#include <QSplitter>
#include <QStatusTipEvent>
#include <QToolBar>
#include <QTreeWidget>

TMainForm::TMainForm(std::unique_ptr<TPrompts> prompts, QWidget* parent)
    : QMainWindow(parent), FPrompts(prompts ? std::move(prompts) : std::make_unique<TDialogPrompts>()) {
    setObjectName("MainForm");
    setWindowTitle("Fotolark");
    setWindowIcon(BundledIcon("fotolark"));
    // Wide enough for the tool bars in one row and the status bar's hints in full.
    PlaceCentredOnScreen(this, QSize(1000, 700));
    FTreeImages[tiAlbumClosed] = ThemeIcon("folder", "album_closed");
    FTreeImages[tiAlbumOpen] = ThemeIcon("folder-open", "album_open");
    FTreeImages[tiPhoto] = ThemeIcon("image-x-generic", "photo");
    setMinimumSize(600, 400);
    RegisterPlatformPictureLoaders();
    CreateActions();
    CreateMenus();
    CreateToolBars();
    CreatePanels();
    CreateStatusBar();
    PJRegWdwState1 = new TPJRegWdwState(this, "Window/MainWindow", OpenSettings, true);
    FormCreate();
}

TMainForm::~TMainForm() {
    FormDestroy();
}

void TMainForm::FormCreate() {
    FHelpFile = HelpFilePath().toStdString();
    FAlbumsModified = FModified = FPanning = false;
    FImageSource = isNew;
    FImageFile.clear();

    CreateBurner();
    FBurner->InitializeASPI(true);
    // The scanner search can take seconds, so it runs beside the window; the first source
    // completes an empty "Scansource" once it is known.
    FScanner = std::make_unique<TAcquireImage>();
    FScanner->AppProductName = "Fotolark";
    FScanSources = std::make_unique<TScanSourceList>();
    FScanSources->Start();
    CompleteSettings([this] { return FirstCdWriter(); }, nullptr);

    const TPrefs prefs;
    const TStorageFolders folders = StorageFolders(BaseFolder(prefs.BaseDir));
    FAlbumDir = folders.AlbumDir;
    FImageDir = folders.ImageDir;
    FThumbDir = folders.ThumbDir;
    CreateStorageFolders(folders);
    // What a save that crashed left behind: our temporary files whose process has ended.
    for (const std::string& folder : {FAlbumDir, FImageDir, FThumbDir}) RemoveStaleTemporaryFiles(folder);

    Splitter1->setSizes({prefs.AlbumWidth, width() - prefs.AlbumWidth});
    switch (prefs.ImgState) {
    case zmOriginalSize: FZoomMode = zmOriginalSize; A_OriginalSize->setChecked(true); break;
    case zmFitWidth: FZoomMode = zmFitWidth; A_FitWidth->setChecked(true); break;
    case zmFitHeight: FZoomMode = zmFitHeight; A_FitHeight->setChecked(true); break;
    default: break;  // keeps the designed check
    }
    RestoreToolbars({prefs.FileTools, prefs.SizeTools, prefs.ModTools});

    FActivated = false;
    UpdateActions();
    FWorkBitmap.Delete();
    LoadAlbums();
}

// The disc component with the settings the program always gives it.
void TMainForm::CreateBurner() {
    FBurner = std::make_unique<TMCDBurner>(this);
    ApplyBurnerSettings(*FBurner);
}

// The drive letter of the first recorder that can write CD-R, or "" without one.
std::string TMainForm::FirstCdWriter() {
    const std::vector<std::string> writers = CdWriterIDs(*FBurner);
    return writers.empty() ? std::string() : DriveLetterOf(writers.front());
}

// Until the window has first become active every action stays suspended.
void TMainForm::FormActivate() {
    if (FActivated) return;
    FillScanSourceMenuWhenListed();
    FActivated = true;
    UpdateActions();
}

void TMainForm::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) FormActivate();
}

void TMainForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    // Without a window manager the window may never be told that it is active; the first
    // pass through the event loop after showing counts as activation then.
    QMetaObject::invokeMethod(this, &TMainForm::FormActivate, Qt::QueuedConnection);
}

void TMainForm::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    if (FActivated) ApplyZoomMode();
}

bool TMainForm::event(QEvent* event) {
    if (event->type() == QEvent::StatusTip) {
        ShowStatusHint(static_cast<QStatusTipEvent*>(event)->tip());
        return true;
    }
    return QMainWindow::event(event);
}

void TMainForm::ShowStatusHint(const QString& hint) {
    FStatusPanels[3]->setText(LongHint(hint));
}

QString TMainForm::StatusText(int panel) const {
    return FStatusPanels[panel]->text();
}

void TMainForm::UpdateActions() {
    const bool ready = FActivated;
    const bool imageShown = ready && FImgView->HasImage();
    const bool treeFilled = FAlbumTree->topLevelItemCount() > 0;
    for (QAction* action : {A_FitWidth, A_FitHeight, A_OriginalSize, A_FlipH, A_FlipV, A_RotateL,
                            A_RotateR, A_Brightness, A_Discard})
        action->setEnabled(imageShown);
    udRotate->setEnabled(imageShown);
    lblRotation->setEnabled(imageShown);
    A_ApplyRotation->setEnabled(imageShown && udRotate->value() != 0);
    A_ApplyCrop->setEnabled(imageShown && tbCrop->isChecked());
    tbCrop->setEnabled(imageShown);
    // New albums, scanning and opening files need no image and no album: always enabled.
    for (QAction* action : {A_NewAlbum, A_Scan, A_NewImage}) action->setEnabled(true);
    A_CreateCD->setEnabled(ready && treeFilled);
    A_SaveAlbums->setEnabled(ready && treeFilled);
    A_SaveImage->setEnabled(ready && FModified);
    UpdateHistoryActions();
}

int TMainForm::AskUser(const QString& caption, const QString& text, TAskButtons buttons) {
    return FPrompts->AskUser(this, caption, text, buttons);
}

// ---- albums ----

void TMainForm::LoadAlbums() {
    ClearAlbumTree();
    QList<QTreeWidgetItem*> albumNodes;
    for (std::unique_ptr<TAlbum>& album : FindAlbums(FAlbumDir)) {
        TAlbum& albumRef = *album;
        auto* albumNode = new TAlbumNode(std::move(album));
        albumNode->setIcon(0, FTreeImages[tiAlbumClosed]);
        QList<QTreeWidgetItem*> photoNodes;
        photoNodes.reserve(albumRef.Project.PhotoCount());
        for (const TProject::TEntry& entry : albumRef.Project.Photos()) {
            auto* photoNode = new TPhotoNode(std::make_unique<TPhoto>(*entry.Photo));
            photoNode->setIcon(0, FTreeImages[tiPhoto]);
            photoNodes.append(photoNode);
        }
        albumNode->addChildren(photoNodes);
        albumRef.Project.Reset(true);  // the album keeps no photos of its own while shown
        albumNodes.append(albumNode);
    }
    FAlbumTree->addTopLevelItems(albumNodes);
    UpdateActions();
}

void TMainForm::ClearAlbumTree() {
    FAlbumTree->clear();
    FStatusPanels[1]->clear();  // the sizes and the file name belonged to the old selection
    FStatusPanels[2]->clear();
}

TAlbumNode* TMainForm::AlbumNodeAt(int index) const {
    return AsAlbumNode(FAlbumTree->topLevelItem(index));
}

void TMainForm::SaveAlbums() {
    QStringList failures;
    for (int index = 0; index < FAlbumTree->topLevelItemCount(); ++index) {
        TAlbumNode* node = AlbumNodeAt(index);
        if (!node) continue;
        TAlbum& album = node->Album();
        album.Position = index;
        for (int child = 0; child < node->childCount(); ++child)
            if (TPhotoNode* photo = AsPhotoNode(node->child(child)))
                album.AddPhoto(new TPhoto(photo->Photo()));
        std::string reason;
        if (!album.SaveToFile(FAlbumDir + album.AlbumFile, &reason))
            failures << QStringLiteral("%1 (%2): %3")
                            .arg(ToDisplay(album.Title), QString::fromStdString(album.AlbumFile),
                                 QString::fromStdString(reason));
        album.Project.Reset(true);
        album.Clear(false);
    }
    // A failed save keeps the albums marked as changed, so exit still asks about them.
    FAlbumsModified = !failures.isEmpty();
    if (!failures.isEmpty())
        FPrompts->ShowError(this, "These albums could not be saved:\n\n" + failures.join('\n'));
}

// ---- exit ----

void TMainForm::ExitApp() {
    close();
}

void TMainForm::closeEvent(QCloseEvent* event) {
    if (!FormClose()) {
        event->ignore();
        return;
    }
    SavePlacementSettings();
    event->accept();
}

// The two exit questions; false keeps the window open.
bool TMainForm::FormClose() {
    if (FImgView->HasImage() && (FModified || FImageSource == isNew)) {
        const int answer = AskUser("Image Modified",
                                   "The currently-displayed image is new or has been changed.\r\n\r\n"
                                   "Do you want to discard the image and exit?");
        if (answer != mrYes) return false;
    }
    if (FAlbumsModified) {
        const int answer = AskUser("Albums Modified", "Do you want to save the changes you made to your albums?");
        if (answer == mrCancel) return false;
        if (answer == mrYes) {
            SaveAlbums();
            if (FAlbumsModified) return false;  // the error box named what could not be saved
        }
    }
    return true;
}

void TMainForm::SavePlacementSettings() {
    TPrefs prefs;
    prefs.AlbumWidth = AlbumPanel->width();
    prefs.ImgState = FZoomMode;
    prefs.FileTools = ToolbarState(0);
    prefs.SizeTools = ToolbarState(1);
    prefs.ModTools = ToolbarState(2);
    prefs.Save();
}

void TMainForm::FormDestroy() {
    PJRegWdwState1->Save();
    FWorkBitmap.Delete();
    FAlbumTree->clear();  // nodes free their albums and photos
}

// ---- CD, help ----

void TMainForm::CreateCD() {
    if (FAlbumsModified) SaveAlbums();
    FPrompts->CreateCD(this, TStorageFolders{FAlbumDir, FImageDir, FThumbDir}, *FBurner,
                       QString::fromStdString(FHelpFile));
}

void TMainForm::HelpContentsClick() {
    ShowHelpContents(this, QString::fromStdString(FHelpFile));
}

void TMainForm::FilePrefsClick() {
    std::vector<TCDWriterChoice> writers;
    if (FBurner->ASPIInitialized())
        for (const std::string& id : CdWriterIDs(*FBurner)) {
            FBurner->SelectDevice(id);
            writers.push_back({id, DeviceNodeOf(id), WritableMediaText(*FBurner)});
        }
    FPrompts->EditPreferences(this, writers, *FScanSources);
    const std::optional<TStorageFolders> changed = ChangedStorageFolders(FAlbumDir);
    if (!changed) return;
    // Changes not yet saved belong to the albums of the old folder: offer to keep them there
    // before the tree is replaced.
    if (FAlbumsModified &&
        AskUser("Albums Modified", "Do you want to save the changes you made to your albums?", TAskButtons::YesNo) == mrYes)
        SaveAlbums();
    tbDiscardClick();
    FAlbumDir = changed->AlbumDir;
    FImageDir = changed->ImageDir;
    FThumbDir = changed->ThumbDir;
    LoadAlbums();
}

void TMainForm::HelpAboutClick() {
    ShowAboutBox(this);
}
