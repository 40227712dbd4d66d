#include "disc_compare.h"

#include "album_records.h"
#include "byte_reader.h"

#include <algorithm>
#include <fstream>
#include <cstring>
#include <memory>
#include <tuple>

namespace {

constexpr uint32_t kMaxCatalogueBytes = 256u << 20;

enum class TFileMatch { fmEqual, fmDifferent, fmUnreadable, fmNotOnDisc, fmNotInAlbums };

struct TFileResult {
    TFileMatch Match;
    std::string Detail;
};

// The disc file against the local one, block group by block group.
TFileResult CompareFile(TBlockSource& source, const TDiscVolume& volume, const std::string& discPath,
                        const std::string& localPath, const std::string& what) {
    const TVolumeFile* file = volume.Find(discPath);
    if (!file) return {TFileMatch::fmNotOnDisc, "the " + what + " is not on the disc"};
    std::ifstream local(localPath, std::ios::binary | std::ios::ate);
    if (!local) return {TFileMatch::fmNotInAlbums, "the " + what + " file " + localPath + " is missing"};
    if (!file->Damage.empty()) return {TFileMatch::fmUnreadable, "the " + what + " cannot be read: " + file->Damage};
    if (static_cast<uint64_t>(local.tellg()) != file->Size) return {TFileMatch::fmDifferent, "the " + what + " differs"};
    local.seekg(0);
    std::vector<char> disc(size_t(source.MaxReadBlocks()) * 2048), mine(disc.size());
    uint32_t unreadable = 0;
    bool differs = false;
    for (uint64_t done = 0; done < file->Size;) {
        const uint64_t bytes = std::min<uint64_t>(disc.size(), file->Size - done);
        const auto blocks = static_cast<uint32_t>((bytes + 2047) / 2048);
        const uint32_t bad = ReadRetrying(source, file->Start + static_cast<uint32_t>(done / 2048), blocks, disc.data());
        local.read(mine.data(), static_cast<std::streamsize>(bytes));
        unreadable += bad;
        if (!bad && (!local || std::memcmp(disc.data(), mine.data(), bytes) != 0)) differs = true;
        done += bytes;
    }
    if (unreadable > 0)
        return {TFileMatch::fmUnreadable, "the " + what + " has " + std::to_string(unreadable) +
                                              (unreadable == 1 ? " unreadable block" : " unreadable blocks")};
    if (differs) return {TFileMatch::fmDifferent, "the " + what + " differs"};
    return {TFileMatch::fmEqual, ""};
}

TPhotoMatch PhotoMatchOf(TFileMatch match) {
    switch (match) {
    case TFileMatch::fmDifferent: return TPhotoMatch::pmDifferent;
    case TFileMatch::fmUnreadable: return TPhotoMatch::pmUnreadable;
    case TFileMatch::fmNotOnDisc: return TPhotoMatch::pmMissingFromDisc;
    case TFileMatch::fmNotInAlbums: return TPhotoMatch::pmMissingFromAlbums;
    default: return TPhotoMatch::pmEqual;
    }
}

// A photo listed by both albums: its image, then its thumbnail, then caption and notes.
TPhotoCheck ComparePhoto(TBlockSource& source, const TDiscVolume& volume, const TStorageFolders& folders,
                         const TPhoto& onDisc, const TPhoto& mine) {
    TPhotoCheck check{onDisc.FileName, TPhotoMatch::pmEqual, ""};
    for (const auto& [dir, local, what] : {std::tuple{"\\Images\\", folders.ImageDir, "image"},
                                           std::tuple{"\\Thumbs\\", folders.ThumbDir, "thumbnail"}}) {
        const TFileResult result = CompareFile(source, volume, dir + onDisc.FileName, local + onDisc.FileName, what);
        if (result.Match != TFileMatch::fmEqual) return {onDisc.FileName, PhotoMatchOf(result.Match), result.Detail};
    }
    if (onDisc.Caption != mine.Caption) return {onDisc.FileName, TPhotoMatch::pmDifferent, "the caption differs"};
    if (onDisc.Notes() != mine.Notes()) return {onDisc.FileName, TPhotoMatch::pmDifferent, "the notes differ"};
    return check;
}

const TPhoto* FindPhoto(const TAlbum& album, const std::string& name) {
    for (const auto& entry : album.Project.Photos())
        if (entry.Photo->FileName == name) return entry.Photo;
    return nullptr;
}

// The local album a disc album was made from: the same album file, or else the same title.
const TAlbum* MatchingAlbum(const TAlbumList& albums, const TAlbum& onDisc) {
    for (const auto& album : albums)
        if (!onDisc.AlbumFile.empty() && album->AlbumFile == onDisc.AlbumFile) return album.get();
    for (const auto& album : albums)
        if (album->Title == onDisc.Title) return album.get();
    return nullptr;
}

bool ReadCatalogue(TBlockSource& source, const TDiscVolume& volume, TAlbumList& albums, std::string& error) {
    const TVolumeFile* file = volume.Find("\\Albums.dat");
    if (!file) {
        error = "the disc holds no Albums.dat: it was not made by Fotolark";
        return false;
    }
    if (!file->Damage.empty() || file->Size > kMaxCatalogueBytes) {
        error = "the disc's Albums.dat cannot be read: " + (file->Damage.empty() ? "it is too large" : file->Damage);
        return false;
    }
    std::string bytes((file->Size + 2047) / 2048 * 2048, '\0');
    for (uint32_t at = 0; at * 2048 < bytes.size(); at += source.MaxReadBlocks()) {
        const uint32_t count = std::min<uint32_t>(source.MaxReadBlocks(), bytes.size() / 2048 - at);
        if (ReadRetrying(source, file->Start + at, count, bytes.data() + size_t(at) * 2048) > 0) {
            error = "the disc's Albums.dat cannot be read";
            return false;
        }
    }
    bytes.resize(file->Size);
    TByteReader in(bytes);
    int32_t count = 0;
    in.ReadInt(count);
    for (int32_t i = 0; in.Ok() && i < count; ++i) {
        int64_t length = 0;
        std::string record;
        if (!in.ReadInt(length) || !in.ReadBytes(length, record)) break;
        auto album = std::make_unique<TAlbum>();
        TByteReader recordIn(record);
        album->ReadFromStream(recordIn);
        albums.push_back(std::move(album));
    }
    if (!in.Ok() || count < 0) {
        error = "the disc's Albums.dat is damaged";
        return false;
    }
    return true;
}

const char* MatchText(TPhotoMatch match) {
    switch (match) {
    case TPhotoMatch::pmEqual: return "equal";
    case TPhotoMatch::pmDifferent: return "different";
    case TPhotoMatch::pmUnreadable: return "unreadable";
    case TPhotoMatch::pmMissingFromDisc: return "missing from the disc";
    default: return "missing from the albums";
    }
}

} // namespace

bool TDiscCheck::AllMatch() const {
    for (const TAlbumCheck& album : Albums)
        for (const TPhotoCheck& photo : album.Photos)
            if (photo.Match != TPhotoMatch::pmEqual) return false;
    return true;
}

bool CompareDiscWithAlbums(TBlockSource& source, const TDiscVolume& volume, const TStorageFolders& folders,
                           TDiscCheck& check, std::string& error) {
    TAlbumList onDisc;
    if (!ReadCatalogue(source, volume, onDisc, error)) return false;
    const TAlbumList mine = FindAlbums(folders.AlbumDir);
    std::vector<const TAlbum*> matched;
    for (const auto& discAlbum : onDisc) {
        const TAlbum* local = MatchingAlbum(mine, *discAlbum);
        if (local) matched.push_back(local);
        TAlbumCheck album{discAlbum->Title, local != nullptr, {}};
        std::vector<std::string> seen;
        for (const auto& entry : discAlbum->Project.Photos()) {
            const TPhoto& photo = *entry.Photo;
            if (std::find(seen.begin(), seen.end(), photo.FileName) != seen.end()) continue;
            seen.push_back(photo.FileName);
            const TPhoto* mineToo = local ? FindPhoto(*local, photo.FileName) : nullptr;
            album.Photos.push_back(mineToo ? ComparePhoto(source, volume, folders, photo, *mineToo)
                                           : TPhotoCheck{photo.FileName, TPhotoMatch::pmMissingFromAlbums, ""});
        }
        if (local)
            for (const auto& entry : local->Project.Photos())
                if (std::find(seen.begin(), seen.end(), entry.Photo->FileName) == seen.end()) {
                    seen.push_back(entry.Photo->FileName);
                    album.Photos.push_back({entry.Photo->FileName, TPhotoMatch::pmMissingFromDisc, ""});
                }
        check.Albums.push_back(std::move(album));
    }
    for (const auto& album : mine)
        if (std::find(matched.begin(), matched.end(), album.get()) == matched.end())
            check.AlbumsNotOnDisc.push_back(album->Title);
    return true;
}

std::string DiscCheckReport(const TDiscCheck& check, bool listEqual) {
    std::string text;
    for (const TAlbumCheck& album : check.Albums) {
        text += "Album \"" + album.Title + "\"" + (album.InAlbums ? "" : " (not in the albums)") + "\n";
        size_t equal = 0;
        for (const TPhotoCheck& photo : album.Photos) {
            if (photo.Match == TPhotoMatch::pmEqual) ++equal;
            if (photo.Match == TPhotoMatch::pmEqual && !listEqual) continue;
            text += "  " + std::string(MatchText(photo.Match)) + ": " + photo.FileName +
                    (photo.Detail.empty() ? "" : " (" + photo.Detail + ")") + "\n";
        }
        if (!listEqual || album.Photos.empty())
            text += "  " + std::to_string(equal) + (equal == 1 ? " photo" : " photos") + " on the disc and equal\n";
    }
    for (const std::string& title : check.AlbumsNotOnDisc) text += "Not on this disc: album \"" + title + "\"\n";
    text += check.AllMatch() ? "Every photo on the disc matches the albums.\n"
                             : "The disc differs from the albums.\n";
    return text;
}
