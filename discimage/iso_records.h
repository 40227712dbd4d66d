// Byte-level ISO 9660 structures: directory records, path table records and volume
// descriptors, each built as ECMA-119 lays it out.
#pragma once

#include "disc_entries.h"

#include <cstdint>
#include <string>
#include <string_view>

constexpr int kSectorSize = 2048;

int64_t SectorsFor(int64_t bytes);

// The values a directory record carries besides its identifier.
struct TRecordFields {
    uint32_t Extent = 0;
    uint32_t DataLength = 0;
    bool HasDate = false;  // false: the seven date bytes stay zero
    TDateTime DateTime = 0;
    int8_t GmtOffset = 0;
    uint8_t Flags = 0;
    uint16_t VolumeSequence = 1;
};

// A complete directory record: `identifier` is written as given, followed by a zero pad byte
// when its length is even.
std::string DirectoryRecord(const std::string& identifier, const TRecordFields& fields);
// The same record appended to `out`, and the length of a record with such an identifier.
void AppendDirectoryRecord(std::string& out, std::string_view identifier, const TRecordFields& fields);
size_t DirectoryRecordLength(size_t identifierLength);

// A path table record with its extent and parent number in little-endian (type L) or
// big-endian (type M) order.
std::string PathTableRecord(const std::string& identifier, uint32_t extent, uint16_t parent,
                            bool bigEndian);

// The identifiers, dates and positions a primary or Joliet volume descriptor describes.
struct TDescriptorFields {
    std::string IdSystem, IdVolume, IdVolumeSet, IdPublisher, IdPreparer, IdApplication;
    std::string FileCopyright, FileAbstract, FileBibliographic;
    TDateTime DateCreation = 0, DateModification = 0;
    uint32_t VolumeSpaceSize = 0;
    uint32_t PathTableSize = 0;
    uint32_t PathTableL = 0;
    uint32_t PathTableM = 0;
    uint32_t RootExtent = 0;
    uint32_t RootLength = 0;
};

std::string PrimaryDescriptor(const TDescriptorFields& fields);
std::string JolietDescriptor(const TDescriptorFields& fields);
std::string TerminatorDescriptor();

// "yyyymmddhhnnsszz": milliseconds with at least two digits, cut or space-padded to 16.
std::string DescriptorDate(TDateTime value);
