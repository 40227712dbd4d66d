// Reading from a drive that may still be busy: after a recording the drive can go on writing
// its buffer or closing the session for a while and answers NOT READY meanwhile.
#pragma once

#include "scsi_device.h"

#include <cstdint>

// How long the drive's "busy" answers are waited out: a pause after each, at most this many.
constexpr int kBusyRetryMs = 600;
constexpr int kBusyAttempts = 10000;

// A refusal that goes away by waiting: BUSY status, or LOGICAL UNIT NOT READY (04h) such as a
// long write in progress.
bool DriveBusy(const TSCSIDevice& device);

// READ (10) of `blocks` blocks from `lba` into `buffer`, asked again after a pause while the
// drive is busy (within the bounds above; CancelDriveWaits ends the waiting). False when the
// drive did not deliver the blocks; its reason is in LastError() and SenseData().
bool ReadWhenReady(TSCSIDevice& device, uint32_t lba, uint16_t blocks, uint8_t* buffer,
                   bool forceUnitAccess = false);

// The blocks one READ (10) asks for: as many as the drive's host adapter takes in one request,
// up to 512 KiB (fewer, larger requests read a disc faster); 64 KiB where the adapter does not say.
uint16_t ReadBlocksPerRequest(TSCSIDevice& device);

// The drive refused a field of the command (ILLEGAL REQUEST, INVALID FIELD IN CDB).
bool FieldRefused(const TSCSIDevice& device);
