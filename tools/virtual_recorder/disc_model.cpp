#include "disc_model.h"

#include <algorithm>

namespace vrec {

namespace {

constexpr uint32_t CDCapacity = 333000;       // 74 minutes
constexpr uint32_t DVDCapacity = 2298496;     // single-layer 4.7 GB
constexpr uint32_t DVDRAMCapacity = 2236704;
constexpr uint32_t FirstSessionGap = 11400;   // lead-out 6750 + lead-in 4500 + pregap 150
constexpr uint32_t LaterSessionGap = 6900;    // lead-out 2250 + lead-in 4500 + pregap 150
constexpr uint32_t TrackGap = 152;            // run-out 2 + pregap 150 between TAO tracks
constexpr uint32_t EarlierSessionBlocks = 20000;
constexpr uint32_t DVDPlusRCapacity = 2295104;
constexpr uint32_t DVDPlusRDLCapacity = 4173824;
constexpr uint32_t BDCapacity = 12219392;          // single layer, no spare areas
constexpr uint32_t BDREDefaultCapacity = 11826176; // with the default spare areas
constexpr uint32_t DVDPlusRSessionGap = 3072;      // closure of a session and intro of the next one
// Tracks start on whole ECC blocks (DVD+R) or clusters (BD-R).
constexpr uint32_t DVDPlusRUnit = 16;
constexpr uint32_t BDRUnit = 32;

uint32_t RoundUp(uint32_t Lba, uint32_t Unit)
{
    return (Lba + Unit - 1) / Unit * Unit;
}

}  // namespace

bool TDisc::Load(const std::string& Name)
{
    *this = TDisc{};
    if (Name == "none")
        return true;
    if (Name == "cdrom" || Name == "closed") {
        FKind = Name == "cdrom" ? TMediumKind::CDROM : TMediumKind::CDR;
        FCapacity = CDCapacity;
        FTracks.push_back(TTrack{1, 1, 0, EarlierSessionBlocks, 0, true});
        FComplete = true;
        FClosedSessions = 1;
        return true;
    }
    if (Name == "cdr" || Name == "cdrw" || Name == "cdr-appendable") {
        FKind = Name == "cdrw" ? TMediumKind::CDRW : TMediumKind::CDR;
        FCapacity = CDCapacity;
        if (Name == "cdr-appendable") {
            FTracks.push_back(TTrack{1, 1, 0, EarlierSessionBlocks, 0, true});
            FClosedSessions = 1;
            OpenNewTrack(EarlierSessionBlocks + FirstSessionGap, 2);
        } else {
            OpenNewTrack(0, 1);
        }
        return true;
    }
    if (Name == "dvdr" || Name == "dvdrw") {
        FKind = Name == "dvdr" ? TMediumKind::DVDR : TMediumKind::DVDRW;
        FCapacity = DVDCapacity;
        OpenNewTrack(0, 1);
        return true;
    }
    if (Name == "dvdplusr" || Name == "dvdplusrdl" || Name == "bdr") {
        FKind = Name == "bdr" ? TMediumKind::BDR : Name == "dvdplusr" ? TMediumKind::DVDPlusR : TMediumKind::DVDPlusRDL;
        FCapacity = Name == "bdr" ? BDCapacity : Name == "dvdplusr" ? DVDPlusRCapacity : DVDPlusRDLCapacity;
        OpenNewTrack(0, 1);
        return true;
    }
    if (Name == "bdrom") {
        FKind = TMediumKind::BDROM;
        FCapacity = BDCapacity;
        FTracks.push_back(TTrack{1, 1, 0, EarlierSessionBlocks, 0, true});
        FComplete = true;
        FClosedSessions = 1;
        return true;
    }
    if (Name == "bdre" || Name == "bdre-formatted") {
        FKind = TMediumKind::BDRE;
        FFormatted = Name == "bdre-formatted";
        FCapacity = FFormatted ? BDREDefaultCapacity : BDCapacity;
        return true;
    }
    if (Name == "dvdram" || Name == "dvdplusrw") {
        FKind = Name == "dvdram" ? TMediumKind::DVDRAM : TMediumKind::DVDPlusRW;
        FCapacity = Name == "dvdram" ? DVDRAMCapacity : DVDCapacity;
        return true;
    }
    return false;
}

void TDisc::LoadRecorded(uint32_t Blocks)
{
    *this = TDisc{};
    const bool cd = Blocks <= CDCapacity;
    FKind = cd ? TMediumKind::CDR : TMediumKind::DVDR;
    FCapacity = std::max(Blocks, cd ? CDCapacity : DVDCapacity);
    FTracks.push_back(TTrack{1, 1, 0, Blocks, 0, true});
    FComplete = true;
    FClosedSessions = 1;
}

bool TDisc::IsCD() const
{
    return FKind == TMediumKind::CDROM || FKind == TMediumKind::CDR || FKind == TMediumKind::CDRW;
}

bool TDisc::IsErasable() const
{
    return FKind == TMediumKind::CDRW || FKind == TMediumKind::DVDRW || IsRandomWritable();
}

bool TDisc::IsSequentialRecordable() const
{
    return FKind == TMediumKind::CDR || FKind == TMediumKind::CDRW || IsDVDRFamily() || IsPlusOrBDR();
}

void TDisc::Format(uint32_t Blocks)
{
    FFormatted = true;
    FCapacity = Blocks;
    FRandomRecorded.clear();
}

uint32_t TDisc::BDREDefaultFormatBlocks()
{
    return BDREDefaultCapacity;
}

uint32_t TDisc::BDREMaximumBlocks()
{
    return BDCapacity;
}

uint16_t TDisc::Profile() const
{
    switch (FKind) {
    case TMediumKind::None: return 0x0000;
    case TMediumKind::CDROM: return 0x0008;
    case TMediumKind::CDR: return 0x0009;
    case TMediumKind::CDRW: return 0x000A;
    case TMediumKind::DVDR: return 0x0011;
    case TMediumKind::DVDRW: return 0x0014;  // sequential recording
    case TMediumKind::DVDRAM: return 0x0012;
    case TMediumKind::DVDPlusRW: return 0x001A;
    case TMediumKind::DVDPlusR: return 0x001B;
    case TMediumKind::DVDPlusRDL: return 0x002B;
    case TMediumKind::BDROM: return 0x0040;
    case TMediumKind::BDR: return 0x0041;  // sequential recording mode
    case TMediumKind::BDRE: return 0x0043;
    }
    return 0;
}

TDiscStatus TDisc::Status() const
{
    if (IsRandomWritable())
        return FKind == TMediumKind::DVDRAM ? dsRandom : FFormatted ? dsComplete : dsEmpty;
    if (FComplete)
        return dsComplete;
    bool used = std::any_of(FTracks.begin(), FTracks.end(), [](const TTrack& t) { return t.Used(); });
    return used || FClosedSessions > 0 ? dsIncomplete : dsEmpty;
}

TDiscStatus TDisc::LastSessionState() const
{
    if (FComplete || IsRandomWritable())
        return TDiscStatus(3);  // complete session
    const TTrack* open = OpenTrack();
    bool sessionUsed = open && std::any_of(FTracks.begin(), FTracks.end(), [&](const TTrack& t) {
        return t.Session == open->Session && t.Used();
    });
    return sessionUsed ? dsIncomplete : dsEmpty;
}

int TDisc::SessionCount() const
{
    return FComplete ? FClosedSessions : FClosedSessions + 1;
}

int TDisc::CompleteSessionCount() const
{
    return FClosedSessions;
}

int TDisc::FirstTrackOfLastSession() const
{
    if (FTracks.empty())
        return 1;
    int session = FTracks.back().Session;
    for (const TTrack& track : FTracks)
        if (track.Session == session)
            return track.Number;
    return 1;
}

int TDisc::LastTrackOfLastSession() const
{
    return FTracks.empty() ? 1 : FTracks.back().Number;
}

const TTrack* TDisc::OpenTrack() const
{
    if (FComplete || FTracks.empty() || FTracks.back().Closed)
        return nullptr;
    return &FTracks.back();
}

TTrack* TDisc::OpenTrackMutable()
{
    return const_cast<TTrack*>(OpenTrack());
}

uint32_t TDisc::NextWritable() const
{
    const TTrack* open = OpenTrack();
    return open ? open->End() : 0;
}

uint32_t TDisc::FreeBlocks() const
{
    const TTrack* open = OpenTrack();
    if (!open)
        return 0;
    uint32_t limit = open->Reserved ? open->Start + open->Reserved : FCapacity;
    return limit > open->End() ? limit - open->End() : 0;
}

bool TDisc::Reserve(uint32_t Blocks)
{
    TTrack* open = OpenTrackMutable();
    if (!open || open->Used() || Blocks == 0 || open->Start + Blocks > FCapacity)
        return false;
    open->Reserved = Blocks;
    return true;
}

void TDisc::Record(uint32_t Blocks)
{
    if (TTrack* open = OpenTrackMutable())
        open->Written += Blocks;
}

void TDisc::RecordRandom(uint32_t Lba, uint32_t Blocks)
{
    if (!FRandomRecorded.empty() && FRandomRecorded.back().second == Lba)
        FRandomRecorded.back().second += Blocks;  // one range for a run of writes
    else
        FRandomRecorded.emplace_back(Lba, Lba + Blocks);
}

bool TDisc::IsRecorded(uint32_t Lba) const
{
    for (const TTrack& track : FTracks)
        if (Lba >= track.Start && Lba < track.End())
            return true;
    return std::any_of(FRandomRecorded.begin(), FRandomRecorded.end(),
                       [&](const auto& range) { return Lba >= range.first && Lba < range.second; });
}

void TDisc::OpenNewTrack(uint32_t Start, int Session)
{
    int number = FTracks.empty() ? 1 : FTracks.back().Number + 1;
    FTracks.push_back(TTrack{number, Session, Start, 0, 0, false});
}

bool TDisc::CloseTrack()
{
    TTrack* open = OpenTrackMutable();
    if (!open || !open->Used())
        return false;
    open->Closed = true;
    OpenNewTrack(NextTrackStart(open->Extent(), IsPlusOrBDR() ? 0 : TrackGap), open->Session);
    return true;
}

bool TDisc::CloseSession(bool AllowNext)
{
    TTrack* open = OpenTrackMutable();
    if (!open)
        return false;
    const int session = open->Session;
    bool sessionUsed = std::any_of(FTracks.begin(), FTracks.end(),
                                   [&](const TTrack& t) { return t.Session == session && t.Used(); });
    if (!sessionUsed)
        return false;
    if (open->Used())
        open->Closed = true;
    else
        FTracks.pop_back();  // the empty invisible track does not stay on the disc
    ++FClosedSessions;
    if (!AllowNext || IsDVDRFamily()) {
        FComplete = true;
        return true;
    }
    const uint32_t gap = IsDVDPlusR()                ? DVDPlusRSessionGap
                         : FKind == TMediumKind::BDR ? 0  // BD-R sessions follow each other at once
                         : FClosedSessions == 1      ? FirstSessionGap
                                                     : LaterSessionGap;
    OpenNewTrack(NextTrackStart(FTracks.back().Extent(), gap), session + 1);
    return true;
}

uint32_t TDisc::NextTrackStart(uint32_t Extent, uint32_t Gap) const
{
    if (IsDVDPlusR())
        return RoundUp(Extent + Gap, DVDPlusRUnit);
    if (FKind == TMediumKind::BDR)
        return RoundUp(Extent + Gap, BDRUnit);
    return Extent + Gap;
}

void TDisc::PadReservedTrack()
{
    if (TTrack* open = OpenTrackMutable(); open && open->Reserved > open->Written)
        open->Written = open->Reserved;
}

}  // namespace vrec
