#include "recorder_steps.h"

bool SelectRecorder(TMCDBurner& burner, const std::string& cdWriter) {
    return !cdWriter.empty() && burner.SelectDriveLetter(cdWriter[0]);
}

void ApplyDriveJobSettings(TMCDBurner& burner, bool testWrite) {
    burner.SetWriteSpeed(0);  // the drive's maximum
    burner.TestWrite = testWrite;
    burner.FinalizeDisc = true;
    burner.ResumeDriveWaits();
}

bool ImageFitsOnDisc(TMCDBurner& burner) {
    return burner.ImageBlocks() <= static_cast<int64_t>(burner.FreeBlocks());
}

bool TestWriteRefused(TMCDBurner& burner) {
    return burner.TestWrite && !burner.CanTestWrite(TSCSIDevice::CurrentDiscType);
}

void EndDriveJob(TMCDBurner& burner) {
    burner.SynchronizeCache(300000, false);
    burner.AllowMediumRemoval(true);
    burner.LoadEject(true);
    burner.ResumeDriveWaits();
}

std::string DriveWaitMessage(int seconds) {
    return "waiting for the drive, " + std::to_string(seconds) + " s";
}
