// The real Diorama.exe, run under wine on a disc folder: it must load every album and every
// picture that the disc holds. Skipped where wine cannot run 32-bit programs.
#include "disc_fixture.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QString Viewer = QStringLiteral(FOTOLARK_BINARY_DIR "/app/Resources/Diorama.exe");
// One wine prefix for all runs: creating it takes far longer than a run.
const QString WinePrefix = QStringLiteral(FOTOLARK_BINARY_DIR "/wine-prefix");

// Copies the viewer onto the disc, runs "Diorama.exe /report" there and returns the report.
std::string RunViewer(const QString& disc) {
    QFile::remove(disc + "/Diorama.exe");
    EXPECT_TRUE(QFile::copy(Viewer, disc + "/Diorama.exe"));
    QProcess wine;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("WINEPREFIX", WinePrefix);
    environment.insert("WINEDLLOVERRIDES", "mscoree,mshtml=");
    environment.insert("WINEDEBUG", "-all");
    wine.setProcessEnvironment(environment);
    wine.setWorkingDirectory(disc);
    wine.start(QStandardPaths::findExecutable("wine"), {disc + "/Diorama.exe", "/report", disc + "/report.txt"});
    EXPECT_TRUE(wine.waitForFinished(180000)) << "wine did not finish";
    EXPECT_EQ(wine.exitCode(), 0) << wine.readAllStandardError().toStdString();
    QFile report(disc + "/report.txt");
    return report.open(QIODevice::ReadOnly) ? report.readAll().toStdString() : std::string();
}

} // namespace

TEST(ViewerUnderWineTest, LoadsTheAlbumsAndPicturesOfTheDisc) {
    if (QStandardPaths::findExecutable("wine").isEmpty()) GTEST_SKIP() << "wine is not installed";
    QTemporaryDir disc;
    MakeDiscFolder(disc.path().toStdString(),
                   {{"Summer 2004", {{"2026121000000.jpg", "Beach", {"Sunny", "windy"}},
                                     {"dunes.jpg", "Dunes", {}},
                                     {"gone.jpg", "Lost", {}, false}}},
                    {"Empty", {}},
                    {"Hiver \xC3\xA9t\xC3\xA9", {{"2026121000001.jpg", "Snow", {"cold"}}}}},
                   "Holidays \xE2\x82\xAC");
    EXPECT_EQ(RunViewer(disc.path()), "title\tHolidays \xE2\x82\xAC\n"
                                      "catalogue\tcomplete\n"
                                      "album\tSummer 2004\t3\t2\t2\n"
                                      "album\tEmpty\t0\t0\t0\n"
                                      "album\tHiver \xC3\xA9t\xC3\xA9\t1\t1\t1\n");

    // A damaged catalogue and no title: the albums before the damage, the default title.
    QFile::remove(disc.filePath("title.txt"));
    QFile catalogue(disc.filePath("Albums.dat"));
    ASSERT_TRUE(catalogue.resize(catalogue.size() - 5));
    EXPECT_EQ(RunViewer(disc.path()), "title\tPhoto Album Viewer\n"
                                      "catalogue\tdamaged\n"
                                      "album\tSummer 2004\t3\t2\t2\n"
                                      "album\tEmpty\t0\t0\t0\n"
                                      "album\tHiver \xC3\xA9t\xC3\xA9\t0\t0\t0\n");

    QFile::remove(disc.filePath("Albums.dat"));
    EXPECT_EQ(RunViewer(disc.path()), "title\tPhoto Album Viewer\ncatalogue\tmissing\n");
}
