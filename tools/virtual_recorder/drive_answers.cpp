// The data a virtual drive returns: INQUIRY, mode pages, features, TOC/ATIP, disc and
// track information.
#include "virtual_drive.h"

#include "big_endian.h"

#include <algorithm>

namespace vrec {

namespace {

constexpr uint8_t LeadInStart[3] = {97, 26, 66};  // ATIP start of lead-in, minutes:seconds:frames
constexpr uint32_t FramesPerSecond = 75;

// Minutes, seconds and frames of a logical block (which sits 150 frames after 00:00:00).
void PutMSF(uint8_t* At, uint32_t Lba)
{
    uint32_t frames = Lba + 150;
    At[0] = 0;
    At[1] = uint8_t(frames / (60 * FramesPerSecond));
    At[2] = uint8_t(frames / FramesPerSecond % 60);
    At[3] = uint8_t(frames % FramesPerSecond);
}

void PutAddress(uint8_t* At, uint32_t Lba, bool MSF)
{
    if (MSF)
        PutMSF(At, Lba);
    else
        PutBE32(At, Lba);
}

std::string Padded(const std::string& Text, size_t Width)
{
    std::string field = Text.substr(0, Width);
    field.resize(Width, ' ');
    return field;
}

}  // namespace

TVirtualDrive::TAnswer TVirtualDrive::InquiryData() const
{
    TAnswer data(36, 0);
    data[0] = FConfig.PeripheralType;
    data[1] = 0x80;  // removable medium
    data[2] = 0x00;  // no claimed conformance, as ATAPI drives report
    data[3] = 0x02;  // response data format
    data[4] = uint8_t(data.size() - 5);
    std::string identity = Padded(FConfig.Vendor, 8) + Padded(FConfig.Product, 16) + Padded(FConfig.Revision, 4);
    std::copy(identity.begin(), identity.end(), data.begin() + 8);
    return data;
}

TVirtualDrive::TAnswer TVirtualDrive::CapabilitiesPage(uint8_t PageControl) const
{
    TAnswer page(22, 0);
    if (PageControl == 1)  // changeable values: none
        return page[0] = 0x2A, page[1] = 0x14, page;
    page[0] = 0x2A;
    page[1] = 0x14;
    page[2] = 0x07;  // CD-R, CD-RW, method 2
    page[3] = 0x03;  // writes CD-R and CD-RW
    if (FConfig.TestWrite)
        page[3] |= 0x04;
    if (FConfig.DVD) {
        page[2] |= 0x18;  // DVD-ROM, DVD-R
        page[3] |= 0x10;  // DVD-R write
    }
    if (FConfig.DVDRAM) {
        page[2] |= 0x20;
        page[3] |= 0x20;
    }
    page[4] = 0x40;  // multisession
    if (FConfig.BufferUnderrunFree)
        page[4] |= 0x80;
    page[6] = 0x29;  // tray, eject, lock
    if (FPrevented)
        page[6] |= 0x02;
    const bool defaults = PageControl == 2;
    PutBE16(&page[8], FConfig.MaxReadKBs);
    PutBE16(&page[10], 0x0100);  // volume levels
    PutBE16(&page[12], FConfig.BufferKB);
    PutBE16(&page[14], defaults ? FConfig.MaxReadKBs : FReadSpeed);
    PutBE16(&page[18], FConfig.MaxWriteKBs);
    PutBE16(&page[20], defaults ? FConfig.MaxWriteKBs : FWriteSpeed);
    return page;
}

TVirtualDrive::TAnswer TVirtualDrive::WriteParametersPage(uint8_t PageControl) const
{
    TAnswer page(52, 0);
    page[0] = 0x05;
    page[1] = 0x32;
    if (PageControl == 0) {
        std::copy(FWriteParameters.begin(), FWriteParameters.end(), page.begin());
    } else if (PageControl == 1) {
        // Changeable: write type, test write, BUFE, LS_V; multisession and track mode;
        // data block type; link size; session format; packet size; audio pause length.
        page[2] = 0x7F;
        page[3] = 0xFF;
        page[4] = 0x0F;
        page[5] = 0xFF;
        page[8] = 0xFF;
        std::fill(page.begin() + 10, page.begin() + 16, 0xFF);
    } else {
        page[2] = 0x01;  // Track At Once
        page[3] = 0x04;  // data, uninterrupted
        page[4] = 0x08;  // Mode 1
        PutBE16(&page[14], 150);  // audio pause length
    }
    return page;
}

TVirtualDrive::TAnswer TVirtualDrive::ConfigurationData(uint8_t RequestType, uint16_t StartingFeature) const
{
    const uint16_t current = FTrayOpen ? 0 : FDisc.Profile();
    std::vector<uint16_t> profiles;
    if (FConfig.DVD)
        profiles.insert(profiles.end(), {0x001A, 0x0014, 0x0013, 0x0011, 0x0010});
    if (FConfig.DVDRAM)
        profiles.push_back(0x0012);
    if (FConfig.PlusR)
        profiles.insert(profiles.end(), {0x001B, 0x002B});
    if (FConfig.BD)
        profiles.insert(profiles.end(), {0x0040, 0x0041, 0x0042, 0x0043});
    profiles.insert(profiles.end(), {0x000A, 0x0009, 0x0008});
    std::sort(profiles.begin(), profiles.end(), std::greater<>());

    struct TFeature {
        uint16_t Code;
        bool Current;
        TAnswer Body;
    };
    std::vector<TFeature> features;
    TAnswer profileList;
    for (uint16_t profile : profiles) {
        profileList.insert(profileList.end(), {uint8_t(profile >> 8), uint8_t(profile), uint8_t(profile == current), 0});
    }
    features.push_back({0x0000, true, profileList});
    features.push_back({0x0001, true, {0, 0, 0, 2, 0, 0, 0, 0}});  // core: ATAPI
    features.push_back({0x0003, true, {0x29, 0, 0, 0}});           // removable medium: tray, eject, lock
    const uint8_t writeFlags = uint8_t((FConfig.BufferUnderrunFree ? 0x40 : 0) | (FConfig.TestWrite ? 0x04 : 0));
    features.push_back({0x002D, FDisc.IsCD() && FDisc.IsSequentialRecordable(), {writeFlags, 0, 0, 0}});
    if (FConfig.DVD)
        features.push_back({0x002F, FDisc.IsDVDRFamily(), {writeFlags, 0, 0, 0}});
    if (FConfig.PlusR) {  // DVD+R and DVD+R Dual Layer, each with its Write bit
        features.push_back({0x002B, FDisc.Kind() == TMediumKind::DVDPlusR, {0x01, 0, 0, 0}});
        features.push_back({0x003B, FDisc.Kind() == TMediumKind::DVDPlusRDL, {0x01, 0, 0, 0}});
    }
    if (FConfig.BD) {
        // BD Read and BD Write: class 0 bitmaps of the versions read and written (version 1 and 2).
        TAnswer read(28, 0), write(20, 0);
        for (int at : {8, 16, 24}) read[at + 1] = 0x06;  // BD-RE, BD-R, BD-ROM class 0
        for (int at : {4, 12}) write[at + 1] = 0x06;     // BD-RE, BD-R class 0
        features.push_back({0x0040, FDisc.IsBluRay(), read});
        features.push_back({0x0041, FDisc.Kind() == TMediumKind::BDR || FDisc.Kind() == TMediumKind::BDRE, write});
    }

    std::sort(features.begin(), features.end(), [](const TFeature& a, const TFeature& b) { return a.Code < b.Code; });
    TAnswer answer(8, 0);
    PutBE16(&answer[6], current);
    for (const TFeature& feature : features) {
        bool wanted = RequestType == 2 ? feature.Code == StartingFeature
                                       : feature.Code >= StartingFeature && (RequestType == 0 || feature.Current);
        if (!wanted)
            continue;
        answer.insert(answer.end(), {uint8_t(feature.Code >> 8), uint8_t(feature.Code),
                                     uint8_t(0x02 | (feature.Current ? 0x01 : 0x00)), uint8_t(feature.Body.size())});
        answer.insert(answer.end(), feature.Body.begin(), feature.Body.end());
    }
    PutBE32(&answer[0], uint32_t(answer.size() - 4));
    return answer;
}

// Empty when the format does not apply to the disc (the drive then reports an invalid field).
TVirtualDrive::TAnswer TVirtualDrive::TocData(uint8_t Format, bool MSF) const
{
    std::vector<TTrack> complete;
    for (const TTrack& track : FDisc.Tracks())
        if (track.Closed && track.Session <= FDisc.CompleteSessionCount())
            complete.push_back(track);

    if (Format == 4) {  // ATIP: recordable CDs only
        if (!FDisc.IsCD() || FDisc.Kind() == TMediumKind::CDROM)
            return {};
        TAnswer atip(28, 0);
        PutBE16(&atip[0], 26);
        atip[4] = 0x50;  // indicative writing power
        atip[5] = 0x40;  // unrestricted use
        atip[6] = uint8_t(0x80 | (FDisc.Kind() == TMediumKind::CDRW ? 0x40 : 0x00));
        std::copy(std::begin(LeadInStart), std::end(LeadInStart), &atip[8]);
        PutMSF(&atip[11], FDisc.Capacity());  // last possible start of lead-out in bytes 12-14
        return atip;
    }
    if (complete.empty() || (Format != 0 && Format != 1))
        return {};
    if (Format == 1) {  // session information
        TAnswer info(12, 0);
        PutBE16(&info[0], 10);
        info[2] = 1;
        info[3] = uint8_t(FDisc.CompleteSessionCount());
        const int lastSession = FDisc.CompleteSessionCount();
        auto first = std::find_if(complete.begin(), complete.end(), [&](const TTrack& t) { return t.Session == lastSession; });
        info[5] = 0x14;  // Q sub-channel position, data track
        info[6] = uint8_t(first->Number);
        PutAddress(&info[8], first->Start, MSF);
        return info;
    }
    TAnswer toc(4, 0);
    toc[2] = uint8_t(complete.front().Number);
    toc[3] = uint8_t(complete.back().Number);
    auto descriptor = [&](uint8_t number, uint32_t start) {
        uint8_t entry[8] = {0, 0x14, number, 0};
        PutAddress(&entry[4], start, MSF);
        toc.insert(toc.end(), entry, entry + 8);
    };
    for (const TTrack& track : complete)
        descriptor(uint8_t(track.Number), track.Start);
    descriptor(0xAA, complete.back().Extent());  // lead-out
    PutBE16(&toc[0], uint16_t(toc.size() - 2));
    return toc;
}

TVirtualDrive::TAnswer TVirtualDrive::DiscInformation() const
{
    TAnswer info(34, 0);
    PutBE16(&info[0], 32);
    info[2] = uint8_t((FDisc.IsErasable() ? 0x10 : 0) | (FDisc.LastSessionState() << 2) | FDisc.Status());
    info[3] = 1;
    info[4] = uint8_t(FDisc.SessionCount());
    info[5] = uint8_t(FDisc.FirstTrackOfLastSession());
    info[6] = uint8_t(FDisc.LastTrackOfLastSession());
    info[7] = 0x20;  // unrestricted use
    if (FDisc.IsCD() && FDisc.Status() != dsComplete) {
        std::copy(std::begin(LeadInStart), std::end(LeadInStart), &info[17]);
        PutMSF(&info[20], FDisc.Capacity());
    } else if (FDisc.IsCD()) {
        std::fill(&info[16], &info[24], 0xFF);
    } else {
        PutBE32(&info[20], FDisc.Capacity());
    }
    return info;
}

std::optional<TVirtualDrive::TAnswer> TVirtualDrive::TrackInformation(uint8_t AddressType, uint32_t Address) const
{
    const TTrack* track = nullptr;
    TTrack whole;  // random-access media hold one track covering the disc
    if (FDisc.IsRandomWritable()) {
        whole = TTrack{1, 1, 0, 0, 0, false};
        if ((AddressType == 1 && Address != 1) || (AddressType == 0 && Address >= FDisc.Capacity()))
            return std::nullopt;
        track = &whole;
    } else {
        const auto& tracks = FDisc.Tracks();
        for (const TTrack& candidate : tracks) {
            bool match = AddressType == 0   ? Address >= candidate.Start && Address < std::max(candidate.Extent(), candidate.Start + 1)
                         : AddressType == 1 ? (Address == uint32_t(candidate.Number) || (Address == 0xFF && &candidate == FDisc.OpenTrack()))
                                            : Address == uint32_t(candidate.Session);
            if (match) {
                track = &candidate;
                break;
            }
        }
        if (!track && AddressType == 0 && FDisc.OpenTrack() && Address >= FDisc.OpenTrack()->Start)
            track = FDisc.OpenTrack();
    }
    if (!track)
        return std::nullopt;

    const bool open = FDisc.IsRandomWritable() || track == FDisc.OpenTrack();
    const uint32_t freeBlocks = FDisc.IsRandomWritable() ? FDisc.Capacity() : open ? FDisc.FreeBlocks() : 0;
    TAnswer info(36, 0);
    PutBE16(&info[0], 34);
    info[2] = uint8_t(track->Number);
    info[3] = uint8_t(track->Session);
    info[5] = 0x04;  // data track, recorded uninterrupted
    const bool blank = track->Written == 0;
    info[6] = uint8_t((track->Reserved ? 0x80 : 0) | (blank ? 0x40 : 0) | (blank ? 0x0F : 0x01));
    info[7] = uint8_t((open ? 0x01 : 0) | (track->Written ? 0x02 : 0));  // NWA_V, LRA_V
    PutBE32(&info[8], track->Start);
    PutBE32(&info[12], open && !FDisc.IsRandomWritable() ? track->End() : 0);
    PutBE32(&info[16], freeBlocks);
    const uint32_t size = FDisc.IsRandomWritable() ? FDisc.Capacity()
                          : open && !track->Reserved ? track->Written + freeBlocks
                                                     : track->Extent() - track->Start;
    PutBE32(&info[24], size);
    PutBE32(&info[28], track->Written ? track->End() - 1 : 0);
    return info;
}

}  // namespace vrec
