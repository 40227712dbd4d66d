// Drive commands and the drive/disc model, against the virtual recorder.
#include "virtual_bus.h"

#include <sstream>

namespace {

using DriveModel = TVirtualBusTest;

// Bytes 2, 3 and 4 of the write parameters page in the last MODE SELECT the drive received.
std::string SentPageBytes(const std::vector<std::string>& Selects)
{
    if (Selects.empty())
        return "none";
    const std::string& line = Selects.back();
    // "OUT" then the 8-byte header, then the page: its bytes 2-4 are list bytes 10-12.
    size_t out = line.find(" OUT ");
    return line.substr(out + 5 + 10 * 3, 8);
}

TEST_F(DriveModel, CapabilitiesAndSpeedsFromPage2A)
{
    SelectOnly("maxwrite=7056,maxread=7056,buffer=2048,page30=0");
    EXPECT_EQ(Device->DeviceMaxWriteSpeed(), 40);
    EXPECT_EQ(Device->DeviceMaxReadSpeed(), 40);
    EXPECT_EQ(Device->DeviceBufferSize, 2048u);
    const uint16_t caps = Device->Capabilities();
    EXPECT_TRUE(caps & cpCDRWrite);
    EXPECT_TRUE(caps & cpCDRWWrite);
    EXPECT_TRUE(caps & cpTestWrite);
    EXPECT_TRUE(caps & cpDVDRWrite);
    EXPECT_FALSE(caps & cpDVDRAMWrite);
    EXPECT_TRUE(caps & cpUnderrunProtection);  // page byte 4 bit 7
    EXPECT_EQ(Device->CapabilityPage().MaxWriteSpeed, 7056);
    EXPECT_EQ(Device->CapabilityPage().Bytes[0], 0x2A);

    Device->SetWriteSpeed(16);
    EXPECT_EQ(Device->WriteSpeed(), 16);
    EXPECT_EQ(Device->CurrentWriteSpeed(), 16);  // 2832 KB/s
}

TEST_F(DriveModel, UnderrunProtectionFromPage30OrNotAtAll)
{
    SelectOnly("buf=0,page30=0");
    EXPECT_FALSE(Device->Capabilities() & cpUnderrunProtection);
    EXPECT_TRUE(Device->SetWriteParameters(false, true, dtCDR));
    EXPECT_EQ(SentPageBytes(Log("CDB 55")), "01 04 08");  // never BUFE without the capability

    SelectOnly("buf=0,page30=1");
    EXPECT_TRUE(Device->Capabilities() & cpUnderrunProtection);
}

TEST_F(DriveModel, FailingCapabilityPage)
{
    SelectOnly("failpage2a=1");
    EXPECT_FALSE(Device->ReadCapabilities());
    EXPECT_EQ(Device->Capabilities(), 0);
    EXPECT_EQ(Device->DeviceMaxWriteSpeed(), 0);

    SelectOnly("failpage2a=defaults,maxwrite=1764");
    EXPECT_TRUE(Device->ReadCapabilities());
    EXPECT_EQ(Device->Capabilities(), 0);          // bits come from the default values only
    EXPECT_EQ(Device->DeviceMaxWriteSpeed(), 10);  // raised from the current values
}

TEST_F(DriveModel, DvdRamWriterReportsSingleSpeedPage)
{
    SelectOnly("dvdram=1,maxwrite=5540");
    EXPECT_TRUE(Device->Capabilities() & cpDVDRAMWrite);
    EXPECT_EQ(Device->CapabilityPage().MaxWriteSpeed, 177);
    EXPECT_EQ(Device->CapabilityPage().CurrentWriteSpeed, 177);
    EXPECT_EQ(Device->DeviceMaxWriteSpeed(), 31);
}

TEST_F(DriveModel, ModelQuirksFromTheProduct)
{
    struct TCase {
        const char* Product;
        bool LinkSize, SlowFinalize, CloseImmediate;
        const char* Byte2;  // of the write parameters for a CD-R with underrun protection
    };
    const TCase cases[] = {
        {"CRX175E", true, false, true, "61"},
        {"CD-RW  CRX800E", true, false, true, "61"},
        {"CD-RW CRX800E", false, false, true, "41"},
        {"CDRW321040X", false, false, false, "41"},
        {"DVD-RW  DVR-104", false, true, true, "41"},
        {"DVD-RW  DVR-104X", false, false, true, "41"},
    };
    for (const TCase& c : cases) {
        SelectOnly(std::string("product=") + c.Product);
        EXPECT_EQ(Device->LinkSizeQuirk(), c.LinkSize) << c.Product;
        EXPECT_EQ(Device->SlowFinalizeQuirk(), c.SlowFinalize) << c.Product;
        EXPECT_EQ(TSCSIDevice::CloseImmediate, c.CloseImmediate) << c.Product;
        Device->SetWriteParameters(false, true, dtCDR);
        EXPECT_EQ(SentPageBytes(Log("CDB 55")).substr(0, 2), c.Byte2) << c.Product;
        StopTransport();
    }
    SelectOnly("product=CRX175E,buf=0,page30=0");
    Device->SetWriteParameters(false, true, dtCDR);
    EXPECT_EQ(SentPageBytes(Log("CDB 55")).substr(0, 2), "21");
}

TEST_F(DriveModel, SlowFinalizeDriveAlwaysGetsUnderrunProtectionOnCd)
{
    SelectOnly("product=DVD-RW  DVR-103,buf=0");
    EXPECT_TRUE(Device->Capabilities() & cpUnderrunProtection);
    Device->FinalizeDisc = false;
    Device->SetWriteParameters(false, false, dtCDR);
    EXPECT_EQ(SentPageBytes(Log("CDB 55")), "41 C4 08");
}

TEST_F(DriveModel, WriteParameterBytes)
{
    struct TCase {
        const char* Drive;
        bool FinalizeDisc, TestWrite, Underrun;
        uint16_t DiscType;
        const char* Bytes;  // page bytes 2, 3 and 4
    };
    const TCase cases[] = {
        {"medium=cdr", true, false, true, dtCDR, "41 04 08"},
        {"medium=cdr", false, false, true, dtCDR, "41 C4 08"},
        {"medium=cdr", false, true, true, dtCDR, "51 04 08"},   // a test write allows no next session
        {"medium=cdr", true, true, false, dtCDR, "11 04 08"},
        {"medium=cdr,testwrite=0", true, true, true, dtCDR, "41 04 08"},  // no test without the capability
        {"medium=dvdr", true, false, true, dtDVDR, "42 05 08"},
        {"medium=dvdr", false, false, false, dtDVDRW, "02 05 08"},
        {"medium=dvdrw", true, true, true, dtDVDRWSeq, "52 05 08"},
    };
    for (const TCase& c : cases) {
        SelectOnly(c.Drive);
        Device->FinalizeDisc = c.FinalizeDisc;
        EXPECT_TRUE(Device->SetWriteParameters(c.TestWrite, c.Underrun, c.DiscType)) << c.Drive << " " << c.Bytes;
        const auto selects = Log("CDB 55");
        EXPECT_EQ(SentPageBytes(selects), c.Bytes) << c.Drive;
        EXPECT_NE(selects.back().find("CDB 55 10 00 00 00 00 00 00 3C 00"), std::string::npos);
        EXPECT_EQ(Device->WriteParametersPage()[1], 0x32);
        StopTransport();
    }
}

TEST_F(DriveModel, DvdRamGetsNoWriteParameters)
{
    SelectOnly("dvdram=1,medium=dvdram");
    EXPECT_TRUE(Device->SetWriteParameters(false, true, dtDVDRAM));
    EXPECT_TRUE(Log("CDB 55").empty());
    EXPECT_TRUE(Log("CDB 5A 00 05").empty());
}

TEST_F(DriveModel, DiscTypeOfEveryMedium)
{
    struct TCase {
        const char* Drive;
        uint16_t Type;
    };
    const TCase cases[] = {
        {"medium=none", dtUnknown}, {"medium=cdrom", dtCDROM}, {"medium=cdr", dtCDR}, {"medium=cdrw", dtCDRW},
        {"medium=closed", dtCDR}, {"medium=cdr-appendable", dtCDR}, {"medium=dvdr", dtDVDR},
        {"medium=dvdrw", dtDVDRW},  // profile 0014h
        {"dvdram=1,medium=dvdram", dtDVDRAM}, {"medium=dvdplusrw", dtDVDPlusRW},
        // Older drives without GET CONFIGURATION: the ATIP, then the disc information decide.
        {"getconfig=0,medium=cdr", dtCDR}, {"getconfig=0,medium=cdrw", dtCDRW},
        {"getconfig=0,medium=dvdrw", dtCDRW}, {"getconfig=0,medium=none", dtUnknown},
    };
    for (const TCase& c : cases) {
        SelectOnly(c.Drive);
        EXPECT_EQ(Device->GetDiscType(), c.Type) << c.Drive;
        StopTransport();
    }
    EXPECT_STREQ(DiscTypeName(dtDVDRWSeq), "DVD-RW");
    EXPECT_STREQ(DiscTypeName(dtDVDPlusRW), "DVD+RW");
    EXPECT_STREQ(DiscTypeName(99), "UNKNOWN");
}

TEST_F(DriveModel, FreeBlocksReadTheInvisibleTrackOnCdAndTrackOneOnDvd)
{
    SelectOnly("medium=cdr");
    EXPECT_EQ(Device->FreeBlocks(), 333000u);
    EXPECT_EQ(Log("CDB 52 01 00 00 00 FF").size(), 1u);

    SelectOnly("medium=dvdr");
    EXPECT_EQ(Device->FreeBlocks(), 2298496u);
    EXPECT_EQ(Log("CDB 52 01 00 00 00 01").size(), 1u);
    EXPECT_TRUE(Log("CDB 52 01 00 00 00 FF").empty());

    SelectOnly("medium=closed");
    EXPECT_EQ(Device->FreeBlocks(), 0u);  // neither the invisible track nor track 2 exists
}

TEST_F(DriveModel, NextWritableAddressAndSessions)
{
    SelectOnly("medium=cdr");
    Device->StartSector = 99;
    EXPECT_TRUE(Device->NextWritableAddress());
    EXPECT_EQ(Device->StartSector, 0u);
    EXPECT_EQ(Device->LastSessionNumber(), 0);

    SelectOnly("medium=cdr-appendable");
    EXPECT_TRUE(Device->NextWritableAddress());
    EXPECT_EQ(Device->StartSector, 31400u);
    EXPECT_EQ(Device->TrackInfo().NextWritableAddress, 31400u);
    EXPECT_EQ(Device->TrackInfo().FreeBlocks, 333000u - 31400);
    EXPECT_EQ(Device->LastSessionNumber(), 1);

    SelectOnly("medium=none");
    Device->StartSector = 99;
    EXPECT_FALSE(Device->NextWritableAddress());
    EXPECT_EQ(Device->StartSector, 0u);
}

TEST_F(DriveModel, TestWritesOnlyWhereTheDriveCanMakeThemOnTheDisc)
{
    const struct {
        const char* Drive;
        bool Can;
    } cases[] = {
        {"medium=cdr", true},
        {"medium=cdrw", true},
        {"medium=cdr,testwrite=0", false},
        {"medium=cdr,getconfig=0", true},  // an older drive tells in page 2Ah
        {"medium=cdr,getconfig=0,testwrite=0", false},
        {"medium=dvdr", true},
        {"medium=dvdrw,testwrite=0", false},
        {"medium=dvdplusrw", false},  // MMC has no test write for these discs
        {"medium=dvdram,dvdram=1", false},
        {"medium=cdrom", false},
    };
    for (const auto& c : cases) {
        SelectOnly(c.Drive);
        EXPECT_EQ(Device->CanTestWrite(Device->GetDiscType()), c.Can) << c.Drive;
    }
}

TEST_F(DriveModel, WaitReadyGivesUpAtTheEleventhBudgetTest)
{
    SelectOnly("notready=1000000");
    EXPECT_FALSE(Device->WaitReady(10000, 1000));
    EXPECT_EQ(Device->Pauses, 11);

    SelectOnly("notready=3");
    EXPECT_TRUE(Device->WaitReady(10000, 1000));
}

TEST_F(DriveModel, WaitReadySkipsDiscInformationForDvdRam)
{
    SelectOnly("dvdram=1,medium=dvdram");
    TSCSIDevice::CurrentDiscType = dtDVDRAM;
    EXPECT_TRUE(Device->WaitReady(10000, 1000));
    TSCSIDevice::CurrentDiscType = dtUnknown;
    EXPECT_TRUE(Log("CDB 51").empty());
}

TEST_F(DriveModel, SpeedsAreSentAsMultiplesOf177)
{
    SelectOnly("medium=cdr");
    Device->SetWriteSpeed(16);
    Device->SetWriteSpeed(0);
    Device->ReadSpeed = 2;
    Device->SetWriteSpeed(1);
    const auto speeds = Log("CDB BB");
    ASSERT_EQ(speeds.size(), 3u);
    EXPECT_NE(speeds[0].find("CDB BB 00 FF FF 0B 10 00"), std::string::npos);
    EXPECT_NE(speeds[1].find("CDB BB 00 FF FF FF FF 00"), std::string::npos);
    EXPECT_NE(speeds[2].find("CDB BB 00 01 62 00 B1 00"), std::string::npos);
}

TEST_F(DriveModel, DvdrPreparationIsAccepted)
{
    SelectOnly("medium=dvdr");
    const auto descriptor = DVDRPerformanceDescriptor();
    EXPECT_TRUE(Device->SetStreaming(descriptor.data(), descriptor.size()));
    std::tm when{};
    when.tm_year = 2026 - 1900;
    when.tm_mon = 11;
    when.tm_mday = 10;
    when.tm_hour = 14;
    when.tm_min = 5;
    when.tm_sec = 9;
    EXPECT_TRUE(Device->SendTimeStamp(when));
    EXPECT_TRUE(Device->ReserveTrack(11));
    EXPECT_NE(Log("CDB B6")[0].find("OUT 00 00 00 00 00 00 00 00 00 23 12 7F 00 00 AB BD 00 00 03 E8 00 00 05 8A 00 00 03 E8"),
              std::string::npos);
    EXPECT_NE(Log("CDB BF 00 00 00 00 00 00 0F 00 16")[0].find(
                  "OUT 00 14 00 00 00 00 00 00 32 30 32 36 31 32 31 30 31 34 30 35 30 39"),
              std::string::npos);
    EXPECT_EQ(Log("CDB 53 00 00 00 00 00 00 00 0B 00").size(), 1u);
}

TEST_F(DriveModel, WrittenBlocksCanBeReadBackAfterClosingTheSession)
{
    SelectOnly("medium=cdr");
    ASSERT_TRUE(Device->SetWriteParameters(false, true, dtCDR));
    std::vector<uint8_t> blocks(31 * 2048, 0x77);
    ASSERT_TRUE(Device->Write10(0, 31, blocks.data(), uint32_t(blocks.size())));
    ASSERT_TRUE(Device->SynchronizeCache(120000, false));
    ASSERT_TRUE(Device->CloseTrackSession(false, true));
    EXPECT_TRUE(Device->ReadDiscInfo());
    EXPECT_EQ(Device->DiscInfo()[2] & 0x03, 0x02);  // complete: FinalizeDisc allowed no next session
    EXPECT_TRUE(Device->ReadTrackInfo(1));
    EXPECT_EQ(Device->TrackInfo().TrackSize, 31u);
    EXPECT_EQ(Device->TrackInfo().LastRecordedAddress, 30u);
    EXPECT_TRUE(Device->LoadEject(true));
    EXPECT_TRUE(Device->AllowMediumRemoval(true));
}

}  // namespace
