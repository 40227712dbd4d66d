#include "album_records.h"

#include "byte_reader.h"

#include <sstream>

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

void TAlbum::Clear(bool all) {
    if (all) {
        Title.clear();
        ReservedText.clear();
        ReservedValue = 0;
    }
    Project.Reset(all);
}

// ---- catalogue ----

void WriteAlbumCatalogue(std::ostream& out, const std::vector<const TAlbum*>& albums) {
    WriteInt32(out, static_cast<int32_t>(albums.size()));
    for (const TAlbum* album : albums) {
        const std::string record = album->ToBytes();
        WriteInt64(out, static_cast<int64_t>(record.size()));
        out.write(record.data(), static_cast<std::streamsize>(record.size()));
    }
}
