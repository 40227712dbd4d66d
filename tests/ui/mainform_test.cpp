// Start-up, album loading and saving, and the exit questions of the main window.
#include "ui_fixture.h"

#include "album_nodes.h"
#include "image_view.h"

#include <QAction>
#include <QApplication>
#include <QSplitter>
#include <QStatusTipEvent>
#include <QToolBar>
#include <QTreeWidget>

#include <fstream>
#include <sstream>
#include <sys/wait.h>

namespace fs = std::filesystem;

namespace {

std::string ReadFile(const std::string& path) {
    std::ostringstream bytes;
    bytes << std::ifstream(path, std::ios::binary).rdbuf();
    return bytes.str();
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::vector<std::string> TreeLabels(const TMainForm& window) {
    std::vector<std::string> labels;
    for (int i = 0; i < window.FAlbumTree->topLevelItemCount(); ++i) {
        QTreeWidgetItem* album = window.FAlbumTree->topLevelItem(i);
        labels.push_back(album->text(0).toStdString());
        for (int j = 0; j < album->childCount(); ++j)
            labels.push_back("  " + album->child(j)->text(0).toStdString());
    }
    return labels;
}

} // namespace

TEST_F(MainFormTest, FirstStartCreatesTheFoldersBelowTheDefaultBaseFolder) {
    OpenSettings()->clear();
    TMainForm& window = Open();
    const TStorageFolders folders = StorageFolders(DefaultBaseFolder());
    EXPECT_EQ(TPrefs().BaseDir, DefaultBaseFolder());
    EXPECT_TRUE(fs::is_directory(folders.ThumbDir));
    EXPECT_TRUE(fs::is_directory(folders.ImageDir));
    EXPECT_EQ(window.FAlbumDir, folders.AlbumDir);
    EXPECT_EQ(window.windowTitle(), "Fotolark");
    EXPECT_EQ(window.FAlbumTree->topLevelItemCount(), 0);
    EXPECT_FALSE(window.A_SaveAlbums->isEnabled());
    EXPECT_FALSE(window.A_CreateCD->isEnabled());
    EXPECT_TRUE(window.A_NewAlbum->isEnabled());
}

TEST_F(MainFormTest, ActionsStaySuspendedUntilTheWindowFirstBecomesActive) {
    WriteAlbum("a.alb", "A", 0);
    auto prompts = std::make_unique<TScriptedPrompts>();
    TMainForm window(std::move(prompts));
    for (QAction* always : {window.A_NewAlbum, window.A_NewImage, window.A_Scan})
        EXPECT_TRUE(always->isEnabled()) << always->objectName().toStdString() << " is always enabled";
    EXPECT_FALSE(window.A_SaveAlbums->isEnabled());
    window.FormActivate();
    EXPECT_TRUE(window.A_NewAlbum->isEnabled());
    EXPECT_TRUE(window.A_SaveAlbums->isEnabled());
    EXPECT_TRUE(window.A_Scan->isEnabled());
    EXPECT_FALSE(window.A_Discard->isEnabled()) << "no image shown";
    EXPECT_FALSE(window.A_SaveImage->isEnabled());
}

TEST_F(MainFormTest, AlbumsLoadAsATwoLevelTreeInPositionOrder) {
    WriteAlbum("b.alb", "Second", 1, {"Beach", "Dunes"});
    WriteAlbum("a.alb", "First", 0, {"Snow"});
    WriteAlbum("c.alb", "Empty", 2);
    TMainForm& window = Open();
    EXPECT_EQ(TreeLabels(window),
              (std::vector<std::string>{"First", "  Snow", "Second", "  Beach", "  Dunes", "Empty"}));
    TAlbumNode* second = AsAlbumNode(window.FAlbumTree->topLevelItem(1));
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->Album().Project.PhotoCount(), 0) << "photos live in the tree while shown";
    EXPECT_EQ(AsPhotoNode(second->child(1))->Photo().FileName, "Dunes.jpg");
}

TEST_F(MainFormTest, SavingWritesTheTreeBackWithPositionsFromTheTreeOrder) {
    WriteAlbum("a.alb", "First", 0, {"Snow"});
    WriteAlbum("b.alb", "Second", 1, {"Beach"});
    TMainForm& window = Open();
    // The user dragged the second album above the first and moved a photo across.
    QTreeWidgetItem* second = window.FAlbumTree->takeTopLevelItem(1);
    window.FAlbumTree->insertTopLevelItem(0, second);
    window.FAlbumTree->topLevelItem(0)->addChild(window.FAlbumTree->topLevelItem(1)->takeChild(0));
    window.FAlbumsModified = true;

    window.SaveAlbums();
    EXPECT_FALSE(window.FAlbumsModified);
    EXPECT_TRUE(Prompts->Errors.isEmpty());
    const TAlbumList albums = FindAlbums(Folders.AlbumDir);
    ASSERT_EQ(albums.size(), 2u);
    EXPECT_EQ(albums[0]->Title, "Second");
    EXPECT_EQ(albums[0]->Project.PhotoCount(), 2);
    EXPECT_EQ(albums[0]->Project.Title, "Untitled") << "loading resets the photo list";
    EXPECT_EQ(albums[1]->Title, "First");
    EXPECT_EQ(albums[1]->Project.PhotoCount(), 0);
    EXPECT_EQ(AsAlbumNode(window.FAlbumTree->topLevelItem(0))->Album().Project.PhotoCount(), 0);
}

TEST_F(MainFormTest, AFailedSaveIsReportedAndKeepsTheAlbumsModified) {
    WriteAlbum("a.alb", "Holidays", 0);
    TMainForm& window = Open();
    fs::remove_all(Folders.AlbumDir);  // the album folder is gone (a disk taken away)
    window.FAlbumsModified = true;
    window.SaveAlbums();
    EXPECT_TRUE(window.FAlbumsModified);
    ASSERT_EQ(Prompts->Errors.size(), 1);
    EXPECT_TRUE(Prompts->Errors[0].contains("Holidays")) << Prompts->Errors[0].toStdString();

    // The exit question's Yes cannot save either, so the window stays open.
    Prompts->Answers = {mrYes};
    EXPECT_FALSE(window.close());
}

// Save Albums after another album changed: the album that was read damaged keeps its bytes
// until the user changes it, and its original is kept beside it before its first rewrite.
TEST_F(MainFormTest, ADamagedAlbumIsOnlyRewrittenWhenChangedAndIsKeptFirst) {
    WriteAlbum("a.alb", "Holidays", 0, {"Snow", "Beach"});
    WriteAlbum("b.alb", "Garden", 1);
    std::string damaged = ReadFile(Folders.AlbumDir + "a.alb");
    damaged.resize(damaged.size() - 3);  // cut in its last photo
    WriteFile(Folders.AlbumDir + "a.alb", damaged);
    TMainForm& window = Open();
    AsAlbumNode(window.FAlbumTree->topLevelItem(1))->Album().Title = "Yard";
    window.FAlbumsModified = true;
    window.SaveAlbums();
    EXPECT_EQ(ReadFile(Folders.AlbumDir + "a.alb"), damaged);
    EXPECT_FALSE(fs::exists(Folders.AlbumDir + "a.alb.damaged"));

    AsAlbumNode(window.FAlbumTree->topLevelItem(0))->Album().Title = "Summer";
    window.SaveAlbums();
    EXPECT_TRUE(Prompts->Errors.isEmpty());
    EXPECT_EQ(ReadFile(Folders.AlbumDir + "a.alb.damaged"), damaged);
    const auto album = TAlbum::CreateFromFile(Folders.AlbumDir + "a.alb");
    EXPECT_EQ(album->Title, "Summer");
    EXPECT_EQ(album->Project.PhotoCount(), 1);
    EXPECT_FALSE(album->ReadDamaged());
}

// Temporary files that a crashed save left in the storage folders go at the next start;
// those of a running process stay.
TEST_F(MainFormTest, StartRemovesTemporaryFilesOfEndedProcesses) {
    const pid_t child = fork();
    if (child == 0) _exit(0);
    waitpid(child, nullptr, 0);
    const std::string ended = ".fotolark-" + std::to_string(child) + "-00000000000000aa.tmp";
    const std::string running = ".fotolark-" + std::to_string(getpid()) + "-00000000000000bb.tmp";
    for (const std::string& folder : {Folders.AlbumDir, Folders.ImageDir, Folders.ThumbDir}) {
        WriteFile(folder + ended, "half a file");
        WriteFile(folder + running, "being written");
    }
    Open();
    for (const std::string& folder : {Folders.AlbumDir, Folders.ImageDir, Folders.ThumbDir}) {
        EXPECT_FALSE(fs::exists(folder + ended)) << folder;
        EXPECT_TRUE(fs::exists(folder + running)) << folder;
    }
}

struct ExitCase {
    const char* name;
    bool image;          // an image is shown
    TImageSource source;
    bool modified;       // the image was changed
    bool albumsModified;
    std::deque<int> answers;
    QStringList asked;
    bool closes;
    bool albumsWritten;
};

void PrintTo(const ExitCase& c, std::ostream* os) {
    *os << c.name;
}

class ExitQuestions : public MainFormTest, public ::testing::WithParamInterface<ExitCase> {};

TEST_P(ExitQuestions, FollowTheAnswers) {
    const ExitCase& c = GetParam();
    WriteAlbum("a.alb", "Album", 0);
    TMainForm& window = Open();
    fs::remove(Folders.AlbumDir + "a.alb");
    if (c.image) ShowImage(window, 4, 4);
    window.FImageSource = c.source;
    window.FModified = c.modified;
    window.FAlbumsModified = c.albumsModified;
    Prompts->Answers = c.answers;

    EXPECT_EQ(window.close(), c.closes);
    EXPECT_EQ(Prompts->Asked, c.asked);
    EXPECT_EQ(fs::exists(Folders.AlbumDir + "a.alb"), c.albumsWritten);
}

const QString kImage = "Image Modified";
const QString kAlbums = "Albums Modified";

INSTANTIATE_TEST_SUITE_P(MainForm, ExitQuestions, ::testing::Values(
    ExitCase{"nothing_to_ask", false, isNew, false, false, {}, {}, true, false},
    ExitCase{"unchanged_file_image", true, isFile, false, false, {}, {}, true, false},
    ExitCase{"scanned_image_asks", true, isNew, false, false, {mrNo}, {kImage}, false, false},
    ExitCase{"changed_image_cancel", true, isAlbumPhoto, true, false, {mrCancel}, {kImage}, false, false},
    ExitCase{"discard_image_albums_unchanged", true, isNew, false, false, {mrYes}, {kImage}, true, false},
    ExitCase{"discard_image_and_save", true, isFile, true, true, {mrYes, mrYes}, {kImage, kAlbums}, true, true},
    ExitCase{"albums_dropped", false, isNew, false, true, {mrNo}, {kAlbums}, true, false},
    ExitCase{"albums_cancel", false, isNew, false, true, {mrCancel}, {kAlbums}, false, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MainFormTest, ExitWritesPanelZoomAndToolBarsAndTheyComeBack) {
    {
        TMainForm& window = Open();
        ShowImage(window, 8, 8);
        window.A_FitHeight->trigger();
        window.PositionTools->trigger();  // hides the sizing tool bar
        EXPECT_TRUE(window.PositionBar->isHidden());
        Prompts->Answers = {mrYes};  // discard the new image
        EXPECT_TRUE(window.close());
        Window.reset();
    }
    const TPrefs prefs;
    EXPECT_EQ(prefs.ImgState, zmFitHeight);
    EXPECT_FALSE(prefs.SizeTools.Visible);
    EXPECT_TRUE(prefs.FileTools.Visible);
    EXPECT_GE(prefs.AlbumWidth, 185);
    EXPECT_TRUE(OpenSettings()->contains("Window/MainWindow/Width"));

    TMainForm& again = Open();
    EXPECT_TRUE(again.PositionBar->isHidden());
    EXPECT_FALSE(again.PositionTools->isChecked());
    EXPECT_TRUE(again.A_FitHeight->isChecked());
    EXPECT_EQ(again.FZoomMode, zmFitHeight);
}

TEST_F(MainFormTest, StatusBarShowsTheLongPartOfTheCurrentHint) {
    TMainForm& window = Open();
    QStatusTipEvent tip(window.A_NewAlbum->statusTip());
    QApplication::sendEvent(&window, &tip);
    EXPECT_EQ(window.StatusText(3), "Create a new album");
    EXPECT_EQ(window.A_NewAlbum->toolTip(), "New Album");
    EXPECT_EQ(window.FAlbumTree->toolTip(), "Albums and photos");
}

TEST_F(MainFormTest, CreateCDSavesChangedAlbumsFirst) {
    WriteAlbum("a.alb", "Album", 0);
    TMainForm& window = Open();
    EditLabel(window, window.FAlbumTree->topLevelItem(0), "Renamed");
    window.A_CreateCD->trigger();
    EXPECT_EQ(Prompts->Asked, QStringList{"Create a CD"});
    EXPECT_FALSE(window.FAlbumsModified);
    EXPECT_EQ(TAlbum::CreateFromFile(Folders.AlbumDir + "a.alb")->Title, "Renamed");
}
