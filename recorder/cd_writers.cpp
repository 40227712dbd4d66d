#include "cd_writers.h"

#include "passthrough_linux.h"
#include "scsi_device.h"
#include "transport.h"

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

std::string DeviceNodeOf(const std::string& deviceID) {
    const std::string letter = DriveLetterOf(deviceID);
    if (TransportName() != "PTASPI32" || letter.empty() || letter[0] < 'D' || letter[0] > 'Z') return std::string();
    return DriveNodePath(letter[0]);
}
