// TSCSIDevice: discovery, device IDs, selection, single requests, error texts and the trace.
#include "virtual_bus.h"

#include <cstring>

namespace {

using DeviceBus = TVirtualBusTest;

SRB_ExecSCSICmd TestUnitReadyBlock()
{
    SRB_ExecSCSICmd srb{};
    srb.SRB_Flags = SRB_EVENT_NOTIFY;
    srb.SRB_CDBLen = 6;
    return srb;
}

TEST_F(DeviceBus, ScanListsCdAndWriteOnceDevicesWithTheirIds)
{
    StartBus("target=0,letter=E,vendor=ACME,product=WRITER;target=1;target=2,type=04;target=3,type=00");
    const std::vector<std::string> expected = {
        "0:0:0,E: ACME    WRITER          1.00",
        "0:1:0,?: FOTOLARKVIRTUAL RECORDER1.00",
        "0:2:0,?: FOTOLARKVIRTUAL RECORDER1.00 (not supported)",
    };
    EXPECT_EQ(Device->DeviceList(), expected);
    EXPECT_EQ(Device->DeviceList()[0].substr(6, 2), "E:");
    ASSERT_GE(Trace.size(), 2u);
    EXPECT_EQ(Trace[0], ">>> WNASPI32.DLL");
    EXPECT_EQ(Trace[1], ">>> VIRTUAL ASPI     (VIRTUAL BUS 0)");
    EXPECT_EQ(Device->HaId(), TSCSIDevice::NoDevice);  // the scan restores the empty selection
    EXPECT_EQ(Device->LastError(), "");
    EXPECT_EQ(Device->AdapterCount(), 1);
}

TEST_F(DeviceBus, ComponentCreatedOnARunningTransportScansAtOnce)
{
    StartBus("target=4");
    TSCSIDevice second;
    EXPECT_EQ(second.DeviceList(), Device->DeviceList());
}

TEST_F(DeviceBus, FailedAdapterInquiryScansNothing)
{
    StartBus("target=0");
    setenv("VREC_DRIVES", "", 1);
    Device->InitializeASPI(false);  // the library now reports no adapter
    Device->HostAdapterInquiry(0);
    EXPECT_EQ(Device->AdapterCount(), -1);
    Device->ScanBus();
    EXPECT_TRUE(Device->DeviceList().empty());
}

TEST_F(DeviceBus, SelectDeviceByIdReadsTheDevice)
{
    StartBus("target=0;target=1,vendor=ACME,product=WRITER\x01X,revision=9");
    int changes = 0;
    Device->OnDeviceChange = [&](TSCSIDevice* sender) {
        EXPECT_EQ(sender, Device.get());
        ++changes;
    };
    Device->SelectDevice("0:1:0,?: whatever follows");
    EXPECT_EQ(Device->HaId(), 0);
    EXPECT_EQ(Device->Target(), 1);
    EXPECT_EQ(Device->Lun(), 0);
    EXPECT_EQ(Device->PeripheralType(), 0x05);
    EXPECT_EQ(Device->DeviceID(), "0:1:0,?: whatever follows");
    EXPECT_EQ(Device->DeviceDescription(), "ACME     WRITER X         9   ");  // control bytes become blanks
    EXPECT_EQ(changes, 1);
}

TEST_F(DeviceBus, InvalidDeviceIdsClearTheSelection)
{
    StartBus("target=0");
    struct TCase {
        const char* ID;
        bool Traced;
    };
    const TCase cases[] = {
        {"10:0:0,E: DRIVE", true},  // two-digit adapter: the third character is a colon
        {"", false},
        {"0:0", true},
        {"0:x:0", true},
        {"0:5:0", true},  // nothing answers there
    };
    for (const TCase& c : cases) {
        Device->SelectDevice("0:0:0");
        ASSERT_EQ(Device->HaId(), 0);
        Trace.clear();
        Device->SelectDevice(c.ID);
        EXPECT_EQ(Device->HaId(), TSCSIDevice::NoDevice) << c.ID;
        EXPECT_EQ(Device->Target(), TSCSIDevice::NoDevice) << c.ID;
        EXPECT_EQ(Device->DeviceID(), "") << c.ID;
        EXPECT_EQ(Device->DeviceDescription(), "") << c.ID;
        EXPECT_EQ(Device->PeripheralType(), 0x7F) << c.ID;
        EXPECT_EQ(Trace, c.Traced ? std::vector<std::string>{"INVALID DEVICE ID / NOT A CD OR DVD DRIVE"}
                                  : std::vector<std::string>{}) << c.ID;
    }
    EXPECT_EQ(TraceKinds.back(), 0);
    SRB_ExecSCSICmd srb = TestUnitReadyBlock();
    EXPECT_EQ(Device->ExecuteSRB(srb, 5000), SS_NO_ASPI);  // nothing selected: nothing is sent
    EXPECT_TRUE(Log("CDB 00").empty());
}

TEST_F(DeviceBus, SelectDriveLetterOfALibraryDrive)
{
    StartBus("target=0;target=2,letter=E");
    EXPECT_TRUE(Device->SelectDriveLetter('E'));
    EXPECT_EQ(Device->Target(), 2);
    EXPECT_FALSE(Device->SelectDriveLetter('Q'));
    EXPECT_EQ(Device->Target(), 2);  // the previous selection stays
    EXPECT_EQ(Device->DriveLetter(), 'E');
}

TEST_F(DeviceBus, LunGoesIntoTheCommandBlock)
{
    StartBus("lun=1");
    Device->SelectDevice("0:0:1");
    ASSERT_EQ(Device->Lun(), 1);
    EXPECT_FALSE(Log("0:0:1 CDB 12 20 00 00 80 00").empty());
}

TEST_F(DeviceBus, ErrorTextsFromTheDrive)
{
    StartBus("medium=none;target=1,longwrite=1");
    Device->SelectDevice("0:0:0");
    EXPECT_FALSE(Device->TestUnitReady(5000));
    EXPECT_EQ(Device->LastError(), "NOT READY (MEDIUM NOT PRESENT)");
    EXPECT_EQ(Device->SenseData()[12], 0x3A);
    EXPECT_FALSE(Device->TargetBusy());

    Device->SelectDevice("0:1:0");
    std::vector<uint8_t> block(2048);
    EXPECT_FALSE(Device->Write10(0, 1, block.data(), 2048));
    EXPECT_EQ(Device->LastError(), "NOT READY (LOGICAL UNIT NOT READY, LONG WRITE IN PROGRESS)");
    EXPECT_TRUE(Device->TestUnitReady(5000));
    EXPECT_EQ(Device->LastError(), "");
    EXPECT_EQ(Device->SenseData()[12], 0);  // a success clears the sense
}

TEST_F(DeviceBus, BusyTargetIsFlagged)
{
    StartBus("busy=1");
    Device->SelectDevice("0:0:0");
    std::vector<uint8_t> block(2048);
    EXPECT_FALSE(Device->Write10(0, 1, block.data(), 2048));
    EXPECT_EQ(Device->LastError(), "TARGET BUSY");
    EXPECT_TRUE(Device->TargetBusy());
}

TEST_F(DeviceBus, TraceLinesOnlyForCommandsThatShouldNotFail)
{
    StartBus("medium=cdr,failpage2a=1,longwrite=1");
    Trace.clear();
    Device->SelectDevice("0:0:0");  // its MODE SENSE (2Ah) fails quietly
    EXPECT_EQ(Device->HaId(), 0);
    EXPECT_TRUE(Trace.empty());
    Device->SetWriteSpeed(4);  // SET CD SPEED succeeds
    std::vector<uint8_t> block(2048, 0x5A);
    EXPECT_FALSE(Device->Write10(0, 1, block.data(), 2048));  // long write in progress: quiet
    EXPECT_TRUE(Trace.empty());
    Device->LoadEject(true);
    EXPECT_FALSE(Device->TestUnitReady(5000));  // tray open, quiet
    Device->LoadEject(false);
    Device->TestUnitReady(5000);  // unit attention after the load
    EXPECT_TRUE(Trace.empty());

    EXPECT_FALSE(Device->Write10(5, 1, block.data(), 2048));
    ASSERT_EQ(Trace.size(), 1u);
    std::string data;
    for (int i = 0; i < 257; ++i)
        data += "5A ";
    EXPECT_EQ(Trace[0], "<<< WRITE (10)             (2A) {50|0A} - 0:0:0 <04> [0800] "
                        "00 00 00 00 05 00 00 01 00 00 00 00 00 00 00  | " + data +
                        "= 00 02 70 05 ASC:21,ASQ:02 ILLEGAL REQUEST (INVALID ADDRESS FOR WRITE)");
    EXPECT_EQ(TraceKinds.back(), 0);
}

TEST_F(DeviceBus, DebugLinesGoToTheDebugWindow)
{
    struct TMemo : TDebugWindow {
        std::vector<std::string> Lines;
        void AddLine(const std::string& Line) override { Lines.push_back(Line); }
    } memo;
    StartBus("target=0");
    Device->DebugWindow = &memo;
    Device->DebugMessage("HELLO", 1);
    EXPECT_EQ(memo.Lines, std::vector<std::string>{"HELLO"});
    EXPECT_EQ(Trace.back(), "HELLO");
}

TEST_F(DeviceBus, AsynchronousCompletionIsAwaited)
{
    setenv("VREC_ASYNC", "1", 1);
    StartBus("medium=cdr");
    Device->SelectDevice("0:0:0");
    // One completion event serves every request: the signal of one never ends the wait of the next.
    for (int i = 0; i < 20; ++i)
        EXPECT_TRUE(Device->TestUnitReady(5000)) << i;
    EXPECT_EQ(Device->DeviceList().size(), 1u);
    EXPECT_TRUE(Log("request aborted").empty());
}

TEST_F(DeviceBus, RequestThatNeverCompletesTimesOutAfterAtLeastTenSeconds)
{
    SelectOnly("hang=00");
    Device->GiveUpPendingRequests = true;
    SRB_ExecSCSICmd srb = TestUnitReadyBlock();
    EXPECT_EQ(Device->ExecuteSRB(srb, 3000), SS_COMP);
    EXPECT_EQ(Device->CompletionTimeouts, std::vector<int>{10000});  // 3,000 ms is raised to the minimum
    EXPECT_EQ(srb.SRB_Status, SS_ERR);
    EXPECT_EQ(srb.SRB_HaStat, HASTAT_TIMEOUT);
    EXPECT_EQ(Device->LastError(), "");
    EXPECT_TRUE(Trace.empty());
    EXPECT_TRUE(Device->TestUnitReady(5000));  // the transport gave the request up
}

// Error texts for sense that the virtual recorder never produces, played through the pass-through layer.
class DeviceErrors : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(chdir(::testing::TempDir().c_str()), 0);
        Nodes.Drives = {DriveAt('D', 0, 0)};
        SetDeviceNodes(&Nodes);
        ASSERT_TRUE(Device.InitializeASPI(true));
        Device.SelectDevice(Device.DeviceList().at(0));
        ASSERT_EQ(Device.HaId(), 0);
    }
    void TearDown() override
    {
        StopTransport();
        SetDeviceNodes(nullptr);
    }
    std::string ErrorFor(std::vector<uint8_t> Sense)
    {
        Nodes.Answer = [&](sg_io_hdr_t& io) {
            io.status = 0x02;
            io.sb_len_wr = uint8_t(Sense.size());
            std::memcpy(io.sbp, Sense.data(), Sense.size());
            return true;
        };
        Device.RezeroUnit();
        return Device.LastError();
    }
    static std::vector<uint8_t> Sense(uint8_t Key, uint8_t AdditionalLength, uint8_t ASC, uint8_t ASCQ)
    {
        std::vector<uint8_t> sense(18, 0);
        sense[0] = 0x70;
        sense[2] = Key;
        sense[7] = AdditionalLength;
        sense[12] = ASC;
        sense[13] = ASCQ;
        return sense;
    }
    TFakeNodes Nodes;
    TSCSIDevice Device;
};

TEST_F(DeviceErrors, SenseRefinesCheckCondition)
{
    EXPECT_EQ(ErrorFor(Sense(0x02, 10, 0x3A, 0x01)), "NOT READY (MEDIUM NOT PRESENT - TRAY CLOSED)");
    EXPECT_EQ(ErrorFor(Sense(0x02, 0, 0x3A, 0x01)), "NOT READY");
    EXPECT_EQ(ErrorFor(Sense(0x02, 10, 0x3A, 0x00)), "NOT READY (MEDIUM NOT PRESENT)");
    EXPECT_EQ(ErrorFor(Sense(0x02, 10, 0x04, 0x08)), "NOT READY (LOGICAL UNIT NOT READY, LONG WRITE IN PROGRESS)");
    EXPECT_EQ(ErrorFor(Sense(0x03, 10, 0x18, 0x07)), "MEDIUM ERROR (24,7)");
    EXPECT_EQ(ErrorFor(Sense(0x09, 10, 0x00, 0x00)), "CHECK CONDITION (NO ADDITIONAL SENSE INFORMATION)");
    EXPECT_EQ(Device.SenseData()[7], 10);
    EXPECT_EQ(ErrorFor({0x00, 0, 0x02}), "");
    EXPECT_EQ(ErrorFor({0x72, 0, 0x02}), "UNKNOWN");
}

TEST_F(DeviceErrors, ExtraAdapterDrivesAppearWithoutLetter)
{
    StopTransport();
    Nodes.Drives = {DriveWithoutAddress('D'), DriveWithoutAddress('F')};
    ASSERT_TRUE(Device.InitializeASPI(true));
    EXPECT_EQ(Device.DeviceList(), (std::vector<std::string>{"1:0:0,?: FAKE    CD WRITER       1.00",
                                                             "1:1:0,?: FAKE    CD WRITER       1.00"}));
    EXPECT_FALSE(Device.SelectDriveLetter('D'));  // it has no SCSI address
}

TEST_F(DeviceErrors, SelectDriveLetterUsesTheNodesAddress)
{
    StopTransport();
    Nodes.Drives = {DriveAt('D', 0, 0), DriveAt('E', 0, 4)};
    ASSERT_TRUE(Device.InitializeASPI(true));
    EXPECT_TRUE(Device.SelectDriveLetter('E'));
    EXPECT_EQ(Device.DeviceID(), "0:4:0,E:");
    EXPECT_EQ(Device.DriveLetter(), 'E');
    EXPECT_FALSE(Device.SelectDriveLetter('K'));
    EXPECT_EQ(Device.Target(), 4);
}

}  // namespace
