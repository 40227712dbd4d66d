// The medium in a virtual drive: its kind, its sessions and tracks, and where the next
// sequential write must go. Block numbers are logical block addresses of 2048-byte blocks.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vrec {

enum class TMediumKind { None, CDROM, CDR, CDRW, DVDR, DVDRW, DVDRAM, DVDPlusRW, DVDPlusR, DVDPlusRDL, BDROM, BDR, BDRE };

// Disc status and session state as READ DISC INFORMATION reports them.
enum TDiscStatus : uint8_t { dsEmpty = 0, dsIncomplete = 1, dsComplete = 2, dsRandom = 3 };

struct TTrack {
    int Number = 1;
    int Session = 1;
    uint32_t Start = 0;
    uint32_t Written = 0;   // blocks recorded so far
    uint32_t Reserved = 0;  // reserved size in blocks, 0 when not reserved
    bool Closed = false;
    uint32_t End() const { return Start + Written; }  // first block after the data
    uint32_t Extent() const { return Reserved ? Start + Reserved : End(); }  // first block after the track
    bool Used() const { return Written > 0 || Reserved > 0; }
};

class TDisc {
public:
    // Kinds: "none", "cdrom", "cdr", "cdrw", "cdr-appendable", "closed", "dvdr", "dvdrw",
    // "dvdram", "dvdplusrw", "dvdplusr", "dvdplusrdl", "bdrom", "bdr", "bdre" (unformatted),
    // "bdre-formatted". False for an unknown name.
    bool Load(const std::string& Name);
    // A complete disc of one closed session whose track holds `Blocks` recorded blocks: a CD-R,
    // or a DVD-R when they do not fit on a CD.
    void LoadRecorded(uint32_t Blocks);

    TMediumKind Kind() const { return FKind; }
    bool Present() const { return FKind != TMediumKind::None; }
    bool IsCD() const;
    bool IsErasable() const;
    bool IsRandomWritable() const
    {
        return FKind == TMediumKind::DVDRAM || FKind == TMediumKind::DVDPlusRW || FKind == TMediumKind::BDRE;
    }
    bool IsSequentialRecordable() const;  // CD-R/RW, DVD-R/RW, DVD+R (DL), BD-R
    // DVD+R, DVD+R DL and BD-R: no write parameters; closed by the close function alone.
    bool IsPlusOrBDR() const
    {
        return FKind == TMediumKind::DVDPlusR || FKind == TMediumKind::DVDPlusRDL || FKind == TMediumKind::BDR;
    }
    bool IsBluRay() const
    {
        return FKind == TMediumKind::BDROM || FKind == TMediumKind::BDR || FKind == TMediumKind::BDRE;
    }
    bool IsDVDPlusR() const { return FKind == TMediumKind::DVDPlusR || FKind == TMediumKind::DVDPlusRDL; }
    // A BD-RE must be formatted before it can be written.
    bool Formatted() const { return FFormatted; }
    void Format(uint32_t Blocks);
    bool IsDVDRFamily() const { return FKind == TMediumKind::DVDR || FKind == TMediumKind::DVDRW; }
    uint16_t Profile() const;
    uint32_t Capacity() const { return FCapacity; }

    TDiscStatus Status() const;
    TDiscStatus LastSessionState() const;
    int SessionCount() const;  // including the open one, when the disc is not complete
    int CompleteSessionCount() const;
    int FirstTrackOfLastSession() const;
    int LastTrackOfLastSession() const;
    const std::vector<TTrack>& Tracks() const { return FTracks; }

    // The open (invisible or incomplete) track that sequential writes go to; nullptr on a
    // complete disc or random-access medium.
    const TTrack* OpenTrack() const;
    uint32_t NextWritable() const;  // of the open track; 0 when none
    uint32_t FreeBlocks() const;    // of the open track

    bool Reserve(uint32_t Blocks);  // false when the open track already holds data
    void Record(uint32_t Blocks);   // appends to the open track
    void RecordRandom(uint32_t Lba, uint32_t Blocks);
    bool IsRecorded(uint32_t Lba) const;
    // Closes the open track when it holds data; a new invisible track follows it.
    bool CloseTrack();
    // Closes the session; the disc stays appendable when AllowNext (CD only), else it is
    // complete. False when the session holds no data.
    bool CloseSession(bool AllowNext);
    // The blocks a BD-RE holds formatted with the default spare areas, and without spares.
    static uint32_t BDREDefaultFormatBlocks();
    static uint32_t BDREMaximumBlocks();
    // A reserved track that was not written to its end is filled up (when the drive finalises).
    void PadReservedTrack();

private:
    void OpenNewTrack(uint32_t Start, int Session);
    TTrack* OpenTrackMutable();
    // Where a track starts Gap blocks after one that ends at Extent: on DVD+R at a whole ECC
    // block, on BD-R at a whole cluster.
    uint32_t NextTrackStart(uint32_t Extent, uint32_t Gap) const;

    TMediumKind FKind = TMediumKind::None;
    uint32_t FCapacity = 0;
    std::vector<TTrack> FTracks;  // the last one is open unless the disc is complete
    bool FComplete = false;
    bool FFormatted = true;
    int FClosedSessions = 0;
    std::vector<std::pair<uint32_t, uint32_t>> FRandomRecorded;  // [start, end) on random media
};

}  // namespace vrec
