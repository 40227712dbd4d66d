// `cmake --install` into a scratch prefix: the programs, the help file and the viewer, the
// desktop entry, the metadata, the icons and the man pages land where a Linux desktop looks
// for them, the installed program finds its help file and viewer, and every installed piece
// that names a version names the build's one version.
#include "chm_file.h"
#include "help_viewer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <gtest/gtest.h>

namespace {

QByteArray Contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

struct TProgramRun {
    int Status = -1;
    QByteArray Output;
};

TProgramRun RunProgram(const QString& program, const QStringList& arguments,
                       const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment()) {
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(120000)) return {};
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, process.readAll()};
}

// Runs the validator `tool` when this machine has it; a failure shows its findings.
void ExpectValid(const char* tool, const QStringList& arguments) {
    const QString validator = QStandardPaths::findExecutable(tool);
    if (validator.isEmpty()) return;
    const TProgramRun run = RunProgram(validator, arguments);
    EXPECT_EQ(run.Status, 0) << tool << ": " << run.Output.toStdString();
}

// The text of a gzip file, through gzip itself.
QByteArray Uncompressed(const QString& path) {
    return RunProgram("gzip", {"-dc", path}).Output;
}

// The metadata's fields that must agree with the build: id, launchable, release version and
// the screenshots' addresses.
struct TMetainfo {
    QString Id, Launchable, ReleaseVersion;
    QStringList Screenshots;
};

TMetainfo ReadMetainfo(const QString& path) {
    TMetainfo info;
    QXmlStreamReader xml(Contents(path));
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) continue;
        const auto name = xml.name();
        if (name == u"release") info.ReleaseVersion = xml.attributes().value("version").toString();
        else if (name == u"id") info.Id = xml.readElementText();
        else if (name == u"launchable") info.Launchable = xml.readElementText();
        else if (name == u"image") info.Screenshots << xml.readElementText();
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    return info;
}

} // namespace

TEST(InstallTest, InstallsFotolarkAsADesktopProgram) {
    QTemporaryDir prefix;
    QProcess install;
    install.setProcessChannelMode(QProcess::MergedChannels);
    install.start(CMAKE_COMMAND, {"--install", FOTOLARK_BINARY_DIR, "--prefix", prefix.path()});
    ASSERT_TRUE(install.waitForFinished(120000));
    ASSERT_EQ(install.exitCode(), 0) << install.readAll().toStdString();
    const QDir root(prefix.path());

    // Both programs answer --version (and the window program --help) without a display.
    QProcessEnvironment noDisplay = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) noDisplay.remove(name);
    for (const QString program : {"fotolark", "fotolark-disc"}) {
        const TProgramRun run = RunProgram(root.filePath("bin/" + program), {"--version"}, noDisplay);
        EXPECT_EQ(run.Status, 0) << program.toStdString();
        EXPECT_EQ(run.Output, program.toUtf8() + " " FOTOLARK_VERSION "\n");
    }
    const TProgramRun usage = RunProgram(root.filePath("bin/fotolark"), {"--help"}, noDisplay);
    EXPECT_EQ(usage.Status, 0);
    EXPECT_TRUE(usage.Output.startsWith("Usage: fotolark [Qt options]\n")) << usage.Output.toStdString();

    // The installed program looks beside itself, then in ../share/fotolark.
    const QString help = HelpFilePath(root.filePath("bin"));
    EXPECT_EQ(help, root.filePath("share/fotolark/flk.chm"));
    std::unique_ptr<TChmFile> chm = TChmFile::Open(help);
    ASSERT_TRUE(chm);
    EXPECT_TRUE(chm->Read(chm->DefaultTopic()));
    const QString viewer = QFileInfo(help).dir().filePath("Resources/Diorama.exe");
    EXPECT_EQ(Contents(viewer), Contents(FOTOLARK_BINARY_DIR "/app/Resources/Diorama.exe"));
    EXPECT_TRUE(Contents(viewer).startsWith("MZ"));

    const QString desktop = root.filePath("share/applications/" FOTOLARK_APP_ID ".desktop");
    const QByteArray entry = Contents(desktop);
    EXPECT_TRUE(entry.contains("\nExec=fotolark\n"));
    EXPECT_TRUE(entry.contains("\nIcon=fotolark\n"));
    EXPECT_TRUE(entry.contains("\nCategories=Graphics;Photography;"));
    ExpectValid("desktop-file-validate", {desktop});

    const QString metainfo = root.filePath("share/metainfo/" FOTOLARK_APP_ID ".metainfo.xml");
    const TMetainfo info = ReadMetainfo(metainfo);
    EXPECT_EQ(info.Id, FOTOLARK_APP_ID);
    EXPECT_EQ(info.Launchable, QFileInfo(desktop).fileName());
    EXPECT_EQ(info.ReleaseVersion, FOTOLARK_VERSION);
    // The pictures that the screenshot script writes to docs/screenshots/.
    ASSERT_EQ(info.Screenshots.size(), 2);
    EXPECT_TRUE(info.Screenshots[0].startsWith("https://")) << info.Screenshots[0].toStdString();
    EXPECT_TRUE(info.Screenshots[0].endsWith("/docs/screenshots/main-window.png"));
    EXPECT_TRUE(info.Screenshots[1].endsWith("/docs/screenshots/create-cd.png"));
    ExpectValid("appstreamcli", {"validate", "--no-net", metainfo});

    EXPECT_TRUE(Contents(root.filePath("share/icons/hicolor/scalable/apps/fotolark.svg")).startsWith("<svg"));
    for (int size : {16, 32, 48, 64, 128, 256})
        EXPECT_TRUE(Contents(root.filePath(QString("share/icons/hicolor/%1x%1/apps/fotolark.png").arg(size)))
                        .startsWith("\x89PNG"))
            << size;
    for (const QString page : {"FOTOLARK", "FOTOLARK-DISC"})
        EXPECT_TRUE(Uncompressed(root.filePath("share/man/man1/" + page.toLower() + ".1.gz"))
                        .startsWith(".TH " + page.toUtf8() + " 1 \"" FOTOLARK_RELEASE_DATE "\" \"Fotolark " FOTOLARK_VERSION "\""))
            << page.toStdString();
    EXPECT_TRUE(Uncompressed(root.filePath("share/doc/fotolark/changelog.gz")).startsWith("fotolark (" FOTOLARK_VERSION ") "));
    EXPECT_TRUE(QFileInfo::exists(root.filePath("share/doc/fotolark/copyright")));
}
