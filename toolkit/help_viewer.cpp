#include "help_viewer.h"

#include "chm_file.h"

#include <QAction>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QPointer>
#include <QShortcut>
#include <QStyle>
#include <QToolBar>

namespace {

const QString ChmScheme = QStringLiteral("chm");
const QString HelpFileName = QStringLiteral("flk.chm");

QUrl PageUrl(const QString& path) {
    QUrl url;
    url.setScheme(ChmScheme);
    url.setPath(path);
    return url;
}

QString MissingPage(const QString& path) {
    return QStringLiteral("<html><body><h2>Page not found</h2><p>The page %1 is not in the help file.</p></body></html>")
        .arg(path.toHtmlEscaped());
}

// One help window per program, reused by every help button and F1.
QPointer<THelpWindow> OpenWindow;

} // namespace

THelpBrowser::THelpBrowser(std::shared_ptr<const TChmFile> file, QWidget* parent)
    : QTextBrowser(parent), FFile(std::move(file)) {
    // Links are followed here, so that pages stay inside the help file and web links go to
    // the desktop's browser.
    setOpenLinks(false);
    connect(this, &QTextBrowser::anchorClicked, this, &THelpBrowser::FollowLink);
}

void THelpBrowser::FollowLink(const QUrl& url) {
    if (url.scheme() == ChmScheme)
        setSource(url);
    else
        QDesktopServices::openUrl(url);
}

QVariant THelpBrowser::loadResource(int type, const QUrl& name) {
    const QUrl url = name.isRelative() ? source().resolved(name) : name;
    if (url.scheme() != ChmScheme) return QTextBrowser::loadResource(type, name);
    const std::optional<QByteArray> bytes = FFile->Read(url.path());
    if (bytes) return *bytes;
    if (type == QTextDocument::HtmlResource) return MissingPage(url.path());
    return {};
}

THelpWindow::THelpWindow(std::shared_ptr<const TChmFile> file, const QString& chmPath, QWidget* parent)
    : QMainWindow(parent, Qt::Window), FHelpFile(chmPath) {
    setWindowTitle(QStringLiteral("Fotolark Help"));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(760, 560);

    const QString home = file->DefaultTopic();
    FBrowser = new THelpBrowser(std::move(file), this);
    setCentralWidget(FBrowser);

    QToolBar* bar = addToolBar(QStringLiteral("Navigation"));
    bar->setMovable(false);
    FBack = bar->addAction(style()->standardIcon(QStyle::SP_ArrowBack), QStringLiteral("&Back"), FBrowser,
                           &QTextBrowser::backward);
    FBack->setShortcut(QKeySequence::Back);
    FForward = bar->addAction(style()->standardIcon(QStyle::SP_ArrowForward), QStringLiteral("&Forward"),
                              FBrowser, &QTextBrowser::forward);
    FForward->setShortcut(QKeySequence::Forward);
    FHome = bar->addAction(style()->standardIcon(QStyle::SP_DirHomeIcon), QStringLiteral("&Contents"), this,
                           &THelpWindow::ShowContents);
    FBack->setEnabled(false);
    FForward->setEnabled(false);
    connect(FBrowser, &QTextBrowser::backwardAvailable, FBack, &QAction::setEnabled);
    connect(FBrowser, &QTextBrowser::forwardAvailable, FForward, &QAction::setEnabled);

    FBrowser->setSource(PageUrl(home));
}

void THelpWindow::ShowContents() { FBrowser->home(); }

QString HelpFilePath(const QString& programFolder) {
    const QDir folder(programFolder);
    if (folder.exists(HelpFileName)) return folder.filePath(HelpFileName);
    const QString installed = QDir::cleanPath(folder.filePath(QStringLiteral("../share/fotolark/") + HelpFileName));
    if (QFileInfo::exists(installed)) return installed;
    return folder.filePath(HelpFileName);  // named in the message when neither exists
}

QString HelpFilePath() { return HelpFilePath(QCoreApplication::applicationDirPath()); }

THelpWindow* ShowHelpContents(QWidget* parent, const QString& chmPath) {
    if (OpenWindow && OpenWindow->HelpFile() == chmPath) {
        OpenWindow->ShowContents();
    } else {
        QString error;
        std::unique_ptr<TChmFile> file = TChmFile::Open(chmPath, &error);
        const QString home = file ? file->DefaultTopic() : QString();
        if (file && !file->Read(home)) {
            file.reset();
            error = QStringLiteral("The help file %1 is damaged: its contents page cannot be read.").arg(chmPath);
        }
        if (!file) {
            QMessageBox::warning(parent, QStringLiteral("Fotolark Help"), error);
            return nullptr;
        }
        if (OpenWindow) OpenWindow->close();
        OpenWindow = new THelpWindow(std::move(file), chmPath, parent ? parent->window() : nullptr);
    }
    OpenWindow->show();
    OpenWindow->raise();
    OpenWindow->activateWindow();
    return OpenWindow;
}

THelpWindow* ShowHelpContents(QWidget* parent) { return ShowHelpContents(parent, HelpFilePath()); }

void InstallHelpKey(QWidget* window, const QString& chmPath) {
    auto* key = new QShortcut(QKeySequence::HelpContents, window);
    key->setContext(Qt::WindowShortcut);
    QObject::connect(key, &QShortcut::activated, window,
                     [window, chmPath] { ShowHelpContents(window, chmPath.isEmpty() ? HelpFilePath() : chmPath); });
}

void InstallHelpKey(QWidget* window) { InstallHelpKey(window, QString()); }
