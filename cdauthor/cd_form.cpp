#include "cd_form.h"

#include "cd_form_lists.h"
#include "cd_form_widgets.h"
#include "help_button.h"
#include "mcdburner.h"
#include "prefs.h"
#include "recorder_steps.h"
#include "window_state.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QSplitter>
#include <QStyle>
#include <QThread>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QPushButton* MakeButton(const char* name, const QString& text, const QString& hint) {
    auto* button = new QPushButton(text);
    button->setObjectName(name);
    button->setAutoDefault(false);
    SetCDHint(button, hint);
    return button;
}

QLabel* MakeLabel(const char* name) {
    auto* label = new QLabel;
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    return label;
}

} // namespace

TCDForm::TCDForm(const TStorageFolders& folders, TMCDBurner& burner, const QString& helpFile, TCDPrompts* prompts,
                 QWidget* parent)
    : QDialog(parent), FFolders(folders), FBurner(burner), FHelpFile(helpFile),
      FOwnPrompts(prompts ? nullptr : std::make_unique<TCDDialogPrompts>()),
      FPrompts(prompts ? prompts : FOwnPrompts.get()) {
    setObjectName("CDForm");
    setWindowTitle("Create a CD");
    setWindowFlags(Qt::Window | Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint |
                   Qt::WindowCloseButtonHint);
    CreateControls();
    // The designed 517 x 450, one row taller for "Verify written data", so that the album
    // lists keep their designed height.
    resize(517, 450 + cxVerify->sizeHint().height() + style()->pixelMetric(QStyle::PM_LayoutVerticalSpacing));
    setMinimumSize(450, 250);
    PJRegWdwState1 = new TPJRegWdwState(this, "Window/CDWindow", OpenSettings, false);

    // The component's stored configuration for album discs; each job sets its own parts.
    ApplyBurnerSettings(FBurner);
    FWebPages = TPrefs().WebIndex;
    ViewerPath = ViewerPathFor(QCoreApplication::applicationDirPath().toStdString());
    lblUsed->setText("Used: 0.00");
    lblAvailable->setText("Available: 0.00");
    SetMessage("");
    FAlbums = FindAlbums(FFolders.AlbumDir);
    for (const auto& album : FAlbums) LBAlbums->AppendAlbum(album.get());
    if (!FBurner.ASPIInitialized()) {
        cxISOFile->setChecked(true);
        cxISOFile->setEnabled(false);
    }
    AttachBurnerHandlers();
    // The title is on the index page, so it counts in the pages' space.
    connect(edTitle, &QLineEdit::textChanged, this, [this] {
        if (FWebPages && FShown) UpdateSpace();
    });
}

TCDForm::~TCDForm() {
    FinishPendingJob();
    DetachBurnerHandlers();
}

void TCDForm::CreateControls() {
    LBAlbums = new TAlbumListBox("LBAlbums", "Albums in current \"base folder\"");
    btnCopyAll = MakeButton("btnCopyAll", "&Add All", "Put all albums into layout");
    LBLayout = new TAlbumListBox("LBLayout", "Albums to write to CD");
    btnRemoveAll = MakeButton("btnRemoveAll", "&Remove All", "Clear albums from layout");
    for (TAlbumListBox* list : {LBAlbums, LBLayout}) {
        list->OnDragOver = [this](QObject* source) { return LBDragOver(source); };
        list->OnDragDrop = [this, list](QObject* source, QPoint pos) { LBDragDrop(list, source, pos); };
    }
    connect(btnCopyAll, &QPushButton::clicked, this, &TCDForm::btnCopyAllClick);
    connect(btnRemoveAll, &QPushButton::clicked, this, &TCDForm::btnRemoveAllClick);

    FAlbumPanel = MakeListPanel("Available Albums (drag to layout)", LBAlbums, btnCopyAll);
    FAlbumPanel->setObjectName("FAlbumPanel");
    FAlbumPanel->setMinimumWidth(200);
    FLayoutPanel = MakeListPanel("CD Layout (write to CD)", LBLayout, btnRemoveAll);
    FSplitter = new QSplitter(Qt::Horizontal);
    FSplitter->setObjectName("FSplitter");
    FSplitter->setHandleWidth(4);
    FSplitter->setChildrenCollapsible(false);
    FSplitter->addWidget(FAlbumPanel);
    FSplitter->addWidget(FLayoutPanel);

    FTimer = new QTimer(this);
    FTimer->setInterval(1000);
    connect(FTimer, &QTimer::timeout, this, &TCDForm::FTimerTimer);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(FSplitter, 1);
    layout->addLayout(MakeFooter());
}

QWidget* TCDForm::MakeListPanel(const char* heading, TAlbumListBox* list, QPushButton* button) {
    auto* panel = new QWidget;
    auto* title = new QLabel(heading);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch();
    buttonRow->addWidget(button);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(title);
    layout->addWidget(list, 1);
    layout->addLayout(buttonRow);
    return panel;
}

QLayout* TCDForm::MakeFooter() {
    FProgress = new QProgressBar;
    FProgress->setObjectName("FProgress");
    FProgress->setTextVisible(true);
    FProgress->setValue(0);

    lblUsed = MakeLabel("lblUsed");
    lblAvailable = MakeLabel("lblAvailable");
    lblAvailable->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblMessage = MakeLabel("lblMessage");
    QFont bold = lblMessage->font();
    bold.setBold(true);
    lblMessage->setFont(bold);
    QPalette messageColours = lblMessage->palette();
    messageColours.setColor(QPalette::WindowText, Qt::red);
    messageColours.setColor(QPalette::Window, Qt::white);
    lblMessage->setPalette(messageColours);
    lblMessage->setAutoFillBackground(true);

    cxTestBurn = new QCheckBox("&Test Write");
    cxTestBurn->setObjectName("cxTestBurn");
    SetCDHint(cxTestBurn, "Test writing to CD");
    // Below "Test Write", which records nothing there could be to read back.
    cxVerify = new QCheckBox("Verify written data");
    cxVerify->setObjectName("cxVerify");
    SetCDHint(cxVerify, "Read back what was written and compare it");
    cxVerify->setChecked(ReadVerifySetting());
    connect(cxTestBurn, &QCheckBox::toggled, cxVerify, [this](bool test) { cxVerify->setEnabled(!test); });
    connect(cxVerify, &QCheckBox::toggled, this, [](bool verify) { WriteVerifySetting(verify); });
    cxISOFile = new QCheckBox("Create ISO File");
    cxISOFile->setObjectName("cxISOFile");
    SetCDHint(cxISOFile, "Create CD image file");
    Label1 = new QLabel("Title for CD:");
    Label1->setObjectName("Label1");
    edTitle = new QLineEdit;
    edTitle->setObjectName("edTitle");
    edTitle->setMaxLength(32);
    edTitle->setValidator(new TNoControlCharsValidator(edTitle));
    SetCDHint(edTitle, "Enter a title for the CD");
    Label1->setBuddy(edTitle);

    sbHelp = CreateHelpButton(this, FHelpFile);
    btnAbort = MakeButton("btnAbort", "&Abort Write", "Stop writing the CD or ISO file");
    btnAbort->hide();
    btnBurn = MakeButton("btnBurn", "&Write CD", "Write albums to CD or ISO file");
    btnBurn->setEnabled(false);
    btnClose = MakeButton("btnClose", "&Close", "Close this window");
    connect(btnAbort, &QPushButton::clicked, this, &TCDForm::btnAbortClick);
    connect(btnBurn, &QPushButton::clicked, this, &TCDForm::btnBurnClick);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::reject);

    auto* space = new QHBoxLayout;
    space->addWidget(lblUsed);
    space->addStretch();
    space->addWidget(lblAvailable);
    auto* options = new QGridLayout;
    options->addWidget(cxTestBurn, 0, 0);
    options->addWidget(cxISOFile, 0, 1);
    options->addWidget(cxVerify, 1, 0);
    options->setColumnStretch(2, 1);
    auto* title = new QHBoxLayout;
    title->addWidget(Label1);
    title->addWidget(edTitle, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(sbHelp);
    buttons->addStretch();
    buttons->addWidget(btnAbort);
    buttons->addWidget(btnBurn);
    buttons->addWidget(btnClose);

    auto* footer = new QVBoxLayout;
    footer->addWidget(FProgress);
    footer->addLayout(space);
    footer->addWidget(lblMessage);
    footer->addLayout(options);
    footer->addLayout(title);
    footer->addLayout(buttons);
    return footer;
}

void TCDForm::SetMessage(const QString& text) {
    FMessage = text;
    lblMessage->setText(text);
}

void TCDForm::ShowDriveWait(int seconds) {
    lblMessage->setText(seconds > 0 ? QString::fromStdString(DriveWaitMessage(seconds)) : FMessage);
    lblMessage->repaint();  // also while this thread itself waits for the drive
}

// ---- Window behaviour ----

void TCDForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // The first display asks its questions in modal dialogs of their own, so it runs once
    // this window is on the screen and active, not inside the event that shows it.
    if (!FShown) QTimer::singleShot(0, this, &TCDForm::FormActivate);
}

void TCDForm::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && isMinimized()) {
        // Minimising this window minimises the whole program, whose main window it blocks.
        for (QWidget* window : QApplication::topLevelWidgets())
            if (window != this && window->isVisible() && !window->isMinimized()) window->showMinimized();
    }
}

void TCDForm::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    const int half = (FSplitter->width() - FSplitter->handleWidth()) / 2;
    FSplitter->setSizes({half, FSplitter->width() - FSplitter->handleWidth() - half});
}

void TCDForm::closeEvent(QCloseEvent* event) {
    // While a job is being prepared or runs, the window stays (its buttons say so too).
    if (!btnClose->isEnabled()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void TCDForm::reject() {
    if (btnClose->isEnabled()) QDialog::reject();
}

void TCDForm::done(int result) {
    FinishPendingJob();
    PJRegWdwState1->Save();
    QDialog::done(result);
}

void TCDForm::AttachBurnerHandlers() {
    FBurner.OnAddFile = [this](TMCDBurner*, const std::string&, std::string& longFileName, std::string&, TDateTime&,
                               int32_t, int64_t, bool& skip) {
        OnAddFile(longFileName);
        skip = false;
    };
    // Both events arrive on the recording thread: the window work is queued for this one.
    FBurner.OnFinalizingTrack = [this](TMCDBurner*) {
        QMetaObject::invokeMethod(
            this,
            [this] {
                FFinalizing = true;
                SetMessage("Finalizing Track...");
            },
            Qt::QueuedConnection);
    };
    // Waits of the recording thread are shown through the event loop; this thread's own
    // waits (the drive commands after a job) at once.
    FBurner.OnDriveWait = [this](TSCSIDevice*, int seconds) {
        if (QThread::currentThread() == thread()) ShowDriveWait(seconds);
        else QMetaObject::invokeMethod(this, [this, seconds] { ShowDriveWait(seconds); }, Qt::QueuedConnection);
    };
    FBurner.OnWriteDone = [this](TMCDBurner*, const std::string& error) {
        QMetaObject::invokeMethod(this, [this, error] { WriteDone(error); }, Qt::QueuedConnection);
    };
}

void TCDForm::DetachBurnerHandlers() {
    FBurner.OnAddFile = nullptr;
    FBurner.OnFinalizingTrack = nullptr;
    FBurner.OnDriveWait = nullptr;
    FBurner.OnWriteDone = nullptr;
}
