#include "scan_commands.h"

#include "prefs.h"
#include "scan_dialog.h"

#include <QActionGroup>
#include <QMenu>
#include <QProgressDialog>

bool WaitForScanSources(TScanSourceList& sources, QWidget* parent) {
    sources.Start();
    QProgressDialog waiting(kLookingForScanners, QObject::tr("&Cancel"), 0, 0, parent);
    waiting.setWindowModality(Qt::WindowModal);
    waiting.setMinimumDuration(0);
    QObject::connect(&sources, &TScanSourceList::SourcesListed, &waiting, &QProgressDialog::accept);
    // The search may have ended before the connection was made.
    if (sources.Listed()) return true;
    return waiting.exec() == QDialog::Accepted || sources.Listed();
}

std::optional<TBitmap32> ScanOnePage(TAcquireImage& scanner, TScanSourceList& sources, QWidget* parent) {
    if (!sources.Listed() && !WaitForScanSources(sources, parent)) return std::nullopt;
    TScanDialogInterface dialog(parent);
    scanner.UserInterface = &dialog;
    scanner.DefaultSource = TPrefs().Scansource;
    scanner.SetKnownSources(sources.Names());
    std::optional<TBitmap32> page = AcquireFromDefaultSource(scanner);
    scanner.UserInterface = nullptr;
    return page;
}

void FillScanSourceMenu(QMenu* menu, const std::vector<std::string>& sources) {
    menu->clear();
    qDeleteAll(menu->findChildren<QActionGroup*>(Qt::FindDirectChildrenOnly));
    const std::string scansource = TPrefs().Scansource;
    auto* group = new QActionGroup(menu);
    group->setExclusive(true);
    for (const std::string& source : sources) {
        const QString caption = QString::fromStdString(source).replace('&', QStringLiteral("&&"));
        QAction* item = menu->addAction(caption);
        item->setCheckable(true);
        item->setChecked(source == scansource);
        group->addAction(item);
        QObject::connect(item, &QAction::triggered, menu, [source] { ScanSourceMenuClick(source); });
    }
}

void CompleteScanSource(const std::vector<std::string>& sources) {
    TPrefs prefs;
    if (!prefs.Scansource.empty() || sources.empty()) return;
    prefs.Scansource = sources.front();
    prefs.Save();
}

void ScanSourceMenuClick(const std::string& source) {
    TPrefs prefs;
    prefs.Scansource = source;
    prefs.Save();
}
