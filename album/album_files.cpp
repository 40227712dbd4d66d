// Album files on disk: discovery, loading (bounded, noting damage) and safe saving.
#include "album_records.h"

#include "byte_reader.h"
#include "file_names.h"
#include "safe_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

bool EndsWithAlbExtension(const std::string& name) {
    if (name.size() < 4) return false;
    std::string ext = name.substr(name.size() - 4);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    return ext == ".alb";
}

enum class TFileRead { Whole, Cut, Unreadable, Missing };

// Reads at most `limit` bytes of the file into `bytes`. Cut: a read error or a file longer
// than `limit` stopped it; `bytes` holds what came before.
TFileRead ReadFileUpTo(const std::string& path, int64_t limit, std::string& bytes) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT ? TFileRead::Missing : TFileRead::Unreadable;
    struct stat info {};
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode))
        bytes.reserve(static_cast<size_t>(std::min<int64_t>(info.st_size, limit)));
    TFileRead result = TFileRead::Whole;
    char buffer[65536];
    for (;;) {
        const ssize_t got = read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) {
            if (got < 0) result = TFileRead::Cut;
            break;
        }
        const size_t room = static_cast<size_t>(limit) - bytes.size();
        bytes.append(buffer, std::min(static_cast<size_t>(got), room));
        if (static_cast<size_t>(got) > room) {
            result = TFileRead::Cut;
            break;
        }
    }
    close(fd);
    return result;
}

// Keeps an album file that was read damaged as "<file>.damaged", or under the first free
// "<file>.damaged.N" when an earlier one is there. Returns 0 or the errno.
int KeepDamagedFile(const std::string& path) {
    for (int number = 1; number < 1000; ++number) {
        const std::string copy = path + ".damaged" + (number == 1 ? "" : "." + std::to_string(number));
        const int error = PreserveFileAs(path, copy);
        if (error == ENOENT) return 0;  // no file left to keep
        if (error != EEXIST) return error;
    }
    return EEXIST;
}

} // namespace

std::unique_ptr<TAlbum> TAlbum::CreateFromFile(const std::string& path) {
    auto album = std::make_unique<TAlbum>();
    album->LoadFromFile(path);
    album->AlbumFile = FileNamePart(path);
    return album;
}

void TAlbum::LoadFromFile(const std::string& path) {
    std::string bytes;
    const TFileRead read = ReadFileUpTo(path, kMaxAlbumFileSize, bytes);
    if (read == TFileRead::Missing) return;
    bool whole = read == TFileRead::Whole;
    if (read != TFileRead::Unreadable) {
        TByteReader reader(bytes);
        ReadFromStream(reader);
        whole = whole && reader.Ok() && reader.Remaining() == 0;
    }
    FReadDamaged = !whole;
    FContentAsRead = whole ? std::string() : ContentBytes();
}

bool TAlbum::SaveToFile(const std::string& path, std::string* error) {
    if (FReadDamaged && ContentBytes() == FContentAsRead) return true;  // nothing of the user's to write
    int reason = FReadDamaged ? KeepDamagedFile(path) : 0;
    if (reason == 0) {
        const std::string bytes = ToBytes();
        reason = ReplaceFileContents(path, bytes.data(), bytes.size());
    }
    if (reason != 0) {
        if (error) *error = std::strerror(reason);
        return false;
    }
    FReadDamaged = false;
    FContentAsRead.clear();
    return true;
}

TAlbumList FindAlbums(const std::string& folder) {
    TAlbumList albums;
    std::error_code error;
    fs::directory_iterator entries(folder.empty() ? "." : folder, error);
    if (error) return albums;
    for (const fs::directory_entry& entry : entries) {
        const std::string name = entry.path().filename().string();
        if (!EndsWithAlbExtension(name) || !entry.is_regular_file(error)) continue;
        albums.push_back(TAlbum::CreateFromFile(entry.path().string()));
    }
    std::sort(albums.begin(), albums.end(),
              [](const auto& a, const auto& b) { return a->Position < b->Position; });
    return albums;
}

