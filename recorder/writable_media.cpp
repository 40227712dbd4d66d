#include "writable_media.h"

#include "scsi_device.h"

std::string WritableMediaText(TSCSIDevice& device) {
    const uint16_t capabilities = device.Capabilities();
    const uint8_t features = device.ReadWriteFeatures();
    const struct {
        bool Writes;
        const char* Name;
    } kinds[] = {{(capabilities & cpCDRWrite) != 0, "CD-R"},      {(capabilities & cpCDRWWrite) != 0, "CD-RW"},
                 {(capabilities & cpDVDRWrite) != 0, "DVD-R/RW"},  {(capabilities & cpDVDRAMWrite) != 0, "DVD-RAM"},
                 {(features & wfDVDPlusR) != 0, "DVD+R"},          {(features & wfDVDPlusRDL) != 0, "DVD+R DL"},
                 {(features & wfBDR) != 0, "BD-R"},                {(features & wfBDRE) != 0, "BD-RE"}};
    std::string media;
    for (const auto& kind : kinds)
        if (kind.Writes) media += (media.empty() ? "" : ", ") + std::string(kind.Name);
    if (media.empty()) return "writes nothing";
    std::string text = "writes " + media;
    if (capabilities & cpTestWrite) text += "; test writes";
    if (capabilities & cpUnderrunProtection) text += "; buffer underrun protection";
    return text;
}
