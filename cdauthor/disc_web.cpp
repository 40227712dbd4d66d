#include "disc_web.h"

#include "disc_tables.h"
#include "file_names.h"
#include "iso_records.h"

#include <memory>
#include <string_view>
#include <unordered_map>

namespace {

// Keyed by views of the tree's own strings, which outlive the lookups.
using TFilesBySource = std::unordered_map<std::string_view, const TFEntry*>;

TFilesBySource FilesBySource(const TDEntry* dir) {
    TFilesBySource files;
    for (const TFEntry* entry = dir ? dir->FirstChild : nullptr; entry; entry = entry->Next)
        if (!entry->IsDirectory()) files.emplace(entry->SourcePath, entry);
    return files;
}

const TFEntry* Find(const TFilesBySource& files, const std::string& source) {
    const auto found = files.find(source);
    return found == files.end() ? nullptr : found->second;
}

TWebPhoto WebPhoto(const TPhoto& photo, const std::string& imageName, const std::string& thumbName) {
    return {photo.Caption, photo.Notes(), imageName, thumbName};
}

// The tree takes a fixed number of records; the pages need one per page and one for \Web.
bool TreeHasRoomFor(size_t pages) {
    return DirCount < MaxDirs && static_cast<int64_t>(FileCount) + static_cast<int64_t>(pages) + 1 <= MaxFiles;
}

} // namespace

std::vector<TWebAlbum> WebAlbumsOnDisc(const TMCDBurner& burner, const TDiscContent& content) {
    const TFilesBySource images = FilesBySource(burner.FindDir("\\Images"));
    const TFilesBySource thumbs = FilesBySource(burner.FindDir("\\Thumbs"));
    std::vector<TWebAlbum> albums;
    albums.reserve(content.Albums.size());
    for (const TAlbum* album : content.Albums) {
        TWebAlbum& web = albums.emplace_back();
        web.Title = album->Title;
        for (int i = 0; i < album->Project.PhotoCount(); ++i) {
            const TPhoto& photo = *album->Project.PhotoAt(i);
            const TFEntry* image = Find(images, PhotoImagePath(content, photo));
            if (!image) continue;
            const TFEntry* thumb = Find(thumbs, PhotoThumbPath(content, photo));
            web.Photos.push_back(WebPhoto(photo, image->LongName, thumb ? thumb->LongName : std::string()));
        }
    }
    return albums;
}

void AddWebPages(TMCDBurner& burner, const TDiscContent& content) {
    std::vector<TWebPage> pages = WebPages(content.Title, WebAlbumsOnDisc(burner, content));
    if (!TreeHasRoomFor(pages.size())) {
        burner.DebugMessage("No room in the disc tree for the web pages; they are left out", 3);
        return;
    }
    for (TWebPage& page : pages) {
        const std::string folder = FolderPart(page.Path);
        const std::string discFolder = folder.empty() ? "\\" : "\\" + folder.substr(0, folder.size() - 1);
        burner.CreateDirPath(discFolder);  // \Web after index.html
        burner.InsertData(discFolder, FileNamePart(page.Path), std::make_shared<const std::string>(std::move(page.Text)));
    }
}

int64_t WebPagesSectors(const std::string& title, const std::vector<const TAlbum*>& albums) {
    std::vector<TWebAlbum> web;
    web.reserve(albums.size());
    for (const TAlbum* album : albums) {
        TWebAlbum& entry = web.emplace_back();
        entry.Title = album->Title;
        for (int i = 0; i < album->Project.PhotoCount(); ++i) {
            const TPhoto& photo = *album->Project.PhotoAt(i);
            const std::string name = FileNamePart(photo.FileName);
            entry.Photos.push_back(WebPhoto(photo, name, name));
        }
    }
    int64_t sectors = 0;
    for (const TWebPage& page : WebPages(title, web)) sectors += SectorsFor(static_cast<int64_t>(page.Text.size()));
    return sectors;
}
