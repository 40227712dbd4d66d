// The help window: shows the pages of the compiled help file "flk.chm" with back, forward
// and home, following the links and pictures inside the file.
#pragma once

#include <QMainWindow>
#include <QTextBrowser>
#include <memory>

class QAction;
class TChmFile;

// A text browser whose pages, pictures and style sheets come from one help file. Pages are
// addressed as "chm:/page.html".
class THelpBrowser : public QTextBrowser {
    Q_OBJECT
public:
    THelpBrowser(std::shared_ptr<const TChmFile> file, QWidget* parent = nullptr);
    QVariant loadResource(int type, const QUrl& name) override;

private:
    void FollowLink(const QUrl& url);
    std::shared_ptr<const TChmFile> FFile;
};

class THelpWindow : public QMainWindow {
    Q_OBJECT
public:
    // `file` must be open; the window starts at its contents page.
    THelpWindow(std::shared_ptr<const TChmFile> file, const QString& chmPath, QWidget* parent = nullptr);

    const QString& HelpFile() const { return FHelpFile; }
    THelpBrowser* Browser() const { return FBrowser; }
    QAction* BackAction() const { return FBack; }
    QAction* ForwardAction() const { return FForward; }
    QAction* HomeAction() const { return FHome; }
    void ShowContents();

private:
    QString FHelpFile;
    THelpBrowser* FBrowser;
    QAction* FBack;
    QAction* FForward;
    QAction* FHome;
};

// "flk.chm" for a program in `programFolder`: beside the program (build tree), otherwise in
// the installed data folder <prefix>/share/fotolark/ next to <prefix>/bin/.
QString HelpFilePath(const QString& programFolder);
// The same for the running program.
QString HelpFilePath();

// Opens (or brings forward) the help window at the contents page of `chmPath`. A missing or
// damaged help file gives a message naming it. Returns the window, or none after a message.
THelpWindow* ShowHelpContents(QWidget* parent, const QString& chmPath);
// The same with the running program's help file.
THelpWindow* ShowHelpContents(QWidget* parent);

// Makes F1 inside `window` (a dialog or the main window) open the help contents of
// `chmPath`, or of the running program's help file.
void InstallHelpKey(QWidget* window, const QString& chmPath);
void InstallHelpKey(QWidget* window);
