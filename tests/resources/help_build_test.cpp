// The rule that compiles the help pages refuses pages with a broken link.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QString Script = QStringLiteral(FOTOLARK_SOURCE_DIR "/resources/cmake/compile_help.cmake");

struct TCompile {
    int ExitCode;
    QString Log;
};

TCompile CompileHelp(const QString& pages, const QString& output) {
    QProcess cmake;
    cmake.setProcessChannelMode(QProcess::MergedChannels);
    cmake.start(CMAKE_COMMAND, {"-DCHMCMD=" CHMCMD, "-DHELP_SOURCE=" + pages, "-DWORK_DIR=" + pages + "-work",
                                "-DOUTPUT=" + output, "-P", Script});
    EXPECT_TRUE(cmake.waitForFinished(60000));
    return {cmake.exitCode(), QString::fromUtf8(cmake.readAll())};
}

void WritePage(const QString& path, const QByteArray& html) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(html);
}

} // namespace

TEST(HelpBuildTest, CompilesLinkedPagesAndRefusesABrokenLink) {
    QTemporaryDir folder;
    const QString pages = folder.filePath("help"), output = folder.filePath("app/flk.chm");
    QDir().mkpath(pages);
    WritePage(pages + "/flk.hhp.in", "[OPTIONS]\nCompiled file=flk.chm\nDefault topic=index.html\n\n");
    WritePage(pages + "/index.html", "<html><body><a href=\"second.html\">on</a></body></html>");
    WritePage(pages + "/second.html", "<html><body><a href=\"index.html\">back</a></body></html>");

    const TCompile good = CompileHelp(pages, output);
    EXPECT_EQ(good.ExitCode, 0) << good.Log.toStdString();
    EXPECT_GT(QFile(output).size(), 0);

    QFile::remove(output);
    WritePage(pages + "/second.html", "<html><body><a href=\"missing.html\">lost</a></body></html>");
    const TCompile broken = CompileHelp(pages, output);
    EXPECT_NE(broken.ExitCode, 0);
    EXPECT_TRUE(broken.Log.contains("missing.html")) << broken.Log.toStdString();
    EXPECT_FALSE(QFile::exists(output));
}
