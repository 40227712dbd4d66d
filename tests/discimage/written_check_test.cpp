// Hashing what a job writes, comparing what is read back, and naming where bad blocks lie.
#include "disc_test_support.h"
#include "written_check.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr int64_t kSector = 2048;

uint64_t PortableHash(const char* sector) {
    uint64_t hash = 0;
    HashSectorsPortable(sector, 1, &hash);
    return hash;
}

TEST(SectorHashTest, AnyChangedByteChangesTheHash) {
    const std::string sector = PatternBytes(kSector, 4);
    for (const auto hashOf : {&SectorHash, &PortableHash}) {
        const uint64_t hash = hashOf(sector.data());
        for (const size_t at : {size_t{0}, size_t{7}, size_t{8}, size_t{31}, size_t{1000}, size_t{2047}}) {
            std::string changed = sector;
            changed[at] = static_cast<char>(changed[at] ^ 0x01);
            EXPECT_NE(hashOf(changed.data()), hash) << "byte " << at;
        }
    }
}

// Whichever build the processor runs gives the hashes of the portable one, sector by sector.
TEST(SectorHashTest, EveryBuildGivesTheSameHashes) {
    constexpr int64_t kSectors = 67;  // more than one batch of a read back
    const std::string data = PatternBytes(kSectors * kSector, 9);
    std::vector<uint64_t> hashes(kSectors), portable(kSectors);
    HashSectors(data.data(), kSectors, hashes.data());
    HashSectorsPortable(data.data(), kSectors, portable.data());
    EXPECT_EQ(hashes, portable);
    EXPECT_NE(portable[0], portable[1]);
    EXPECT_EQ(SectorHash(data.data() + 66 * kSector), portable[66]);
}

// A laid-out image with two photos, checked against itself with some sectors damaged.
class WrittenCheckTest : public ::testing::Test {
protected:
    TScratchDir Scratch;
    TMCDBurner Burner;
    std::string Image;
    TWrittenCheck Check;

    void SetUp() override {
        Burner.CreateDirPath("\\Images");
        Burner.InsertFile("\\Images", Scratch.Write("first.jpg", PatternBytes(3 * kSector, 1)), false);
        Burner.InsertFile("\\Images", Scratch.Write("second.jpg", PatternBytes(5 * kSector + 9, 2)), false);
        ASSERT_EQ(WriteImage(Burner, Scratch.Path() + "/disc.iso"), "");
        Image = ReadBytes(Scratch.Path() + "/disc.iso");
        Check.AddWritten(Image.data(), static_cast<int64_t>(Image.size()));
    }

    int64_t Sectors() const { return static_cast<int64_t>(Image.size()) / kSector; }
    void Damage(int64_t sector) { Image[static_cast<size_t>(sector * kSector + 100)] ^= 0x40; }
    int64_t SecondPhotoStart() const { return Burner.FileAreaStart() + 3; }
};

TEST_F(WrittenCheckTest, AnUnchangedImageHasNoBadBlocks) {
    Check.CheckRead(0, Image.data(), Sectors());
    EXPECT_EQ(Check.BadSectors(), 0);
    EXPECT_EQ(Check.FirstBadSector(), -1);
}

TEST_F(WrittenCheckTest, DamagedBlocksAreCountedAndTheFirstIsNamedByItsFile) {
    Damage(SecondPhotoStart() + 5);  // the last, partly filled sector of the photo
    Damage(SecondPhotoStart() + 1);
    Check.CheckRead(0, Image.data(), Sectors());
    EXPECT_EQ(Check.BadSectors(), 2);
    EXPECT_EQ(Check.FirstBadSector(), SecondPhotoStart() + 1);
    EXPECT_EQ(VerifyFailureText(Burner, Check), "VERIFICATION FAILED: 2 BAD BLOCKS, FIRST IN \"\\Images\\second.jpg\"");
}

TEST_F(WrittenCheckTest, SectorsOutsideTheFilesBelongToTheVolumeStructure) {
    struct TCase {
        int64_t Sector;
        std::string Owner;
    };
    const int64_t files = Burner.FileAreaStart();
    for (const TCase& c : {TCase{16, "volume structure"}, TCase{files - 1, "volume structure"},
                           TCase{files, "\\Images\\first.jpg"}, TCase{files + 2, "\\Images\\first.jpg"},
                           TCase{files + 3, "\\Images\\second.jpg"}, TCase{files + 9, "volume structure"}})
        EXPECT_EQ(SectorOwner(Burner, c.Sector), c.Owner) << "sector " << c.Sector;
}

TEST_F(WrittenCheckTest, UnreadableAndMissingSectorsAreBad) {
    Check.CheckRead(0, Image.data(), 16);
    Check.MarkUnreadable(16, 1);
    EXPECT_EQ(VerifyFailureText(Burner, Check), "VERIFICATION FAILED: 1 BAD BLOCK, FIRST IN volume structure");
    // More sectors read back than were written: the extra ones are not what was written.
    TWrittenCheck shortCheck;
    shortCheck.AddWritten(Image.data(), kSector);
    shortCheck.CheckRead(0, Image.data(), 2);
    EXPECT_EQ(shortCheck.BadSectors(), 1);
}

} // namespace
