// TMCDBurner: the disc authoring and recording component. On top of the drive access of
// TSCSIDevice it keeps the disc file tree, lays it out as an ISO 9660 volume with a Joliet
// supplementary volume, and streams the volume into an image file (or, later, to a drive).
// It never throws: operations return a Boolean or a small code, a job's outcome is the
// error text of OnWriteDone (empty for success).
#pragma once

#include "disc_entries.h"
#include "left_out.h"
#include "scsi_device.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class TMCDBurner;

// Raised for every file InsertFile finds, before its entry is made; the handler may change
// the two names, the date, and Skip.
using TAddFileEvent = std::function<void(TMCDBurner* Sender, const std::string& FullPath,
                                         std::string& LongFileName, std::string& ShortFileName,
                                         TDateTime& DateTime, int32_t Attr, int64_t FileSize,
                                         bool& Skip)>;
// Raised when a job has ended; Error is empty on success.
using TWriteDoneEvent = std::function<void(TMCDBurner* Sender, const std::string& Error)>;
using TNotifyEvent = std::function<void(TMCDBurner* Sender)>;

// What a search of the local disk found for a file about to be added.
struct TFoundFile {
    std::string Name;  // file name without folder
    int64_t Size = 0;
    TDateTime DateTime = 0;  // last write, local time
    int8_t GmtOffset = 0;    // quarter hours east of UTC in force at that time
    int32_t Attr = 0;
};

class TMCDBurner : public TSCSIDevice {
public:
    explicit TMCDBurner(void* Owner = nullptr);
    ~TMCDBurner() override;

    // ---- Disc file tree ----
    bool ResetTree(int32_t AMaxFiles, int32_t AMaxDirs);
    bool ClearTree();
    TDEntry* FindDir(const std::string& Path) const;
    TDEntry* CreateDirPath(const std::string& Path);
    TDEntry* AddDirEntry(TDEntry* Parent, const std::string& LongName, const std::string& ShortName,
                         TDateTime DateTime, int32_t Attr);
    // 1: found and offered to the tree, 0: no destination directory, -1: source not found.
    int32_t InsertFile(const std::string& DestPath, const std::string& FilePath, bool SavePath);
    // InsertFile under the name `DiscName` instead of the file's own.
    int32_t InsertFileAs(const std::string& DestPath, const std::string& FilePath, const std::string& DiscName,
                         bool SavePath = false);
    void AddFileEntry(TDEntry* Dir, const TFoundFile& Found, const std::string& FullPath);
    // Offers a file whose contents are held in memory to the directory DestPath, under the
    // name FileName, as InsertFile offers one found on disk (OnAddFile, the name rules); its
    // date is the current time. 1: offered, 0: no destination directory.
    int32_t InsertData(const std::string& DestPath, const std::string& FileName,
                       std::shared_ptr<const std::string> Data);
    TDEntry* RootDir() const;
    // The files InsertFile was given since the last reset but left off the disc (missing,
    // unreadable, too large, a name too long or already taken), each once, in that order.
    const std::vector<TLeftOutFile>& LeftOutFiles() const;
    // Whether the file meant for `DiscPath` (such as \Images\Photo.jpg, letter case as given
    // to InsertFile) was left out.
    bool WasLeftOut(const std::string& DiscPath) const;

    // ---- Volume layout ----
    // Lays out the tree from StartSector and appends every header sector to HeaderStream.
    bool PrepareImage(bool ToFile);
    // The layout step of PrepareImage, from the StartSector already set.
    void LayOutImage();
    const std::string& HeaderStream() const { return FHeaderStream; }
    int64_t TrackSectors() const { return FTrackSectors; }
    // Sectors a job delivers: TrackSectors, at least 300 with WritePostGap.
    int64_t ImageBlocks() const;
    // The first sector of the file data (absolute, like StartSector), after LayOutImage.
    int64_t FileAreaStart() const { return FFileAreaStart; }

    // ---- Jobs ----
    // Starts writing the prepared image into FileName; returns once the recording thread runs
    // or the producer has failed (OnWriteDone has then already been raised on this thread).
    void WriteISOFile(const std::string& FileName);
    // Starts recording the prepared image on the selected drive; true once the recording
    // thread runs, false when the producer failed first (OnWriteDone has then been raised on
    // this thread).
    bool BurnCD();
    // Stops the job at its next check and ends its waits for the drive at once, also those of
    // the drive commands after it, until the next job starts (ResumeDriveWaits).
    void AbortWrite();
    int64_t BytesWritten() const { return FBytesWritten.load(); }
    // How often the recording thread of the current or last job found the cache empty once
    // recording had begun, each time waiting for its producer.
    int64_t CacheWaits() const { return FCacheWaits.load(); }
    // Whether the last job read back and compared all it wrote (see Verify).
    bool Verified() const { return FVerified.load(); }
    // True while the running job reads back what it wrote; BytesVerified counts its progress.
    bool Verifying() const { return FVerifying.load(); }
    int64_t BytesVerified() const { return FBytesVerified.load(); }
    // Blocks until the recording thread of the last job has ended.
    void WaitForJob();

    int32_t CacheSize() const { return FCacheSize; }
    void SetCacheSize(int32_t Value);  // at least 2097152, a multiple of 2048

    // ---- Stored properties ----
    bool ReplaceFile = false;
    bool JolietFileSystem = true;
    bool WritePostGap = true;
    // Read back and compare what a job wrote; a difference or a read error fails the job.
    // Targets that cannot be read back (a pipe) are written without it.
    bool Verify = false;
    std::string IdVolume, IdSystem, IdVolumeSet, IdPublisher, IdPreparer, IdApplication;
    std::string FileCopyright, FileAbstract, FileBibliographic;
    TDateTime DateCreation = 0, DateModification = 0, DateEffective = 0, DateExpiration = 0;
    std::string ISOFileName;
    TAddFileEvent OnAddFile;
    TWriteDoneEvent OnWriteDone;
    TNotifyEvent OnFinalizingTrack;
    // Raised on the recording thread when a job starts reading back what it wrote.
    TNotifyEvent OnVerifying;

private:
    friend class TThWrite;

    // The start both jobs share: the cache is filled, then the recording thread is started.
    bool StartJob(bool ToFile);
    void EmptyTree();
    TDEntry* NewDirRecord();
    TFEntry* NewFileRecord();

    std::shared_ptr<const std::string> FPendingData;  // InsertData's contents for AddFileEntry
    std::string FHeaderStream;
    int64_t FTrackSectors = 0;
    int32_t FCacheSize = 0;
    std::atomic<int64_t> FBytesWritten{0};
    std::atomic<int64_t> FCacheWaits{0};
    int64_t FFileAreaStart = 0;
    std::atomic<bool> FVerified{false};
    std::atomic<bool> FVerifying{false};
    std::atomic<int64_t> FBytesVerified{0};
};
