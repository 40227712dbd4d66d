// What the main window needs for scanning: one scan through the default source, and the
// "Select So&urce" menu.
#pragma once

#include "acquire_image.h"
#include "scan_source_list.h"

#include <optional>
#include <string>
#include <vector>

class QMenu;
class QWidget;

// The question asked before a scan replaces a new or changed image.
inline constexpr const char* kDiscardBeforeScanQuestion = "Discard the current image before scanning?";

// Waits, in a small cancellable dialog, until the source search has ended. False when the
// user cancelled.
bool WaitForScanSources(TScanSourceList& sources, QWidget* parent);

// A whole scan: the source named by "Scansource" when the device list holds it, otherwise
// the first device; the scan dialog; everything closed and unloaded again. Returns the
// page (alpha 255), or nothing after a cancel, an error or without any scanner.
std::optional<TBitmap32> ScanOnePage(TAcquireImage& scanner, TScanSourceList& sources, QWidget* parent);

// Fills `menu` with one radio item per source, the one equal to "Scansource" checked.
// Choosing an item makes it the source that scanning uses (ScanSourceMenuClick).
void FillScanSourceMenu(QMenu* menu, const std::vector<std::string>& sources);
// Completes the settings of a first start once the sources are known: an empty
// "Scansource" becomes the first source.
void CompleteScanSource(const std::vector<std::string>& sources);
// Stores `source` as "Scansource".
void ScanSourceMenuClick(const std::string& source);
