// The real Diorama.exe, run under wine on a disc folder: it must load every album and every
// picture that the disc holds. Skipped where wine cannot run 32-bit programs.
#include "disc_fixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QString Viewer = QStringLiteral(FOTOLARK_BINARY_DIR "/app/Resources/Diorama.exe");
const QString DiscTool = QStringLiteral(FOTOLARK_BINARY_DIR "/cli/fotolark-disc");

const std::vector<TFixtureAlbum> Albums = {
    {"Summer 2004",
     {{"2026121000000.jpg", "Beach", {"Sunny", "windy"}}, {"dunes.jpg", "Dunes", {}}, {"gone.jpg", "Lost", {}, false}}},
    {"Empty", {}},
    {"Hiver \xC3\xA9t\xC3\xA9", {{"2026121000001.jpg", "Snow", {"cold"}}}}};

const std::string AlbumLines = "album\tSummer 2004\t3\t2\t2\n"
                               "album\tEmpty\t0\t0\t0\n"
                               "album\tHiver \xC3\xA9t\xC3\xA9\t1\t1\t1\n";

// Runs `program` with `arguments`; false (and a test failure) unless it ends with status 0.
bool RunProgram(const QString& program, const QStringList& arguments, const QProcessEnvironment& environment = {}) {
    QProcess process;
    if (!environment.isEmpty()) process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    const bool finished = process.waitForFinished(180000);
    EXPECT_TRUE(finished) << program.toStdString() << " did not finish";
    EXPECT_EQ(process.exitCode(), 0) << program.toStdString() << ": " << process.readAll().toStdString();
    return finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

// Runs "Diorama.exe /report" on the disc in `disc` under wine and returns the report.
// Each test has its own wine prefix (kept in the build tree, since creating one takes far
// longer than a run), so that tests running side by side do not create one together.
std::string RunViewer(const QString& disc) {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    const QString prefixes = QStringLiteral(FOTOLARK_BINARY_DIR "/wine-prefix");
    QDir().mkpath(prefixes);  // wine creates the prefix itself, but not its parent
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("WINEPREFIX", prefixes + '/' + test->name());
    environment.insert("WINEDLLOVERRIDES", "mscoree,mshtml=");
    environment.insert("WINEDEBUG", "-all");
    QFile::remove(disc + "/report.txt");
    RunProgram(QStandardPaths::findExecutable("wine"), {disc + "/Diorama.exe", "/report", disc + "/report.txt"}, environment);
    QFile report(disc + "/report.txt");
    return report.open(QIODevice::ReadOnly) ? report.readAll().toStdString() : std::string();
}

// Some kernels are built or started without 32-bit support; wine's loader then cannot start.
bool WineRuns32BitPrograms() {
    static const bool runs = [] {
        QProcess process;
        process.start(QStandardPaths::findExecutable("wine"), {"--version"});
        return process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit &&
               process.exitCode() == 0;
    }();
    return runs;
}

class ViewerUnderWineTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (QStandardPaths::findExecutable("wine").isEmpty()) GTEST_SKIP() << "wine is not installed";
        if (!WineRuns32BitPrograms()) GTEST_SKIP() << "this machine cannot run 32-bit programs (wine --version fails)";
    }
    QTemporaryDir FFolder;
};

} // namespace

TEST_F(ViewerUnderWineTest, LoadsTheAlbumsAndPicturesOfTheDisc) {
    const QString disc = FFolder.path();
    MakeDiscFolder(disc.toStdString(), Albums, "Holidays \xE2\x82\xAC");
    ASSERT_TRUE(QFile::copy(Viewer, disc + "/Diorama.exe"));
    EXPECT_EQ(RunViewer(disc), "title\tHolidays \xE2\x82\xAC\ncatalogue\tcomplete\n" + AlbumLines);

    // A damaged catalogue and no title: the albums up to the damage, the default title.
    QFile::remove(disc + "/title.txt");
    QFile catalogue(disc + "/Albums.dat");
    ASSERT_TRUE(catalogue.resize(catalogue.size() - 5));
    EXPECT_EQ(RunViewer(disc), "title\tPhoto Album Viewer\n"
                               "catalogue\tdamaged\n"
                               "album\tSummer 2004\t3\t2\t2\n"
                               "album\tEmpty\t0\t0\t0\n"
                               "album\tHiver \xC3\xA9t\xC3\xA9\t0\t0\t0\n");

    QFile::remove(disc + "/Albums.dat");
    EXPECT_EQ(RunViewer(disc), "title\tPhoto Album Viewer\ncatalogue\tmissing\n");
}

TEST_F(ViewerUnderWineTest, ShowsTheAlbumsOfAnImageWrittenByFotolarkDisc) {
    if (!QFileInfo::exists(DiscTool)) GTEST_SKIP() << "fotolark-disc is not built";
    const QString osirrox = QStandardPaths::findExecutable("osirrox");
    ASSERT_FALSE(osirrox.isEmpty());
    const QString base = FFolder.filePath("base"), image = FFolder.filePath("albums.iso"), disc = FFolder.filePath("disc");
    MakeBaseFolder(base.toStdString(), Albums);
    ASSERT_TRUE(RunProgram(DiscTool, {"--iso", image, "--base", base, "--title", "Holidays", "--viewer", Viewer}));
    ASSERT_TRUE(RunProgram(osirrox, {"-indev", image, "-extract", "/", disc}));
    EXPECT_EQ(RunViewer(disc), "title\tHolidays\ncatalogue\tcomplete\n" + AlbumLines);
}
