#include "load_report.h"

#include "disc_paths.h"

namespace {

const char* StateName(TCatalogueState state) {
    switch (state) {
    case TCatalogueState::csComplete: return "complete";
    case TCatalogueState::csDamaged: return "damaged";
    case TCatalogueState::csMissing: return "missing";
    }
    return "";
}

} // namespace

std::string LoadReport(const TText& windowTitle, const TCatalogue& catalogue, const TText& discFolder,
                       const std::function<bool(const TText& path)>& canLoadPicture) {
    std::string report = "title\t" + EncodeUtf8(windowTitle) + "\n";
    report += std::string("catalogue\t") + StateName(catalogue.State) + "\n";
    for (const auto& album : catalogue.Albums) {
        int thumbs = 0, images = 0;
        for (const TProject::TEntry& entry : album->Project.Photos()) {
            thumbs += canLoadPicture(DiscFilePath(discFolder, u"Thumbs", entry.Photo->FileName)) ? 1 : 0;
            images += canLoadPicture(DiscFilePath(discFolder, u"Images", entry.Photo->FileName)) ? 1 : 0;
        }
        report += "album\t" + EncodeUtf8(DecodeText(album->Title)) + "\t" + std::to_string(album->Project.PhotoCount()) +
                  "\t" + std::to_string(thumbs) + "\t" + std::to_string(images) + "\n";
    }
    return report;
}
