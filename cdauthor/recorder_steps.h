// The drive side of an album disc job, shared by the CD window and the command-line disc
// tool: choosing the recorder, the job's settings, the free-space check and the drive
// commands that end every job.
#pragma once

#include "mcdburner.h"

#include <string>

inline constexpr char kNotEnoughSpaceText[] = "Not enough free space on CD!";

// Selects the recorder of the stored preference ("D:"; its first character is the drive
// letter). False when the preference is empty or no drive answers to the letter.
bool SelectRecorder(TMCDBurner& burner, const std::string& cdWriter);

// A drive job writes at the drive's maximum speed, tests when asked to, and finishes the disc.
void ApplyDriveJobSettings(TMCDBurner& burner, bool testWrite);

// Whether the prepared image fits into the free blocks of the disc in the drive.
bool ImageFitsOnDisc(TMCDBurner& burner);

// After every job: the drive's cache is written out and the disc unlocked and ejected.
void EndDriveJob(TMCDBurner& burner);
