#include "cd_writers.h"

#include "scsi_device.h"

std::vector<std::string> CdWriterIDs(TSCSIDevice& device) {
    std::vector<std::string> writers;
    for (const std::string& id : device.DeviceList()) {
        device.SelectDevice(id);
        if (device.Capabilities() & cpCDRWrite) writers.push_back(id);
    }
    return writers;
}

std::string DriveLetterOf(const std::string& deviceID) {
    return deviceID.size() >= 8 ? deviceID.substr(6, 2) : std::string();
}
