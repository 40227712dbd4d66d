// The SG_IO pass-through layer, driven through stand-in device nodes.
#include "cd_writers.h"
#include "fake_nodes.h"
#include "scsi_device.h"
#include "transport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <unistd.h>

namespace {

class PassThrough : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(chdir(::testing::TempDir().c_str()), 0);  // no library in reach
        SetDeviceNodes(&Nodes);
    }
    void TearDown() override
    {
        CloseAfterCommand = false;
        StopTransport();
        SetDeviceNodes(nullptr);
    }

    // D at host 1 target 0, E and G without an address, F opens read-only at host 0 target 3.
    void FourDrives()
    {
        TFakeDrive readOnly = DriveAt('F', 0, 3);
        readOnly.ReadOnly = true;
        Nodes.Drives = {DriveAt('D', 1, 0), DriveWithoutAddress('E'), readOnly, DriveWithoutAddress('G')};
    }

    static SRB_ExecSCSICmd Command(uint8_t HaId, uint8_t Target, std::initializer_list<uint8_t> Cdb)
    {
        SRB_ExecSCSICmd srb{};
        srb.SRB_Cmd = SC_EXEC_SCSI_CMD;
        srb.SRB_HaId = HaId;
        srb.SRB_Target = Target;
        srb.SRB_SenseLen = SENSE_LEN;
        srb.SRB_CDBLen = uint8_t(Cdb.size());
        std::copy(Cdb.begin(), Cdb.end(), srb.CDBByte);
        return srb;
    }

    TFakeNodes Nodes;
};

TEST_F(PassThrough, DrivesWithoutAddressGoToAnExtraAdapterInLetterOrder)
{
    FourDrives();
    TSCSIDevice device;
    std::vector<std::string> trace;
    device.OnDebugMessage = [&](TSCSIDevice*, const std::string& line, uint8_t) { trace.push_back(line); };
    ASSERT_TRUE(device.InitializeASPI(true));
    EXPECT_EQ(TransportName(), "PTASPI32");
    EXPECT_EQ(GetASPI32SupportInfo(), 0x0103u);
    const std::vector<std::string> expected = {
        "0:3:0,F: FAKE    CD WRITER       1.00",
        "1:0:0,D: FAKE    CD WRITER       1.00",
        "2:0:0,?: FAKE    CD WRITER       1.00",
        "2:1:0,?: FAKE    CD WRITER       1.00",
    };
    EXPECT_EQ(device.DeviceList(), expected);
    ASSERT_GE(trace.size(), 2u);
    EXPECT_EQ(trace[0], ">>> PTASPI32");
    EXPECT_EQ(trace[1], ">>> FOTOLARK SG_IO   (SPTI 0)");
    EXPECT_EQ(Nodes.OpenHandles, 0);  // probing handles are closed again
}

TEST_F(PassThrough, DeviceNodesOfListedDrives)
{
    FourDrives();
    TSCSIDevice device;
    ASSERT_TRUE(device.InitializeASPI(true));
    EXPECT_EQ(DeviceNodeOf(device.DeviceList()[0]), "/dev/sr2");  // F:
    EXPECT_EQ(DeviceNodeOf(device.DeviceList()[1]), "/dev/sr0");  // D:
    EXPECT_EQ(DeviceNodeOf(device.DeviceList()[2]), "");          // letter unknown
}

TEST_F(PassThrough, SkipsDrivesThatCannotBeProbed)
{
    TFakeDrive silent = DriveAt('E', 0, 1);
    silent.InquiryFails = true;
    Nodes.Drives = {DriveAt('D', 0, 0), silent};
    EXPECT_EQ(PassThroughEnumerate(), 1);
    EXPECT_EQ(PassThroughEnumerate(), 0);  // enumerates once until reset
}

TEST_F(PassThrough, InquiryIsAnsweredFromTheTableWithoutIO)
{
    FourDrives();
    ASSERT_TRUE(StartTransport(true));
    const size_t probes = Nodes.Commands.size();
    uint8_t data[128];
    std::memset(data, 0xEE, sizeof data);
    SRB_ExecSCSICmd srb = Command(2, 1, {0x12, 0, 0, 0, 128, 0});
    srb.SRB_BufPointer = data;
    srb.SRB_BufLen = sizeof data;
    EXPECT_EQ(SendASPI32Command(&srb), SS_COMP);
    EXPECT_EQ(data[0], 0x05);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(data + 8), 8), "FAKE    ");
    EXPECT_EQ(data[36], 0xEE);  // 36 bytes only
    EXPECT_EQ(Nodes.Commands.size(), probes);

    uint8_t small[8];
    srb.SRB_BufPointer = small;
    srb.SRB_BufLen = sizeof small;  // a short buffer gets no more than it holds
    EXPECT_EQ(SendASPI32Command(&srb), SS_COMP);
}

TEST_F(PassThrough, AdapterInquiryDeviceTypeAndDiskInformation)
{
    FourDrives();
    ASSERT_TRUE(StartTransport(true));
    SRB_HAInquiry inquiry{};
    inquiry.SRB_Cmd = SC_HA_INQUIRY;
    inquiry.SRB_HaId = 2;
    EXPECT_EQ(SendASPI32Command(&inquiry), SS_COMP);
    EXPECT_EQ(inquiry.HA_Count, 3);
    EXPECT_EQ(std::string(inquiry.HA_Identifier), "SPTI 2");
    EXPECT_EQ(inquiry.HA_Unique[0], 0x07);
    EXPECT_EQ(inquiry.HA_Unique[3], 8);
    uint32_t maxTransfer;
    std::memcpy(&maxTransfer, inquiry.HA_Unique + 4, 4);
    EXPECT_EQ(maxTransfer, 0x00FF0000u);
    inquiry.SRB_HaId = 3;
    EXPECT_EQ(SendASPI32Command(&inquiry), SS_INVALID_HA);

    SRB_GDEVBlock type{};
    type.SRB_Cmd = SC_GET_DEV_TYPE;
    type.SRB_HaId = 1;
    EXPECT_EQ(SendASPI32Command(&type), SS_COMP);
    EXPECT_EQ(type.SRB_DeviceType, 0x05);
    type.SRB_Target = 5;
    EXPECT_EQ(SendASPI32Command(&type), SS_NO_DEVICE);
    EXPECT_EQ(type.SRB_DeviceType, 0x1F);

    SRB_GetDiskInfo disk{};
    disk.SRB_Cmd = SC_GET_DISK_INFO;
    disk.SRB_HaId = 1;
    EXPECT_EQ(SendASPI32Command(&disk), SS_PENDING);
    SRB_ExecSCSICmd nobody = Command(0, 7, {0x00, 0, 0, 0, 0, 0});
    EXPECT_EQ(SendASPI32Command(&nobody), SS_NO_DEVICE);
}

// The adapter's maximum transfer is 16 MB less 64 KiB unless the system moves less for one of
// its drives in one command.
TEST_F(PassThrough, AdapterInquiryReportsTheSmallestTransferLimitOfItsDrives)
{
    TFakeDrive small = DriveAt('D', 0, 0), large = DriveAt('E', 0, 1), huge = DriveAt('F', 1, 0);
    small.TransferLimit = 120 * 1024;
    large.TransferLimit = 1280 * 1024;
    huge.TransferLimit = 32 * 1024 * 1024;
    Nodes.Drives = {small, large, huge, DriveAt('G', 2, 0)};
    ASSERT_TRUE(StartTransport(true));
    const uint32_t expected[] = {120 * 1024, 0x00FF0000, 0x00FF0000};
    for (uint8_t adapter = 0; adapter < 3; ++adapter) {
        SCOPED_TRACE(int(adapter));
        SRB_HAInquiry inquiry{};
        inquiry.SRB_Cmd = SC_HA_INQUIRY;
        inquiry.SRB_HaId = adapter;
        ASSERT_EQ(SendASPI32Command(&inquiry), SS_COMP);
        uint32_t maxTransfer;
        std::memcpy(&maxTransfer, inquiry.HA_Unique + 4, 4);
        EXPECT_EQ(maxTransfer, expected[adapter]);
    }
}

TEST_F(PassThrough, ExecuteMapsTheSgIoOutcome)
{
    Nodes.Drives = {DriveAt('D', 0, 0)};
    ASSERT_TRUE(StartTransport(true));
    struct TCase {
        bool CallSucceeds;
        uint8_t ScsiStatus;
        uint16_t HostStatus;
        uint8_t SenseLength;
        uint8_t Status;
        uint8_t HaStat;
    };
    const TCase cases[] = {
        {true, 0, 0, 0, SS_COMP, 0},
        {true, 0, 0, 32, SS_COMP, 0},   // a full sense buffer with GOOD status counts as complete
        {true, 2, 0, 18, SS_ERR, 0},
        {true, 0, 0, 18, SS_ERR, 0},
        {true, 0, 0x03, 0, SS_ERR, HASTAT_TIMEOUT},  // the kernel timed the command out
        {false, 0, 0, 0, SS_ERR, 0},
    };
    for (const TCase& c : cases) {
        unsigned timeout = 0;
        Nodes.Answer = [&](sg_io_hdr_t& io) {
            timeout = io.timeout;
            io.status = c.ScsiStatus;
            io.host_status = c.HostStatus;
            io.sb_len_wr = c.SenseLength;
            if (c.SenseLength)
                static_cast<uint8_t*>(io.sbp)[2] = 0x05;
            return c.CallSucceeds;
        };
        SRB_ExecSCSICmd srb = Command(0, 0, {0x00, 0, 0, 0, 0, 0});
        EXPECT_EQ(SendASPI32Command(&srb), c.Status);
        EXPECT_EQ(srb.SRB_HaStat, c.HaStat);
        EXPECT_EQ(timeout, 120000u);
        if (c.Status == SS_ERR) {
            EXPECT_EQ(srb.SRB_TargStat, c.ScsiStatus);
            EXPECT_EQ(srb.SenseArea[2], c.SenseLength ? 0x05 : 0x00);
        }
    }
}

TEST_F(PassThrough, HandlesStayOpenUnlessClosedAfterEachCommandOrRestarted)
{
    Nodes.Drives = {DriveAt('D', 0, 0), DriveAt('E', 0, 1)};
    ASSERT_TRUE(StartTransport(true));
    const int opensAfterProbing = Nodes.Opens;
    SRB_ExecSCSICmd first = Command(0, 0, {0x00, 0, 0, 0, 0, 0});
    SRB_ExecSCSICmd second = Command(0, 1, {0x00, 0, 0, 0, 0, 0});
    SendASPI32Command(&first);
    SendASPI32Command(&first);
    SendASPI32Command(&second);
    EXPECT_EQ(Nodes.Opens - opensAfterProbing, 2);
    EXPECT_EQ(Nodes.OpenHandles, 2);

    RestartTransport();
    EXPECT_EQ(Nodes.OpenHandles, 0);
    EXPECT_EQ(TransportName(), "PTASPI32");
    const int opensAfterRestart = Nodes.Opens;
    SendASPI32Command(&first);
    EXPECT_EQ(Nodes.Opens - opensAfterRestart, 1);  // the next request opens the drive again

    CloseAfterCommand = true;
    SendASPI32Command(&first);
    SendASPI32Command(&first);
    EXPECT_EQ(Nodes.OpenHandles, 0);
    EXPECT_EQ(Nodes.Opens - opensAfterRestart, 2);  // the second request had to open it again
}

TEST_F(PassThrough, PreferredWithoutDrivesOrLibraryFailsAfterOneEnumeration)
{
    EXPECT_FALSE(StartTransport(true));
    EXPECT_FALSE(TransportInitialized());
    EXPECT_EQ(Nodes.CDDriveQueries, 24);  // C to Z, once
    EXPECT_EQ(GetASPI32SupportInfo(), 0xE800u);
}

TEST_F(PassThrough, PreferredDrivesWinOverAPresentLibrary)
{
    ASSERT_EQ(chdir(VIRTUAL_RECORDER_DIR), 0);
    Nodes.Drives = {DriveAt('D', 0, 0)};
    ASSERT_TRUE(StartTransport(true));
    EXPECT_EQ(TransportName(), "PTASPI32");
}

}  // namespace
