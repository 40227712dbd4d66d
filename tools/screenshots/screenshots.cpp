// Pictures of the program for the README, made from its own windows: a generated album folder
// is opened in the main window with a photo shown, then the "Create a CD" window is opened over
// it with every album in the layout. Both are grabbed offscreen.
//
//   fotolark-screenshots <output folder>      writes main-window.png and create-cd.png
//   fotolark-screenshots --albums <folder>    only writes the demo albums, to try the program
#include "demo_albums.h"

#include "cd_form.h"
#include "cd_prompts.h"
#include "image_view.h"
#include "mainform.h"
#include "prefs.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QSettings>
#include <QStatusTipEvent>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// The CD window's questions, answered as a user without a recorder would.
class TDemoCDPrompts : public TCDPrompts {
public:
    bool AskOkCancel(QWidget*, const QString&, const QString&) override { return false; }
    void ShowMessage(QWidget*, const QString&, const QString&) override {}
    void ShowError(QWidget*, const QString&) override {}
    bool AskCDSize(QWidget*, const QString&, int& megabytes) override {
        megabytes = 700;
        return true;
    }
    QString SaveIsoFile(QWidget*, const TTargetCheck&) override { return {}; }
};

void Settle() {
    for (int pass = 0; pass < 5; ++pass) QApplication::processEvents();
}

bool Save(QWidget& window, const QString& file) {
    Settle();
    if (window.grab().save(file)) return true;
    std::fprintf(stderr, "Cannot write %s\n", qPrintable(file));
    return false;
}

int MakeScreenshots(const QString& outputFolder, const QString& scratch) {
    const std::string base = (scratch + "/Fotolark/").toStdString();
    WriteDemoAlbums(base);
    OpenSettings()->setValue("Prefs/BaseDir", QString::fromStdString(base));

    TMainForm window;
    window.show();
    window.resize(1000, 700);
    window.FAlbumTree->expandAll();
    window.SelectNode(window.FAlbumTree->topLevelItem(0)->child(3));
    window.FAlbumTreeClick();
    window.ShowPhoto();
    window.A_FitWidth->trigger();
    QStatusTipEvent hint(window.FThumbView->statusTip());
    QApplication::sendEvent(&window, &hint);
    QDir().mkpath(outputFolder);
    if (!Save(window, outputFolder + "/main-window.png")) return 1;

    TDemoCDPrompts prompts;
    TCDForm cd(StorageFolders(base), window.Burner(), QString(), &prompts, &window);
    cd.show();
    Settle();  // the first display asks for the disc's size
    cd.btnCopyAllClick();
    cd.edTitle->setText("Holidays 2026");
    return Save(cd, outputFolder + "/create-cd.png") ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2 && !(argc == 3 && std::string(argv[1]) == "--albums")) {
        std::fprintf(stderr, "usage: %s <output folder> | --albums <base folder>\n", argv[0]);
        return 2;
    }
    // Settings of a run of their own, so that the user's are never touched.
    QTemporaryDir scratch;
    setenv("XDG_CONFIG_HOME", qPrintable(scratch.path()), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);
    QApplication::setApplicationName("Fotolark");
    if (argc == 3) {
        WriteDemoAlbums(QDir(QString::fromLocal8Bit(argv[2])).absolutePath().toStdString() + "/");
        return 0;
    }
    return MakeScreenshots(QDir(QString::fromLocal8Bit(argv[1])).absolutePath(), scratch.path());
}
