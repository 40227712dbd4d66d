// Lays the disc file tree out as one ISO 9660 volume with an optional Joliet supplementary
// volume, and generates every sector that is not file data.
#include "disc_tables.h"
#include "iso_records.h"
#include "joliet_text.h"
#include "mcdburner.h"

#include <algorithm>
#include <cassert>
#include <unordered_map>

namespace {

// Absolute sector numbers of the areas of one image.
struct TAreas {
    uint32_t IsoPathL = 0, IsoPathM = 0, JolietPathL = 0, JolietPathM = 0;
    uint32_t IsoDirs = 0, JolietDirs = 0;
    uint32_t Files = 0;
    uint32_t End = 0;
};

std::vector<TDEntry*> UsedDirs() {
    return {DirList.begin(), DirList.begin() + DirCount};
}

// Root first, then level by level: the subdirectories of each numbered directory, ordered
// by short name byte by byte (ties keep their creation order).
void OrderPathTables() {
    std::unordered_map<const TDEntry*, std::vector<TDEntry*>> children;
    for (int32_t i = 1; i < DirCount; ++i) children[DirList[i]->ParentDir].push_back(DirList[i]);
    std::vector<TDEntry*> order{DirList[0]};
    for (size_t i = 0; i < order.size(); ++i) {
        std::vector<TDEntry*>& kids = children[order[i]];
        std::stable_sort(kids.begin(), kids.end(),
                         [](const TDEntry* a, const TDEntry* b) { return a->ShortName < b->ShortName; });
        order.insert(order.end(), kids.begin(), kids.end());
    }
    for (size_t i = 0; i < order.size(); ++i) {
        order[i]->DirNumber = static_cast<int32_t>(i + 1);
        IsoPathOrder[i] = JolietPathOrder[i] = order[i];
    }
}

std::string JolietIdentifier(const std::string& name) {
    return BigEndianBytes(JolietUnits(name));
}

// Files carry the version ";1" after their name, directories nothing.
const char* VersionOf(const TFEntry* entry) {
    return entry->IsDirectory() ? "" : ";1";
}

// The identifier of an entry's record, written into `out`: the short name, or the Joliet
// name as big-endian UCS-2.
void EntryIdentifier(const TFEntry* entry, bool joliet, std::string& out) {
    out.clear();
    if (!joliet) {
        out.append(entry->ShortName).append(VersionOf(entry));
        return;
    }
    AppendJolietBytes(out, entry->LongName);
    AppendJolietBytes(out, VersionOf(entry));
}

size_t IdentifierLength(const TFEntry* entry, bool joliet) {
    const size_t version = entry->IsDirectory() ? 0 : 2;
    return joliet ? 2 * (JolietLength(entry->LongName) + version) : entry->ShortName.size() + version;
}

std::string PathTable(const std::vector<TDEntry*>& order, bool joliet, bool bigEndian, uint32_t dirArea) {
    std::string table = PathTableRecord(std::string(1, '\0'), dirArea, 1, bigEndian);
    for (size_t i = 1; i < order.size(); ++i) {
        const TDEntry* dir = order[i];
        const std::string identifier = joliet ? JolietIdentifier(dir->LongName) : dir->ShortName;
        const uint32_t extent = dirArea + static_cast<uint32_t>(joliet ? dir->JolietExtent : dir->IsoExtent);
        table += PathTableRecord(identifier, extent, static_cast<uint16_t>(dir->ParentDir->DirNumber), bigEndian);
    }
    return table;
}

void PadToSector(std::string& bytes) {
    bytes.resize(static_cast<size_t>(SectorsFor(static_cast<int64_t>(bytes.size())) * kSectorSize), '\0');
}

// The records of a directory are packed so that none straddles a sector: the bytes before a
// record of `length` bytes that starts a new sector, when it would not fit after `used` bytes.
size_t GapBefore(size_t used, size_t length) {
    const size_t room = kSectorSize - used % kSectorSize;
    return length > room ? room : 0;
}

// The length of a directory's records, zero-filled to its last sector, without building them.
int64_t DirectorySize(const TDEntry* dir, bool joliet) {
    size_t used = 2 * DirectoryRecordLength(1);  // "." and ".."
    for (const TFEntry* entry = dir->FirstChild; entry; entry = entry->Next) {
        const size_t length = DirectoryRecordLength(IdentifierLength(entry, joliet));
        used += GapBefore(used, length) + length;
    }
    return SectorsFor(static_cast<int64_t>(used)) * kSectorSize;
}

// The records of one directory appended to `out`, zero-filled to its last sector.
void AppendDirectory(std::string& out, const TDEntry* dir, bool joliet, const TAreas& areas) {
    const uint32_t dirArea = joliet ? areas.JolietDirs : areas.IsoDirs;
    const size_t start = out.size();
    auto selfRecord = [&](const TDEntry* d, char id) {
        TRecordFields fields;
        fields.Extent = dirArea + static_cast<uint32_t>(joliet ? d->JolietExtent : d->IsoExtent);
        fields.DataLength = static_cast<uint32_t>(joliet ? d->JolietSize : d->IsoSize);
        fields.Flags = 0x02;
        fields.VolumeSequence = 0;
        AppendDirectoryRecord(out, std::string_view(&id, 1), fields);
    };
    selfRecord(dir, '\0');
    selfRecord(dir->ParentDir, '\1');
    std::string identifier;  // reused from entry to entry
    for (const TFEntry* entry = dir->FirstChild; entry; entry = entry->Next) {
        TRecordFields fields;
        if (entry->IsDirectory()) fields.Extent = dirArea + static_cast<uint32_t>(joliet ? entry->JolietExtent : entry->IsoExtent);
        else if (entry->Size > 0) fields.Extent = areas.Files + static_cast<uint32_t>(entry->IsoExtent);
        fields.DataLength = static_cast<uint32_t>(joliet ? entry->JolietSize : entry->Size);
        fields.HasDate = true;
        fields.DateTime = entry->DateTime;
        fields.GmtOffset = entry->GmtOffset;
        fields.Flags = static_cast<uint8_t>((entry->IsDirectory() ? 0x02 : 0x00) | ((entry->Attr & faHidden) ? 0x01 : 0x00));
        EntryIdentifier(entry, joliet, identifier);
        out.append(GapBefore(out.size() - start, DirectoryRecordLength(identifier.size())), '\0');
        AppendDirectoryRecord(out, identifier, fields);
    }
    out.resize(start + static_cast<size_t>(SectorsFor(static_cast<int64_t>(out.size() - start)) * kSectorSize), '\0');
}

// Sizes and extent offsets of every directory of one tree; the area's length in sectors.
uint32_t PlaceDirectories(bool joliet) {
    uint32_t offset = 0;
    for (TDEntry* dir : UsedDirs()) {
        const int64_t size = DirectorySize(dir, joliet);
        (joliet ? dir->JolietSize : dir->IsoSize) = size;
        (joliet ? dir->JolietExtent : dir->IsoExtent) = static_cast<int32_t>(offset);
        offset += static_cast<uint32_t>(size / kSectorSize);
    }
    return offset;
}

// Extents of the files, packed one after the other in directory and entry order; the
// length of the file data area in sectors.
uint32_t PlaceFiles() {
    int64_t offset = 0;
    for (const TDEntry* dir : UsedDirs()) {
        for (TFEntry* entry = dir->FirstChild; entry; entry = entry->Next) {
            if (entry->IsDirectory()) {
                entry->Size = entry->Dir->IsoSize;
                entry->JolietSize = entry->Dir->JolietSize;
                entry->IsoExtent = entry->Dir->IsoExtent;
                entry->JolietExtent = entry->Dir->JolietExtent;
            } else if (entry->Size > 0) {
                entry->IsoExtent = entry->JolietExtent = static_cast<int32_t>(offset);
                offset += SectorsFor(entry->Size);
            } else {
                entry->IsoExtent = entry->JolietExtent = 0;
            }
        }
    }
    return static_cast<uint32_t>(offset);
}

uint32_t IsoPathTableSize() {
    uint32_t size = 10;
    for (int32_t i = 1; i < DirCount; ++i) {
        const size_t n = DirList[i]->ShortName.size();
        size += static_cast<uint32_t>(8 + n + n % 2);
    }
    return size;
}

uint32_t JolietPathTableSize() {
    uint32_t size = 10;
    for (int32_t i = 1; i < DirCount; ++i)
        size += static_cast<uint32_t>(8 + 2 * JolietUnits(DirList[i]->LongName).size());
    return size;
}

// Areas in the order of the volume, from the descriptors at `start` + 16 to the end of
// the file data; places every directory and file on the way.
TAreas PlaceAreas(uint32_t start, bool joliet, uint32_t isoPathSize, uint32_t jolietPathSize) {
    const auto isoPathSectors = static_cast<uint32_t>(SectorsFor(isoPathSize));
    const auto jolietPathSectors = static_cast<uint32_t>(SectorsFor(jolietPathSize));
    TAreas areas;
    // After the system area: the primary descriptor twice, the Joliet one, the terminator.
    areas.IsoPathL = start + 16 + (joliet ? 4 : 3);
    areas.IsoPathM = areas.IsoPathL + isoPathSectors;
    uint32_t next = areas.IsoPathM + isoPathSectors;
    if (joliet) {
        areas.JolietPathL = next;
        areas.JolietPathM = areas.JolietPathL + jolietPathSectors;
        next = areas.JolietPathM + jolietPathSectors;
    }
    areas.IsoDirs = next;
    next += PlaceDirectories(false);
    if (joliet) {
        areas.JolietDirs = next;
        next += PlaceDirectories(true);
    }
    areas.Files = next;
    areas.End = areas.Files + PlaceFiles();
    return areas;
}

TDescriptorFields IdentifierFields(const TMCDBurner& burner) {
    TDescriptorFields fields;
    fields.IdSystem = burner.IdSystem;
    fields.IdVolume = burner.IdVolume;
    fields.IdVolumeSet = burner.IdVolumeSet;
    fields.IdPublisher = burner.IdPublisher;
    fields.IdPreparer = burner.IdPreparer;
    fields.IdApplication = burner.IdApplication;
    fields.FileCopyright = burner.FileCopyright;
    fields.FileAbstract = burner.FileAbstract;
    fields.FileBibliographic = burner.FileBibliographic;
    fields.DateCreation = burner.DateCreation;
    fields.DateModification = burner.DateModification;
    // The padding of a short image is recorded too; readers expect no data beyond the volume.
    // Extents are absolute, so the volume of a later session spans the earlier ones as well.
    fields.VolumeSpaceSize = static_cast<uint32_t>(burner.StartSector + burner.ImageBlocks());
    return fields;
}

// Every sector from the start of the image up to the first file sector, appended to `header`.
void AppendHeaderSectors(std::string& header, const TAreas& areas, TDescriptorFields fields, bool joliet,
                         uint32_t isoPathSize, uint32_t jolietPathSize) {
    header.append(16 * kSectorSize, '\0');
    fields.PathTableSize = isoPathSize;
    fields.PathTableL = areas.IsoPathL;
    fields.PathTableM = areas.IsoPathM;
    fields.RootExtent = areas.IsoDirs;
    fields.RootLength = static_cast<uint32_t>(DirList[0]->IsoSize);
    const std::string primary = PrimaryDescriptor(fields);
    header += primary + primary;
    if (joliet) {
        fields.PathTableSize = jolietPathSize;
        fields.PathTableL = areas.JolietPathL;
        fields.PathTableM = areas.JolietPathM;
        fields.RootExtent = areas.JolietDirs;
        fields.RootLength = static_cast<uint32_t>(DirList[0]->JolietSize);
        header += JolietDescriptor(fields);
    }
    header += TerminatorDescriptor();

    const std::vector<TDEntry*> order(IsoPathOrder.begin(), IsoPathOrder.begin() + DirCount);
    const int trees = joliet ? 2 : 1;
    for (int tree = 0; tree < trees; ++tree) {
        const uint32_t dirArea = tree == 1 ? areas.JolietDirs : areas.IsoDirs;
        for (bool bigEndian : {false, true}) {
            std::string table = PathTable(order, tree == 1, bigEndian, dirArea);
            PadToSector(table);
            header += table;
        }
    }
    for (int tree = 0; tree < trees; ++tree)
        for (const TDEntry* dir : UsedDirs()) AppendDirectory(header, dir, tree == 1, areas);
}

} // namespace

bool TMCDBurner::PrepareImage(bool ToFile) {
    DoDebug = false;
    StartSector = 0;
    if (!ToFile) {
        CurrentDiscType = GetDiscType();
        // DVD+R and BD-R are appended to like CDs; the other DVDs and Blu-ray discs start at 0.
        const bool startsAtZero = (CurrentDiscType >= dtDVDR && CurrentDiscType <= dtDVDPlusRW) ||
                                  CurrentDiscType == dtBDROM || CurrentDiscType == dtBDRE;
        if (!startsAtZero && !NextWritableAddress()) DebugMessage(">>> ERROR GETTING NEXT WRITABLE ADDRESS", 0);
        if (StartSector > 0xF0000000u) {
            DebugMessage(">>> ERROR GETTING NEXT WRITABLE ADDRESS # 2", 0);
            StartSector = 0;
        }
    }
    LayOutImage();
    DoDebug = true;
    return true;
}

void TMCDBurner::LayOutImage() {
    OrderPathTables();
    const uint32_t isoPathSize = IsoPathTableSize();
    const uint32_t jolietPathSize = JolietPathTableSize();
    const TAreas areas = PlaceAreas(StartSector, JolietFileSystem, isoPathSize, jolietPathSize);
    FTrackSectors = areas.End - StartSector;
    FFileAreaStart = areas.Files;
    // Written once into memory of its final size: a header of a large disc runs to megabytes.
    const size_t headerBytes = static_cast<size_t>(areas.Files - StartSector) * kSectorSize;
    const size_t before = FHeaderStream.size();
    FHeaderStream.reserve(before + headerBytes);
    AppendHeaderSectors(FHeaderStream, areas, IdentifierFields(*this), JolietFileSystem, isoPathSize, jolietPathSize);
    assert(FHeaderStream.size() - before == headerBytes);
    (void)before;
}

int64_t TMCDBurner::ImageBlocks() const {
    return (WritePostGap && FTrackSectors < 300) ? 300 : FTrackSectors;
}
