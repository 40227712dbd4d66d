// The disc file tree's tables. They exist once per process: one tree exists at a time and
// every TMCDBurner works on it.
#pragma once

#include "disc_entries.h"

#include <cstdint>
#include <vector>

extern std::vector<TDEntry*> DirList;          // creation order; [0] is the root
extern std::vector<TDEntry*> IsoPathOrder;     // ISO 9660 path table order
extern std::vector<TDEntry*> JolietPathOrder;  // Joliet path table order (same as ISO)
extern std::vector<TFEntry*> FileList;         // every entry in creation order
extern int32_t DirCount;
extern int32_t FileCount;
extern int32_t MaxDirs;
extern int32_t MaxFiles;

// Quarter hours east of UTC for standard time, written into every directory record.
extern int8_t GmtOffset;
