// TThWrite: the recording thread of a job. It takes the image from the cache block group by
// block group and writes it into the image file (ToFile) or to the selected drive.
#pragma once

#include "written_check.h"

#include <cstdint>
#include <functional>
#include <string>

class TMCDBurner;
class TCacheThread;

class TThWrite {
public:
    TThWrite(TMCDBurner& burner, bool toFile);

    bool ToFile;

    // Runs the whole job and ends it: OnWriteDone is raised on this thread.
    void Execute();

private:
    // Takes every group from the cache and hands it to `writeGroup`, which returns false
    // after it has failed the job. Ends at the end of the image, on abort and on errors.
    void WriteLoop(const std::function<bool(const char* group, int32_t bytes)>& writeGroup);
    void WriteToFile();
    void WriteImageTo(int fd, const std::string& writeError);
    void Fail(const std::string& text);
    void EndJob();

    // Reading back what was written (write_thread_verify.cpp).
    void VerifyImageFile(int fd, const std::string& path);
    void VerifyDrive();
    bool ReadFromDrive(int64_t sector, int64_t count, char* buffer);
    bool ReadBlockByBlock(int64_t sector, int64_t count, char* buffer);  // false when aborted
    void StartVerify();
    void EndVerify();

    // The drive job (write_thread_drive.cpp).
    void WriteToDrive();
    bool PrepareDrive();  // false when the job cannot go on
    void ReserveDVDRTrack();
    void AnnounceStart(uint16_t speed);
    bool WriteGroupToDrive(const char* group, int32_t bytes);
    bool WriteWithRetries(const char* group, int32_t bytes);
    void FinalizeDrive();
    void NoteAbortWhileFinalizing();
    void WaitForDVDRFinalization();
    void Close(uint8_t function);  // CLOSE TRACK/SESSION with that close function
    void FormatDisc();
    void RaiseFinalizingTrack();

    TMCDBurner& FBurner;
    TCacheThread& FCache;
    TWrittenCheck FCheck;  // hashes of what was written, when the job verifies
    bool FReadFromMedium = true;  // until the drive refuses READ (10) with FUA
    uint16_t FDiscType = 0;
    uint32_t FBlocks = 0;       // blocks written to the drive in this job
    int64_t FPollCountdown = 5;  // groups until the next buffer poll; below 0 after a failed poll
};
