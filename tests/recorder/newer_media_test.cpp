// DVD+R, DVD+R DL and Blu-ray media in the drive model, against the virtual recorder: how
// they are recognised, named and measured, and how a BD-RE gets its first format.
#include "virtual_bus.h"

namespace {

using NewerMedia = TVirtualBusTest;

TEST_F(NewerMedia, EachIsRecognisedNamedAndMeasured)
{
    const struct {
        const char* Drive;
        uint16_t Type;
        const char* Name;
        uint32_t Free;
    } cases[] = {
        {"medium=dvdplusr", dtDVDPlusR, "DVD+R", 2295104},
        {"medium=dvdplusrdl", dtDVDPlusRDL, "DVD+R DL", 4173824},
        {"medium=bdr", dtBDR, "BD-R", 12219392},
        {"medium=bdre", dtBDRE, "BD-RE", 11826176},  // what the first format will leave
        {"medium=bdre-formatted", dtBDRE, "BD-RE", 11826176},
        {"medium=bdrom", dtBDROM, "BD-ROM", 0},  // pressed: nothing to write on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Drive);
        SelectOnly(c.Drive);
        const uint16_t type = Device->GetDiscType();
        EXPECT_EQ(type, c.Type);
        EXPECT_STREQ(DiscTypeName(type), c.Name);
        TSCSIDevice::CurrentDiscType = type;
        EXPECT_EQ(Device->FreeBlocks(), c.Free);
        EXPECT_TRUE(Log("CDB 55").empty()) << "these discs have no write parameters page";
        EXPECT_FALSE(Device->CanTestWrite(type)) << "nor test writes";
        StopTransport();
    }
    TSCSIDevice::CurrentDiscType = dtUnknown;
}

// DVD+R and BD-R are appended to at the next writable address of their invisible track.
TEST_F(NewerMedia, TheInvisibleTrackGivesTheStartAndTheFreeBlocks)
{
    SelectOnly("medium=dvdplusr");
    TSCSIDevice::CurrentDiscType = dtDVDPlusR;
    ASSERT_TRUE(Device->NextWritableAddress());
    EXPECT_EQ(Device->StartSector, 0u);
    EXPECT_EQ(Log("CDB 52 01 00 00 00 FF").size(), 1u);
    Device->FreeBlocks();
    EXPECT_EQ(Log("CDB 52 01 00 00 00 FF").size(), 2u);
    EXPECT_TRUE(Log("CDB 52 01 00 00 00 01").empty());
    TSCSIDevice::CurrentDiscType = dtUnknown;
}

TEST_F(NewerMedia, AnUnformattedBdreIsFormattedQuicklyOnce)
{
    SelectOnly("medium=bdre,formatbusy=2");
    TSCSIDevice::CurrentDiscType = dtBDRE;
    EXPECT_TRUE(Device->NeedsFormat());
    ASSERT_TRUE(Device->QuickFormat());
    // FmtData with format code 001b; FOV and IMMED; one descriptor of 11,826,176 blocks, type 30h.
    const auto formats = Log("CDB 04 11 00 00 00 00");
    ASSERT_EQ(formats.size(), 1u);
    EXPECT_NE(formats[0].find("OUT 00 82 00 08 00 B4 74 00 C0 00 00 00"), std::string::npos) << formats[0];
    uint8_t block[2048] = {};
    EXPECT_FALSE(Device->Write10(0, 1, block, sizeof block)) << "the drive formats on its own meanwhile";
    EXPECT_EQ(Device->SenseData()[12], 0x04);
    EXPECT_TRUE(Device->WaitReady(10000, 1000));
    EXPECT_FALSE(Device->NeedsFormat());
    EXPECT_TRUE(Device->Write10(0, 1, block, sizeof block)) << Device->LastError();

    SelectOnly("medium=bdre");
    uint8_t unformatted[2048] = {};
    EXPECT_FALSE(Device->Write10(0, 1, unformatted, sizeof unformatted));
    EXPECT_EQ(Device->LastError().empty(), false);
    SelectOnly("medium=dvdplusr");
    EXPECT_FALSE(Device->QuickFormat()) << "only a BD-RE has a format with spare areas";
    TSCSIDevice::CurrentDiscType = dtUnknown;
}

TEST_F(NewerMedia, WriteFeaturesNameWhatTheDriveWrites)
{
    const struct {
        const char* Drive;
        uint8_t Features;
    } cases[] = {
        {"medium=cdr", 0},
        {"plusr=1", wfDVDPlusR | wfDVDPlusRDL},
        {"medium=bdr", wfBDR | wfBDRE},
        {"plusr=1,bd=1", wfDVDPlusR | wfDVDPlusRDL | wfBDR | wfBDRE},
        {"plusr=1,bd=1,getconfig=0", 0},
    };
    for (const auto& c : cases) {
        SelectOnly(c.Drive);
        EXPECT_EQ(Device->ReadWriteFeatures(), c.Features) << c.Drive;
    }
}

}  // namespace
