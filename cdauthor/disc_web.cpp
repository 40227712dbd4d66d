#include "disc_web.h"

#include "disc_tables.h"
#include "file_names.h"
#include "iso_records.h"

#include <algorithm>
#include <memory>
#include <string_view>
#include <system_error>
#include <utility>

namespace {

// The files of one directory of the tree by their source paths, sorted for lookups; keyed by
// views of the tree's own strings, which outlive the lookups.
class TFilesBySource {
public:
    explicit TFilesBySource(const TDEntry* dir) {
        for (const TFEntry* entry = dir ? dir->FirstChild : nullptr; entry; entry = entry->Next)
            if (!entry->IsDirectory()) FFiles.emplace_back(entry->SourcePath, entry);
        std::sort(FFiles.begin(), FFiles.end());
    }

    const TFEntry* Find(std::string_view source) const {
        const auto found = std::lower_bound(FFiles.begin(), FFiles.end(), source,
                                            [](const TFile& file, std::string_view key) { return file.first < key; });
        return found != FFiles.end() && found->first == source ? found->second : nullptr;
    }

private:
    using TFile = std::pair<std::string_view, const TFEntry*>;
    std::vector<TFile> FFiles;
};

TWebPhoto WebPhoto(const TPhoto& photo, const std::string& imageName, const std::string& thumbName) {
    return {photo.Caption, photo.Notes(), imageName, thumbName};
}

// The tree takes a fixed number of records; the pages need one per page and one for \Web.
bool TreeHasRoomFor(size_t pages) {
    return DirCount < MaxDirs && static_cast<int64_t>(FileCount) + static_cast<int64_t>(pages) + 1 <= MaxFiles;
}

std::vector<TWebAlbum> ExpectedWebAlbums(const std::vector<const TAlbum*>& albums) {
    std::vector<TWebAlbum> web;
    web.reserve(albums.size());
    for (const TAlbum* album : albums) {
        TWebAlbum& entry = web.emplace_back();
        entry.Title = album->Title;
        entry.Photos.reserve(static_cast<size_t>(album->Project.PhotoCount()));
        for (int i = 0; i < album->Project.PhotoCount(); ++i) {
            const TPhoto& photo = *album->Project.PhotoAt(i);
            const std::string name = FileNamePart(photo.FileName);
            entry.Photos.push_back(WebPhoto(photo, name, name));
        }
    }
    return web;
}

// The files of one directory of the tree by their names on the disc, sorted for lookups.
std::vector<const TFEntry*> FilesByName(const TDEntry* dir) {
    std::vector<const TFEntry*> files;
    for (const TFEntry* entry = dir ? dir->FirstChild : nullptr; entry; entry = entry->Next)
        if (!entry->IsDirectory()) files.push_back(entry);
    std::sort(files.begin(), files.end(), [](const TFEntry* a, const TFEntry* b) { return a->LongName < b->LongName; });
    return files;
}

// Whether the tree holds every photo's image and thumbnail under the photo's own file name, as
// ExpectedWebAlbums has them: then the pages made from those are the tree's pages.
bool TreeHoldsEveryPhoto(const TMCDBurner& burner, const TDiscContent& content) {
    const std::vector<const TFEntry*> images = FilesByName(burner.FindDir("\\Images"));
    const std::vector<const TFEntry*> thumbs = FilesByName(burner.FindDir("\\Thumbs"));
    const std::string imageDir = WithTrailingSlash(content.ImageDir), thumbDir = WithTrailingSlash(content.ThumbDir);
    auto holds = [](const std::vector<const TFEntry*>& files, const std::string& dir, std::string_view name) {
        const auto found = std::lower_bound(files.begin(), files.end(), name,
                                            [](const TFEntry* file, std::string_view key) { return file->LongName < key; });
        if (found == files.end() || (*found)->LongName != name) return false;
        const std::string& source = (*found)->SourcePath;  // the file of this photo, not another of its name
        return source.size() == dir.size() + name.size() && source.starts_with(dir) && source.ends_with(name);
    };
    for (const TAlbum* album : content.Albums)
        for (int i = 0; i < album->Project.PhotoCount(); ++i) {
            const std::string& file = album->Project.PhotoAt(i)->FileName;
            const std::string_view name = std::string_view(file).substr(file.find_last_of('/') + 1);  // as FileNamePart
            if (!holds(images, imageDir, name) || !holds(thumbs, thumbDir, name)) return false;
        }
    return true;
}

} // namespace

std::vector<TWebAlbum> WebAlbumsOnDisc(const TMCDBurner& burner, const TDiscContent& content) {
    const TFilesBySource images(burner.FindDir("\\Images"));
    const TFilesBySource thumbs(burner.FindDir("\\Thumbs"));
    std::vector<TWebAlbum> albums;
    albums.reserve(content.Albums.size());
    for (const TAlbum* album : content.Albums) {
        TWebAlbum& web = albums.emplace_back();
        web.Title = album->Title;
        for (int i = 0; i < album->Project.PhotoCount(); ++i) {
            const TPhoto& photo = *album->Project.PhotoAt(i);
            const TFEntry* image = images.Find(PhotoImagePath(content, photo));
            if (!image) continue;
            const TFEntry* thumb = thumbs.Find(PhotoThumbPath(content, photo));
            web.Photos.push_back(WebPhoto(photo, image->LongName, thumb ? thumb->LongName : std::string()));
        }
    }
    return albums;
}

std::future<std::vector<TWebPage>> MakeWebPagesAhead(const TDiscContent& content) {
    try {
        return std::async(std::launch::async, [title = content.Title, albums = content.Albums] {
            return WebPages(title, ExpectedWebAlbums(albums));
        });
    } catch (const std::system_error&) {
        return {};  // no thread to be had: the pages are made when they are added
    }
}

void AddWebPages(TMCDBurner& burner, const TDiscContent& content, std::future<std::vector<TWebPage>> ahead) {
    std::vector<TWebPage> pages;
    if (ahead.valid()) {
        pages = ahead.get();
        if (!TreeHoldsEveryPhoto(burner, content)) pages.clear();
    }
    if (pages.empty()) pages = WebPages(content.Title, WebAlbumsOnDisc(burner, content));
    if (!TreeHasRoomFor(pages.size())) {
        burner.DebugMessage("No room in the disc tree for the web pages; they are left out", 3);
        return;
    }
    std::string_view folder = "-";  // of the page before: none yet
    std::string discFolder;
    for (TWebPage& page : pages) {
        const std::string_view path = page.Path;
        const size_t slash = path.rfind('/');
        const std::string_view pageFolder = slash == std::string_view::npos ? "" : path.substr(0, slash);
        if (pageFolder != folder) {
            discFolder = "\\" + std::string(pageFolder);
            burner.CreateDirPath(discFolder);  // \Web after index.html
            folder = pageFolder;
        }
        burner.InsertData(discFolder, std::string(path.substr(slash + 1)),
                          std::make_shared<const std::string>(std::move(page.Text)));
    }
}

int64_t WebPagesSectors(const std::string& title, const std::vector<const TAlbum*>& albums) {
    int64_t sectors = 0;
    for (const TWebPage& page : WebPages(title, ExpectedWebAlbums(albums)))
        sectors += SectorsFor(static_cast<int64_t>(page.Text.size()));
    return sectors;
}
