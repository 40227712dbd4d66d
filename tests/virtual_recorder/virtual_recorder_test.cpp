// The virtual recorder checked against MMC/SPC behaviour: identification, readiness and
// sense, profiles, sequential recording, sessions, mode pages and the faults on demand.
#include "bus_client.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

constexpr uint8_t NotReady = 2, MediumError = 3, IllegalRequest = 5, UnitAttention = 6;

std::string Text(const std::vector<uint8_t>& Data, size_t From, size_t Length)
{
    return std::string(Data.begin() + From, Data.begin() + From + Length);
}

TEST(VirtualRecorder, ReportsAdaptersAndNoAdapterWithoutDrives)
{
    EXPECT_EQ(PowerUp("target=0;target=1;adapter=1,target=2"), 0x0102u);
    EXPECT_EQ(PowerUp(""), 0xE800u);
}

// The adapters' largest transfer is reported by the host adapter inquiry and enforced; 64 KiB
// unless VREC_MAXTRANSFER says otherwise, and an unusable value leaves the default.
TEST(VirtualRecorder, AdapterReportsAndEnforcesItsMaximumTransfer)
{
    const struct {
        const char* Setting;  // nullptr: unset
        uint32_t Bytes;
    } cases[] = {{nullptr, 0x10000}, {"1310720", 1310720}, {"4096", 4096},
                 {"1024", 0x10000}, {"1M", 0x10000}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Setting ? c.Setting : "unset");
        if (c.Setting)
            setenv("VREC_MAXTRANSFER", c.Setting, 1);
        PowerUp("medium=cdr");
        unsetenv("VREC_MAXTRANSFER");
        SRB_HAInquiry inquiry{};
        inquiry.SRB_Cmd = SC_HA_INQUIRY;
        ASSERT_EQ(SendASPI32Command(&inquiry), SS_COMP);
        uint32_t reported;
        std::memcpy(&reported, inquiry.HA_Unique + 4, 4);
        EXPECT_EQ(reported, c.Bytes);
        ASSERT_TRUE(SelectWriteParameters(0x01, 0x04).Good());
        const uint16_t blocks = uint16_t(c.Bytes / 2048);
        EXPECT_TRUE(Write10(0, blocks).Good());
        EXPECT_EQ(Write10(blocks, blocks + 1).Status, SS_BUFFER_TO_BIG);
        EXPECT_TRUE(Read10(0, blocks).Good());
    }
}

TEST(VirtualRecorder, InquiryDescribesTheConfiguredDrive)
{
    PowerUp("vendor=ACME,product=WRITER 52X,revision=2.5");
    TReply reply = Send({0x12, 0, 0, 0, 96, 0}, 96);
    ASSERT_TRUE(reply.Good());
    EXPECT_EQ(reply.Data[0], 0x05);
    EXPECT_EQ(reply.Data[1] & 0x80, 0x80);  // removable
    EXPECT_EQ(Text(reply.Data, 8, 28), "ACME    WRITER 52X      2.5 ");
    EXPECT_EQ(reply.Data[36], 0);  // 36 bytes of standard data only

    TReply shortReply = Send({0x12, 0, 0, 0, 5, 0}, 96);  // allocation length limits the transfer
    EXPECT_EQ(shortReply.Data[5], 0);
    EXPECT_TRUE(Send({0x12, 1, 0x80, 0, 96, 0}, 96).Sense(IllegalRequest, 0x24, 0));
}

TEST(VirtualRecorder, ReadinessSense)
{
    PowerUp("medium=none");
    EXPECT_TRUE(TestUnitReady().Sense(NotReady, 0x3A, 0));
    TReply sense = Send({0x03, 0, 0, 0, 18, 0}, 18);  // REQUEST SENSE reports the condition with GOOD
    ASSERT_TRUE(sense.Good());
    EXPECT_EQ(sense.Data[0], 0x70);
    EXPECT_EQ(sense.Data[2], NotReady);
    EXPECT_EQ(sense.Data[12], 0x3A);

    PowerUp("notready=2");
    EXPECT_TRUE(TestUnitReady().Sense(NotReady, 0x04, 0x01));
    EXPECT_TRUE(Send({0x51, 0, 0, 0, 0, 0, 0, 0, 34, 0}, 34).Sense(NotReady, 0x04, 0x01));
    EXPECT_TRUE(TestUnitReady().Good());
}

TEST(VirtualRecorder, UnitAttentionAfterAMediumChange)
{
    PowerUp("medium=cdr");
    EXPECT_TRUE(Send({0x1B, 0, 0, 0, 0x02, 0}).Good());  // eject
    EXPECT_TRUE(TestUnitReady().Sense(NotReady, 0x3A, 0x02));
    EXPECT_TRUE(Send({0x1B, 0, 0, 0, 0x03, 0}).Good());  // load
    EXPECT_TRUE(Send({0x12, 0, 0, 0, 36, 0}, 36).Good());  // INQUIRY is not held up
    EXPECT_TRUE(TestUnitReady().Sense(UnitAttention, 0x28, 0));
    EXPECT_TRUE(TestUnitReady().Good());

    Send({0x1E, 0, 0, 0, 1, 0});  // prevent removal
    EXPECT_TRUE(Send({0x1B, 0, 0, 0, 0x02, 0}).Sense(IllegalRequest, 0x53, 0x02));
}

TEST(VirtualRecorder, CurrentProfileFollowsTheMedium)
{
    const std::pair<const char*, uint16_t> cases[] = {
        {"none", 0x0000}, {"cdrom", 0x0008}, {"cdr", 0x0009}, {"cdrw", 0x000A}, {"closed", 0x0009},
        {"cdr-appendable", 0x0009}, {"dvdr", 0x0011}, {"dvdrw", 0x0014}, {"dvdram", 0x0012}, {"dvdplusrw", 0x001A}};
    for (auto [medium, profile] : cases) {
        PowerUp(std::string("dvdram=1,medium=") + medium);
        TReply reply = CurrentProfile();
        ASSERT_TRUE(reply.Good()) << medium;
        EXPECT_EQ(BE16(reply.Data, 6), profile) << medium;
    }
    PowerUp("getconfig=0");
    EXPECT_TRUE(CurrentProfile().Sense(IllegalRequest, 0x20, 0));
}

TEST(VirtualRecorder, ProfileListMarksTheCurrentProfile)
{
    PowerUp("medium=cdrw");
    TReply reply = Send({0x46, 2, 0, 0, 0, 0, 0, 0, 64, 0}, 64);
    ASSERT_TRUE(reply.Good());
    ASSERT_EQ(BE16(reply.Data, 8), 0x0000);  // profile list feature
    int currentCount = 0;
    for (size_t at = 12; at < 12u + reply.Data[11]; at += 4)
        if (reply.Data[at + 2] & 1) {
            ++currentCount;
            EXPECT_EQ(BE16(reply.Data, at), 0x000A);
        }
    EXPECT_EQ(currentCount, 1);
}

TEST(VirtualRecorder, AtipOnlyForRecordableCDs)
{
    PowerUp("medium=cdrw");
    TReply atip = Send({0x43, 2, 4, 0, 0, 0, 0, 0, 28, 0}, 28);
    ASSERT_TRUE(atip.Good());
    EXPECT_EQ(atip.Data[6] & 0xC0, 0xC0);  // always-one bit and rewritable disc type
    EXPECT_EQ(atip.Data[12], 74);          // last possible lead-out 74:02:00
    EXPECT_EQ(atip.Data[13], 2);
    PowerUp("medium=cdr");
    EXPECT_EQ(Send({0x43, 2, 4, 0, 0, 0, 0, 0, 28, 0}, 28).Data[6] & 0xC0, 0x80);
    PowerUp("medium=dvdr");
    EXPECT_TRUE(Send({0x43, 2, 4, 0, 0, 0, 0, 0, 28, 0}, 28).Sense(IllegalRequest, 0x24, 0));
}

TEST(VirtualRecorder, BlankDiscTrackAndDiscInformation)
{
    PowerUp("medium=cdr");
    TReply disc = DiscInfo();
    ASSERT_TRUE(disc.Good());
    EXPECT_EQ(disc.Data[2] & 0x03, 0);  // empty disc
    EXPECT_EQ(disc.Data[2] & 0x10, 0);  // not erasable
    TReply track = TrackInfo(0xFF);
    ASSERT_TRUE(track.Good());
    EXPECT_EQ(track.Data[2], 1);
    EXPECT_EQ(track.Data[7] & 1, 1);  // NWA valid
    EXPECT_EQ(BE32(track.Data, 12), 0u);
    EXPECT_EQ(BE32(track.Data, 16), 333000u);
    EXPECT_TRUE(Send({0x43, 0, 1, 0, 0, 0, 0, 0, 12, 0}, 12).Sense(IllegalRequest, 0x24, 0));  // no session yet

    PowerUp("medium=cdrw");
    EXPECT_EQ(DiscInfo().Data[2] & 0x10, 0x10);
}

TEST(VirtualRecorder, WritesOnlyInSequenceAtTheNextWritableAddress)
{
    PowerUp("medium=cdr");
    EXPECT_TRUE(Write10(0, 16, 0x11).Good());
    EXPECT_TRUE(Write10(0, 16).Sense(IllegalRequest, 0x21, 0x02));
    EXPECT_TRUE(Write10(20, 16).Sense(IllegalRequest, 0x21, 0x02));
    EXPECT_TRUE(Write10(16, 4, 0x22).Good());

    TReply track = TrackInfo(0xFF);
    EXPECT_EQ(BE32(track.Data, 12), 20u);
    EXPECT_EQ(BE32(track.Data, 16), 333000u - 20);
    EXPECT_EQ(BE32(track.Data, 28), 19u);  // last recorded address
    EXPECT_EQ(DiscInfo().Data[2] & 0x0F, 0x05);  // incomplete session, incomplete disc

    TReply read = Read10(15, 2);
    ASSERT_TRUE(read.Good());
    EXPECT_EQ(read.Data[0], 0x11);
    EXPECT_EQ(read.Data[2048], 0x22);
    EXPECT_TRUE(Read10(20, 1).Sense(IllegalRequest, 0x21, 0));
}

// The buffer keeps the last blocks recorded and answers a READ (10) without FUA from them, as
// written; with FUA the disc is read, with its faults. A drive may refuse the bit.
TEST(VirtualRecorder, ReadsWithFuaComeFromTheDisc)
{
    PowerUp("medium=cdr,readcache=8,alterread=18,readerror=19");
    ASSERT_TRUE(Write10(0, 16, 0x11).Good());
    ASSERT_TRUE(Write10(16, 4, 0x22).Good());
    EXPECT_EQ(Read10(18, 1).Data[7], 0x22) << "from the buffer";
    EXPECT_EQ(Read10(18, 1, true).Data[7], 0x22 ^ 0x5A) << "from the disc";
    EXPECT_TRUE(Read10(19, 1).Good());
    EXPECT_TRUE(Read10(19, 1, true).Sense(MediumError, 0x11, 0x00));
    EXPECT_TRUE(Read10(11, 2).Good()) << "blocks 12 to 19 are in the buffer";
    EXPECT_TRUE(Read10(18, 2).Good());

    PowerUp("medium=cdr,alterread=18");
    ASSERT_TRUE(Write10(0, 20, 0x11).Good());
    EXPECT_EQ(Read10(18, 1).Data[7], 0x11 ^ 0x5A) << "no buffer kept";

    PowerUp("medium=cdr,nofua=1");
    ASSERT_TRUE(Write10(0, 16, 0x11).Good());
    EXPECT_TRUE(Read10(0, 1, true).Sense(IllegalRequest, 0x24, 0x00));
    EXPECT_TRUE(Read10(0, 1).Good());
}

TEST(VirtualRecorder, WriteNeedsAFittingWriteMode)
{
    PowerUp("medium=cdr");
    ASSERT_TRUE(SelectWriteParameters(0x01, 0x04, 0x0A).Good());  // Mode 2 blocks are legal to select
    EXPECT_TRUE(Write10(0, 1).Sense(IllegalRequest, 0x64, 0));
    PowerUp("medium=dvdr");
    EXPECT_TRUE(Write10(0, 1).Sense(IllegalRequest, 0x64, 0));  // Track At Once does not exist on DVD-R
    ASSERT_TRUE(SelectWriteParameters(0x02, 0x05).Good());
    EXPECT_TRUE(Write10(0, 1).Sense(IllegalRequest, 0x2C, 0));  // Disc At Once without a reservation
    PowerUp("medium=closed");
    EXPECT_TRUE(Write10(20000, 1).Sense(IllegalRequest, 0x21, 0x02));
}

TEST(VirtualRecorder, TestWritesRecordNothing)
{
    PowerUp("medium=cdr");
    ASSERT_TRUE(SelectWriteParameters(0x11, 0x04).Good());
    EXPECT_TRUE(Write10(0, 8).Good());
    EXPECT_TRUE(Write10(8, 8).Good());
    EXPECT_TRUE(Write10(0, 8).Sense(IllegalRequest, 0x21, 0x02));  // the test still runs in sequence
    EXPECT_TRUE(Send({0x35, 0, 0, 0, 0, 0, 0, 0, 0, 0}).Good());
    EXPECT_EQ(BE32(TrackInfo(0xFF).Data, 12), 0u);
    EXPECT_TRUE(Read10(0, 1).Sense(IllegalRequest, 0x21, 0));

    PowerUp("testwrite=0");
    EXPECT_TRUE(SelectWriteParameters(0x11, 0x04).Sense(IllegalRequest, 0x26, 0));
}

TEST(VirtualRecorder, ClosingASessionLeavesAnAppendableOrCompleteDisc)
{
    PowerUp("medium=cdr");
    EXPECT_TRUE(CloseSession().Sense(IllegalRequest, 0x2C, 0x04));  // nothing written yet
    ASSERT_TRUE(SelectWriteParameters(0x01, 0xC4).Good());          // next session allowed
    EXPECT_EQ(Write10(0, 100).Status, SS_BUFFER_TO_BIG);  // more than the 64 KB the bus moves at once
    ASSERT_TRUE(Write10(0, 30).Good());
    ASSERT_TRUE(CloseSession().Good());
    TReply disc = DiscInfo();
    EXPECT_EQ(disc.Data[2] & 0x0F, 0x01);  // empty last session, appendable disc
    EXPECT_EQ(disc.Data[4], 2);            // sessions, counting the open one
    TReply next = TrackInfo(0xFF);
    EXPECT_EQ(next.Data[2], 2);
    EXPECT_EQ(next.Data[3], 2);
    EXPECT_EQ(BE32(next.Data, 12), 30u + 11400);
    TReply first = TrackInfo(1);
    EXPECT_EQ(BE32(first.Data, 24), 30u);  // track size
    EXPECT_EQ(first.Data[7] & 1, 0);        // closed: no next writable address
    TReply sessions = Send({0x43, 0, 1, 0, 0, 0, 0, 0, 12, 0}, 12);
    ASSERT_TRUE(sessions.Good());
    EXPECT_EQ(sessions.Data[3], 1);  // last complete session

    ASSERT_TRUE(SelectWriteParameters(0x01, 0x04).Good());  // no next session
    ASSERT_TRUE(Write10(11430, 10).Good());
    ASSERT_TRUE(CloseSession().Good());
    EXPECT_EQ(DiscInfo().Data[2] & 0x0F, 0x0E);  // complete session, complete disc
    EXPECT_TRUE(TrackInfo(0xFF).Sense(IllegalRequest, 0x24, 0));
    EXPECT_TRUE(Write10(11440, 1).Sense(IllegalRequest, 0x21, 0x02));
}

TEST(VirtualRecorder, AppendableDiscStartsAfterItsEarlierSession)
{
    PowerUp("medium=cdr-appendable");
    TReply track = TrackInfo(0xFF);
    EXPECT_EQ(track.Data[2], 2);
    EXPECT_EQ(BE32(track.Data, 12), 31400u);
    EXPECT_EQ(Send({0x43, 0, 1, 0, 0, 0, 0, 0, 12, 0}, 12).Data[3], 1);
}

TEST(VirtualRecorder, DvdrDiscAtOnceFinalisesOnSynchronizeCache)
{
    PowerUp("medium=dvdr,finalizebusy=2");
    ASSERT_TRUE(SelectWriteParameters(0x42, 0x05).Good());
    ASSERT_TRUE(Send({0x53, 0, 0, 0, 0, 0, 0, 0, 11, 0}).Good());  // reserve 11 blocks
    EXPECT_TRUE(Send({0x53, 0, 0, 0, 0, 0, 0, 0, 11, 0}).Sense(IllegalRequest, 0x2C, 0));
    ASSERT_TRUE(Write10(0, 10).Good());
    EXPECT_TRUE(Write10(10, 2).Sense(IllegalRequest, 0x21, 0));  // beyond the reservation
    ASSERT_TRUE(Send({0x35, 0x02, 0, 0, 0, 0, 0, 0, 0, 0}).Good());  // immediate
    EXPECT_TRUE(DiscInfo().Sense(NotReady, 0x04, 0x08));
    EXPECT_TRUE(DiscInfo().Sense(NotReady, 0x04, 0x08));
    TReply disc = DiscInfo();
    ASSERT_TRUE(disc.Good());
    EXPECT_EQ(disc.Data[2] & 0x03, 0x02);
    EXPECT_EQ(BE32(TrackInfo(1).Data, 24), 11u);  // padded to the reservation
}

TEST(VirtualRecorder, RandomAccessMediaTakeWritesAnywhere)
{
    PowerUp("dvdram=1,medium=dvdram");
    EXPECT_TRUE(Write10(5000, 2, 0x33).Good());
    EXPECT_EQ(Read10(5001, 1).Data[0], 0x33);
    EXPECT_EQ(BE32(TrackInfo(1).Data, 16), 2236704u);
}

TEST(VirtualRecorder, ModePagesAndTheirValidation)
{
    PowerUp("maxwrite=7056,buffer=4096,page30=0");
    TReply page = Send({0x5A, 0, 0x2A, 0, 0, 0, 0, 0, 128, 0}, 128);
    ASSERT_TRUE(page.Good());
    EXPECT_EQ(BE16(page.Data, 6), 0);  // no block descriptors
    EXPECT_EQ(page.Data[8], 0x2A);
    EXPECT_EQ(BE16(page.Data, 8 + 18), 7056);
    EXPECT_EQ(BE16(page.Data, 8 + 12), 4096);
    EXPECT_TRUE(Send({0x5A, 0, 0x30, 0, 0, 0, 0, 0, 128, 0}, 128).Sense(IllegalRequest, 0x24, 0));
    EXPECT_TRUE(Send({0x5A, 0, 0xC5, 0, 0, 0, 0, 0, 128, 0}, 128).Sense(IllegalRequest, 0x39, 0));

    EXPECT_TRUE(Send({0xBB, 0, 0x0B, 0x10, 0x0B, 0x10, 0, 0, 0, 0, 0, 0}).Good());  // SET CD SPEED 2832 KB/s
    EXPECT_EQ(BE16(Send({0x5A, 0, 0x2A, 0, 0, 0, 0, 0, 128, 0}, 128).Data, 8 + 20), 2832);

    const std::pair<std::vector<uint8_t>, uint8_t> invalid[] = {
        {{0x07, 0x04, 0x08}, 0x26},  // write type 7
        {{0x01, 0x84, 0x08}, 0x26},  // multisession 10b
        {{0x01, 0x04, 0x05}, 0x26},  // reserved data block type
    };
    for (const auto& [bytes, asc] : invalid)
        EXPECT_TRUE(SelectWriteParameters(bytes[0], bytes[1], bytes[2]).Sense(IllegalRequest, asc, 0));
    std::vector<uint8_t> list(60, 0);
    list[8] = 0x05;
    list[9] = 0x32;
    EXPECT_TRUE(Send({0x55, 0x00, 0, 0, 0, 0, 0, 0, 60, 0}, 0, list).Sense(IllegalRequest, 0x24, 0));  // PF clear
    EXPECT_TRUE(Send({0x55, 0x10, 0, 0, 0, 0, 0, 0, 30, 0}, 0, list).Sense(IllegalRequest, 0x1A, 0));  // cut short

    ASSERT_TRUE(SelectWriteParameters(0x41, 0xC4).Good());
    TReply current = Send({0x5A, 0, 0x05, 0, 0, 0, 0, 0, 64, 0}, 64);
    EXPECT_EQ(current.Data[10], 0x41);
    EXPECT_EQ(current.Data[11], 0xC4);
}

TEST(VirtualRecorder, FaultsOnDemand)
{
    PowerUp("busy=1,longwrite=1,mediumerror=5");
    TReply busy = Write10(0, 1);
    EXPECT_EQ(busy.Status, SS_ERR);
    EXPECT_EQ(busy.TargetStatus, STATUS_BUSY);
    EXPECT_TRUE(Write10(0, 1).Sense(NotReady, 0x04, 0x08));
    EXPECT_TRUE(Write10(0, 4).Good());
    EXPECT_TRUE(Write10(4, 4).Sense(MediumError, 0x0C, 0x00));

    PowerUp("busyat=5");
    EXPECT_TRUE(Write10(0, 4).Good());
    EXPECT_EQ(Write10(4, 4).TargetStatus, STATUS_BUSY);
    EXPECT_TRUE(Write10(4, 4).Good()) << "only the first write over the block is refused";

    PowerUp("failpage2a=defaults");
    EXPECT_TRUE(Send({0x5A, 0, 0xAA, 0, 0, 0, 0, 0, 128, 0}, 128).Sense(IllegalRequest, 0x24, 0));
    EXPECT_TRUE(Send({0x5A, 0, 0x2A, 0, 0, 0, 0, 0, 128, 0}, 128).Good());

    PowerUp("attention=1");
    EXPECT_TRUE(TestUnitReady().Sense(UnitAttention, 0x28, 0));
}

TEST(VirtualRecorder, HangingRequestStaysPendingUntilAborted)
{
    PowerUp("hang=00");
    SRB_ExecSCSICmd srb{};
    srb.SRB_Cmd = SC_EXEC_SCSI_CMD;
    srb.SRB_SenseLen = SENSE_LEN;
    srb.SRB_CDBLen = 6;
    EXPECT_EQ(SendASPI32Command(&srb), SS_PENDING);
    SRB_Abort abort{};
    abort.SRB_Cmd = SC_ABORT_SRB;
    abort.SRB_ToAbort = &srb;
    EXPECT_EQ(SendASPI32Command(&abort), SS_COMP);
    EXPECT_EQ(SendASPI32Command(&abort), SS_ABORT_FAIL);
    EXPECT_TRUE(TestUnitReady().Good());  // only the first one hangs
}

TEST(VirtualRecorder, UnknownCommandsAndAddresses)
{
    PowerUp("target=3");
    EXPECT_TRUE(Send({0xA1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 0, {}, 3).Sense(IllegalRequest, 0x20, 0));  // BLANK
    EXPECT_EQ(TestUnitReady(0).Status, SS_NO_DEVICE);
}

TEST(VirtualRecorder, RecordedDataGoesToTheImageFileAndTheLog)
{
    char image[] = "/tmp/vrec-image-XXXXXX";
    char log[] = "/tmp/vrec-log-XXXXXX";
    close(mkstemp(image));
    close(mkstemp(log));
    setenv("VREC_LOG", log, 1);
    PowerUp(std::string("medium=cdr,image=") + image);
    ASSERT_TRUE(Write10(0, 2, 0x44).Good());
    EXPECT_TRUE(Write10(0, 1).Sense(IllegalRequest, 0x21, 0x02));
    PowerUp("");  // closes the files
    unsetenv("VREC_LOG");

    std::ifstream written(image, std::ios::binary | std::ios::ate);
    EXPECT_EQ(written.tellg(), 4096);
    std::ifstream lines(log);
    std::string first, second;
    std::getline(lines, first);
    std::getline(lines, second);
    EXPECT_EQ(first.substr(0, 45), "0:0:0 CDB 2A 00 00 00 00 00 00 00 02 00 STATU");
    EXPECT_NE(first.find("STATUS 01 OUT 44 44"), std::string::npos);
    EXPECT_NE(second.find("STATUS 04 TARG 02 HA 00 SENSE 05/21/02"), std::string::npos);
    std::remove(image);
    std::remove(log);
}

// hash=FILE keeps a SHA-256 of the recorded data instead of the data itself.
TEST(VirtualRecorder, HashOnlyKeepsTheDigestOfTheRecordedData)
{
    char digest[] = "/tmp/vrec-digest-XXXXXX";
    char same[] = "/tmp/vrec-same-XXXXXX";
    close(mkstemp(digest));
    close(mkstemp(same));
    PowerUp(std::string("medium=dvdplusr,hash=") + digest);
    ASSERT_TRUE(Write10(0, 16, 0x11).Good());
    ASSERT_TRUE(Write10(16, 4, 0x22).Good());
    EXPECT_TRUE(Read10(0, 1).Sense(MediumError, 0x11, 0x00)) << "the data was not kept";
    ASSERT_TRUE(Send({0x35, 0, 0, 0, 0, 0, 0, 0, 0, 0}).Good());
    {
        std::ofstream bytes(same, std::ios::binary);
        bytes << std::string(16 * 2048, '\x11') << std::string(4 * 2048, '\x22');
    }
    std::string expected(64, ' ');
    FILE* pipe = popen((std::string("sha256sum ") + same).c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    ASSERT_EQ(fread(expected.data(), 1, 64, pipe), 64u);
    pclose(pipe);
    std::ifstream kept(digest);
    std::string line;
    std::getline(kept, line);
    EXPECT_EQ(line, expected);
    PowerUp("");
    std::remove(digest);
    std::remove(same);
}

}  // namespace
