// The records of the disc file tree: directories (TDEntry) and the entries inside them (TFEntry).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

// Local date-time as days since 30 December 1899 (fraction = time of day).
using TDateTime = double;

// Windows attribute bits as the tree keeps them.
constexpr int32_t faHidden = 0x02;
constexpr int32_t faDirectory = 0x10;
constexpr int32_t faArchive = 0x20;

struct TFEntry;

struct TDEntry {
    std::string ShortName;  // ISO 9660 identifier
    std::string LongName;   // Joliet identifier (UTF-8 on this system)
    int64_t IsoSize = 0;    // byte size of the ISO extent, a multiple of 2048
    int64_t JolietSize = 0;
    std::string PathKey;    // upper-case path of long names, "\" for the root
    int32_t IsoExtent = 0;  // sector offset inside the ISO directory area
    int32_t JolietExtent = 0;
    int32_t DirNumber = 0;  // position in the path tables, root = 1
    TDEntry* ParentDir = nullptr;  // the root is its own parent
    TFEntry* FirstChild = nullptr;
    TFEntry* LastChild = nullptr;  // end of the entry list, so that appending is quick
};

struct TFEntry {
    std::string ShortName;   // without the ";1" of files
    std::string LongName;
    std::string SourcePath;  // empty for a subdirectory entry; the disc path for a file in memory
    TDateTime DateTime = 0;
    int64_t Size = 0;
    int64_t JolietSize = 0;
    int32_t IsoExtent = 0;   // sector offset inside the file data area (0 for an empty file)
    int32_t JolietExtent = 0;
    int32_t Attr = 0;
    TDEntry* Dir = nullptr;  // the subdirectory, for a subdirectory entry
    TFEntry* Next = nullptr;
    int8_t GmtOffset = 0;    // quarter hours east of UTC in force at DateTime
    // The contents of a file made in memory (InsertData); none for a file read from disk.
    std::shared_ptr<const std::string> Data;

    bool IsDirectory() const { return (Attr & faDirectory) != 0; }
};
