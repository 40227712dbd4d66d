// The CD window while editing: controls, the album lists, the capacity of the blank disc
// without a recorder, the space shown, dragging and the window's behaviour.
#include "cd_form_fixture.h"
#include "disc_web.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QSplitter>
#include <QToolButton>

namespace {

TEST_F(TCDFormTest, ControlsCaptionsAndHints) {
    TCDForm& form = Open();
    EXPECT_EQ(form.windowTitle(), "Create a CD");
    EXPECT_EQ(form.minimumSize(), QSize(450, 250));
    const struct {
        QWidget* Control;
        const char* Text;
        const char* Hint;
    } controls[] = {
        {form.btnCopyAll, "&Add All", "Put all albums into layout"},
        {form.btnRemoveAll, "&Remove All", "Clear albums from layout"},
        {form.cxTestBurn, "&Test Write", "Test writing to CD"},
        {form.cxISOFile, "Create ISO File", "Create CD image file"},
        {form.cxVerify, "Verify written data", "Read back what was written and compare it"},
        {form.btnAbort, "&Abort Write", "Stop writing the CD or ISO file"},
        {form.btnBurn, "&Write CD", "Write albums to CD or ISO file"},
        {form.btnClose, "&Close", "Close this window"},
        {form.LBAlbums, "", "Albums in current \"base folder\""},
        {form.LBLayout, "", "Albums to write to CD"},
        {form.edTitle, "", "Enter a title for the CD"},
        {form.sbHelp, "", "Fotolark Help"},  // the help icon, as in every dialog
    };
    for (const auto& c : controls) {
        SCOPED_TRACE(c.Hint);
        if (auto* button = qobject_cast<QAbstractButton*>(c.Control)) {
            EXPECT_EQ(button->text(), c.Text);
        }
        EXPECT_EQ(c.Control->toolTip(), c.Hint);
        EXPECT_EQ(c.Control->statusTip(), c.Hint);
    }
    EXPECT_EQ(form.Label1->text(), "Title for CD:");
    EXPECT_EQ(form.edTitle->maxLength(), 32);
    EXPECT_TRUE(form.btnAbort->isHidden());
    EXPECT_FALSE(form.btnBurn->isEnabled());
    EXPECT_EQ(form.FSplitter->handleWidth(), 4);
    EXPECT_EQ(form.FAlbumPanel->minimumWidth(), 200);
    EXPECT_TRUE(form.lblMessage->font().bold());
    EXPECT_EQ(form.lblMessage->palette().color(QPalette::WindowText), QColor(Qt::red));
    EXPECT_EQ(form.lblMessage->palette().color(QPalette::Window), QColor(Qt::white));
    EXPECT_TRUE(form.lblAvailable->alignment() & Qt::AlignRight);
    EXPECT_TRUE(form.FProgress->isTextVisible());
    for (const TAlbumListBox* list : {form.LBAlbums, form.LBLayout}) {
        EXPECT_EQ(list->headerItem()->text(0), "Album Name");
        EXPECT_EQ(list->headerItem()->text(1), "Size (MB)");
        EXPECT_EQ(list->columnWidth(1), 100);
        EXPECT_EQ(list->columnWidth(0), list->viewport()->width() - 100);
    }
}

TEST_F(TCDFormTest, AnEmptyAlbumFolderGivesTwoEmptyLists) {
    TCDForm& form = Open();
    EXPECT_EQ(form.LBAlbums->Count(), 0);
    EXPECT_EQ(form.LBLayout->Count(), 0);
    EXPECT_FALSE(form.btnBurn->isEnabled());
    form.btnCopyAllClick();
    EXPECT_FALSE(form.btnBurn->isEnabled());
}

TEST_F(TCDFormTest, AlbumsInSavedOrderWithTheirSizes) {
    Albums.AddAlbum("Second", 1, {"a.jpg"});
    Albums.AddAlbum("Empty", 0, {});
    TCDForm& form = Open();
    EXPECT_EQ(Titles(form.LBAlbums), (QStringList{"Empty", "Second"}));
    const QTreeWidgetItem* empty = form.LBAlbums->topLevelItem(0);
    EXPECT_EQ(empty->text(1), "0.01 MB");  // 3 sectors
    EXPECT_TRUE(empty->textAlignment(1) & Qt::AlignRight);
    EXPECT_EQ(form.LBAlbums->AlbumAt(1)->Title, "Second");
}

TEST_F(TCDFormTest, ViewerSizeGivesTheBaseSectors) {
    Viewer = Scratch.Write("Resources/Diorama.exe", std::string(100000, 'v'));
    TCDForm& form = Open();
    EXPECT_EQ(form.BaseSectors, 50);
    EXPECT_EQ(form.lblUsed->text(), "Used: 0.10 MB");
}

TEST_F(TCDFormTest, MovingOneAlbumInAndOutTogglesWriting) {
    Albums.AddAlbum("Holidays", 0, {"a.jpg"});
    TCDForm& form = Open();
    const QString usedBefore = form.lblUsed->text();
    Drag(form.LBAlbums, 0, form.LBLayout);
    EXPECT_EQ(Titles(form.LBLayout), QStringList{"Holidays"});
    EXPECT_EQ(form.LBAlbums->Count(), 0);
    EXPECT_TRUE(form.btnBurn->isEnabled());
    EXPECT_NE(form.lblUsed->text(), usedBefore);
    Drag(form.LBLayout, 0, form.LBAlbums);
    EXPECT_EQ(Titles(form.LBAlbums), QStringList{"Holidays"});
    EXPECT_FALSE(form.btnBurn->isEnabled());
    EXPECT_EQ(form.lblUsed->text(), usedBefore);
}

TEST_F(TCDFormTest, WebPagesCountInUsedUnlessTurnedOff) {
    Albums.AddAlbum("Holidays", 0, {"a.jpg", "b.jpg", "c.jpg"});
    Albums.AddAlbum("Garden", 1, {"d.jpg"});
    for (const bool web : {true, false}) {
        SCOPED_TRACE(web);
        TPrefs prefs;
        prefs.WebIndex = web;
        prefs.Save();
        Form.reset();  // one window at a time holds the burner's events
        Prompts = {};
        Prompts.CDSize = 700;
        TCDForm& form = Open();
        EXPECT_EQ(form.lblUsed->text(), "Used: 0.00 MB") << "an empty layout has no pages";
        form.btnCopyAllClick();
        const std::vector<TAlbum*> layout = form.LBLayout->Albums();
        int64_t used = form.BaseSectors;
        for (const TAlbum* album : layout) used += album->SectorCount();
        // Two album pages, four photo pages, index.html and the style sheet.
        const int64_t pages = WebPagesSectors("", {layout.begin(), layout.end()});
        EXPECT_EQ(pages, 8);
        if (web) used += pages;
        EXPECT_EQ(form.lblUsed->text(), QString::asprintf("Used: %3.2f MB", used * 2048.0 / 1048576));
        EXPECT_EQ(form.FProgress->value(), used);
    }
}

TEST_F(TCDFormTest, DraggingWithinAListReordersIt) {
    for (int i = 0; i < 4; ++i) Albums.AddAlbum(std::string(1, char('A' + i)), i, {});
    TCDForm& form = Open();
    form.btnCopyAllClick();
    const QString used = form.lblUsed->text();
    Drag(form.LBLayout, 3, form.LBLayout, 1);
    EXPECT_EQ(Titles(form.LBLayout), (QStringList{"A", "D", "B", "C"}));
    Drag(form.LBLayout, 0, form.LBLayout, -1);  // below the last item: to the end
    EXPECT_EQ(Titles(form.LBLayout), (QStringList{"D", "B", "C", "A"}));
    EXPECT_EQ(form.lblUsed->text(), used);
    EXPECT_TRUE(form.LBDragOver(form.LBAlbums));
    EXPECT_FALSE(form.LBDragOver(form.edTitle));
    form.LBDragDrop(form.LBLayout, form.edTitle, QPoint());  // from elsewhere: nothing happens
    EXPECT_EQ(form.LBLayout->Count(), 4);
}

TEST_F(TCDFormTest, AddAllThenRemoveAllKeepsTheLayoutOrder) {
    for (int i = 0; i < 3; ++i) Albums.AddAlbum(std::string(1, char('A' + i)), i, {});
    TCDForm& form = Open();
    Drag(form.LBAlbums, 2, form.LBLayout);  // C first
    form.btnCopyAllClick();
    EXPECT_EQ(Titles(form.LBLayout), (QStringList{"C", "A", "B"}));
    EXPECT_EQ(form.LBAlbums->Count(), 0);
    EXPECT_TRUE(form.btnBurn->isEnabled());
    form.btnRemoveAllClick();
    EXPECT_EQ(Titles(form.LBAlbums), (QStringList{"C", "A", "B"}));
    EXPECT_EQ(form.LBLayout->Count(), 0);
    EXPECT_FALSE(form.btnBurn->isEnabled());
}

TEST_F(TCDFormTest, CapacityFromTheSizeDialogWithoutARecorder) {
    const struct {
        std::optional<int> Megabytes;
        int32_t Capacity;
        const char* Message;
    } cases[] = {{std::nullopt, 333000, "Assuming 650 MB CD-R"}, {700, 358400, ""}, {650, 332800, ""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Capacity);
        Prompts = {};
        Prompts.CDSize = c.Megabytes;
        TCDForm& form = Open();
        EXPECT_EQ(Prompts.Asked, QStringList{"Set CD-R Size"});
        EXPECT_EQ(form.Capacity, c.Capacity);
        EXPECT_EQ(form.FProgress->maximum(), c.Capacity);
        EXPECT_EQ(Message(), c.Message);
        EXPECT_TRUE(form.cxISOFile->isChecked());
        EXPECT_FALSE(form.cxISOFile->isEnabled());
        const double available = (c.Capacity - form.BaseSectors) * 2048.0 / 1048576;
        EXPECT_EQ(form.lblAvailable->text(), QString::asprintf("Available: %3.2f MB", available));
    }
}

TEST_F(TCDFormTest, AnOverfullLayoutShowsItsNegativeSpaceInRed) {
    Albums.AddAlbum("Big", 0, {std::string(2000, 'p') + ".jpg"});  // a photo of about 1.3 MB
    Prompts.CDSize = 1;
    TCDForm& form = Open();
    const QColor normal = form.lblAvailable->palette().color(QPalette::WindowText);
    form.btnCopyAllClick();
    EXPECT_TRUE(form.lblAvailable->text().startsWith("Available: -")) << form.lblAvailable->text().toStdString();
    EXPECT_EQ(form.lblAvailable->palette().color(QPalette::WindowText), QColor(Qt::red));
    EXPECT_EQ(form.FProgress->value(), form.FProgress->maximum());
    form.btnRemoveAllClick();
    EXPECT_EQ(form.lblAvailable->palette().color(QPalette::WindowText), normal);
}

TEST_F(TCDFormTest, BecomingActiveAgainAsksNothingMore) {
    Prompts.CDSize = 700;
    TCDForm& form = Open();
    QCoreApplication::processEvents();  // the first display queued on showing
    form.hide();
    form.show();
    QEvent activation(QEvent::ActivationChange);
    QCoreApplication::sendEvent(&form, &activation);
    form.FormActivate();
    QCoreApplication::processEvents();
    EXPECT_EQ(Prompts.Asked, QStringList{"Set CD-R Size"});
    EXPECT_EQ(form.Capacity, 358400);
}

TEST_F(TCDFormTest, AMissingViewerIsReportedAndEndsTheFirstDisplay) {
    Viewer = Scratch.Path() + "/nowhere/Diorama.exe";
    TCDForm& form = Open();
    ASSERT_EQ(Prompts.Errors.size(), 1);
    EXPECT_TRUE(Prompts.Errors[0].contains(QString::fromStdString(Viewer))) << Prompts.Errors[0].toStdString();
    EXPECT_TRUE(Prompts.Asked.isEmpty());
    EXPECT_EQ(form.Capacity, 0);
}

TEST_F(TCDFormTest, ResizingHalvesThePanels) {
    TCDForm& form = Open();
    form.resize(700, 400);
    QCoreApplication::processEvents();
    const QList<int> sizes = form.FSplitter->sizes();
    EXPECT_LE(std::abs(sizes[0] - sizes[1]), 1);
    EXPECT_EQ(sizes[0] + sizes[1] + form.FSplitter->handleWidth(), form.FSplitter->width());
    EXPECT_GE(form.LBAlbums->columnWidth(0), 150);  // room for the names
}

TEST_F(TCDFormTest, PlacementIsKeptUnderTheCDWindowKey) {
    TCDForm& form = Open();
    form.resize(600, 420);
    form.btnClose->click();
    EXPECT_FALSE(form.isVisible());
    auto settings = OpenSettings();
    EXPECT_EQ(settings->value("Window/CDWindow/Width").toInt(), 600);
    EXPECT_EQ(settings->value("Window/CDWindow/Height").toInt(), 420);
}

TEST_F(TCDFormTest, DefaultViewerBesideTheProgramInTheBuildTreeOrInstalled) {
    const std::string bin = Scratch.Path() + "/prefix/bin";
    std::filesystem::create_directories(bin);
    EXPECT_EQ(ViewerPathFor(bin), bin + "/Resources/Diorama.exe");  // named when none exists
    Scratch.Write("prefix/share/fotolark/Resources/Diorama.exe", "MZ");
    EXPECT_EQ(ViewerPathFor(bin), Scratch.Path() + "/prefix/share/fotolark/Resources/Diorama.exe");
    Scratch.Write("prefix/app/Resources/Diorama.exe", "MZ");  // a tool in the build tree's cli/
    EXPECT_EQ(ViewerPathFor(bin), Scratch.Path() + "/prefix/app/Resources/Diorama.exe");
    Scratch.Write("prefix/bin/Resources/Diorama.exe", "MZ");
    EXPECT_EQ(ViewerPathFor(bin), bin + "/Resources/Diorama.exe");
}

TEST_F(TCDFormTest, ImageFileOnlyWithoutDriveAccess) {
    ASSERT_FALSE(Burner->ASPIInitialized());
    Form = std::make_unique<TCDForm>(Albums.Folders, *Burner, QString(), &Prompts);
    EXPECT_TRUE(Form->cxISOFile->isChecked());
    EXPECT_FALSE(Form->cxISOFile->isEnabled());
    EXPECT_TRUE(Prompts.Asked.isEmpty());  // nothing is asked before the window shows
}

} // namespace
