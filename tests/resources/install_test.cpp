// `cmake --install` into a scratch prefix: the programs, the help file and the viewer, the
// desktop entry, the icons and the man page land where a Linux desktop looks for them, and
// the installed program finds its help file and viewer.
#include "chm_file.h"
#include "help_viewer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QByteArray Contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
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

    for (const char* program : {"fotolark", "fotolark-disc"}) {
        const bool built = QFileInfo::exists(QString(FOTOLARK_BINARY_DIR "/app/") + program) ||
                           QFileInfo::exists(QString(FOTOLARK_BINARY_DIR "/cli/") + program);
        if (built) {
            EXPECT_TRUE(QFileInfo(root.filePath(QString("bin/") + program)).isExecutable()) << program;
        }
    }

    // The installed program looks beside itself, then in ../share/fotolark.
    const QString help = HelpFilePath(root.filePath("bin"));
    EXPECT_EQ(help, root.filePath("share/fotolark/flk.chm"));
    std::unique_ptr<TChmFile> chm = TChmFile::Open(help);
    ASSERT_TRUE(chm);
    EXPECT_TRUE(chm->Read(chm->DefaultTopic()));
    const QString viewer = QFileInfo(help).dir().filePath("Resources/Diorama.exe");
    EXPECT_EQ(Contents(viewer), Contents(FOTOLARK_BINARY_DIR "/app/Resources/Diorama.exe"));
    EXPECT_TRUE(Contents(viewer).startsWith("MZ"));

    const QString desktop = root.filePath("share/applications/fotolark.desktop");
    const QByteArray entry = Contents(desktop);
    EXPECT_TRUE(entry.contains("\nExec=fotolark\n"));
    EXPECT_TRUE(entry.contains("\nIcon=fotolark\n"));
    EXPECT_TRUE(entry.contains("\nCategories=Graphics;Photography;"));
    const QString validator = QStandardPaths::findExecutable("desktop-file-validate");
    if (!validator.isEmpty()) {
        QProcess validate;
        validate.setProcessChannelMode(QProcess::MergedChannels);
        validate.start(validator, {desktop});
        ASSERT_TRUE(validate.waitForFinished(30000));
        EXPECT_EQ(validate.exitCode(), 0) << validate.readAll().toStdString();
        EXPECT_TRUE(validate.readAll().isEmpty());
    }

    EXPECT_TRUE(Contents(root.filePath("share/icons/hicolor/scalable/apps/fotolark.svg")).startsWith("<svg"));
    for (int size : {16, 32, 48, 64, 128, 256})
        EXPECT_TRUE(Contents(root.filePath(QString("share/icons/hicolor/%1x%1/apps/fotolark.png").arg(size)))
                        .startsWith("\x89PNG"))
            << size;
    EXPECT_TRUE(Contents(root.filePath("share/man/man1/fotolark-disc.1")).startsWith(".TH FOTOLARK-DISC 1"));
}
