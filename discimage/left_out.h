// Files the disc tree was asked to take but left off the disc, and why. Whoever builds a disc
// reports them, and nothing on the disc may point at them.
#pragma once

#include <cstdint>
#include <string>

enum TLeftOutReason : uint8_t {
    lrMissing,      // no regular file at the source path
    lrUnreadable,   // the file cannot be opened for reading
    lrTooLarge,     // 4 GiB or more: a directory record holds 32-bit sizes
    lrNameTooLong,  // the name does not fit into a directory record
    lrNameTaken,    // the directory already holds this name, letter case aside
};

struct TLeftOutFile {
    std::string SourcePath;  // the local file
    std::string DiscPath;    // where it was to go, such as \Images\Photo.jpg
    TLeftOutReason Reason = lrMissing;
    std::string TakenBy;     // lrNameTaken: the name already in that directory
};

// Why the file was left out, in a few words: "missing", "its name differs only in letter case
// from photo.jpg", ...
std::string LeftOutReasonText(const TLeftOutFile& file);
