#include "iso_records.h"

#include "date_time.h"
#include "joliet_text.h"

#include <algorithm>
#include <cstdio>

namespace {

void PutLittle16(std::string& out, size_t at, uint16_t value) {
    out[at] = static_cast<char>(value & 0xFF);
    out[at + 1] = static_cast<char>(value >> 8);
}

void PutBig16(std::string& out, size_t at, uint16_t value) {
    out[at] = static_cast<char>(value >> 8);
    out[at + 1] = static_cast<char>(value & 0xFF);
}

void PutLittle32(std::string& out, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) out[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

void PutBig32(std::string& out, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) out[at + i] = static_cast<char>((value >> (8 * (3 - i))) & 0xFF);
}

void PutBoth16(std::string& out, size_t at, uint16_t value) {
    PutLittle16(out, at, value);
    PutBig16(out, at + 2, value);
}

void PutBoth32(std::string& out, size_t at, uint32_t value) {
    PutLittle32(out, at, value);
    PutBig32(out, at + 4, value);
}

void PutBytes(std::string& out, size_t at, const std::string& bytes) {
    out.replace(at, bytes.size(), bytes);
}

// 8-bit text copied as it is, cut to `length` (never inside a UTF-8 character) and padded
// with blanks.
std::string AsciiField(const std::string& text, size_t length) {
    std::string field = CutAtCharacter(text, length);
    field.resize(length, ' ');
    return field;
}

// The layout both descriptor kinds share; `textField` writes each identifier in its form.
// Bytes 72-79 and, in the primary descriptor, 88-119 stay zero as ECMA-119 requires: readers
// such as libarchive and 7-Zip refuse a primary descriptor with anything there.
template <typename TextField>
std::string Descriptor(uint8_t type, const TDescriptorFields& fields, bool escape, TextField textField) {
    std::string sector(kSectorSize, '\0');
    sector[0] = static_cast<char>(type);
    PutBytes(sector, 1, "CD001");
    sector[6] = 1;
    PutBytes(sector, 8, textField(fields.IdSystem, 32));
    PutBytes(sector, 40, textField(fields.IdVolume, 32));
    PutBoth32(sector, 80, fields.VolumeSpaceSize);
    if (escape) PutBytes(sector, 88, "\x25\x2F\x40");
    PutBoth16(sector, 120, 1);
    PutBoth16(sector, 124, 1);
    PutBoth16(sector, 128, kSectorSize);
    PutBoth32(sector, 132, fields.PathTableSize);
    PutLittle32(sector, 140, fields.PathTableL);
    PutBig32(sector, 148, fields.PathTableM);
    TRecordFields root;
    root.Extent = fields.RootExtent;
    root.DataLength = fields.RootLength;
    root.Flags = 0x02;
    PutBytes(sector, 156, DirectoryRecord(std::string(1, '\0'), root));
    PutBytes(sector, 190, textField(fields.IdVolumeSet, 128));
    PutBytes(sector, 318, textField(fields.IdPublisher, 128));
    PutBytes(sector, 446, textField(fields.IdPreparer, 128));
    PutBytes(sector, 574, textField(fields.IdApplication, 128));
    PutBytes(sector, 702, textField(fields.FileCopyright, 37));
    PutBytes(sector, 739, textField(fields.FileAbstract, 37));
    PutBytes(sector, 776, textField(fields.FileBibliographic, 37));
    PutBytes(sector, 813, DescriptorDate(fields.DateCreation));
    PutBytes(sector, 830, DescriptorDate(fields.DateModification));
    PutBytes(sector, 847, std::string(16, '0'));
    PutBytes(sector, 864, std::string(16, '0'));
    sector[881] = 1;
    return sector;
}

} // namespace

int64_t SectorsFor(int64_t bytes) {
    return (bytes + kSectorSize - 1) / kSectorSize;
}

size_t DirectoryRecordLength(size_t identifierLength) {
    return 33 + identifierLength + (identifierLength % 2 == 0 ? 1 : 0);
}

void AppendDirectoryRecord(std::string& out, std::string_view identifier, const TRecordFields& fields) {
    const size_t n = identifier.size();
    const size_t at = out.size();
    out.resize(at + DirectoryRecordLength(n), '\0');
    char* record = out.data() + at;
    record[0] = static_cast<char>(DirectoryRecordLength(n));
    PutBoth32(out, at + 2, fields.Extent);
    PutBoth32(out, at + 10, fields.DataLength);
    if (fields.HasDate) {
        const TDateParts date = DecodeDateTime(fields.DateTime);
        record[18] = static_cast<char>(std::clamp(date.Year - 1900, 0, 255));
        record[19] = static_cast<char>(date.Month);
        record[20] = static_cast<char>(date.Day);
        record[21] = static_cast<char>(date.Hour);
        record[22] = static_cast<char>(date.Minute);
        record[23] = static_cast<char>(date.Second);
        record[24] = static_cast<char>(fields.GmtOffset);
    }
    record[25] = static_cast<char>(fields.Flags);
    PutBoth16(out, at + 28, fields.VolumeSequence);
    record[32] = static_cast<char>(n);
    identifier.copy(record + 33, n);
}

std::string DirectoryRecord(const std::string& identifier, const TRecordFields& fields) {
    std::string record;
    AppendDirectoryRecord(record, identifier, fields);
    return record;
}

std::string PathTableRecord(const std::string& identifier, uint32_t extent, uint16_t parent, bool bigEndian) {
    const size_t n = identifier.size();
    std::string record(8 + n + n % 2, '\0');
    record[0] = static_cast<char>(n);
    if (bigEndian) {
        PutBig32(record, 2, extent);
        PutBig16(record, 6, parent);
    } else {
        PutLittle32(record, 2, extent);
        PutLittle16(record, 6, parent);
    }
    PutBytes(record, 8, identifier);
    return record;
}

std::string PrimaryDescriptor(const TDescriptorFields& fields) {
    return Descriptor(1, fields, false, AsciiField);
}

std::string JolietDescriptor(const TDescriptorFields& fields) {
    // 16-bit units; the 37-byte file fields hold 18 units and keep their last byte zero.
    return Descriptor(2, fields, true, [](const std::string& text, size_t bytes) {
        std::string field = JolietField(text, bytes / 2);
        field.resize(bytes, '\0');
        return field;
    });
}

std::string TerminatorDescriptor() {
    std::string sector(kSectorSize, '\0');
    sector[0] = static_cast<char>(0xFF);
    PutBytes(sector, 1, "CD001");
    sector[6] = 1;
    return sector;
}

std::string DescriptorDate(TDateTime value) {
    const TDateParts d = DecodeDateTime(value);
    char text[64];
    std::snprintf(text, sizeof text, "%04d%02d%02d%02d%02d%02d%02d", d.Year, d.Month, d.Day, d.Hour,
                  d.Minute, d.Second, d.Millisecond);
    std::string date(text);
    date.resize(16, ' ');
    std::string field = date.substr(0, 16);
    field += '\0';  // time zone byte
    return field;
}
