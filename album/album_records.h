// Album records (photo, photo list, album), their binary file form and album discovery.
// Strings are 8-bit byte strings, written and read exactly as held.
#pragma once

#include <array>
#include <cstdint>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

class TByteReader;

// Number of 2048-byte sectors a file of `size` bytes occupies (0 bytes: none).
int SectorsOf(uint32_t size);

class TPhoto {
public:
    std::string FileName;  // image file in the image folder; the thumbnail has the same name
    std::string Caption;
    std::string ReservedText;
    std::array<uint8_t, 8> ReservedValue{};
    int32_t ImageSize = 0;
    int32_t ThumbSize = 0;

    TPhoto() = default;
    TPhoto(const TPhoto&) = default;
    TPhoto& operator=(const TPhoto&) = default;

    const std::vector<std::string>& Notes() const { return FNotes; }
    void SetNotes(const std::vector<std::string>& lines) { FNotes = lines; }

    int ImageSectors() const { return SectorsOf(static_cast<uint32_t>(ImageSize)); }
    int ThumbSectors() const { return SectorsOf(static_cast<uint32_t>(ThumbSize)); }

    void WriteToStream(std::ostream& out) const;
    // False when the record is cut short; the photo then holds what was read.
    bool ReadFromStream(TByteReader& in);

private:
    std::vector<std::string> FNotes;
};

// The ordered photo list of one album. Photos added to it are owned by it until they are
// unlinked with ClearPhotos(false), after which whoever holds them owns them.
class TProject {
public:
    struct TEntry {
        std::string Caption;  // the photo's caption when it was appended
        TPhoto* Photo;
    };

    std::string Title;

    TProject() = default;
    TProject(const TProject&) = delete;
    TProject& operator=(const TProject&) = delete;
    ~TProject() { ClearPhotos(true); }

    int PhotoCount() const { return static_cast<int>(FPhotos.size()); }
    TPhoto* PhotoAt(int index) const;
    const std::vector<TEntry>& Photos() const { return FPhotos; }
    int AddPhoto(TPhoto* photo);  // takes ownership
    void ClearPhotos(bool free);
    void Reset(bool free);
    int SectorCount() const;

    void WriteToStream(std::ostream& out) const;
    bool ReadFromStream(TByteReader& in);

private:
    std::vector<TEntry> FPhotos;
};

class TAlbum {
public:
    TProject Project;
    std::string Title;
    std::string ReservedText;
    int32_t ReservedValue = 0;
    std::string AlbumFile;  // file name without folder
    int32_t Position = 0;

    TAlbum() = default;
    static std::unique_ptr<TAlbum> CreateFromFile(const std::string& path);

    // A missing, unreadable or damaged file leaves the album with what could be read. A file
    // larger than kMaxAlbumFileSize counts as damaged, and only its first bytes are read.
    void LoadFromFile(const std::string& path);
    // Writes a temporary file beside `path` and renames it over the album file, so that a
    // failed save never damages the previous file. On failure returns false and, when asked,
    // the reason. An album read damaged is not rewritten while the user has not changed it;
    // before its first rewrite its file is kept beside it as "<file>.damaged".
    bool SaveToFile(const std::string& path, std::string* error = nullptr);
    // True when the file could not be read whole and the album has not been rewritten since.
    bool ReadDamaged() const { return FReadDamaged; }

    void ReadFromStream(TByteReader& in);
    void WriteToStream(std::ostream& out) const;
    std::string ToBytes() const;

    void Clear(bool all);
    int AddPhoto(TPhoto* photo) { return Project.AddPhoto(photo); }
    int SectorCount() const { return Project.SectorCount() + 2; }

    static constexpr int64_t kMaxAlbumFileSize = int64_t(64) << 20;

private:
    // What the user can change: the album's bytes without what the program keeps up to date
    // itself (file name, position, the photo list's title).
    std::string ContentBytes() const;

    bool FReadDamaged = false;
    std::string FContentAsRead;  // ContentBytes() when read damaged
};

using TAlbumList = std::vector<std::unique_ptr<TAlbum>>;

// Every regular "*.alb" file of `folder`, sorted by Position; empty when there is none.
TAlbumList FindAlbums(const std::string& folder);

// The album catalogue: album count, then each album's record length and its ".alb" bytes.
void WriteAlbumCatalogue(std::ostream& out, const std::vector<const TAlbum*>& albums);
