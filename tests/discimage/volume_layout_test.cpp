// The volume layout, byte for byte: descriptors, path tables, directory records and extents.
#include "date_time.h"
#include "disc_tables.h"
#include "disc_test_support.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <utime.h>

namespace {

class VolumeLayoutTest : public ::testing::Test {
protected:
    TScratchDir Scratch;
    TMCDBurner Burner;

    std::string Header() {
        Burner.PrepareImage(true);
        return Burner.HeaderStream();
    }
    // The directory record at `at` of a sector: identifier, extent and data length.
    struct TRecord {
        std::string Id;
        uint32_t Extent, Length;
        uint8_t Flags, Size;
    };
    static TRecord RecordAt(const std::string& sector, size_t at) {
        const uint8_t size = static_cast<uint8_t>(sector[at]);
        return {sector.substr(at + 33, static_cast<uint8_t>(sector[at + 32])), Little32(sector, at + 2),
                Little32(sector, at + 10), static_cast<uint8_t>(sector[at + 25]), size};
    }
    static std::vector<TRecord> Records(const std::string& sector) {
        std::vector<TRecord> records;
        for (size_t at = 0; at < sector.size() && sector[at] != 0; at += static_cast<uint8_t>(sector[at]))
            records.push_back(RecordAt(sector, at));
        return records;
    }
    int FindDirNumber(const std::string& path) const { return Burner.FindDir(path)->DirNumber; }
    static std::string Utf16(const std::string& ascii) {
        std::string out;
        for (char c : ascii) out += std::string(1, '\0') + c;
        return out;
    }
};

TEST_F(VolumeLayoutTest, EmptyJolietVolumeHas26SectorsInPlace) {
    const std::string image = Header();
    EXPECT_EQ(Burner.TrackSectors(), 26);
    ASSERT_EQ(image.size(), 26u * 2048);
    EXPECT_EQ(image.substr(0, 16 * 2048), std::string(16 * 2048, '\0'));
    const std::string primary = SectorOf(image, 16);
    EXPECT_EQ(primary, SectorOf(image, 17));
    EXPECT_EQ(primary.substr(0, 7), std::string("\x01" "CD001\x01", 7));
    const std::string joliet = SectorOf(image, 18);
    EXPECT_EQ(joliet.substr(0, 7), std::string("\x02" "CD001\x01", 7));
    EXPECT_EQ(joliet.substr(88, 3), "\x25\x2F\x40");
    EXPECT_EQ(SectorOf(image, 19).substr(0, 7), std::string("\xFF" "CD001\x01", 7));
    EXPECT_EQ(SectorOf(image, 19).substr(7), std::string(2041, '\0'));

    // Path tables: ISO L 20, M 21, Joliet L 22, M 23, 10 bytes each.
    EXPECT_EQ(Little32(primary, 132), 10u);
    EXPECT_EQ(Little32(primary, 140), 20u);
    EXPECT_EQ(Big32(primary, 148), 21u);
    EXPECT_EQ(Little32(joliet, 140), 22u);
    EXPECT_EQ(Big32(joliet, 148), 23u);
    EXPECT_EQ(SectorOf(image, 20).substr(0, 10), std::string("\x01\x00\x18\x00\x00\x00\x01\x00\x00\x00", 10));
    EXPECT_EQ(SectorOf(image, 21).substr(0, 10), std::string("\x01\x00\x00\x00\x00\x18\x00\x01\x00\x00", 10));
    EXPECT_EQ(SectorOf(image, 22).substr(0, 10), std::string("\x01\x00\x19\x00\x00\x00\x01\x00\x00\x00", 10));

    // Root directories at 24 (ISO) and 25 (Joliet) holding only "." and "..".
    EXPECT_EQ(RecordAt(primary, 156).Extent, 24u);
    EXPECT_EQ(RecordAt(primary, 156).Length, 2048u);
    EXPECT_EQ(RecordAt(joliet, 156).Extent, 25u);
    for (int sector : {24, 25}) {
        const auto records = Records(SectorOf(image, sector));
        ASSERT_EQ(records.size(), 2u);
        EXPECT_EQ(records[0].Id, std::string(1, '\0'));
        EXPECT_EQ(records[1].Id, std::string(1, '\1'));
        EXPECT_EQ(records[0].Extent, static_cast<uint32_t>(sector));
        EXPECT_EQ(records[1].Extent, static_cast<uint32_t>(sector));
    }
}

TEST_F(VolumeLayoutTest, EmptyVolumeWithoutJolietHas22Sectors) {
    Burner.JolietFileSystem = false;
    const std::string image = Header();
    EXPECT_EQ(Burner.TrackSectors(), 22);
    ASSERT_EQ(image.size(), 22u * 2048);
    EXPECT_EQ(image[18 * 2048], '\xFF');
    const std::string primary = SectorOf(image, 16);
    EXPECT_EQ(Little32(primary, 140), 19u);
    EXPECT_EQ(Big32(primary, 148), 20u);
    EXPECT_EQ(RecordAt(primary, 156).Extent, 21u);
}

TEST_F(VolumeLayoutTest, PrimaryDescriptorFields) {
    Burner.IdVolume = "Summer 2004";
    Burner.IdApplication = "Fotolark";
    const std::string image = Header();
    const std::string primary = SectorOf(image, 16);
    const std::string joliet = SectorOf(image, 18);
    EXPECT_EQ(primary.substr(8, 32), std::string(32, ' '));
    EXPECT_EQ(primary.substr(40, 32), "Summer 2004" + std::string(21, ' '));
    EXPECT_EQ(joliet.substr(40, 32), Utf16("Summer 2004") + Utf16(std::string(5, ' ')));
    EXPECT_EQ(primary.substr(574, 128), "Fotolark" + std::string(120, ' '));
    EXPECT_EQ(joliet.substr(574, 128), Utf16("Fotolark") + Utf16(std::string(56, ' ')));
    EXPECT_EQ(primary.substr(702, 37), std::string(37, ' '));
    EXPECT_EQ(joliet.substr(702, 37), Utf16(std::string(18, ' ')) + std::string(1, '\0'));
    EXPECT_EQ(primary.substr(72, 48), std::string(8, '\0') + primary.substr(80, 8) + std::string(32, '\0'));
    EXPECT_EQ(Little32(primary, 80), 300u);  // the padded image
    EXPECT_EQ(primary.substr(813, 17), std::string("1899123000000000") + '\0');
    EXPECT_EQ(primary.substr(847, 17), std::string(16, '0') + '\0');
    EXPECT_EQ(primary[881], 1);
    EXPECT_EQ(Little16(primary, 128), 2048);
}

TEST_F(VolumeLayoutTest, DescriptorDates) {
    Burner.DateCreation = EncodeDateTime({2004, 6, 12, 13, 45, 30, 250});
    Burner.DateModification = EncodeDateTime({2004, 6, 12, 13, 45, 30, 5});
    const std::string primary = SectorOf(Header(), 16);
    EXPECT_EQ(primary.substr(813, 17), std::string("2004061213453025") + '\0');
    EXPECT_EQ(primary.substr(830, 17), std::string("2004061213453005") + '\0');
}

TEST_F(VolumeLayoutTest, EntriesKeepTheirOrderAndPathTablesSortByShortName) {
    Burner.InsertFile("\\", Scratch.Write("autorun.inf", "a"), false);
    Burner.InsertFile("\\", Scratch.Write("Albums.dat", "bb"), false);
    Burner.CreateDirPath("\\Thumbs");
    Burner.CreateDirPath("\\Images");
    const std::string image = Header();

    const auto iso = Records(SectorOf(image, 24));
    ASSERT_EQ(iso.size(), 6u);
    EXPECT_EQ(iso[2].Id, "AUTORUN.INF;1");
    EXPECT_EQ(iso[3].Id, "ALBUMS.DAT;1");
    EXPECT_EQ(iso[4].Id, "THUMBS");
    EXPECT_EQ(iso[5].Id, "IMAGES");
    EXPECT_EQ(iso[4].Flags, 0x02);
    // Directory extents follow creation order: Thumbs before Images.
    EXPECT_EQ(iso[4].Extent, 25u);
    EXPECT_EQ(iso[5].Extent, 26u);
    const auto joliet = Records(SectorOf(image, 27));
    ASSERT_EQ(joliet.size(), 6u);
    EXPECT_EQ(joliet[2].Id, Utf16("autorun.inf;1"));
    EXPECT_EQ(joliet[5].Id, Utf16("Images"));
    // The path table numbers IMAGES 2 and THUMBS 3.
    const std::string table = SectorOf(image, 20);
    EXPECT_EQ(table.substr(10, 14), std::string("\x06\x00\x1A\x00\x00\x00\x01\x00" "IMAGES", 14));
    EXPECT_EQ(table.substr(24, 14), std::string("\x06\x00\x19\x00\x00\x00\x01\x00" "THUMBS", 14));
    EXPECT_EQ(FindDirNumber("\\Images"), 2);
    EXPECT_EQ(FindDirNumber("\\Thumbs"), 3);
    // File data follows the directory areas directly, one file after the other.
    EXPECT_EQ(iso[2].Extent, 30u);
    EXPECT_EQ(iso[3].Extent, 31u);
    EXPECT_EQ(Burner.TrackSectors(), 32);
}

TEST_F(VolumeLayoutTest, EmptyFilesHaveExtentZeroAndTakeNoSector) {
    Burner.InsertFile("\\", Scratch.Write("a.txt", std::string(3000, 'a')), false);
    Burner.InsertFile("\\", Scratch.Write("empty.txt", ""), false);
    Burner.InsertFile("\\", Scratch.Write("b.txt", "b"), false);
    const auto records = Records(SectorOf(Header(), 24));
    ASSERT_EQ(records.size(), 5u);
    EXPECT_EQ(records[2].Extent, 26u);
    EXPECT_EQ(records[3].Extent, 0u);
    EXPECT_EQ(records[3].Length, 0u);
    EXPECT_EQ(records[4].Extent, 28u);
    EXPECT_EQ(Burner.TrackSectors(), 29);
}

TEST_F(VolumeLayoutTest, HiddenFilesCarryTheExistenceFlagInBothTrees) {
    Burner.InsertFile("\\", Scratch.Write(".secret", "s"), false);
    const std::string image = Header();
    EXPECT_EQ(Records(SectorOf(image, 24))[2].Flags, 0x01);
    EXPECT_EQ(Records(SectorOf(image, 25))[2].Flags, 0x01);
}

// Each file's local time goes with the UTC offset in force at that time, daylight saving
// included, so that readers show the true instant.
TEST_F(VolumeLayoutTest, RecordDatesCarryTheOffsetInForceAtTheirTime) {
    const struct {
        const char* Zone;
        std::time_t Utc;
        const char* Date;  // year - 1900, month, day, hour, minute, second, offset in quarter hours
    } cases[] = {
        {"America/New_York", 1088683200, "\x68\x07\x01\x08\x00\x00\xF0"},  // 2004-07-01 12:00 UTC: 08:00, -4 h
        {"America/New_York", 1074168000, "\x68\x01\x0F\x07\x00\x00\xEC"},  // 2004-01-15 12:00 UTC: 07:00, -5 h
        {"CET-1CEST,M3.5.0,M10.5.0/3", 1087040731, "\x68\x06\x0C\x0D\x2D\x1E\x08"},  // 13:45:30, +2 h
        {"Asia/Kolkata", 1088683200, "\x68\x07\x01\x11\x1E\x00\x16"},  // 17:30, +5:30
    };
    for (const auto& c : cases) {
        setenv("TZ", c.Zone, 1);
        Burner.ClearTree();
        const std::string file = Scratch.Write("dated.txt", "d");
        const utimbuf times{c.Utc, c.Utc};
        ASSERT_EQ(utime(file.c_str(), &times), 0);
        Burner.InsertFile("\\", file, false);
        Burner.CreateDirPath("\\Images");
        const std::string sector = SectorOf(Header(), 24);
        EXPECT_EQ(sector.substr(68 + 18, 7), std::string(c.Date, 7)) << c.Zone << " " << c.Utc;
        EXPECT_EQ(sector.substr(18, 7), std::string(7, '\0'));  // "." carries no date
        // A directory made now carries the offset in force now.
        std::tm now{};
        const std::time_t clock = std::time(nullptr);
        localtime_r(&clock, &now);
        EXPECT_EQ(static_cast<int8_t>(sector[68 + 44 + 24]), now.tm_gmtoff / 900) << c.Zone;
    }
    unsetenv("TZ");
}

TEST_F(VolumeLayoutTest, OffsetOfADateTheAddFileHandlerSets) {
    setenv("TZ", "America/New_York", 1);
    Burner.ClearTree();
    Burner.OnAddFile = [](TMCDBurner*, const std::string&, std::string&, std::string&, TDateTime& dateTime, int32_t,
                          int64_t, bool&) { dateTime = EncodeDateTime({2004, 12, 24, 18, 0, 0, 0}); };
    Burner.InsertFile("\\", Scratch.Write("dated.txt", "d"), false);
    EXPECT_EQ(SectorOf(Header(), 24).substr(68 + 18, 7), std::string("\x68\x0C\x18\x12\x00\x00\xEC", 7));
    unsetenv("TZ");
}

// A title of 30 characters in 39 bytes: the 32-byte field ends before the character it
// cannot hold whole, and the Joliet field keeps all 16 units it has room for.
TEST_F(VolumeLayoutTest, VolumeIdentifierIsCutAtACharacterBoundary) {
    const std::string title = std::string(21, 'a') + "ééééééééé";
    ASSERT_EQ(title.size(), 39u);
    Burner.IdVolume = title;
    const std::string image = Header();
    EXPECT_EQ(SectorOf(image, 16).substr(40, 32), std::string(21, 'a') + "ééééé" + " ");
    EXPECT_EQ(SectorOf(image, 18).substr(40, 32), Utf16(std::string(16, 'a')));
}

// Names that some readers cannot list: characters beyond 16 bits and control characters are
// written as "_" in the Joliet tree.
TEST_F(VolumeLayoutTest, JolietNamesHoldNeitherSurrogatesNorControls) {
    Burner.InsertFile("\\", Scratch.Write("sun😀.jpg", "s"), false);
    Burner.InsertFile("\\", Scratch.Write("line\nbreak.jpg", "l"), false);
    const auto records = Records(SectorOf(Header(), 25));
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[2].Id, Utf16("sun_.jpg;1"));
    EXPECT_EQ(records[3].Id, Utf16("line_break.jpg;1"));
}

TEST_F(VolumeLayoutTest, RecordsNeverStraddleASector) {
    // 45 directories with 11-character names: 68 + 45 x 44 bytes fill the sector exactly.
    for (int i = 0; i < 45; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "\\DIRECTORY%02d", i);
        ASSERT_NE(Burner.CreateDirPath(name), nullptr);
    }
    Burner.PrepareImage(true);
    EXPECT_EQ(Burner.RootDir()->IsoSize, 2048);

    // One more record needs a second sector, and the record starts it.
    Burner.ClearTree();
    for (int i = 0; i < 46; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "\\DIRECTORY%02d", i);
        Burner.CreateDirPath(name);
    }
    const std::string image = Header();
    EXPECT_EQ(Burner.RootDir()->IsoSize, 4096);
    const std::string root = image.substr(static_cast<size_t>(RecordAt(SectorOf(image, 16), 156).Extent) * 2048, 4096);
    EXPECT_EQ(Records(root.substr(0, 2048)).size(), 47u);
    const auto second = Records(root.substr(2048));
    ASSERT_EQ(second.size(), 1u);
    EXPECT_EQ(second[0].Id, "DIRECTORY45");
    // Joliet records are longer (56 bytes): 35 fit into the first sector, the tail is zero.
    const size_t jolietRoot = static_cast<size_t>(RecordAt(SectorOf(image, 18), 156).Extent) * 2048;
    EXPECT_EQ(Burner.RootDir()->JolietSize, 4096);
    EXPECT_EQ(Records(image.substr(jolietRoot, 2048)).size(), 2u + 35u);
    EXPECT_EQ(image.substr(jolietRoot + 68 + 35 * 56, 2048 - 68 - 35 * 56), std::string(2048 - 68 - 35 * 56, '\0'));
}

TEST_F(VolumeLayoutTest, PathTableOfExactly4096BytesTakesTwoSectors) {
    // 10 + 227 x (8 + 10) = 4096 bytes.
    for (int i = 0; i < 227; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "\\DIR%06d", i);
        ASSERT_NE(Burner.CreateDirPath(name), nullptr);
    }
    const std::string image = Header();
    const std::string primary = SectorOf(image, 16);
    const std::string joliet = SectorOf(image, 18);
    EXPECT_EQ(Little32(primary, 132), 4096u);
    EXPECT_EQ(Little32(primary, 140), 20u);
    EXPECT_EQ(Big32(primary, 148), 22u);
    EXPECT_EQ(Little32(joliet, 140), 24u);  // the M table needs no padding sector
    EXPECT_EQ(Little32(joliet, 132), 10u + 227u * 26u);
    EXPECT_EQ(Big32(joliet, 148), 27u);
    // The M table starts with the root record pointing at the directory area (sector 30).
    EXPECT_EQ(image.substr(22 * 2048, 10), std::string("\x01\x00\x00\x00\x00\x1E\x00\x01\x00\x00", 10));
}

TEST_F(VolumeLayoutTest, StartSector12000GivesAbsoluteExtents) {
    Burner.InsertFile("\\", Scratch.Write("a.txt", "a"), false);
    Burner.StartSector = 12000;
    Burner.LayOutImage();
    const std::string image = Burner.HeaderStream();
    EXPECT_EQ(Burner.TrackSectors(), 27);
    const std::string primary = SectorOf(image, 16);  // sector 12016 of the disc
    EXPECT_EQ(Little32(primary, 140), 12020u);
    EXPECT_EQ(RecordAt(primary, 156).Extent, 12024u);
    const auto records = Records(SectorOf(image, 24));
    EXPECT_EQ(records[0].Extent, 12024u);
    EXPECT_EQ(records[2].Extent, 12026u);
}

TEST_F(VolumeLayoutTest, DriveOutputWithoutADriveStartsAtSectorZero) {
    std::vector<std::string>& messages = CaptureMessages(Burner);
    EXPECT_TRUE(Burner.PrepareImage(false));
    EXPECT_EQ(Burner.StartSector, 0u);
    EXPECT_TRUE(Burner.DoDebug);
    EXPECT_EQ(std::count(messages.begin(), messages.end(), "0:>>> ERROR GETTING NEXT WRITABLE ADDRESS"), 1);
}

} // namespace
