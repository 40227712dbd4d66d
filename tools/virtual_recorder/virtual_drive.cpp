#include "virtual_drive.h"

#include "big_endian.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vrec {

namespace {

constexpr uint32_t BlockSize = 2048;

// Sense keys and the additional sense codes the drive reports.
constexpr uint8_t NotReady = 0x02, MediumError = 0x03, IllegalRequest = 0x05, UnitAttention = 0x06;

bool NeedsMedium(uint8_t OpCode)
{
    switch (OpCode) {
    case 0x00: case 0x01: case 0x04: case 0x23: case 0x28: case 0x2A: case 0x35: case 0x43: case 0x51:
    case 0x52: case 0x53: case 0x54: case 0x5B: case 0xBF:
        return true;
    default:
        return false;
    }
}

int OpenStore(const std::string& ImageFile, const std::string& ContentFile)
{
    if (!ContentFile.empty())
        return open(ContentFile.c_str(), O_RDONLY | O_CLOEXEC);
    if (!ImageFile.empty())
        return open(ImageFile.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    char name[] = "/tmp/vrec-XXXXXX";
    int fd = mkstemp(name);
    if (fd >= 0)
        unlink(name);
    return fd;
}

}  // namespace

TOutcome Good()
{
    return TOutcome{};
}

TOutcome CheckCondition(uint8_t Key, uint8_t ASC, uint8_t ASCQ)
{
    TOutcome outcome;
    outcome.TargetStatus = 0x02;
    outcome.Sense[0] = 0x70;  // current error, fixed format
    outcome.Sense[2] = Key;
    outcome.Sense[7] = 10;    // additional sense length
    outcome.Sense[12] = ASC;
    outcome.Sense[13] = ASCQ;
    return outcome;
}

TOutcome Busy()
{
    TOutcome outcome;
    outcome.TargetStatus = 0x08;
    return outcome;
}

TVirtualDrive::TVirtualDrive(const TDriveConfig& Config) : FConfig(Config)
{
    if (!FDisc.Load(FConfig.Medium))
        FDisc.Load("none");
    // Only a digest is kept of what a hashing drive records; a drive with content reads it.
    if (FConfig.HashFile.empty() || !FConfig.ContentFile.empty())
        FStore = OpenStore(FConfig.ImageFile, FConfig.ContentFile);
    if (!FConfig.ContentFile.empty()) {
        const off_t size = FStore >= 0 ? lseek(FStore, 0, SEEK_END) : 0;
        FDisc.LoadRecorded(uint32_t((size + BlockSize - 1) / BlockSize));
    }
    // A drive holding such a disc can write it.
    FConfig.PlusR = FConfig.PlusR || FDisc.IsDVDPlusR();
    FConfig.BD = FConfig.BD || FDisc.IsBluRay();
    FUnitAttention = FConfig.UnitAttention;
    FNotReady = FConfig.NotReady;
    FBusyWrites = FConfig.BusyWrites;
    FLongWrites = FConfig.LongWrites;
    FBusyReads = FConfig.BusyReads;
    FReadSpeed = FConfig.MaxReadKBs;
    FWriteSpeed = FConfig.MaxWriteKBs;
    TAnswer page = WriteParametersPage(2);
    std::copy_n(page.begin(), FWriteParameters.size(), FWriteParameters.begin());
}

TVirtualDrive::~TVirtualDrive()
{
    SaveDigest();
    if (FStore >= 0)
        close(FStore);
}

std::optional<TOutcome> TVirtualDrive::Precheck(uint8_t OpCode)
{
    const bool reportsConditions = OpCode == 0x12 || OpCode == 0x03;  // INQUIRY, REQUEST SENSE
    if (FUnitAttention && !reportsConditions) {
        FUnitAttention = false;
        return CheckCondition(UnitAttention, 0x28, 0x00);  // medium may have changed
    }
    if (!NeedsMedium(OpCode))
        return std::nullopt;
    if (FTrayOpen)
        return CheckCondition(NotReady, 0x3A, 0x02);
    if (!FDisc.Present())
        return CheckCondition(NotReady, 0x3A, 0x00);
    if (FNotReady > 0) {
        --FNotReady;
        return CheckCondition(NotReady, 0x04, 0x01);  // becoming ready
    }
    if (FFinalizing > 0) {
        --FFinalizing;
        return CheckCondition(NotReady, 0x04, 0x08);  // long write in progress
    }
    if (FFormatting > 0) {
        --FFormatting;
        return CheckCondition(NotReady, 0x04, 0x04);  // format in progress
    }
    return std::nullopt;
}

TOutcome TVirtualDrive::Reply(const TAnswer& Answer, uint32_t AllocationLength, uint8_t* Data, uint32_t Length)
{
    uint32_t count = std::min<uint32_t>({uint32_t(Answer.size()), AllocationLength, Length});
    if (count > 0 && !Data)
        return TOutcome{0, true, {}};
    std::copy_n(Answer.begin(), count, Data);
    return Good();
}

TOutcome TVirtualDrive::Execute(const uint8_t* Cdb, uint8_t* Data, uint32_t Length)
{
    const uint8_t op = Cdb[0];
    if (auto early = Precheck(op))
        return *early;
    switch (op) {
    case 0x00:  // TEST UNIT READY
    case 0x01:  // REZERO UNIT
        return Good();
    case 0x03:
        return RequestSense(Cdb, Data, Length);
    case 0x04:
        return FormatUnit(Cdb, Data, Length);
    case 0x23:
        return ReadFormatCapacities(Cdb, Data, Length);
    case 0x12:
        if (Cdb[1] & 0x01)  // no vital product data pages
            return CheckCondition(IllegalRequest, 0x24, 0x00);
        return Reply(InquiryData(), GetBE16(Cdb + 3), Data, Length);
    case 0x1B:
        return StartStop(Cdb);
    case 0x1E:  // PREVENT/ALLOW MEDIUM REMOVAL
        FPrevented = Cdb[4] & 0x01;
        return Good();
    case 0x28:
        return Read(Cdb, Data, Length);
    case 0x2A:
        return Write(Cdb, Data, Length);
    case 0x35:
        return SynchronizeCache(Cdb);
    case 0x43: {
        uint8_t format = Cdb[2] & 0x0F;
        TAnswer toc = TocData(format, Cdb[1] & 0x02);
        if (toc.empty())
            return CheckCondition(IllegalRequest, 0x24, 0x00);
        return Reply(toc, GetBE16(Cdb + 7), Data, Length);
    }
    case 0x46:
        if (!FConfig.GetConfiguration)
            return CheckCondition(IllegalRequest, 0x20, 0x00);
        return Reply(ConfigurationData(Cdb[1] & 0x03, GetBE16(Cdb + 2)), GetBE16(Cdb + 7), Data, Length);
    case 0x51:
        if ((Cdb[1] & 0x07) != 0)  // only standard disc information
            return CheckCondition(IllegalRequest, 0x24, 0x00);
        return Reply(DiscInformation(), GetBE16(Cdb + 7), Data, Length);
    case 0x52: {
        auto info = TrackInformation(Cdb[1] & 0x03, GetBE32(Cdb + 2));
        if (!info)
            return CheckCondition(IllegalRequest, 0x24, 0x00);
        return Reply(*info, GetBE16(Cdb + 7), Data, Length);
    }
    case 0x53:
        return ReserveTrack(Cdb);
    case 0x54:  // SEND OPC INFORMATION
        if (!FDisc.IsSequentialRecordable() && !FDisc.IsRandomWritable())
            return CheckCondition(IllegalRequest, 0x30, 0x05);
        return Good();
    case 0x55:
        return ModeSelect(Cdb, Data, Length);
    case 0x5A:
        return ModeSense(Cdb, Data, Length);
    case 0x5B:
        return CloseTrackSession(Cdb);
    case 0x5C: {
        TAnswer capacity(12, 0);
        PutBE16(&capacity[0], 10);
        PutBE32(&capacity[4], uint32_t(FConfig.BufferKB) * 1024);
        PutBE32(&capacity[8], uint32_t(FConfig.BufferKB) * 1024);  // the buffer drains at once
        return Reply(capacity, GetBE16(Cdb + 7), Data, Length);
    }
    case 0xB6:
        return SetStreaming(Cdb, Data, Length);
    case 0xBB:
        return SetCDSpeed(Cdb);
    case 0xBF:
        return SendDVDStructure(Cdb, Data, Length);
    default:
        return CheckCondition(IllegalRequest, 0x20, 0x00);  // invalid command operation code
    }
}

TOutcome TVirtualDrive::RequestSense(const uint8_t* Cdb, uint8_t* Data, uint32_t Length)
{
    // Reports the current condition; autosense already delivered any earlier error.
    TOutcome state = Good();
    if (FUnitAttention) {
        FUnitAttention = false;
        state = CheckCondition(UnitAttention, 0x28, 0x00);
    } else if (FTrayOpen) {
        state = CheckCondition(NotReady, 0x3A, 0x02);
    } else if (!FDisc.Present()) {
        state = CheckCondition(NotReady, 0x3A, 0x00);
    } else if (FNotReady > 0) {
        state = CheckCondition(NotReady, 0x04, 0x01);
    } else if (FFinalizing > 0) {
        state = CheckCondition(NotReady, 0x04, 0x08);
    } else if (FFormatting > 0) {
        state = CheckCondition(NotReady, 0x04, 0x04);
    } else {
        state = CheckCondition(0x00, 0x00, 0x00);  // NO SENSE
    }
    TAnswer sense(state.Sense.begin(), state.Sense.end());
    return Reply(sense, Cdb[4], Data, Length);
}

TOutcome TVirtualDrive::ModeSense(const uint8_t* Cdb, uint8_t* Data, uint32_t Length)
{
    const uint8_t pageControl = Cdb[2] >> 6;
    const uint8_t page = Cdb[2] & 0x3F;
    if (pageControl == 3)
        return CheckCondition(IllegalRequest, 0x39, 0x00);  // saving parameters not supported
    const bool failCapabilities = FConfig.FailPage2A == TPageFault::All ||
                                  (FConfig.FailPage2A == TPageFault::Defaults && pageControl == 2);
    TAnswer pages;
    auto append = [&](const TAnswer& p) { pages.insert(pages.end(), p.begin(), p.end()); };
    if (page == 0x05 || page == 0x3F)
        append(WriteParametersPage(pageControl));
    if (page == 0x2A || page == 0x3F) {
        if (failCapabilities)
            return CheckCondition(IllegalRequest, 0x24, 0x00);
        append(CapabilitiesPage(pageControl));
    }
    if ((page == 0x30 || page == 0x3F) && FConfig.Page30)
        append(TAnswer{0x30, 0x02, 0x00, 0x00});
    if (pages.empty())
        return CheckCondition(IllegalRequest, 0x24, 0x00);
    TAnswer answer(8, 0);  // mode parameter header (10), no block descriptors
    answer.insert(answer.end(), pages.begin(), pages.end());
    PutBE16(&answer[0], uint16_t(answer.size() - 2));
    return Reply(answer, GetBE16(Cdb + 7), Data, Length);
}

TOutcome TVirtualDrive::ModeSelect(const uint8_t* Cdb, const uint8_t* Data, uint32_t Length)
{
    if (!(Cdb[1] & 0x10))  // only page-format parameters
        return CheckCondition(IllegalRequest, 0x24, 0x00);
    const uint32_t listLength = GetBE16(Cdb + 7);
    if (listLength == 0)
        return Good();
    if (listLength > Length || !Data)
        return TOutcome{0, true, {}};
    if (listLength < 8)
        return CheckCondition(IllegalRequest, 0x1A, 0x00);
    const uint16_t descriptorLength = GetBE16(Data + 6);
    if (descriptorLength != 0 && descriptorLength != 8)
        return CheckCondition(IllegalRequest, 0x26, 0x00);
    const uint32_t at = 8 + descriptorLength;
    if (listLength < at + 2 || listLength < at + 2 + Data[at + 1])
        return CheckCondition(IllegalRequest, 0x1A, 0x00);
    const uint8_t* page = Data + at;
    if ((page[0] & 0x3F) != 0x05 || page[1] < 0x32)  // only the write parameters page can be changed
        return CheckCondition(IllegalRequest, 0x26, 0x00);

    const uint8_t writeType = page[2] & 0x0F;
    const uint8_t multisession = page[3] >> 6;
    const uint8_t blockType = page[4] & 0x0F;
    const bool validBlockType = blockType <= 3 || blockType == 7 || blockType == 8 || (blockType >= 10 && blockType <= 13);
    const bool testWrite = page[2] & 0x10;
    const bool bufe = page[2] & 0x40;
    if (writeType > 4 || multisession == 2 || !validBlockType || (testWrite && !FConfig.TestWrite) ||
        (bufe && !FConfig.BufferUnderrunFree))
        return CheckCondition(IllegalRequest, 0x26, 0x00);  // invalid field in parameter list

    std::copy_n(page, FWriteParameters.size(), FWriteParameters.begin());
    FWriteParameters[0] = 0x05;
    FWriteParameters[1] = 0x32;
    return Good();
}

TOutcome TVirtualDrive::StartStop(const uint8_t* Cdb)
{
    const bool loadEject = Cdb[4] & 0x02;
    const bool start = Cdb[4] & 0x01;
    if (!loadEject)
        return Good();
    if (!start) {
        if (FPrevented)
            return CheckCondition(IllegalRequest, 0x53, 0x02);  // medium removal prevented
        FTrayOpen = true;
        return Good();
    }
    if (FTrayOpen) {
        FTrayOpen = false;
        // The disc in the tray may be another one now.
        FUnitAttention = FDisc.Present();
    }
    return Good();
}

TOutcome TVirtualDrive::Write(const uint8_t* Cdb, const uint8_t* Data, uint32_t Length)
{
    if (FBusyWrites > 0) {
        --FBusyWrites;
        return Busy();
    }
    if (FLongWrites > 0) {
        --FLongWrites;
        return CheckCondition(NotReady, 0x04, 0x08);
    }
    const uint32_t lba = GetBE32(Cdb + 2);
    const uint32_t blocks = GetBE16(Cdb + 7);
    if (!FBusyAtLbaSeen && FConfig.BusyAtLba >= lba && FConfig.BusyAtLba < int64_t(lba) + blocks) {
        FBusyAtLbaSeen = true;
        return Busy();
    }
    if (blocks == 0)
        return Good();
    if (Length < blocks * BlockSize || !Data)
        return TOutcome{0, true, {}};
    if (!FDisc.Formatted())
        return CheckCondition(NotReady, 0x30, 0x10);  // medium not formatted
    if (uint64_t(lba) + blocks > FDisc.Capacity())
        return CheckCondition(IllegalRequest, 0x21, 0x00);

    if (FDisc.IsSequentialRecordable()) {
        const TTrack* open = FDisc.OpenTrack();
        if (!open)
            return CheckCondition(IllegalRequest, 0x21, 0x02);
        // DVD+R and BD-R have no write type: they are written at the next writable address.
        const uint8_t type = WriteType();
        const bool typeFits = FDisc.IsPlusOrBDR() ? true
                              : FDisc.IsDVDRFamily() ? (type == 0 || type == 2)
                                                     : (type == 1 || type == 2);
        if (!typeFits || (!FDisc.IsPlusOrBDR() && (FWriteParameters[4] & 0x0F) != 8))
            return CheckCondition(IllegalRequest, 0x64, 0x00);  // illegal mode for this track
        if (FDisc.IsDVDRFamily() && type == 2 && open->Reserved == 0)
            return CheckCondition(IllegalRequest, 0x2C, 0x00);  // Disc At Once needs a reservation
        const uint32_t expected = TestWriteMode() ? FTestPosition.value_or(FDisc.NextWritable()) : FDisc.NextWritable();
        if (lba != expected)
            return CheckCondition(IllegalRequest, 0x21, 0x02);  // invalid address for write
        const uint32_t room = FDisc.FreeBlocks() - (expected - FDisc.NextWritable());
        if (blocks > room)
            return CheckCondition(IllegalRequest, 0x21, 0x00);
    } else if (!FDisc.IsRandomWritable()) {
        return CheckCondition(IllegalRequest, 0x21, 0x02);
    }

    if (FConfig.MediumErrorLba >= lba && FConfig.MediumErrorLba < int64_t(lba) + blocks)
        return CheckCondition(MediumError, 0x0C, 0x00);
    if (FDisc.IsSequentialRecordable() && TestWriteMode()) {
        FTestPosition = lba + blocks;  // a test write records nothing
        return Good();
    }
    if (!Store(lba, Data, blocks))
        return CheckCondition(MediumError, 0x0C, 0x00);
    KeepInReadCache(lba, blocks);
    if (FDisc.IsSequentialRecordable())
        FDisc.Record(blocks);
    else
        FDisc.RecordRandom(lba, blocks);
    return Good();
}

TOutcome TVirtualDrive::Read(const uint8_t* Cdb, uint8_t* Data, uint32_t Length)
{
    const uint32_t lba = GetBE32(Cdb + 2);
    const uint32_t blocks = GetBE16(Cdb + 7);
    if (Length < blocks * BlockSize || (blocks && !Data))
        return TOutcome{0, true, {}};
    for (uint32_t i = 0; i < blocks; ++i)
        if (!FDisc.IsRecorded(lba + i))
            return CheckCondition(IllegalRequest, 0x21, 0x00);
    if (FBusyReads > 0) {
        --FBusyReads;
        return CheckCondition(NotReady, 0x04, 0x07);  // operation in progress
    }
    const bool fua = Cdb[1] & 0x08;
    if (fua && FConfig.RefusesFua)
        return CheckCondition(IllegalRequest, 0x24, 0x00);  // invalid field in CDB
    const auto covers = [&](int64_t block) { return block >= int64_t(lba) && block < int64_t(lba) + blocks; };
    // Without FUA, blocks still in the buffer come from there, as they were written.
    const bool fromBuffer = !fua && lba >= FCachedFrom && lba + blocks <= FCachedTo;
    if (covers(FConfig.ReadErrorLba) && !fromBuffer)
        return CheckCondition(MediumError, 0x11, 0x00);  // unrecovered read error
    if (FStore < 0)
        return CheckCondition(MediumError, 0x11, 0x00);  // hash-only: the data was not kept
    // Blocks past the end of a file store were recorded as zeros (a hole not yet written).
    const size_t bytes = size_t(blocks) * BlockSize;
    const ssize_t got = pread(FStore, Data, bytes, off_t(lba) * BlockSize);
    if (got < 0)
        return CheckCondition(MediumError, 0x11, 0x00);
    std::fill(Data + got, Data + bytes, 0);
    if (covers(FConfig.AlteredLba) && !fromBuffer)
        Data[size_t(FConfig.AlteredLba - lba) * BlockSize + 7] ^= 0x5A;  // data gone bad without notice
    return Good();
}

// The buffer holds the last ReadCacheBlocks blocks of the run being recorded.
void TVirtualDrive::KeepInReadCache(uint32_t Lba, uint32_t Blocks)
{
    if (Lba != FCachedTo)
        FCachedFrom = Lba;
    FCachedTo = Lba + Blocks;
    FCachedFrom = std::max(FCachedFrom, FCachedTo - std::min(FCachedTo, FConfig.ReadCacheBlocks));
}

bool TVirtualDrive::Store(uint32_t Lba, const uint8_t* Data, uint32_t Blocks)
{
    if (FStore >= 0) {
        const off_t at = off_t(Lba) * BlockSize, end = at + off_t(Blocks) * BlockSize;
        // Zeros past the end of a file store become a hole: large sparse recordings cost no
        // space. A device (such as /dev/null) takes them as they come.
        struct stat store{};
        if (fstat(FStore, &store) == 0 && S_ISREG(store.st_mode) && at >= store.st_size &&
            std::all_of(Data, Data + size_t(Blocks) * BlockSize, [](uint8_t byte) { return byte == 0; }))
            return ftruncate(FStore, end) == 0;
        return pwrite(FStore, Data, size_t(Blocks) * BlockSize, at) == ssize_t(Blocks * BlockSize);
    }
    // Hash-only: the digest covers the data in the order written, which must be one run.
    if (FDigestNext && *FDigestNext != Lba)
        FDigestBroken = true;
    FDigestNext = uint64_t(Lba) + Blocks;
    FDigest.Add(Data, size_t(Blocks) * BlockSize);
    return true;
}

void TVirtualDrive::SaveDigest()
{
    if (FConfig.HashFile.empty())
        return;
    if (FILE* file = std::fopen(FConfig.HashFile.c_str(), "w")) {
        std::fprintf(file, "%s\n", FDigestBroken ? "written out of order" : FDigest.HexDigest().c_str());
        std::fclose(file);
    }
}

TOutcome TVirtualDrive::SynchronizeCache(const uint8_t* Cdb)
{
    FTestPosition.reset();
    SaveDigest();
    // Disc At Once on DVD-R: the drive finalises the reserved track and the disc by itself.
    const TTrack* open = FDisc.OpenTrack();
    if (FDisc.IsDVDRFamily() && WriteType() == 2 && open && open->Reserved > 0 && open->Written > 0 &&
        !TestWriteMode()) {
        FDisc.PadReservedTrack();
        FDisc.CloseSession(false);
        if (Cdb[1] & 0x02)
            FFinalizing = FConfig.FinalizeBusy;
    }
    return Good();
}

TOutcome TVirtualDrive::CloseTrackSession(const uint8_t* Cdb)
{
    FTestPosition.reset();
    if (FDisc.IsRandomWritable())
        return Good();
    const uint8_t function = Cdb[2] & 0x07;
    bool closed;
    if (function == 1)
        closed = FDisc.CloseTrack();
    else if (function == 2 && FDisc.IsPlusOrBDR())
        closed = FDisc.CloseSession(true);  // the disc stays appendable
    else if (function == 2)
        closed = FDisc.CloseSession((FWriteParameters[3] >> 6) == 3);  // multisession field 11b
    else if ((function == 6 && FDisc.IsPlusOrBDR()) || (function == 5 && FDisc.IsDVDPlusR()))
        closed = FDisc.CloseSession(false);  // finalise the disc
    else
        return CheckCondition(IllegalRequest, 0x24, 0x00);
    return closed ? Good() : CheckCondition(IllegalRequest, 0x2C, 0x04);  // program area is empty
}

TOutcome TVirtualDrive::ReserveTrack(const uint8_t* Cdb)
{
    const uint32_t blocks = GetBE32(Cdb + 5);
    if (!FDisc.IsSequentialRecordable())
        return CheckCondition(IllegalRequest, 0x24, 0x00);
    const TTrack* open = FDisc.OpenTrack();
    if (!open || open->Used())
        return CheckCondition(IllegalRequest, 0x2C, 0x00);
    if (!FDisc.Reserve(blocks))
        return CheckCondition(IllegalRequest, 0x24, 0x00);
    return Good();
}

TOutcome TVirtualDrive::SetCDSpeed(const uint8_t* Cdb)
{
    auto pick = [](uint16_t asked, uint16_t maximum) { return asked == 0xFFFF ? maximum : std::min(asked, maximum); };
    FReadSpeed = pick(GetBE16(Cdb + 2), FConfig.MaxReadKBs);
    FWriteSpeed = pick(GetBE16(Cdb + 4), FConfig.MaxWriteKBs);
    return Good();
}

TOutcome TVirtualDrive::SetStreaming(const uint8_t* Cdb, const uint8_t* Data, uint32_t Length)
{
    const uint32_t listLength = GetBE16(Cdb + 9);
    if (Cdb[8] != 0)  // only performance descriptors
        return CheckCondition(IllegalRequest, 0x24, 0x00);
    if (listLength == 0)
        return Good();
    if (listLength > Length || !Data)
        return TOutcome{0, true, {}};
    if (listLength < 28)
        return CheckCondition(IllegalRequest, 0x1A, 0x00);
    if (GetBE32(Data + 8) < GetBE32(Data + 4) || GetBE32(Data + 16) == 0 || GetBE32(Data + 24) == 0)
        return CheckCondition(IllegalRequest, 0x26, 0x00);
    return Good();
}

TOutcome TVirtualDrive::SendDVDStructure(const uint8_t* Cdb, const uint8_t* Data, uint32_t Length)
{
    const uint8_t format = Cdb[7];
    const uint32_t listLength = GetBE16(Cdb + 8);
    if (format != 0x0F)  // only the time stamp is accepted
        return CheckCondition(IllegalRequest, 0x24, 0x00);
    if (!FDisc.IsDVDRFamily())
        return CheckCondition(IllegalRequest, 0x30, 0x05);
    if (listLength > Length || !Data)
        return TOutcome{0, true, {}};
    if (listLength < 22)
        return CheckCondition(IllegalRequest, 0x1A, 0x00);
    bool digits = std::all_of(Data + 8, Data + 22, [](uint8_t c) { return c >= '0' && c <= '9'; });
    if (GetBE16(Data) != 20 || !digits)
        return CheckCondition(IllegalRequest, 0x26, 0x00);
    return Good();
}

}  // namespace vrec

namespace vrec {

TOutcome TVirtualDrive::ReadFormatCapacities(const uint8_t* Cdb, uint8_t* Data, uint32_t Length)
{
    TAnswer list(12, 0);
    auto put = [](uint8_t* At, uint32_t Blocks, uint8_t TypeByte, uint32_t Parameter) {
        PutBE32(At, Blocks);
        At[4] = TypeByte;
        At[5] = uint8_t(Parameter >> 16), At[6] = uint8_t(Parameter >> 8), At[7] = uint8_t(Parameter);
    };
    // The current capacity: 01b unformatted (the maximum), 10b formatted.
    put(&list[4], FDisc.Capacity(), FDisc.Formatted() ? 0x02 : 0x01, BlockSize);
    if (FDisc.Kind() == TMediumKind::BDRE) {
        // What FORMAT UNIT can make: with the default spare areas first, then without spares.
        list.resize(28, 0);
        put(&list[12], TDisc::BDREDefaultFormatBlocks(), 0x30 << 2, 0);
        put(&list[20], TDisc::BDREMaximumBlocks(), 0x31 << 2, 0);
    }
    list[3] = uint8_t(list.size() - 4);
    return Reply(list, GetBE16(Cdb + 7), Data, Length);
}

TOutcome TVirtualDrive::FormatUnit(const uint8_t* Cdb, const uint8_t* Data, uint32_t Length)
{
    if ((Cdb[1] & 0x17) != 0x11)  // FmtData with format code 001b
        return CheckCondition(IllegalRequest, 0x24, 0x00);
    if (FDisc.Kind() != TMediumKind::BDRE)
        return CheckCondition(IllegalRequest, 0x30, 0x06);  // cannot format an incompatible medium
    if (Length < 12 || !Data)
        return TOutcome{0, true, {}};
    const bool fov = Data[1] & 0x80, immediate = Data[1] & 0x02;
    const uint8_t type = Data[8] >> 2;
    const uint32_t blocks = GetBE32(Data + 4);
    const uint32_t offered = type == 0x30 ? TDisc::BDREDefaultFormatBlocks() : TDisc::BDREMaximumBlocks();
    if ((immediate && !fov) || GetBE16(Data + 2) != 8 || (type != 0x30 && type != 0x31) || blocks != offered)
        return CheckCondition(IllegalRequest, 0x26, 0x00);  // invalid field in parameter list
    FDisc.Format(blocks);
    if (immediate)
        FFormatting = FConfig.FormatBusy;
    return Good();
}

}  // namespace vrec
