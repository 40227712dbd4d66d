// What a recorder writes, in words, for the drive list and the preferences.
#pragma once

#include <string>

class TSCSIDevice;

// What the selected drive writes, from its capabilities page and its write features:
// "writes CD-R, CD-RW, DVD+R, BD-R; test writes; buffer underrun protection" or "writes nothing".
std::string WritableMediaText(TSCSIDevice& device);
