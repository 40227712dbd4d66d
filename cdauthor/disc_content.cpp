#include "disc_content.h"

#include "disc_web.h"
#include "file_names.h"
#include "safe_file.h"
#include "temporary_names.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr char kTempFolderPrefix[] = "fotolark-disc-";

bool WriteWholeFile(const std::string& path, const std::string& bytes, std::string& error) {
    if (ReplaceFileContents(path, bytes.data(), bytes.size()) == 0) return true;
    error = "Can't write the temporary file " + path;
    return false;
}

// The process id in a job folder name "fotolark-disc-<pid>-XXXXXX"; 0 for any other name.
long JobFolderOwner(const std::string& name) {
    const size_t prefix = sizeof kTempFolderPrefix - 1;
    if (name.compare(0, prefix, kTempFolderPrefix) != 0) return 0;
    const size_t dash = name.find('-', prefix);
    if (dash == std::string::npos || dash == prefix || dash - prefix > 9 || name.size() - dash != 7) return 0;
    for (size_t i = prefix; i < dash; ++i)
        if (name[i] < '0' || name[i] > '9') return 0;
    return std::stol(name.substr(prefix, dash - prefix));
}

// Removes the job folders, with their files, that a process of ours left behind when it
// ended in the middle of a job.
void RemoveStaleJobFolders(const std::string& tempFolder) {
    std::error_code error;
    for (fs::directory_iterator it(tempFolder, error), end; !error && it != end; it.increment(error)) {
        const fs::directory_entry& entry = *it;
        const long owner = JobFolderOwner(entry.path().filename().string());
        struct stat info {};
        if (owner == 0 || !ProcessHasEnded(owner) || lstat(entry.path().c_str(), &info) != 0 ||
            !S_ISDIR(info.st_mode) || info.st_uid != geteuid())
            continue;
        const std::string folder = WithTrailingSlash(entry.path().string());
        std::error_code ignored;
        for (const char* name : {"autorun.inf", "title.txt", "Albums.dat"}) fs::remove(folder + name, ignored);
        RemoveStaleTemporaryFiles(folder);
        fs::remove(folder, ignored);
    }
}

std::string CatalogueBytes(const std::vector<const TAlbum*>& albums) {
    std::ostringstream out(std::ios::binary);
    WriteAlbumCatalogue(out, albums);
    return out.str();
}

// A file or folder as the file system knows it, whatever name or link leads to it.
struct TFileIdentity {
    dev_t Device = 0;
    ino_t Inode = 0;
    bool operator==(const TFileIdentity&) const = default;
};

std::optional<TFileIdentity> IdentityOf(const std::string& path) {
    struct stat info {};
    if (path.empty() || stat(path.c_str(), &info) != 0) return std::nullopt;
    return TFileIdentity{info.st_dev, info.st_ino};
}

// Every file a job reads: the album files, the layout's photos and thumbnails, the viewer.
std::vector<std::string> InputFiles(const TDiscContent& content) {
    std::vector<std::string> files{content.ViewerPath};
    std::error_code error;
    if (!content.AlbumDir.empty())
        for (const auto& entry : fs::directory_iterator(content.AlbumDir, error))
            if (entry.is_regular_file(error)) files.push_back(entry.path().string());
    for (const TAlbum* album : content.Albums)
        for (int i = 0; i < album->Project.PhotoCount(); ++i) {
            const std::string name = FileNamePart(album->Project.PhotoAt(i)->FileName);
            files.push_back(WithTrailingSlash(content.ImageDir) + name);
            files.push_back(WithTrailingSlash(content.ThumbDir) + name);
        }
    return files;
}

} // namespace

std::string TDiscTempFiles::SystemTempFolder() {
    std::error_code error;
    const fs::path folder = fs::temp_directory_path(error);
    return WithTrailingSlash(error ? "/tmp" : folder.string());
}

bool TDiscTempFiles::Create(const std::string& tempFolder) {
    Delete();
    RemoveStaleJobFolders(tempFolder);
    std::string pattern = WithTrailingSlash(tempFolder) + kTempFolderPrefix + std::to_string(getpid()) + "-XXXXXX";
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

bool HasControlCharacters(const std::string& text) {
    return std::any_of(text.begin(), text.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u < 0x20 || u == 0x7F;
    });
}

std::string ImageTargetRefusal(const std::string& target, const TDiscContent& content) {
    std::error_code error;
    // Each folder above the target (its real path, so ".." and links lead where they point),
    // compared by identity so that another mount of the same folder counts as well.
    const fs::path targetFolder = fs::weakly_canonical(fs::absolute(target, error).parent_path(), error);
    const auto targetFile = IdentityOf(target);
    for (const std::string* folder : {&content.AlbumDir, &content.ThumbDir, &content.ImageDir}) {
        const auto protectedFolder = IdentityOf(*folder);
        if (!protectedFolder) continue;
        if (targetFile == protectedFolder)
            return target + " is " + *folder + ", which holds your albums and photos; "
                   "choose another place for the image file.";
        for (fs::path above = targetFolder;; above = above.parent_path()) {
            if (IdentityOf(above.string()) == protectedFolder)
                return target + " is inside " + *folder + ", which holds your albums and photos; "
                       "choose another place for the image file.";
            if (above == above.root_path() || above.empty()) break;
        }
    }
    if (!targetFile) return {};
    for (const std::string& input : InputFiles(content))
        if (IdentityOf(input) == targetFile)
            return target + " is " + input + ", which goes onto the disc; choose another name for the image file.";
    return {};
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
    if (HasControlCharacters(content.Title)) {
        error = "The title holds a control character, such as a line break";
        return false;
    }
    if (!WriteWholeFile(temp.CataloguePath(), CatalogueBytes(content.Albums), error) ||
        !WriteWholeFile(temp.AutorunPath(), AutorunText(content.Title), error))
        return false;
    if (!content.Title.empty() && !WriteWholeFile(temp.TitlePath(), TitleText(content.Title), error)) return false;

    burner.InsertFile("\\", temp.AutorunPath(), false);
    if (!content.Title.empty()) burner.InsertFile("\\", temp.TitlePath(), false);
    burner.InsertFileAs("\\", content.ViewerPath, kViewerDiscName);
    burner.InsertFile("\\", temp.CataloguePath(), false);
    burner.CreateDirPath("\\Images");
    burner.CreateDirPath("\\Thumbs");
    // Made meanwhile on another thread, so that the pages hardly lengthen the job.
    std::future<std::vector<TWebPage>> pages = content.WebPages ? MakeWebPagesAhead(content) : std::future<std::vector<TWebPage>>();
    for (const TAlbum* album : content.Albums) {
        for (int i = 0; i < album->Project.PhotoCount(); ++i) {
            const TPhoto& photo = *album->Project.PhotoAt(i);
            burner.InsertFile("\\Images", PhotoImagePath(content, photo), false);
            burner.InsertFile("\\Thumbs", PhotoThumbPath(content, photo), false);
        }
    }
    if (content.WebPages) AddWebPages(burner, content, std::move(pages));
    return true;
}

std::vector<std::string> LeftOutReport(const std::vector<TLeftOutFile>& files) {
    std::vector<std::string> lines;
    for (const TLeftOutFile& file : files)
        lines.push_back(file.DiscPath + ": " + LeftOutReasonText(file) + " (" + file.SourcePath + ")");
    if (files.size() == 1) lines.push_back("1 file was left out of the disc.");
    else if (!files.empty()) lines.push_back(std::to_string(files.size()) + " files were left out of the disc.");
    return lines;
}

void EndDiscJob(TMCDBurner& burner, TDiscTempFiles& temp) {
    temp.Delete();
    burner.ClearTree();
}
