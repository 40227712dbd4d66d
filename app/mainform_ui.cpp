// Construction of the main window's controls, actions, menus and tool bars.
#include "mainform.h"

#include "album_tree.h"
#include "hints.h"
#include "image_view.h"
#include "up_down.h"

#include <QActionGroup>
#include <QKeySequence>
#include <QLabel>
#include <QMenuBar>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

QAction* MakeAction(QObject* owner, const char* name, const QString& caption, const QString& hint,
                    const QIcon& icon = QIcon()) {
    auto* action = new QAction(icon, caption, owner);
    action->setObjectName(QString::fromLatin1(name));
    if (!hint.isEmpty()) SetHint(action, hint);
    return action;
}

// A menu item with its own caption that runs `action` and follows its enabled and checked
// state (an item bound to an action shows the action's caption unless it has its own).
QAction* AddMenuItem(QMenu* menu, const char* name, QAction* action, const QString& caption = QString()) {
    if (caption.isEmpty()) {
        menu->addAction(action);
        return action;
    }
    auto* item = menu->addAction(action->icon(), caption);
    item->setObjectName(QString::fromLatin1(name));
    item->setCheckable(action->isCheckable());
    item->setStatusTip(action->statusTip());
    auto follow = [item, action] {
        item->setEnabled(action->isEnabled());
        item->setChecked(action->isChecked());
    };
    follow();
    QObject::connect(action, &QAction::changed, item, follow);
    QObject::connect(item, &QAction::triggered, action, &QAction::trigger);
    return item;
}

} // namespace

void TMainForm::CreateActions() {
    A_FitWidth = MakeAction(this, "A_FitWidth", "&FitToWidth", "Fit to width|Fit image to width of display area", ThemeIcon("zoom-fit-width", "fit_width"));
    A_FitHeight = MakeAction(this, "A_FitHeight", "Fit to Hei&ght", "Fit to height|Fit image to height of display area", ThemeIcon("zoom-fit-height", "fit_height"));
    A_OriginalSize = MakeAction(this, "A_OriginalSize", "&Original Size", "Original size|Show image in its original size", ThemeIcon("zoom-original", "original_size"));
    A_FlipH = MakeAction(this, "A_FlipH", "Flip &Horizontal", "Flip Horizontal|Flip the image horizontally", ThemeIcon("object-flip-horizontal", "flip_h"));
    A_FlipV = MakeAction(this, "A_FlipV", "Flip &Vertical", "Flip Vertical|Flip the image vertically", ThemeIcon("object-flip-vertical", "flip_v"));
    A_RotateL = MakeAction(this, "A_RotateL", "Rotate &Left", "Rotate Left|Rotate image 90 degrees to left", ThemeIcon("object-rotate-left", "rotate_left"));
    A_RotateR = MakeAction(this, "A_RotateR", "Rotate &Right", "Rotate Right|Rotate image 90 degrees to right", ThemeIcon("object-rotate-right", "rotate_right"));
    // These three have no hint of their own; their tool buttons' hints are shown for them.
    A_Brightness = MakeAction(this, "A_Brightness", "&Brightness/Gamma...", "Brightness and Contrast|Modify brightness, contrast, or gamma", ThemeIcon("display-brightness", "brightness"));
    A_ApplyRotation = MakeAction(this, "A_ApplyRotation", "&Apply Fine Rotation", "Apply Rotation|Keep rotated image", BundledIcon("apply_rotation"));
    A_ApplyCrop = MakeAction(this, "A_ApplyCrop", "Apply &Cropping", "Crop Image|Apply the selected cropping area", ThemeIcon("transform-crop", "apply_crop"));
    A_Discard = MakeAction(this, "A_Discard", "&Discard Image", "Discard Image|Clear the image without saving it", ThemeIcon("edit-delete", "discard"));
    A_NewAlbum = MakeAction(this, "A_NewAlbum", "&New Album", "New Album|Create a new album", ThemeIcon("folder-new", "new_album"));
    A_CreateCD = MakeAction(this, "A_CreateCD", "&Create CD", "Create CD|Create a CD from albums", ThemeIcon("media-optical", "make_cd"));
    A_SaveAlbums = MakeAction(this, "A_SaveAlbums", "&Save Albums", "Save|Save all albums", ThemeIcon("document-save", "save"));
    A_Scan = MakeAction(this, "A_Scan", "&Scan", "Scan|Scan a photo or slide", ThemeIcon("scanner", "scan"));
    A_NewImage = MakeAction(this, "A_NewImage", "&Open Image...", "Open Image|Load an image from disk", ThemeIcon("document-open", "open_image"));
    A_SaveImage = MakeAction(this, "A_SaveImage", "&Save Changed Image", "Save Image|Save changes to displayed image", ThemeIcon("document-save-as", "save_image"));
    // Their hints name the step they would take (see UpdateHistoryActions).
    A_Undo = MakeAction(this, "A_Undo", "&Undo", "Undo", ThemeIcon("edit-undo", "undo"));
    A_Undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    A_Redo = MakeAction(this, "A_Redo", "R&edo", "Redo", ThemeIcon("edit-redo", "redo"));
    A_Redo->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});

    FZoomGroup = new QActionGroup(this);
    for (QAction* zoom : {A_OriginalSize, A_FitWidth, A_FitHeight}) {
        zoom->setCheckable(true);
        FZoomGroup->addAction(zoom);
    }
    A_OriginalSize->setChecked(true);
    connect(A_OriginalSize, &QAction::triggered, this, [this] { FZoomMode = zmOriginalSize; ApplyZoomMode(); });
    connect(A_FitWidth, &QAction::triggered, this, [this] { FZoomMode = zmFitWidth; ApplyZoomMode(); });
    connect(A_FitHeight, &QAction::triggered, this, [this] { FZoomMode = zmFitHeight; ApplyZoomMode(); });

    tbExit = MakeAction(this, "tbExit", "E&xit", "Exit|Close Fotolark", ThemeIcon("application-exit", "exit"));
    connect(tbExit, &QAction::triggered, this, &TMainForm::ExitApp);
    tbCrop = MakeAction(this, "tbCrop", "Select Crop Area", "Select Crop Area|Select an area for cropping", ThemeIcon("edit-select", "crop_select"));
    tbCrop->setCheckable(true);

    connect(A_SaveAlbums, &QAction::triggered, this, &TMainForm::SaveAlbums);
    connect(A_NewAlbum, &QAction::triggered, this, &TMainForm::A_NewAlbumExecute);
    connect(A_Discard, &QAction::triggered, this, &TMainForm::tbDiscardClick);
    connect(A_FlipH, &QAction::triggered, this, &TMainForm::FlipHorizontal);
    connect(A_FlipV, &QAction::triggered, this, &TMainForm::FlipVertical);
    connect(A_RotateL, &QAction::triggered, this, [this] { RotateImage(0); });
    connect(A_RotateR, &QAction::triggered, this, [this] { RotateImage(1); });
    connect(A_ApplyRotation, &QAction::triggered, this, &TMainForm::ApplyFineRotation);
    connect(A_ApplyCrop, &QAction::triggered, this, &TMainForm::ApplyCropping);
    connect(A_Brightness, &QAction::triggered, this, &TMainForm::ChangeBrightness);
    connect(A_SaveImage, &QAction::triggered, this, [this] { CommitImage(true); });
    connect(A_NewImage, &QAction::triggered, this, &TMainForm::tbNewImageClick);
    connect(A_Scan, &QAction::triggered, this, &TMainForm::ScanItemClick);
    connect(tbCrop, &QAction::triggered, this, &TMainForm::tbCropClick);
    connect(A_CreateCD, &QAction::triggered, this, &TMainForm::CreateCD);
    connect(A_Undo, &QAction::triggered, this, &TMainForm::UndoEdit);
    connect(A_Redo, &QAction::triggered, this, &TMainForm::RedoEdit);
}

void TMainForm::CreateMenus() {
    QMenu* file = menuBar()->addMenu("&File");
    AddMenuItem(file, "FileNewAlbum", A_NewAlbum);
    AddMenuItem(file, "FileSaveAlbums", A_SaveAlbums);
    file->addSeparator();
    FilePrefs = file->addAction("&Preferences...");
    FilePrefs->setObjectName("FilePrefs");
    connect(FilePrefs, &QAction::triggered, this, &TMainForm::FilePrefsClick);
    QMenu* toolbars = file->addMenu("&Toolbars");
    toolbars->setObjectName("FileToolbars");
    const char* names[] = {"FileTools", "PositionTools", "ModifyTools"};
    const char* captions[] = {"&File Tools", "Image &Sizing and Rotation", "Image &Modification"};
    QAction** items[] = {&FileTools, &PositionTools, &ModifyTools};
    for (int tag = 0; tag < 3; ++tag) {
        QAction* item = toolbars->addAction(captions[tag]);
        item->setObjectName(names[tag]);
        item->setData(tag);
        item->setCheckable(true);
        item->setChecked(true);
        connect(item, &QAction::triggered, this, [this, item] { ToolbarCheck(item); });
        *items[tag] = item;
    }
    file->addSeparator();
    FileExit = file->addAction("E&xit");
    FileExit->setObjectName("FileExit");
    connect(FileExit, &QAction::triggered, this, &TMainForm::ExitApp);

    QMenu* scanner = menuBar()->addMenu("&Scanner");
    AddMenuItem(scanner, "ScanItem", A_Scan);
    ScanSourceItem = scanner->addMenu("Select So&urce");
    ScanSourceItem->setObjectName("ScanSourceItem");

    QMenu* image = menuBar()->addMenu("&Image");
    AddMenuItem(image, "ImageUndo", A_Undo);
    AddMenuItem(image, "ImageRedo", A_Redo);
    image->addSeparator();
    AddMenuItem(image, "ImageFitWidth", A_FitWidth, "&Fit to Width");
    AddMenuItem(image, "ImageFitHeight", A_FitHeight);
    AddMenuItem(image, "ImageOriginalSize", A_OriginalSize);
    image->addSeparator();
    AddMenuItem(image, "ImageFlipV", A_FlipV);
    AddMenuItem(image, "ImageFlipH", A_FlipH);
    image->addSeparator();
    AddMenuItem(image, "ImageRotateL", A_RotateL);
    AddMenuItem(image, "ImageRotateR", A_RotateR);
    image->addSeparator();
    AddMenuItem(image, "ImageModify", A_Brightness, "&Brightness/Gamma/Contrast...");
    image->addSeparator();
    AddMenuItem(image, "ImageApplyRotation", A_ApplyRotation);
    AddMenuItem(image, "ImageApplyCrop", A_ApplyCrop);
    image->addSeparator();
    AddMenuItem(image, "ImageNewImage", A_NewImage);
    AddMenuItem(image, "ImageDiscard", A_Discard);
    AddMenuItem(image, "ImageSave", A_SaveImage);

    QMenu* cd = menuBar()->addMenu("&CD");
    AddMenuItem(cd, "CDCreate", A_CreateCD);

    QMenu* help = menuBar()->addMenu("&Help");
    HelpContents = help->addAction(ThemeIcon("help-contents", "help"), "&Contents");
    HelpContents->setObjectName("HelpContents");
    HelpContents->setShortcut(QKeySequence::HelpContents);
    connect(HelpContents, &QAction::triggered, this, &TMainForm::HelpContentsClick);
    help->addSeparator();
    HelpAbout = help->addAction("About Fotolark...");
    CreatePopupMenus();
    HelpAbout->setObjectName("HelpAbout");
    connect(HelpAbout, &QAction::triggered, this, &TMainForm::HelpAboutClick);
}

void TMainForm::CreatePopupMenus() {
    auto item = [](QMenu* menu, const char* name, const QString& caption, const QString& hint) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(QString::fromLatin1(name));
        SetHint(action, hint);
        return action;
    };
    FTreeMenu = new QMenu(this);
    FTreeMenu->setObjectName("FTreeMenu");
    TreeNewAlbum = A_NewAlbum;
    FTreeMenu->addAction(A_NewAlbum);
    FTreeMenu->addSeparator();
    TreeEdit = item(FTreeMenu, "TreeEdit", "Change Photo Properties...", "Modify photo|Change photo's caption or notes");
    TreeDelete = item(FTreeMenu, "TreeDelete", "&Remove", "Delete album or slide/Delete the selected album/slide");
    FTreeMenu->addSeparator();
    TreeShowImage = item(FTreeMenu, "TreeShowImage", "&Show Full Image", "Display Image|Show full-size image");
    connect(TreeEdit, &QAction::triggered, this, &TMainForm::TreeEditClick);
    connect(TreeDelete, &QAction::triggered, this, &TMainForm::TreeDeleteClick);
    connect(TreeShowImage, &QAction::triggered, this, &TMainForm::ShowPhoto);
    connect(FTreeMenu, &QMenu::aboutToShow, this, &TMainForm::FTreeMenuPopup);

    FPhotoMenu = new QMenu(this);
    FPhotoMenu->setObjectName("FPhotoMenu");
    PhotoMove = item(FPhotoMenu, "PhotoMove", "Move Here", "Move Image|Move the image to this album");
    PhotoMove->setData(1);
    PhotoCopy = item(FPhotoMenu, "PhotoCopy", "Copy Here", "Copy Image|Copy image to this album");
    PhotoCopy->setData(0);
    for (QAction* action : {PhotoMove, PhotoCopy})
        connect(action, &QAction::triggered, this, [this, action] { PhotoMoveClick(action->data().toInt()); });
}

void TMainForm::CreateToolBars() {
    auto makeBar = [this](const char* name, const QString& title) {
        auto* bar = new QToolBar(title, this);
        bar->setObjectName(QString::fromLatin1(name));
        bar->setAllowedAreas(Qt::TopToolBarArea);
        bar->setMovable(true);
        bar->setFloatable(false);
        addToolBar(Qt::TopToolBarArea, bar);
        return bar;
    };
    FileBar = makeBar("FileBar", "File Tools");
    FileBar->addAction(tbExit);
    FileBar->addSeparator();
    FileBar->addAction(A_NewAlbum);
    FileBar->addAction(A_NewImage);
    FileBar->addSeparator();
    FileBar->addAction(A_Scan);
    FileBar->addSeparator();
    FileBar->addAction(A_SaveAlbums);
    FileBar->addSeparator();
    FileBar->addAction(A_CreateCD);

    PositionBar = makeBar("PositionBar", "Image Sizing and Rotation");
    PositionBar->addAction(A_FitWidth);
    PositionBar->addAction(A_FitHeight);
    PositionBar->addAction(A_OriginalSize);
    PositionBar->addSeparator();
    PositionBar->addAction(A_Discard);

    ModifyBar = makeBar("ModifyBar", "Image Modification");
    ModifyBar->addAction(A_FlipH);
    ModifyBar->addAction(A_FlipV);
    ModifyBar->addSeparator();
    ModifyBar->addAction(A_RotateL);
    ModifyBar->addAction(A_RotateR);
    ModifyBar->addSeparator();
    udRotate = new TUpDown(ModifyBar);
    udRotate->setObjectName("udRotate");
    udRotate->setRange(-1800, 1800);
    SetHint(udRotate, "Rotate Image|Rotate by one degree");
    connect(udRotate, &TUpDown::valueChanged, this, &TMainForm::udRotateClick);
    ModifyBar->addWidget(udRotate);
    lblRotation = new QLabel(ModifyBar);
    lblRotation->setObjectName("lblRotation");
    // Room for the widest angle, so that the bar keeps its width while the angle changes.
    lblRotation->setMinimumWidth(lblRotation->fontMetrics().horizontalAdvance(RotationText(-1800)) + 4);
    lblRotation->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblRotation->setText(RotationText(0));
    ModifyBar->addWidget(lblRotation);
    ModifyBar->addAction(A_ApplyRotation);
    ModifyBar->addSeparator();
    ModifyBar->addAction(A_Brightness);
    ModifyBar->addSeparator();
    ModifyBar->addAction(tbCrop);
    ModifyBar->addAction(A_ApplyCrop);
    ModifyBar->addSeparator();
    ModifyBar->addAction(A_SaveImage);
    ModifyBar->addSeparator();
    ModifyBar->addAction(A_Undo);
    ModifyBar->addAction(A_Redo);
}

void TMainForm::CreatePanels() {
    AlbumPanel = new QWidget;
    AlbumPanel->setObjectName("AlbumPanel");
    AlbumPanel->setMinimumWidth(185);
    AlbumPanel->setMaximumWidth(300);
    auto* albumLayout = new QVBoxLayout(AlbumPanel);
    albumLayout->setContentsMargins(0, 0, 0, 0);
    albumLayout->setSpacing(0);

    Panel4 = new QLabel("Albums:");
    Panel4->setObjectName("Panel4");
    Panel4->setFrameShape(QFrame::StyledPanel);
    albumLayout->addWidget(Panel4);

    FAlbumTree = new TAlbumTree;
    FAlbumTree->setObjectName("FAlbumTree");
    SetHint(FAlbumTree, "Albums and photos|List of albums and photos");
    albumLayout->addWidget(FAlbumTree, 1);

    Panel3 = new QWidget;
    Panel3->setObjectName("Panel3");
    Panel3->setFixedHeight(130);
    auto* thumbLayout = new QVBoxLayout(Panel3);
    FThumbView = new TImgView32;
    FThumbView->setObjectName("FThumbView");
    FThumbView->setFixedSize(120, 120);
    FThumbView->setFrameShape(QFrame::NoFrame);
    FThumbView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    FThumbView->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    SetHint(FThumbView, "Double-click to display full image");
    thumbLayout->addWidget(FThumbView, 0, Qt::AlignCenter);
    albumLayout->addWidget(Panel3);

    FImgView = new TImgView32;
    FImgView->setObjectName("FImgView");
    SetHint(FImgView, "Ctrl-click to move image");
    connect(FImgView, &TImgView32::MouseDown, this, &TMainForm::FImgViewMouseDown);
    connect(FImgView, &TImgView32::MouseMove, this, &TMainForm::FImgViewMouseMove);
    connect(FImgView, &TImgView32::MouseUp, this, &TMainForm::FImgViewMouseUp);
    connect(FThumbView, &TImgView32::DoubleClicked, this, &TMainForm::ShowPhoto);

    FAlbumTree->AcceptDrop = [this](bool fromTree, QTreeWidgetItem* target) { return FAlbumTreeDragOver(fromTree, target); };
    FAlbumTree->Dropped = [this](bool fromTree, QTreeWidgetItem* target, QPoint at) { FAlbumTreeDragDrop(fromTree, target, at); };
    FAlbumTree->RightClicked = [this](QTreeWidgetItem* node, QPoint at) { FAlbumTreeMouseUp(node, at); };
    FAlbumTree->AcceptFiles = [this](const QStringList& files, QTreeWidgetItem* target, bool entering) {
        return FTreeDropAccepts(files, target, entering);
    };
    FAlbumTree->FilesDropped = [this](const QStringList& files, QTreeWidgetItem* target) { FTreeDropDrop(files, target); };
    FImgView->viewport()->setAcceptDrops(true);
    FImgView->viewport()->installEventFilter(this);
    connect(FAlbumTree, &QTreeWidget::itemClicked, this, &TMainForm::FAlbumTreeClick);
    connect(FAlbumTree, &QTreeWidget::itemDoubleClicked, this, &TMainForm::TreeEditClick);
    FAlbumTree->LabelEdited = [this](QTreeWidgetItem* node) { FAlbumTreeEdited(node); };
    connect(FAlbumTree, &QTreeWidget::currentItemChanged, this, &TMainForm::UpdateNodePictures);

    Splitter1 = new QSplitter(Qt::Horizontal);
    Splitter1->setObjectName("Splitter1");
    Splitter1->setHandleWidth(5);
    Splitter1->setChildrenCollapsible(false);
    Splitter1->addWidget(AlbumPanel);
    Splitter1->addWidget(FImgView);
    Splitter1->setStretchFactor(1, 1);
    setCentralWidget(Splitter1);
}

void TMainForm::CreateStatusBar() {
    const int widths[4] = {150, 150, 200, 50};
    for (int i = 0; i < 4; ++i) {
        FStatusPanels[i] = new QLabel;
        FStatusPanels[i]->setObjectName(QStringLiteral("FStatusPanel%1").arg(i));
        FStatusPanels[i]->setMinimumWidth(widths[i]);
        statusBar()->addWidget(FStatusPanels[i], i == 3 ? 1 : 0);
    }
    statusBar()->setObjectName("FStatusBar");
    statusBar()->setSizeGripEnabled(true);
}
