// The recorders of the device list that can write CD-R discs, as the settings and the
// preferences offer them.
#pragma once

#include <string>
#include <vector>

class TSCSIDevice;

// Selects every listed device in turn and returns the IDs of those that can write CD-R.
std::vector<std::string> CdWriterIDs(TSCSIDevice& device);

// Characters 7 and 8 of a device ID: the drive letter and its colon ("D:").
std::string DriveLetterOf(const std::string& deviceID);

// The device node behind a device ID ("/dev/sr0"), when the pass-through layer drives it;
// empty for drives of the library transport, which have none.
std::string DeviceNodeOf(const std::string& deviceID);
