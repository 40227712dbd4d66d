// Configuration of the virtual drives, read from environment variables (see README.md).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vrec {

enum class TPageFault { None, All, Defaults };

struct TDriveConfig {
    uint8_t Adapter = 0;
    uint8_t Target = 0;
    uint8_t Lun = 0;
    char Letter = 0;  // 0: the drive has no drive letter
    uint8_t PeripheralType = 0x05;
    std::string Vendor = "FOTOLARK";
    std::string Product = "VIRTUAL RECORDER";
    std::string Revision = "1.00";
    std::string Medium = "cdr";
    std::string ImageFile;  // receives the recorded user data; empty: a temporary file
    std::string HashFile;   // when set, only a SHA-256 of the recorded data is kept, in this file
    std::string ContentFile;  // a complete disc recorded with these blocks (read only)

    // What the drive can do.
    bool GetConfiguration = true;  // false: an older drive without GET CONFIGURATION
    bool Page30 = false;           // answers MODE SENSE for page 30h
    bool BufferUnderrunFree = true;
    bool TestWrite = true;
    bool DVD = true;      // reads DVD and writes DVD-R/RW
    bool DVDRAM = false;  // reads and writes DVD-RAM
    bool PlusR = false;   // writes DVD+R and DVD+R DL (always with such a medium)
    bool BD = false;      // reads and writes BD-R and BD-RE (always with a Blu-ray medium)
    uint16_t MaxReadKBs = 7056;
    uint16_t MaxWriteKBs = 7056;
    uint16_t BufferKB = 2048;

    // Faults on demand.
    uint32_t NotReady = 0;         // medium commands answered "becoming ready" before it is ready
    uint32_t BusyWrites = 0;       // WRITE (10) answered with BUSY status
    int64_t BusyAtLba = -1;        // the first WRITE (10) covering this block is answered BUSY
    uint32_t LongWrites = 0;       // WRITE (10) answered "long write in progress"
    int64_t MediumErrorLba = -1;   // a WRITE (10) covering this block fails with a write error
    int64_t ReadErrorLba = -1;     // a READ (10) covering this block fails with an unrecovered read error
    int64_t AlteredLba = -1;       // a READ (10) returns this block with one byte changed
    uint32_t BusyReads = 0;        // READ (10) answered "operation in progress"
    uint32_t ReadCacheBlocks = 0;  // the last blocks recorded, kept in the buffer for READ (10) without FUA
    bool RefusesFua = false;       // READ (10) with the FUA bit fails with "invalid field in CDB"
    TPageFault FailPage2A = TPageFault::None;
    int HangOpcode = -1;           // the first request with this operation code never completes
    bool UnitAttention = false;    // a medium change is pending at power-on
    uint32_t FinalizeBusy = 3;     // commands answered "long write in progress" after an immediate finalisation
    uint32_t FormatBusy = 1;       // commands answered "format in progress" after an immediate format
};

struct TBusConfig {
    std::vector<TDriveConfig> Drives;
    std::string LogFile;  // one line per request; empty: no log
    bool Async = false;   // complete requests with event notification on a worker thread
    uint32_t MaxTransfer = 0x10000;  // the host adapters' largest transfer, in bytes
    std::vector<std::string> Errors;  // settings that could not be understood
};

// Reads VREC_DRIVES, VREC_IMAGE, VREC_LOG, VREC_ASYNC and VREC_MAXTRANSFER.
TBusConfig ReadBusConfig();
// Parses a VREC_DRIVES value: drives separated by ';', settings "key=value" separated by ','.
TBusConfig ParseDrives(const std::string& Text);

}  // namespace vrec
