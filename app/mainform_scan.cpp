// Scanning a page into the current image, and the "Select So&urce" menu.
#include "mainform.h"

#include "image_view.h"
#include "scan_commands.h"

#include <QMenu>

// The source menu is filled once the search for scanners has ended; until then it is empty.
void TMainForm::FillScanSourceMenuWhenListed() {
    auto fill = [this] {
        const std::vector<std::string> sources = FScanSources->Names();
        CompleteScanSource(sources);
        FillScanSourceMenu(ScanSourceItem, sources);
    };
    if (FScanSources->Listed()) {
        fill();
        return;
    }
    connect(FScanSources.get(), &TScanSourceList::SourcesListed, this, fill, Qt::QueuedConnection);
}

void TMainForm::ScanItemClick() {
    if (FImgView->HasImage() && (FModified || FImageSource == isNew || FImageSource == isFile)) {
        if (AskUser("Fotolark", kDiscardBeforeScanQuestion, TAskButtons::YesNo) != mrYes)
            return;
        FModified = false;
        tbDiscardClick();
    }
    std::optional<TBitmap32> page = FPrompts->ScanPage(this, *FScanner, *FScanSources);
    if (!page) return;
    FImageSource = isNew;
    FImageFile.clear();
    FWorkBitmap = std::move(*page);
    FWorkBitmap.ResetAlpha();
    FHistory.Clear();
    ShowWorkBitmap();
    ApplyZoomMode();
    PrepareHistorySpare();
    UpdateActions();
}
