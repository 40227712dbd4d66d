// Byte layout of album records and their reading back.
#include "album_records.h"
#include "byte_reader.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

std::string Int32Bytes(int32_t v) {
    std::string s(4, '\0');
    for (int i = 0; i < 4; ++i) s[i] = static_cast<char>((static_cast<uint32_t>(v) >> (8 * i)) & 0xFF);
    return s;
}

std::string Int64Bytes(int64_t v) {
    std::string s(8, '\0');
    for (int i = 0; i < 8; ++i) s[i] = static_cast<char>((static_cast<uint64_t>(v) >> (8 * i)) & 0xFF);
    return s;
}

std::string PhotoBytes(const TPhoto& photo) {
    std::ostringstream out;
    photo.WriteToStream(out);
    return out.str();
}

TPhoto* MakePhoto(const std::string& file, const std::string& caption, int32_t imageSize = 0,
                  int32_t thumbSize = 0) {
    auto* photo = new TPhoto;
    photo->FileName = file;
    photo->Caption = caption;
    photo->ImageSize = imageSize;
    photo->ThumbSize = thumbSize;
    return photo;
}

} // namespace

TEST(AlbumRecords, NewAlbumSavedForTheFirstTimeIs46Bytes) {
    TAlbum album;
    album.AlbumFile = "20261210120000.alb";  // 18 characters
    album.Position = 2;
    const std::string expected = Int32Bytes(0) + Int32Bytes(0) + Int32Bytes(18) + album.AlbumFile +
                                 Int32Bytes(0) + Int32Bytes(2) + Int32Bytes(0) + Int32Bytes(0);
    EXPECT_EQ(album.ToBytes(), expected);
    EXPECT_EQ(album.ToBytes().size(), 46u);
}

TEST(AlbumRecords, PhotoRecordLayoutAndNotesBytes) {
    TPhoto photo;
    photo.FileName = "a.jpg";
    photo.Caption = "Cap";
    photo.ImageSize = 0x01020304;
    photo.ThumbSize = 7;
    const std::string head = Int32Bytes(5) + "a.jpg" + Int32Bytes(3) + "Cap" + Int32Bytes(0) +
                             std::string(8, '\0') + Int32Bytes(0x01020304) + Int32Bytes(7);
    EXPECT_EQ(PhotoBytes(photo), head + Int64Bytes(0));

    photo.SetNotes({"abc"});
    EXPECT_EQ(PhotoBytes(photo), head + Int64Bytes(5) + "abc\r\n");
}

TEST(AlbumRecords, NotesSplitAtEveryKindOfLineBreak) {
    TPhoto source;
    std::string bytes = PhotoBytes(source);
    bytes.resize(bytes.size() - 8);
    const std::string notes = "one\r\ntwo\rthree\n\nfive\r\n";
    bytes += Int64Bytes(static_cast<int64_t>(notes.size())) + notes;
    TByteReader reader(bytes);
    TPhoto photo;
    ASSERT_TRUE(photo.ReadFromStream(reader));
    EXPECT_EQ(photo.Notes(), (std::vector<std::string>{"one", "two", "three", "", "five"}));
}

TEST(AlbumRecords, SectorCounts) {
    const struct { uint32_t size; int sectors; } cases[] = {
        {0, 0}, {1, 1}, {2048, 1}, {2049, 2}, {4096, 2}, {0xFFFFFFFFu, 2097152}};
    for (const auto& c : cases) EXPECT_EQ(SectorsOf(c.size), c.sectors) << c.size;

    TAlbum album;
    EXPECT_EQ(album.SectorCount(), 3);
    album.AddPhoto(MakePhoto("a.jpg", "A", 2049, 1));
    album.AddPhoto(MakePhoto("b.jpg", "B", 4096, 0));
    EXPECT_EQ(album.SectorCount(), 3 + 3 + 2);
}

TEST(AlbumRecords, PhotoAtOutsideTheListReturnsNone) {
    TProject project;
    project.AddPhoto(MakePhoto("a.jpg", "A"));
    EXPECT_EQ(project.PhotoAt(-1), nullptr);
    EXPECT_EQ(project.PhotoAt(1), nullptr);
    ASSERT_NE(project.PhotoAt(0), nullptr);
    EXPECT_EQ(project.PhotoAt(0)->FileName, "a.jpg");
    EXPECT_EQ(project.Photos()[0].Caption, "A");
}

TEST(AlbumRecords, RoundTripKeepsReservedFieldsAndBytes) {
    TAlbum album;
    album.Title = "Summer \xE9t\xE9";  // bytes kept as held, whatever their encoding
    album.ReservedText = "kept";
    album.ReservedValue = -17;
    album.AlbumFile = "x.alb";
    album.Position = 4;
    album.Project.Title = "Untitled";
    TPhoto* photo = MakePhoto("p.jpg", "Beach", 300000, 9000);
    photo->ReservedText = "r";
    photo->ReservedValue = {1, 2, 3, 4, 5, 6, 7, 8};
    photo->SetNotes({"line 1", "", "line 3"});
    album.AddPhoto(photo);

    const std::string bytes = album.ToBytes();
    TByteReader reader(bytes);
    TAlbum copy;
    copy.ReadFromStream(reader);
    EXPECT_EQ(copy.ToBytes(), bytes);
    EXPECT_EQ(copy.ReservedValue, -17);
    ASSERT_EQ(copy.Project.PhotoCount(), 1);
    EXPECT_EQ(copy.Project.PhotoAt(0)->ReservedValue, photo->ReservedValue);
    EXPECT_EQ(copy.Project.PhotoAt(0)->Notes(), photo->Notes());
}

TEST(AlbumRecords, ResetAndClearFollowOwnership) {
    TAlbum album;
    album.Title = "T";
    album.Position = 3;
    album.AlbumFile = "f.alb";
    TPhoto kept;  // owned by the caller: Clear(false) only unlinks it
    album.AddPhoto(&kept);
    album.Clear(false);
    EXPECT_EQ(album.Project.PhotoCount(), 0);
    EXPECT_EQ(album.Project.Title, "Untitled");
    EXPECT_EQ(album.Title, "T");

    album.AddPhoto(MakePhoto("a.jpg", "A"));
    album.ReservedValue = 5;
    album.Clear(true);
    EXPECT_EQ(album.Title, "");
    EXPECT_EQ(album.ReservedValue, 0);
    EXPECT_EQ(album.AlbumFile, "f.alb");
    EXPECT_EQ(album.Position, 3);
}

TEST(AlbumRecords, CatalogueHoldsEachAlbumRecordWithItsLength) {
    TAlbum first, second;
    first.Title = "One";
    second.Title = "Two";
    second.AddPhoto(MakePhoto("a.jpg", "A", 10, 1));
    std::ostringstream out;
    WriteAlbumCatalogue(out, {&first, &second});
    const std::string a = first.ToBytes(), b = second.ToBytes();
    EXPECT_EQ(out.str(), Int32Bytes(2) + Int64Bytes(static_cast<int64_t>(a.size())) + a +
                             Int64Bytes(static_cast<int64_t>(b.size())) + b);
}

// Damaged input: the album keeps what was read before the damage, never more.
TEST(AlbumRecords, DamagedInputEndsTheAlbumAtTheDamage) {
    TAlbum album;
    album.Title = "Trip";
    album.AlbumFile = "t.alb";
    album.AddPhoto(MakePhoto("a.jpg", "A"));
    album.AddPhoto(MakePhoto("b.jpg", "B"));
    const std::string bytes = album.ToBytes();
    const std::string second = PhotoBytes(*album.Project.PhotoAt(1));

    struct Case { const char* name; std::string input; std::string title; int photos; };
    std::string hugeNotes = bytes.substr(0, bytes.size() - 8) + Int64Bytes(INT64_MAX);
    std::string hugeTitle = Int32Bytes(0x7FFFFFFF) + "x";
    std::string negativeTitle = Int32Bytes(-5) + bytes.substr(4);
    const Case cases[] = {
        {"empty", "", "", 0},
        {"cut in the title", bytes.substr(0, 6), "", 0},
        {"cut in the second photo", bytes.substr(0, bytes.size() - 3), "Trip", 1},
        {"second photo missing", bytes.substr(0, bytes.size() - second.size()), "Trip", 1},
        {"notes length beyond the end", hugeNotes, "Trip", 1},
        {"title length beyond the end", hugeTitle, "", 0},
        {"negative title length", negativeTitle, "", 0},
    };
    for (const Case& c : cases) {
        TByteReader reader(c.input);
        TAlbum read;
        read.ReadFromStream(reader);
        EXPECT_EQ(read.Title, c.title) << c.name;
        EXPECT_EQ(read.Project.PhotoCount(), c.photos) << c.name;
    }
}
