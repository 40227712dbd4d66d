// Operation names of the trace and the error texts of failed requests.
#include "scsi_texts.h"

#include <gtest/gtest.h>

namespace {

TEST(CommandNames, NamedCodesArePaddedAndOthersReadAsHex)
{
    EXPECT_EQ(CommandNames(0x2A), "WRITE (10)            ");
    EXPECT_EQ(CommandNames(0x4A), "GET EVENT/STATUS NOTIF");
    EXPECT_EQ(CommandNames(0x01), "REWIND UNIT           ");
    EXPECT_EQ(CommandNames(0xBF).size(), 22u);
    EXPECT_EQ(CommandNames(0x02), "02");
    EXPECT_EQ(CommandNames(0xFF), "FF");
}

TEST(StatusText, FollowsTheStatusTable)
{
    struct TCase {
        uint8_t Status, HaStat, TargStat;
        const char* Text;
    };
    const TCase cases[] = {
        {0x00, 0, 0, ""}, {0x01, 0x11, 0x08, ""}, {0x02, 0, 0, "OPERATION ABORTED BY USER"},
        {0x03, 0, 0, "OPERATION ABORTED BY USER"}, {0x04, 0, 0x00, "CHECK CONDITION"},
        {0x04, 0, 0x02, "CHECK CONDITION"}, {0x04, 0, 0x08, "TARGET BUSY"},
        {0x04, 0, 0x18, "TARGET RESERVATION CONFLICT"}, {0x04, 0, 0x28, "TARGET QUEUE FULL"},
        {0x04, 0, 0x04, "UNKNOWN"}, {0x04, 0x09, 0x02, "COMMAND TIMEOUT"}, {0x04, 0x0B, 0, "SRB TIMEOUT"},
        {0x04, 0x0D, 0, "MESSAGE REJECT"}, {0x04, 0x0E, 0, "BUS RESET"}, {0x04, 0x0F, 0, "PARITY ERROR"},
        {0x04, 0x10, 0, "REQUEST SENSE FAILED"}, {0x04, 0x11, 0, "SELECTION TIMEOUT"},
        {0x04, 0x12, 0, "DATA OVERRUN"}, {0x04, 0x13, 0, "UNEXPECTED BUS FREE"}, {0x04, 0x14, 0, "UNKNOWN"},
        {0x80, 0, 0, "INVALID REQUEST"}, {0x81, 0, 0, "INVALID HOST ADAPTER"}, {0x82, 0, 0, "NO DEVICE"},
        {0xE0, 0, 0, "INVALID SRB"}, {0xE1, 0, 0, "BUFFER ALIGNMENT"}, {0xE5, 0, 0, "ASPI IS BUSY"},
        {0xE6, 0, 0, "BUFFER TOO BIG"}, {0xE2, 0, 0, "UNKNOWN"}, {0x05, 0, 0, "UNKNOWN"},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(StatusText(c.Status, c.HaStat, c.TargStat), c.Text)
            << int(c.Status) << "/" << int(c.HaStat) << "/" << int(c.TargStat);
}

TEST(SenseKeyText, ReadsResponseCodeAndKey)
{
    struct TCase {
        uint8_t Byte0, Byte2;
        const char* Text;
    };
    const TCase cases[] = {
        {0x00, 0x02, ""}, {0x72, 0x02, "UNKNOWN"}, {0xF0, 0x02, "NOT READY"}, {0x71, 0x05, "ILLEGAL REQUEST"},
        {0x70, 0x80, "FILEMARK"}, {0x70, 0x40, "END OF MEDIA"}, {0x70, 0x20, "ILLEGAL LENGTH"},
        {0x70, 0x00, "NO ADDITIONAL SENSE INFORMATION"}, {0x70, 0x01, "RECOVERED ERROR"},
        {0x70, 0x03, "MEDIUM ERROR"}, {0x70, 0x04, "HARDWARE ERROR"}, {0x70, 0x06, "UNIT ATTENTION"},
        {0x70, 0x07, "DATA PROTECT"}, {0x70, 0x08, "ERASE CHECK"}, {0x70, 0x09, "CHECK CONDITION"},
        {0x70, 0x0A, "COPYABORTED"}, {0x70, 0x0B, "ABORTED COMMAND"}, {0x70, 0x0C, "CHECK CONDITION"},
        {0x70, 0x0D, "VOLUME OVERFLOW"}, {0x70, 0x0E, "MISCOMPARE"}, {0x70, 0x0F, "RESERVED"},
        {0x70, 0xE3, "MEDIUM ERROR"},  // the flag bits do not hide a key
    };
    for (const TCase& c : cases) {
        uint8_t sense[32] = {c.Byte0, 0, c.Byte2};
        EXPECT_EQ(SenseKeyText(sense), c.Text) << int(c.Byte0) << "/" << int(c.Byte2);
    }
}

TEST(AdditionalSenseText, ListedPairsByNameOthersInDecimal)
{
    struct TCase {
        uint8_t ASC, ASCQ;
        const char* Text;
    };
    const TCase cases[] = {
        {0x04, 0x08, "LOGICAL UNIT NOT READY, LONG WRITE IN PROGRESS"},
        {0x04, 0x02, "LOGICAL UNIT NOT READY, INITIALIZING CMD. REQUIRED"},
        {0x3A, 0x00, "MEDIUM NOT PRESENT"},
        {0x3A, 0x01, "MEDIUM NOT PRESENT - TRAY CLOSED"},
        {0x24, 0x00, "INVALID FIELD IN CDB"},
        {0x5D, 0xFF, "FAILURE PREDICTION THRESHOLD EXCEEDED (FALSE)"},
        {0x73, 0x03, "POWER CALIBRATION AREA ERROR"},
        {0x21, 0x02, "INVALID ADDRESS FOR WRITE"},
        {0x30, 0x10, "MEDIUM NOT FORMATTED"},
        {0x3F, 0x11, "MEDIUM AUXILIARY MEMORY ACCESSIBLE"},
        {0x04, 0x05, "4,5"},    // a gap inside a listed code
        {0x18, 0x07, "24,7"},
        {0x30, 0x0A, "48,10"},
        {0x5D, 0x04, "93,4"},
        {0xFF, 0xFF, "255,255"},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(AdditionalSenseText(c.ASC, c.ASCQ), c.Text) << int(c.ASC) << "/" << int(c.ASCQ);
}

}  // namespace
