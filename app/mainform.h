// The main window: album tree on the left, the current image on the right, tool bars above
// and a status bar below. Its member functions are spread over mainform_*.cpp by concern.
#pragma once

#include "album_tree.h"
#include "bitmap32.h"
#include "edit_history.h"
#include "prefs.h"
#include "prompts.h"

#include <QIcon>
#include <QMainWindow>
#include <QMouseEvent>

#include <array>
#include <future>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QActionGroup;
class QLabel;
class QMenu;
class QMouseEvent;
class QSplitter;
class QToolBar;
class QTreeWidget;
class QTreeWidgetItem;
class TAlbum;
class TAcquireImage;
class TMCDBurner;
class TScanSourceList;
class TAlbumNode;
class TPhoto;
class TPhotoNode;
class TImgView32;
class TUpDown;
class TPJRegWdwState;

enum TZoomMode : uint8_t { zmOriginalSize = 0, zmFitWidth = 1, zmFitHeight = 2 };
enum TTreeImage { tiAlbumClosed, tiAlbumOpen, tiPhoto };
enum TImageSource : uint8_t { isNew = 0, isFile = 1, isAlbumPhoto = 2, isFileCopy = 3 };

// The turn that position `position` of udRotate stands for, clockwise in degrees ("10.00°").
QString RotationText(int position);

class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    // `prompts` answers every question the window asks; null shows the real dialogs.
    explicit TMainForm(std::unique_ptr<TPrompts> prompts = nullptr, QWidget* parent = nullptr);
    ~TMainForm() override;

    void FormActivate();
    void LoadAlbums();
    void SaveAlbums();
    int AskUser(const QString& caption, const QString& text, TAskButtons buttons = TAskButtons::YesNoCancel);
    void UpdateActions();
    // Waits until the spare being made for the history is ready and hands it over.
    void WaitForHistorySpare();

    // ---- state shared by the window's parts ----
    TBitmap32 FWorkBitmap;
    TEditHistory FHistory;  // the steps of the current image, for undo and redo
    std::future<TBitmap32> FSpareBeingMade;  // the history's next spare, its memory touched off the window's thread
    bool FActivated = false;
    TZoomMode FZoomMode = zmOriginalSize;
    TImageSource FImageSource = isNew;
    std::string FImageFile;
    std::string FAlbumDir, FImageDir, FThumbDir;
    bool FModified = false;
    bool FAlbumsModified = false;
    bool FPanning = false;
    QPoint FPanLast;
    bool FCropDragging = false;
    std::string FHelpFile;
    QTreeWidgetItem* FDragNode = nullptr;
    QTreeWidgetItem* FDropNode = nullptr;

    // ---- controls ----
    QToolBar* FileBar = nullptr;
    QToolBar* PositionBar = nullptr;
    QToolBar* ModifyBar = nullptr;
    QWidget* AlbumPanel = nullptr;
    QLabel* Panel4 = nullptr;
    TAlbumTree* FAlbumTree = nullptr;
    QWidget* Panel3 = nullptr;
    TImgView32* FThumbView = nullptr;
    QSplitter* Splitter1 = nullptr;
    TImgView32* FImgView = nullptr;
    QLabel* FStatusPanels[4] = {};
    TUpDown* udRotate = nullptr;
    QLabel* lblRotation = nullptr;  // the angle udRotate stands for, in degrees

    // ---- actions and menu items ----
    QAction *A_FitWidth, *A_FitHeight, *A_OriginalSize, *A_FlipH, *A_FlipV, *A_RotateL,
        *A_RotateR, *A_Brightness, *A_ApplyRotation, *A_Discard, *A_ApplyCrop, *A_NewAlbum,
        *A_CreateCD, *A_SaveAlbums, *A_Scan, *A_NewImage, *A_SaveImage, *A_Undo, *A_Redo;
    QAction *tbExit, *tbCrop;
    QAction *FilePrefs, *FileTools, *PositionTools, *ModifyTools, *FileExit;
    QAction *HelpContents, *HelpAbout;
    QMenu* ScanSourceItem = nullptr;
    QMenu* FTreeMenu = nullptr;
    QAction *TreeNewAlbum, *TreeEdit, *TreeDelete, *TreeShowImage;
    QMenu* FPhotoMenu = nullptr;
    QAction *PhotoMove, *PhotoCopy;
    QIcon FTreeImages[3];  // album closed, album open, photo

    TPrompts& Prompts() { return *FPrompts; }
    TMCDBurner& Burner() { return *FBurner; }

    // ---- album tree (mainform_tree.cpp) ----
    void FAlbumTreeClick();
    void FAlbumTreeMouseUp(QTreeWidgetItem* node, QPoint globalAt);
    void FTreeMenuPopup();
    void TreeEditClick();
    void FAlbumTreeEdited(QTreeWidgetItem* node);
    void A_NewAlbumExecute();
    void ShowPhoto();
    uint64_t AlbumByteSize() const;
    bool FAlbumTreeDragOver(bool fromTree, QTreeWidgetItem* target);
    void FAlbumTreeDragDrop(bool fromTree, QTreeWidgetItem* target, QPoint globalAt);
    QTreeWidgetItem* SelectedNode() const;
    void SelectNode(QTreeWidgetItem* node);

    // ---- current image (mainform_image.cpp) ----
    void LoadImageFile(const std::string& fileName, bool show);
    // Makes `picture` the current image, coming from `file` by way of `source`.
    void TakeImage(TBitmap32 picture, TImageSource source, const std::string& file, bool show);
    void ApplyZoomMode();
    void ShowOriginalSize();
    void FitToWidth();
    void FitToHeight();
    void tbDiscardClick();
    void FImgViewMouseDown(QMouseEvent* event);
    void FImgViewMouseMove(QMouseEvent* event);
    void FImgViewMouseUp(QMouseEvent* event);

    // ---- edits (mainform_edit.cpp) ----
    void RotateImage(int tag);
    void RotateQuarter(bool right);
    void FlipHorizontal();
    void FlipVertical();
    void udRotateClick(int position);
    void ShowRotationAngle();
    void PreviewFineRotation(float angle);
    void ApplyFineRotation();
    void tbCropClick(bool down);
    void ApplyCropping();
    void ChangeBrightness();

    // ---- undo and redo (mainform_history.cpp) ----
    void UndoEdit();
    void RedoEdit();

    // ---- adding, removing and moving photos (mainform_add.cpp, mainform_remove.cpp) ----
    void CommitImage(bool refresh);
    void AddPhotoToAlbum();
    bool ChooseAlbumAndAdd(QPoint at);
    std::vector<std::string> AlbumNames() const;
    TPhotoNode* FindPhotoByFile(const std::string& path) const;
    int CheckDupImage(const std::string& path, TPhotoNode*& node);
    std::pair<int32_t, int32_t> MakeThumbnailFile(const std::string& fileName);
    void TreeDeleteClick();

    // ---- scanning and preferences (mainform_scan.cpp, mainform.cpp) ----
    void ScanItemClick();
    void FilePrefsClick();

    // ---- files coming in (mainform_import.cpp) ----
    void tbNewImageClick();
    bool FImgViewDropAccepts(const QStringList& files);
    void FImgViewDropDrop(const QStringList& files);
    bool FTreeDropAccepts(const QStringList& files, QTreeWidgetItem* target, bool entering);
    void FTreeDropDrop(const QStringList& files, QTreeWidgetItem* target);
    void PhotoMoveClick(int tag);
    QString StatusText(int panel) const;

    // The tool bar area's context menu: the program's own Toolbars items.
    QMenu* createPopupMenu() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // construction of the controls (mainform_ui.cpp)
    void CreateActions();
    void CreateMenus();
    void CreateToolBars();
    void CreatePanels();
    void CreateStatusBar();
    void CreatePopupMenus();

    // start-up and exit (mainform.cpp)
    void FormCreate();
    void CreateBurner();
    void FillScanSourceMenuWhenListed();
    std::string FirstCdWriter();
    bool FormClose();
    void FormDestroy();
    void SavePlacementSettings();

    // tool bars (mainform_toolbars.cpp)
    std::array<QToolBar*, 3> Toolbars() const { return {FileBar, PositionBar, ModifyBar}; }
    void RestoreToolbars(const std::array<TToolbarState, 3>& states);
    TToolbarState ToolbarState(int tag) const;
    void ToolbarCheck(QAction* item);
    void ShowStatusHint(const QString& hint);
    void ExitApp();
    void CreateCD();
    void HelpContentsClick();
    void HelpAboutClick();
    void ClearAlbumTree();
    void ShowWorkBitmap();
    void FinishEdit(TEditKind kind);
    void EndPreviews();
    void ShowHistoryStep();
    void FollowHistory();
    void PrepareHistorySpare();
    void TakeReadySpare();
    void UpdateHistoryActions();
    void CropMouseDown(QMouseEvent* event);
    void CropMouseMove(QMouseEvent* event);
    void StartImageDrag();
    void LoadThumbnail(const TPhoto& photo);
    std::string PhotoImagePath(const std::string& storedName) const;
    TBitmap32 LoadPhotoImage(const TPhoto& photo) const;
    void RecordPhotoSizes(const std::string& fileName, int32_t imageSize, int32_t thumbSize);
    void UpdateNodePictures(QTreeWidgetItem* current, QTreeWidgetItem* previous);
    QTreeWidgetItem* LastNode() const;
    std::vector<std::string> AlbumFilesInTree() const;
    TAlbumNode* AddAlbumNode(std::unique_ptr<TAlbum> album);
    void MoveNodeBefore(QTreeWidgetItem* node, QTreeWidgetItem* before);
    std::string PlaceImageFile();
    void RemovePhotoNode(TPhotoNode* node);
    void RemoveAlbumNode(TAlbumNode* node);
    void BringToFront();
    void TryLoadImageFile(const std::string& path, bool show);
    TBitmap32 LoadDuplicateCopy(const std::string& dropped, const std::string& copy);
    void WarnIfManyFiles(const QStringList& files);
    TAlbumNode* AlbumNodeAt(int index) const;

    std::unique_ptr<TPrompts> FPrompts;
    std::unique_ptr<TMCDBurner> FBurner;
    std::unique_ptr<TAcquireImage> FScanner;
    std::unique_ptr<TScanSourceList> FScanSources;
    TPJRegWdwState* PJRegWdwState1 = nullptr;
    // Where each tool bar was last seen, kept for bars that are hidden at exit.
    std::array<TToolbarState, 3> FToolbarPlaces;
    QActionGroup* FZoomGroup = nullptr;
};
