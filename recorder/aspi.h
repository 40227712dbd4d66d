// Request blocks of the ASPI-style SCSI request interface, shared by the program's transports
// and by any library that offers the interface (such as the virtual recorder in tools/).
//
// Field names, order and meanings follow the ASPI for Win32 interface. Multi-byte numbers are
// little-endian (host order on every Linux target we build for). Pointer-sized fields are
// native on this 64-bit build, so the execute-command block differs from the 32-bit layout:
// SRB_BufPointer is 8 bytes at 16, SRB_PostProc 8 bytes at 32 (after 4 bytes of padding),
// the CDB starts at 60 and SenseArea at 76; the block is 112 bytes instead of 96.
#pragma once

#include <cstddef>
#include <cstdint>

// Request codes (SRB_Cmd).
constexpr uint8_t SC_HA_INQUIRY = 0x00;
constexpr uint8_t SC_GET_DEV_TYPE = 0x01;
constexpr uint8_t SC_EXEC_SCSI_CMD = 0x02;
constexpr uint8_t SC_ABORT_SRB = 0x03;
constexpr uint8_t SC_GET_DISK_INFO = 0x06;

// Request status (SRB_Status).
constexpr uint8_t SS_PENDING = 0x00;
constexpr uint8_t SS_COMP = 0x01;
constexpr uint8_t SS_ABORTED = 0x02;
constexpr uint8_t SS_ABORT_FAIL = 0x03;
constexpr uint8_t SS_ERR = 0x04;
constexpr uint8_t SS_INVALID_CMD = 0x80;
constexpr uint8_t SS_INVALID_HA = 0x81;
constexpr uint8_t SS_NO_DEVICE = 0x82;
constexpr uint8_t SS_INVALID_SRB = 0xE0;
constexpr uint8_t SS_BUFFER_ALIGN = 0xE1;
constexpr uint8_t SS_NO_ASPI = 0xE2;  // no transport, or no device selected: nothing was sent
constexpr uint8_t SS_ASPI_IS_BUSY = 0xE5;
constexpr uint8_t SS_BUFFER_TO_BIG = 0xE6;
constexpr uint8_t SS_NO_ADAPTERS = 0xE8;

// Request flags (SRB_Flags).
constexpr uint8_t SRB_DIR_IN = 0x08;
constexpr uint8_t SRB_DIR_OUT = 0x10;
constexpr uint8_t SRB_EVENT_NOTIFY = 0x40;

// Host adapter status (SRB_HaStat).
constexpr uint8_t HASTAT_OK = 0x00;
constexpr uint8_t HASTAT_TIMEOUT = 0x09;

// Target status (SRB_TargStat).
constexpr uint8_t STATUS_GOOD = 0x00;
constexpr uint8_t STATUS_CHKCOND = 0x02;
constexpr uint8_t STATUS_BUSY = 0x08;

constexpr int SENSE_LEN = 32;

// Execute-command block (SC_EXEC_SCSI_CMD). With SRB_EVENT_NOTIFY in SRB_Flags, SRB_PostProc
// holds an eventfd(2) descriptor that the transport signals (writes 1 to) when a request
// that it left pending (SRB_Status 00h) has completed; without the flag it is 0.
struct SRB_ExecSCSICmd {
    uint8_t SRB_Cmd;
    uint8_t SRB_Status;
    uint8_t SRB_HaId;
    uint8_t SRB_Flags;
    uint32_t SRB_Hdr_Rsvd;
    uint8_t SRB_Target;
    uint8_t SRB_Lun;
    uint16_t SRB_Rsvd1;
    uint32_t SRB_BufLen;
    uint8_t* SRB_BufPointer;
    uint8_t SRB_SenseLen;
    uint8_t SRB_CDBLen;
    uint8_t SRB_HaStat;
    uint8_t SRB_TargStat;
    intptr_t SRB_PostProc;
    uint8_t SRB_Rsvd2[20];
    uint8_t CDBByte[16];
    uint8_t SenseArea[SENSE_LEN];
};
static_assert(offsetof(SRB_ExecSCSICmd, SRB_BufLen) == 12);
static_assert(offsetof(SRB_ExecSCSICmd, SRB_BufPointer) == 16);
static_assert(offsetof(SRB_ExecSCSICmd, SRB_SenseLen) == 24);
static_assert(offsetof(SRB_ExecSCSICmd, SRB_PostProc) == 32);
static_assert(offsetof(SRB_ExecSCSICmd, CDBByte) == 60);
static_assert(offsetof(SRB_ExecSCSICmd, SenseArea) == 76);

// Host adapter inquiry block (SC_HA_INQUIRY), 60 bytes as in the 32-bit layout.
struct SRB_HAInquiry {
    uint8_t SRB_Cmd;
    uint8_t SRB_Status;
    uint8_t SRB_HaId;
    uint8_t SRB_Flags;
    uint32_t SRB_Hdr_Rsvd;
    uint8_t HA_Count;
    uint8_t HA_SCSI_ID;
    char HA_ManagerId[16];
    char HA_Identifier[16];
    uint8_t HA_Unique[16];  // 0-1 alignment mask, 3 maximum targets, 4-7 maximum transfer length
    uint16_t HA_Rsvd1;
};
static_assert(sizeof(SRB_HAInquiry) == 60);
static_assert(offsetof(SRB_HAInquiry, HA_Unique) == 42);

// Device type block (SC_GET_DEV_TYPE).
struct SRB_GDEVBlock {
    uint8_t SRB_Cmd;
    uint8_t SRB_Status;
    uint8_t SRB_HaId;
    uint8_t SRB_Flags;
    uint32_t SRB_Hdr_Rsvd;
    uint8_t SRB_Target;
    uint8_t SRB_Lun;
    uint8_t SRB_DeviceType;
    uint8_t SRB_Rsvd1;
};
static_assert(sizeof(SRB_GDEVBlock) == 12);

// Disk information block (SC_GET_DISK_INFO), 24 bytes as in the 32-bit layout.
struct SRB_GetDiskInfo {
    uint8_t SRB_Cmd;
    uint8_t SRB_Status;
    uint8_t SRB_HaId;
    uint8_t SRB_Flags;
    uint32_t SRB_Hdr_Rsvd;
    uint8_t SRB_Target;
    uint8_t SRB_Lun;
    uint8_t SRB_DriveFlags;
    uint8_t SRB_Int13HDriveInfo;  // drive number: 0 = A, 1 = B, ...
    uint8_t SRB_Heads;
    uint8_t SRB_Sectors;
    uint8_t SRB_Rsvd1[10];
};
static_assert(sizeof(SRB_GetDiskInfo) == 24);

// Abort block (SC_ABORT_SRB): asks the transport to give up a pending execute-command block.
// Once it returns, the transport no longer touches that block, its buffer or its event.
struct SRB_Abort {
    uint8_t SRB_Cmd;
    uint8_t SRB_Status;
    uint8_t SRB_HaId;
    uint8_t SRB_Flags;
    uint32_t SRB_Hdr_Rsvd;
    void* SRB_ToAbort;
};

// Every request block starts with these four bytes.
struct SRB_Header {
    uint8_t SRB_Cmd;
    uint8_t SRB_Status;
    uint8_t SRB_HaId;
    uint8_t SRB_Flags;
};

// The two entry points of an ASPI-style library, exported with C linkage.
extern "C" {
typedef uint32_t (*GetASPI32SupportInfoProc)(void);
typedef uint32_t (*SendASPI32CommandProc)(void* Srb);
}
