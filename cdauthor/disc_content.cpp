#include "disc_content.h"

#include "disc_web.h"
#include "file_names.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

bool WriteWholeFile(const std::string& path, const std::string& bytes, std::string& error) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    file.close();
    if (file) return true;
    error = "Can't write the temporary file " + path;
    return false;
}

std::string CatalogueBytes(const std::vector<const TAlbum*>& albums) {
    std::ostringstream out(std::ios::binary);
    WriteAlbumCatalogue(out, albums);
    return out.str();
}

} // namespace

std::string TDiscTempFiles::SystemTempFolder() {
    std::error_code error;
    const fs::path folder = fs::temp_directory_path(error);
    return WithTrailingSlash(error ? "/tmp" : folder.string());
}

bool TDiscTempFiles::Create(const std::string& tempFolder) {
    Delete();
    std::string pattern = WithTrailingSlash(tempFolder) + "fotolark-disc-XXXXXX";
    if (!mkdtemp(pattern.data())) return false;
    FFolder = pattern + "/";
    return true;
}

void TDiscTempFiles::Delete() {
    if (FFolder.empty()) return;
    std::error_code ignored;
    for (const std::string& path : {AutorunPath(), TitlePath(), CataloguePath()}) fs::remove(path, ignored);
    fs::remove(FFolder, ignored);
    FFolder.clear();
}

void ApplyBurnerSettings(TMCDBurner& burner) {
    burner.UnderrunProtection = true;
    burner.DoDebug = true;
    burner.ReadSpeed = 0;
    burner.FinalizeDisc = true;
    burner.TestWrite = false;
    burner.ReplaceFile = false;
    burner.PerformOPC = false;
    burner.IdVolume = "Fotolark";
    burner.IdApplication = "Fotolark";
    burner.SetCacheSize(4194304);
    burner.WritePostGap = true;
    burner.JolietFileSystem = true;
    burner.FinalizeTrack = true;
}

std::string ViewerPathFor(const std::string& programFolder) {
    namespace fs = std::filesystem;
    const fs::path folder(programFolder);
    const fs::path candidates[] = {folder / "Resources/Diorama.exe", folder / "../app/Resources/Diorama.exe",
                                   folder / "../share/fotolark/Resources/Diorama.exe"};
    std::error_code error;
    for (const fs::path& candidate : candidates)
        if (fs::exists(candidate, error)) return fs::weakly_canonical(candidate, error).string();
    return candidates[0].string();
}

std::string PhotoImagePath(const TDiscContent& content, const TPhoto& photo) {
    return WithTrailingSlash(content.ImageDir) + FileNamePart(photo.FileName);
}

std::string PhotoThumbPath(const TDiscContent& content, const TPhoto& photo) {
    return WithTrailingSlash(content.ThumbDir) + FileNamePart(photo.FileName);
}

std::string VolumeIdFor(const std::string& title) {
    return title.empty() ? "Fotolark" : title;
}

std::string AutorunText(const std::string& title) {
    return "[autorun]\r\nopen=Diorama.exe\r\nicon=Diorama.exe\r\nlabel=" +
           (title.empty() ? std::string("Photo Album Viewer") : title) + "\r\n";
}

std::string TitleText(const std::string& title) {
    return title + "\r\n";
}

std::string AddingFileMessage(const std::string& longFileName) {
    return "Adding " + longFileName + " to CD layout";
}

bool BuildDiscContent(TMCDBurner& burner, const TDiscContent& content, const TDiscTempFiles& temp,
                      std::string& error) {
    if (!WriteWholeFile(temp.CataloguePath(), CatalogueBytes(content.Albums), error) ||
        !WriteWholeFile(temp.AutorunPath(), AutorunText(content.Title), error))
        return false;
    if (!content.Title.empty() && !WriteWholeFile(temp.TitlePath(), TitleText(content.Title), error)) return false;

    burner.InsertFile("\\", temp.AutorunPath(), false);
    if (!content.Title.empty()) burner.InsertFile("\\", temp.TitlePath(), false);
    burner.InsertFile("\\", content.ViewerPath, false);
    burner.InsertFile("\\", temp.CataloguePath(), false);
    burner.CreateDirPath("\\Images");
    burner.CreateDirPath("\\Thumbs");
    for (const TAlbum* album : content.Albums) {
        for (int i = 0; i < album->Project.PhotoCount(); ++i) {
            const TPhoto& photo = *album->Project.PhotoAt(i);
            burner.InsertFile("\\Images", PhotoImagePath(content, photo), false);
            burner.InsertFile("\\Thumbs", PhotoThumbPath(content, photo), false);
        }
    }
    if (content.WebPages) AddWebPages(burner, content);
    return true;
}

void EndDiscJob(TMCDBurner& burner, TDiscTempFiles& temp) {
    temp.Delete();
    burner.ClearTree();
}
