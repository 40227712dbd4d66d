// Stand-in CD drive nodes for the pass-through layer: this machine has no /dev/sr*.
#pragma once

#include "passthrough_linux.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

struct TFakeDrive {
    char Letter = 'D';
    bool HasAddress = false;
    TScsiAddress Address;
    std::string Identity = "FAKE    CD WRITER       1.00";  // INQUIRY bytes 8-35
    bool ReadOnly = false;      // refuses to open for writing
    bool InquiryFails = false;  // the enumeration's INQUIRY call fails
};

class TFakeNodes : public TDeviceNodes {
public:
    std::vector<TFakeDrive> Drives;
    // Plays the drive for every command but the enumeration's INQUIRY; the default answers GOOD.
    std::function<bool(sg_io_hdr_t&)> Answer;
    int CDDriveQueries = 0;
    int Opens = 0;
    int OpenHandles = 0;
    std::vector<std::vector<uint8_t>> Commands;  // CDBs that reached a drive

    bool IsCDDrive(char Letter) override
    {
        ++CDDriveQueries;
        return Find(Letter) != nullptr;
    }
    int Open(char Letter, bool ReadWrite) override
    {
        const TFakeDrive* drive = Find(Letter);
        if (!drive || (ReadWrite && drive->ReadOnly))
            return -1;
        ++Opens;
        ++OpenHandles;
        return 100 + Letter;
    }
    bool SendCommand(int Handle, sg_io_hdr_t& Io) override
    {
        const TFakeDrive* drive = Find(char(Handle - 100));
        auto* cdb = static_cast<uint8_t*>(Io.cmdp);
        Commands.emplace_back(cdb, cdb + Io.cmd_len);
        Io.status = 0;
        Io.host_status = 0;
        Io.driver_status = 0;
        Io.sb_len_wr = 0;
        if (cdb[0] == 0x12) {
            if (drive->InquiryFails)
                return false;
            auto* data = static_cast<uint8_t*>(Io.dxferp);
            data[0] = 0x05;
            std::memcpy(data + 8, drive->Identity.data(), 28);
            return true;
        }
        return Answer ? Answer(Io) : true;
    }
    bool GetAddress(int Handle, TScsiAddress& Address) override
    {
        const TFakeDrive* drive = Find(char(Handle - 100));
        if (!drive->HasAddress)
            return false;
        Address = drive->Address;
        return true;
    }
    void Close(int) override { --OpenHandles; }

private:
    const TFakeDrive* Find(char Letter) const
    {
        auto found = std::find_if(Drives.begin(), Drives.end(), [&](const TFakeDrive& d) { return d.Letter == Letter; });
        return found == Drives.end() ? nullptr : &*found;
    }
};

inline TFakeDrive DriveAt(char Letter, uint8_t Port, uint8_t Target)
{
    TFakeDrive drive;
    drive.Letter = Letter;
    drive.HasAddress = true;
    drive.Address.PortNumber = Port;
    drive.Address.TargetId = Target;
    return drive;
}

inline TFakeDrive DriveWithoutAddress(char Letter)
{
    TFakeDrive drive;
    drive.Letter = Letter;
    return drive;
}
