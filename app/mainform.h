// The main window: album tree on the left, the current image on the right, tool bars above
// and a status bar below. Its member functions are spread over mainform_*.cpp by concern.
#pragma once

#include "bitmap32.h"
#include "prompts.h"

#include <QIcon>
#include <QMainWindow>

#include <memory>
#include <string>

class QAction;
class QActionGroup;
class QLabel;
class QMenu;
class QSpinBox;
class QSplitter;
class QToolBar;
class QTreeWidget;
class QTreeWidgetItem;
class TAlbumNode;
class TImgView32;
class TPJRegWdwState;
struct TToolbarState;

enum TZoomMode : uint8_t { zmOriginalSize = 0, zmFitWidth = 1, zmFitHeight = 2 };
enum TTreeImage { tiAlbumClosed, tiAlbumOpen, tiPhoto };
enum TImageSource : uint8_t { isNew = 0, isFile = 1, isAlbumPhoto = 2, isFileCopy = 3 };

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

    // ---- state shared by the window's parts ----
    TBitmap32 FWorkBitmap;
    bool FActivated = false;
    TZoomMode FZoomMode = zmOriginalSize;
    TImageSource FImageSource = isNew;
    std::string FImageFile;
    std::string FAlbumDir, FImageDir, FThumbDir;
    bool FModified = false;
    bool FAlbumsModified = false;
    bool FPanning = false;
    bool FCropDragging = false;
    std::string FHelpFile;

    // ---- controls ----
    QToolBar* FileBar = nullptr;
    QToolBar* PositionBar = nullptr;
    QToolBar* ModifyBar = nullptr;
    QWidget* AlbumPanel = nullptr;
    QLabel* Panel4 = nullptr;
    QTreeWidget* FAlbumTree = nullptr;
    QWidget* Panel3 = nullptr;
    TImgView32* FThumbView = nullptr;
    QSplitter* Splitter1 = nullptr;
    TImgView32* FImgView = nullptr;
    QLabel* FStatusPanels[4] = {};
    QSpinBox* udRotate = nullptr;

    // ---- actions and menu items ----
    QAction *A_FitWidth, *A_FitHeight, *A_OriginalSize, *A_FlipH, *A_FlipV, *A_RotateL,
        *A_RotateR, *A_Brightness, *A_ApplyRotation, *A_Discard, *A_ApplyCrop, *A_NewAlbum,
        *A_CreateCD, *A_SaveAlbums, *A_Scan, *A_NewImage, *A_SaveImage;
    QAction *tbExit, *tbCrop;
    QAction *FilePrefs, *FileTools, *PositionTools, *ModifyTools, *FileExit;
    QAction *HelpContents, *HelpAbout;
    QMenu* ScanSourceItem = nullptr;
    QIcon FTreeImages[3];  // album closed, album open, photo

    TPrompts& Prompts() { return *FPrompts; }
    QString StatusText(int panel) const;

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool event(QEvent* event) override;

private:
    // construction of the controls (mainform_ui.cpp)
    void CreateActions();
    void CreateMenus();
    void CreateToolBars();
    void CreatePanels();
    void CreateStatusBar();

    // start-up and exit (mainform.cpp)
    void FormCreate();
    bool FormClose();
    void FormDestroy();
    void SavePlacementSettings();
    void ApplyToolbarState(QToolBar* bar, QAction* menuItem, const TToolbarState& state);
    TToolbarState ToolbarState(QToolBar* bar) const;
    void ToolbarCheck(QAction* item);
    void ShowStatusHint(const QString& hint);
    void ExitApp();
    void CreateCD();
    void HelpContentsClick();
    void HelpAboutClick();
    void ApplyZoomMode();
    void ClearAlbumTree();
    TAlbumNode* AlbumNodeAt(int index) const;

    std::unique_ptr<TPrompts> FPrompts;
    TPJRegWdwState* PJRegWdwState1 = nullptr;
    QActionGroup* FZoomGroup = nullptr;
};
