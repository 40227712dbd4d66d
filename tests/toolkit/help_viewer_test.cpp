#include "chm_file.h"
#include "help_viewer.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

const QString BuiltHelpFile = QStringLiteral(FOTOLARK_BINARY_DIR "/app/flk.chm");
const QString HelpSources = QStringLiteral(FOTOLARK_SOURCE_DIR "/resources/help");

QUrl Page(const QString& path) { return QUrl(QStringLiteral("chm:") + path); }

// Every link target ("href") of the document shown in `browser`.
QStringList LinksOf(const QTextBrowser& browser) {
    QStringList links;
    for (QTextBlock block = browser.document()->begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it)
            if (it.fragment().charFormat().isAnchor()) links << it.fragment().charFormat().anchorHref();
    links.removeDuplicates();
    return links;
}

// Runs `action`, answering the first message box it opens; returns that box's text.
QString MessageDuring(const std::function<void()>& action) {
    QString text;
    QTimer::singleShot(0, [&text] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            text = box->text();
            box->accept();
        }
    });
    action();
    return text;
}

class HelpViewerTest : public ::testing::Test {
protected:
    void TearDown() override {
        for (QWidget* window : QApplication::topLevelWidgets())
            if (qobject_cast<THelpWindow*>(window)) delete window;
    }
};

} // namespace

TEST(HelpFileTest, HoldsEveryPageAndPictureOfTheHelpFolder) {
    std::unique_ptr<TChmFile> file = TChmFile::Open(BuiltHelpFile);
    ASSERT_TRUE(file) << BuiltHelpFile.toStdString();
    const QStringList paths = file->Paths();
    int sources = 0;
    for (QDirIterator it(HelpSources, {"*.html", "*.css", "*.png"}, QDir::Files, QDirIterator::Subdirectories);
         it.hasNext();) {
        const QString path = '/' + QDir(HelpSources).relativeFilePath(it.next());
        EXPECT_TRUE(paths.contains(path)) << path.toStdString();
        QFile source(it.filePath());
        ASSERT_TRUE(source.open(QIODevice::ReadOnly));
        EXPECT_EQ(file->Read(path).value_or(QByteArray()), source.readAll()) << path.toStdString();
        ++sources;
    }
    EXPECT_GE(sources, 12);
    EXPECT_EQ(file->DefaultTopic(), "/index.html");
    EXPECT_FALSE(file->Read("/no-such-page.html"));
}

TEST_F(HelpViewerTest, OpensAtTheContentsPageWithItsPicture) {
    THelpWindow* window = ShowHelpContents(nullptr, BuiltHelpFile);
    ASSERT_TRUE(window);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->Browser()->source(), Page("/index.html"));
    EXPECT_TRUE(window->Browser()->toPlainText().contains("Fotolark Help"));
    const QVariant picture = window->Browser()->loadResource(QTextDocument::ImageResource, QUrl("images/fotolark.png"));
    EXPECT_EQ(QImage::fromData(picture.toByteArray()).size(), QSize(48, 48));
    EXPECT_FALSE(window->BackAction()->isEnabled());
    EXPECT_FALSE(window->ForwardAction()->isEnabled());
}

TEST_F(HelpViewerTest, EveryLinkOfEveryPageLeadsToAPageOfTheFile) {
    THelpWindow* window = ShowHelpContents(nullptr, BuiltHelpFile);
    ASSERT_TRUE(window);
    THelpBrowser* browser = window->Browser();
    const QStringList contents = LinksOf(*browser);
    EXPECT_GE(contents.size(), 12);
    for (const QString& link : contents) {
        const QUrl page = browser->source().resolved(QUrl(link));
        emit browser->anchorClicked(page);  // as a click on the link does
        EXPECT_EQ(browser->source(), page);
        EXPECT_FALSE(browser->toPlainText().contains("Page not found")) << link.toStdString();
        for (const QString& inner : LinksOf(*browser)) {
            const QUrl target = browser->source().resolved(QUrl(inner));
            ASSERT_EQ(target.scheme(), "chm") << inner.toStdString();
            EXPECT_FALSE(browser->loadResource(QTextDocument::HtmlResource, target).toString().contains("Page not found"))
                << page.toString().toStdString() << " -> " << inner.toStdString();
        }
        window->ShowContents();
    }
}

TEST_F(HelpViewerTest, BackForwardAndHomeWalkTheHistory) {
    THelpWindow* window = ShowHelpContents(nullptr, BuiltHelpFile);
    ASSERT_TRUE(window);
    THelpBrowser* browser = window->Browser();
    emit browser->anchorClicked(Page("/albums.html"));
    emit browser->anchorClicked(Page("/cd.html"));
    EXPECT_TRUE(window->BackAction()->isEnabled());

    window->BackAction()->trigger();
    EXPECT_EQ(browser->source(), Page("/albums.html"));
    EXPECT_TRUE(window->ForwardAction()->isEnabled());
    window->ForwardAction()->trigger();
    EXPECT_EQ(browser->source(), Page("/cd.html"));
    window->HomeAction()->trigger();
    EXPECT_EQ(browser->source(), Page("/index.html"));
}

TEST_F(HelpViewerTest, APageMissingFromTheFileSaysSo) {
    THelpWindow* window = ShowHelpContents(nullptr, BuiltHelpFile);
    ASSERT_TRUE(window);
    emit window->Browser()->anchorClicked(Page("/gone.html"));
    EXPECT_TRUE(window->Browser()->toPlainText().contains("The page /gone.html is not in the help file."));
}

TEST_F(HelpViewerTest, ShowingHelpAgainReusesTheWindowAtTheContentsPage) {
    THelpWindow* first = ShowHelpContents(nullptr, BuiltHelpFile);
    ASSERT_TRUE(first);
    emit first->Browser()->anchorClicked(Page("/files.html"));
    EXPECT_EQ(ShowHelpContents(nullptr, BuiltHelpFile), first);
    EXPECT_EQ(first->Browser()->source(), Page("/index.html"));
}

TEST_F(HelpViewerTest, F1InADialogOpensTheHelp) {
    QTemporaryDir program;
    ASSERT_TRUE(QFile::copy(BuiltHelpFile, program.filePath("flk.chm")));
    QWidget dialog;
    InstallHelpKey(&dialog, program.filePath("flk.chm"));
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    QTest::keyClick(&dialog, Qt::Key_F1);
    bool opened = false;
    for (QWidget* window : QApplication::topLevelWidgets())
        if (auto* help = qobject_cast<THelpWindow*>(window)) opened = help->HelpFile() == program.filePath("flk.chm");
    EXPECT_TRUE(opened);
}

struct BrokenHelpFile {
    const char* Name;
    std::function<void(const QString& path)> Make;
    const char* Message;
};

void PrintTo(const BrokenHelpFile& file, std::ostream* out) { *out << file.Name; }

class BrokenHelpFileTest : public HelpViewerTest, public ::testing::WithParamInterface<BrokenHelpFile> {};

TEST_P(BrokenHelpFileTest, GivesAMessageNamingThePath) {
    QTemporaryDir folder;
    const QString path = folder.filePath("flk.chm");
    GetParam().Make(path);
    THelpWindow* window = reinterpret_cast<THelpWindow*>(1);
    const QString message = MessageDuring([&] { window = ShowHelpContents(nullptr, path); });
    EXPECT_EQ(window, nullptr);
    EXPECT_TRUE(message.contains(path)) << message.toStdString();
    EXPECT_TRUE(message.contains(GetParam().Message)) << message.toStdString();
}

void WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray BuiltHelpBytes() {
    QFile file(BuiltHelpFile);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

INSTANTIATE_TEST_SUITE_P(
    Files, BrokenHelpFileTest,
    ::testing::Values(
        BrokenHelpFile{"Missing", [](const QString&) {}, "was not found"},
        BrokenHelpFile{"NotAHelpFile", [](const QString& p) { WriteBytes(p, QByteArray(4096, 'x')); }, "damaged"},
        BrokenHelpFile{"Empty", [](const QString& p) { WriteBytes(p, {}); }, "damaged"},
        BrokenHelpFile{"CutShort", [](const QString& p) { WriteBytes(p, BuiltHelpBytes().left(600)); }, "damaged"}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(HelpFilePathTest, FindsTheHelpFileInTheBuildTreeAndWhenInstalled) {
    QTemporaryDir root;
    QDir(root.path()).mkpath("build/app");
    QDir(root.path()).mkpath("prefix/bin");
    QDir(root.path()).mkpath("prefix/share/fotolark");
    WriteBytes(root.filePath("build/app/flk.chm"), "x");
    WriteBytes(root.filePath("prefix/share/fotolark/flk.chm"), "x");

    EXPECT_EQ(HelpFilePath(root.filePath("build/app")), root.filePath("build/app/flk.chm"));
    EXPECT_EQ(HelpFilePath(root.filePath("prefix/bin")), root.filePath("prefix/share/fotolark/flk.chm"));
    // Neither: the message will name the file beside the program.
    EXPECT_EQ(HelpFilePath(root.filePath("prefix")), root.filePath("prefix/flk.chm"));
}
