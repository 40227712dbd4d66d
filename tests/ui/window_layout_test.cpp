// The main window's layout across restarts: tool bar rows and places, the one menu that
// shows and hides the bars, and the placement of the first start.
#include "ui_fixture.h"

#include "help_button.h"

#include <QAction>
#include <QDialog>
#include <QIcon>
#include <QStyle>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QToolBar>
#include <QToolButton>

#include <map>

namespace {

struct TBarPlaces {
    QPoint File, Position, Modify;
    bool operator==(const TBarPlaces&) const = default;
};

void PrintTo(const TBarPlaces& places, std::ostream* out) {
    for (const QPoint& at : {places.File, places.Position, places.Modify}) *out << "(" << at.x() << "," << at.y() << ") ";
}

} // namespace

class WindowLayoutTest : public MainFormTest {
protected:
    // Opens the window and shows it, so that its tool bars are laid out.
    TMainForm& OpenShown() {
        TMainForm& window = Open();
        window.show();
        return window;
    }
    static TBarPlaces Places(const TMainForm& window) {
        return {window.FileBar->pos(), window.PositionBar->pos(), window.ModifyBar->pos()};
    }
    void Restart() {
        ASSERT_TRUE(Window->close());
        Window.reset();
        OpenShown();
    }
};

TEST_F(WindowLayoutTest, ARestartKeepsTheToolBarsWhereTheyWere) {
    TMainForm& window = OpenShown();
    const TBarPlaces designed = Places(window);
    EXPECT_EQ(designed.File.y(), designed.Modify.y()) << "the designed window has one row of bars";
    for (int start = 0; start < 3; ++start) {
        Restart();
        EXPECT_EQ(Places(*Window), designed) << "after restart " << start + 1;
    }
}

TEST_F(WindowLayoutTest, ABarMovedToARowOfItsOwnOrBeforeAnotherComesBackThere) {
    TMainForm& window = OpenShown();
    // As a user drags them: the sizing bar before the file bar, the modification bar below.
    window.removeToolBar(window.PositionBar);
    window.insertToolBar(window.FileBar, window.PositionBar);
    window.removeToolBar(window.ModifyBar);
    window.addToolBarBreak();
    window.addToolBar(window.ModifyBar);
    window.PositionBar->show();
    window.ModifyBar->show();
    const TBarPlaces moved = Places(window);
    ASSERT_LT(moved.Position.x(), moved.File.x());
    ASSERT_GT(moved.Modify.y(), moved.File.y());
    Restart();
    EXPECT_EQ(Places(*Window), moved);
    Restart();
    EXPECT_EQ(Places(*Window), moved);
}

TEST_F(WindowLayoutTest, AHiddenBarComesBackToItsRowWhenShownAgain) {
    TMainForm& window = OpenShown();
    window.removeToolBar(window.ModifyBar);
    window.addToolBarBreak();
    window.addToolBar(window.ModifyBar);
    window.ModifyBar->show();
    const TBarPlaces moved = Places(window);
    window.ModifyTools->trigger();  // hidden through File › Toolbars
    Restart();
    EXPECT_TRUE(Window->ModifyBar->isHidden());
    EXPECT_FALSE(Window->ModifyTools->isChecked());
    Restart();
    Window->ModifyTools->trigger();
    EXPECT_EQ(Places(*Window), moved);
}

// The tool bar area's context menu offers the program's own items, so the menu's checks
// always tell which bars are shown.
TEST_F(WindowLayoutTest, TheToolBarContextMenuIsTheProgramsToolbarsMenu) {
    TMainForm& window = OpenShown();
    std::unique_ptr<QMenu> menu(window.createPopupMenu());
    ASSERT_TRUE(menu);
    EXPECT_EQ(menu->actions(), (QList<QAction*>{window.FileTools, window.PositionTools, window.ModifyTools}));
    menu->actions()[1]->trigger();
    EXPECT_TRUE(window.PositionBar->isHidden());
    EXPECT_FALSE(window.PositionTools->isChecked());
}

TEST_F(WindowLayoutTest, TheFirstStartOpensAtTheDesignedSizeCentredOnTheScreen) {
    TMainForm& window = OpenShown();
    const QRect available = window.screen()->availableGeometry();
    EXPECT_EQ(window.size(), QSize(1000, 700).boundedTo(available.size()));
    EXPECT_LE((window.geometry().center() - available.center()).manhattanLength(), 2);
    EXPECT_TRUE(available.contains(window.geometry()));
}

TEST_F(WindowLayoutTest, AStoredPlaceBeyondTheScreenIsBroughtBackOntoIt) {
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    for (const char* name : {"Left", "Top"}) OpenSettings()->setValue(QStringLiteral("Window/MainWindow/") + name, 5000);
    OpenSettings()->setValue("Window/MainWindow/Width", available.width() + 400);
    OpenSettings()->setValue("Window/MainWindow/Height", 650);
    TMainForm& window = OpenShown();
    EXPECT_TRUE(available.contains(window.geometry()));
    EXPECT_EQ(window.size(), QSize(available.width(), std::min(650, available.height())));
}

// Without an icon theme every help button of the program shows its own help icon, not the
// style's stand-in.
TEST_F(WindowLayoutTest, HelpButtonsShowTheProgramsHelpIconWithoutATheme) {
    if (QIcon::hasThemeIcon("help-contents")) GTEST_SKIP() << "the desktop's icon theme has a help icon";
    TMainForm& window = Open();
    QDialog dialog(&window);
    const QImage shown = CreateHelpButton(&dialog, "")->icon().pixmap(16).toImage();
    EXPECT_EQ(shown, QIcon(":/icons/help.svg").pixmap(16).toImage());
    EXPECT_NE(shown, dialog.style()->standardIcon(QStyle::SP_DialogHelpButton).pixmap(16).toImage());
}

// Alt and a letter inside the "&Image" menu must pick one item. The one pair the designed
// captions share ("&Original Size", "&Open Image...") is kept as designed; no other letter
// may be taken twice.
TEST_F(WindowLayoutTest, TheImageMenuGivesEveryItemItsOwnMnemonic) {
    TMainForm& window = Open();
    QMenu* image = nullptr;
    for (QAction* item : window.menuBar()->actions())
        if (item->text() == "&Image") image = item->menu();
    ASSERT_TRUE(image);
    std::map<QChar, QStringList> captionsByKey;
    for (const QAction* item : image->actions()) {
        if (item->isSeparator()) continue;
        const QString caption = item->text();
        const qsizetype amp = caption.indexOf('&');
        ASSERT_TRUE(amp >= 0 && amp + 1 < caption.size()) << "no mnemonic in " << caption.toStdString();
        captionsByKey[caption[amp + 1].toUpper()] << caption;
    }
    for (const auto& [key, captions] : captionsByKey) {
        if (key == 'O') {
            EXPECT_EQ(captions, (QStringList{"&Original Size", "&Open Image..."}));
            continue;
        }
        EXPECT_EQ(captions.size(), 1) << "Alt+" << QString(key).toStdString() << ": " << captions.join(", ").toStdString();
    }
}
