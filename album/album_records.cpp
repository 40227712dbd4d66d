#include "album_records.h"

#include "byte_reader.h"
#include "file_names.h"
#include "safe_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

void WriteInt32(std::ostream& out, int32_t value) {
    char bytes[4];
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((static_cast<uint32_t>(value) >> (8 * i)) & 0xFF);
    out.write(bytes, 4);
}

void WriteInt64(std::ostream& out, int64_t value) {
    char bytes[8];
    for (int i = 0; i < 8; ++i) bytes[i] = static_cast<char>((static_cast<uint64_t>(value) >> (8 * i)) & 0xFF);
    out.write(bytes, 8);
}

void WriteCountedString(std::ostream& out, const std::string& text) {
    WriteInt32(out, static_cast<int32_t>(text.size()));
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

// Notes are kept on file as one text in which every line ends with CR LF.
std::string JoinNotes(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

// Splits at CR LF, a lone CR or a lone LF; a final line break adds no empty line.
std::vector<std::string> SplitNotes(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') continue;
        lines.push_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

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

int SectorsOf(uint32_t size) {
    return static_cast<int>((size >> 11) + ((size & 0x7FF) != 0 ? 1 : 0));
}

// ---- TPhoto ----

void TPhoto::WriteToStream(std::ostream& out) const {
    WriteCountedString(out, FileName);
    WriteCountedString(out, Caption);
    WriteCountedString(out, ReservedText);
    out.write(reinterpret_cast<const char*>(ReservedValue.data()), ReservedValue.size());
    WriteInt32(out, ImageSize);
    WriteInt32(out, ThumbSize);
    const std::string notes = JoinNotes(FNotes);
    WriteInt64(out, static_cast<int64_t>(notes.size()));
    out.write(notes.data(), static_cast<std::streamsize>(notes.size()));
}

bool TPhoto::ReadFromStream(TByteReader& in) {
    int64_t notesLength = 0;
    if (!(in.ReadCountedString(FileName) && in.ReadCountedString(Caption) &&
          in.ReadCountedString(ReservedText) && in.Read(ReservedValue.data(), ReservedValue.size()) &&
          in.ReadInt(ImageSize) && in.ReadInt(ThumbSize) && in.ReadInt(notesLength)))
        return false;
    FNotes.clear();
    if (notesLength <= 0) return true;
    std::string notes;
    if (!in.ReadBytes(notesLength, notes)) return false;
    FNotes = SplitNotes(notes);
    return true;
}

// ---- TProject ----

TPhoto* TProject::PhotoAt(int index) const {
    if (index < 0 || index >= PhotoCount()) return nullptr;
    return FPhotos[static_cast<size_t>(index)].Photo;
}

int TProject::AddPhoto(TPhoto* photo) {
    FPhotos.push_back({photo->Caption, photo});
    return PhotoCount() - 1;
}

void TProject::ClearPhotos(bool free) {
    if (free)
        for (TEntry& entry : FPhotos) delete entry.Photo;
    FPhotos.clear();
}

void TProject::Reset(bool free) {
    Title = "Untitled";
    ClearPhotos(free);
}

int TProject::SectorCount() const {
    int sectors = 1;
    for (const TEntry& entry : FPhotos) sectors += entry.Photo->ImageSectors() + entry.Photo->ThumbSectors();
    return sectors;
}

void TProject::WriteToStream(std::ostream& out) const {
    WriteCountedString(out, Title);
    WriteInt32(out, PhotoCount());
    for (const TEntry& entry : FPhotos) entry.Photo->WriteToStream(out);
}

bool TProject::ReadFromStream(TByteReader& in) {
    int32_t count = 0;
    if (!in.ReadCountedString(Title) || !in.ReadInt(count)) return false;
    for (int32_t i = 0; i < count; ++i) {
        auto photo = std::make_unique<TPhoto>();
        if (!photo->ReadFromStream(in)) return false;  // a photo cut short is dropped
        AddPhoto(photo.release());
    }
    return true;
}

// ---- TAlbum ----

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

void TAlbum::ReadFromStream(TByteReader& in) {
    Clear(true);
    in.ReadCountedString(Title) && in.ReadCountedString(ReservedText) &&
        in.ReadCountedString(AlbumFile) && in.ReadInt(ReservedValue) && in.ReadInt(Position) &&
        Project.ReadFromStream(in);
}

void TAlbum::WriteToStream(std::ostream& out) const {
    WriteCountedString(out, Title);
    WriteCountedString(out, ReservedText);
    WriteCountedString(out, AlbumFile);
    WriteInt32(out, ReservedValue);
    WriteInt32(out, Position);
    Project.WriteToStream(out);
}

std::string TAlbum::ToBytes() const {
    std::ostringstream out(std::ios::binary);
    WriteToStream(out);
    return out.str();
}

std::string TAlbum::ContentBytes() const {
    std::ostringstream out(std::ios::binary);
    WriteCountedString(out, Title);
    WriteCountedString(out, ReservedText);
    WriteInt32(out, ReservedValue);
    for (const TProject::TEntry& entry : Project.Photos()) entry.Photo->WriteToStream(out);
    return out.str();
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

void TAlbum::Clear(bool all) {
    if (all) {
        Title.clear();
        ReservedText.clear();
        ReservedValue = 0;
    }
    Project.Reset(all);
}

// ---- discovery and catalogue ----

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

void WriteAlbumCatalogue(std::ostream& out, const std::vector<const TAlbum*>& albums) {
    WriteInt32(out, static_cast<int32_t>(albums.size()));
    for (const TAlbum* album : albums) {
        const std::string record = album->ToBytes();
        WriteInt64(out, static_cast<int64_t>(record.size()));
        out.write(record.data(), static_cast<std::streamsize>(record.size()));
    }
}
