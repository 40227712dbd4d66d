// The drive side of an album disc job, shared by the CD window and the command-line disc
// tool: choosing the recorder, the job's settings, the free-space check and the drive
// commands that end every job.
#pragma once

#include "mcdburner.h"

#include <string>

inline constexpr char kNotEnoughSpaceText[] = "Not enough free space on CD!";
inline constexpr char kNoTestWriteText[] = "This recorder cannot do a test write.";
// Said before an abort while the drive finishes the disc.
inline constexpr char kAbortWhileFinalizingText[] =
    "The disc is being finalized. If you abort now, it may be left unusable.";

// Selects the recorder of the stored preference ("D:"; its first character is the drive
// letter). False when the preference is empty or no drive answers to the letter.
bool SelectRecorder(TMCDBurner& burner, const std::string& cdWriter);

// A drive job writes at the drive's maximum speed, tests when asked to, and finishes the disc.
// The abort of an earlier job no longer cuts its waits for the drive short.
void ApplyDriveJobSettings(TMCDBurner& burner, bool testWrite);

// Whether the prepared image fits into the free blocks of the disc in the drive.
bool ImageFitsOnDisc(TMCDBurner& burner);

// A test write is asked for that the drive cannot make on the disc in it: the recording would
// be a real one. Call after PrepareImage, which finds the type of the disc.
bool TestWriteRefused(TMCDBurner& burner);

// After every job: the drive's cache is written out and the disc unlocked and ejected. After an
// abort these commands do not wait for a drive that has stopped answering.
void EndDriveJob(TMCDBurner& burner);

// "waiting for the drive, N s": what the user is told while the drive keeps a job waiting.
std::string DriveWaitMessage(int seconds);
