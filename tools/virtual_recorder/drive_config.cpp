#include "drive_config.h"

#include <cstdlib>
#include <functional>
#include <map>
#include <sstream>

namespace vrec {

namespace {

std::vector<std::string> Split(const std::string& Text, char Separator)
{
    std::vector<std::string> parts;
    std::stringstream stream(Text);
    std::string part;
    while (std::getline(stream, part, Separator))
        if (!part.empty())
            parts.push_back(part);
    return parts;
}

bool ToNumber(const std::string& Text, int Base, int64_t& Value)
{
    if (Text.empty())
        return false;
    char* end = nullptr;
    Value = std::strtoll(Text.c_str(), &end, Base);
    return *end == 0;
}

using TSetter = std::function<bool(TDriveConfig&, const std::string&)>;

TSetter Number(std::function<void(TDriveConfig&, int64_t)> Assign, int64_t Min, int64_t Max, int Base = 10)
{
    return [=](TDriveConfig& drive, const std::string& value) {
        int64_t number;
        if (!ToNumber(value, Base, number) || number < Min || number > Max)
            return false;
        Assign(drive, number);
        return true;
    };
}

TSetter Flag(bool TDriveConfig::*Field)
{
    return [=](TDriveConfig& drive, const std::string& value) {
        if (value != "0" && value != "1")
            return false;
        drive.*Field = value == "1";
        return true;
    };
}

TSetter Text(std::string TDriveConfig::*Field)
{
    return [=](TDriveConfig& drive, const std::string& value) {
        drive.*Field = value;
        return true;
    };
}

const std::map<std::string, TSetter>& Setters()
{
    static const std::map<std::string, TSetter> setters = {
        {"adapter", Number([](TDriveConfig& d, int64_t v) { d.Adapter = uint8_t(v); }, 0, 7)},
        {"target", Number([](TDriveConfig& d, int64_t v) { d.Target = uint8_t(v); }, 0, 7)},
        {"lun", Number([](TDriveConfig& d, int64_t v) { d.Lun = uint8_t(v); }, 0, 7)},
        {"letter", [](TDriveConfig& d, const std::string& v) {
             if (v.size() != 1 || v[0] < 'A' || v[0] > 'Z')
                 return false;
             d.Letter = v[0];
             return true;
         }},
        {"type", Number([](TDriveConfig& d, int64_t v) { d.PeripheralType = uint8_t(v); }, 0, 0x1F, 16)},
        {"vendor", Text(&TDriveConfig::Vendor)},
        {"product", Text(&TDriveConfig::Product)},
        {"revision", Text(&TDriveConfig::Revision)},
        {"medium", Text(&TDriveConfig::Medium)},
        {"image", Text(&TDriveConfig::ImageFile)},
        {"hash", Text(&TDriveConfig::HashFile)},
        {"plusr", Flag(&TDriveConfig::PlusR)},
        {"bd", Flag(&TDriveConfig::BD)},
        {"content", Text(&TDriveConfig::ContentFile)},
        {"getconfig", Flag(&TDriveConfig::GetConfiguration)},
        {"page30", Flag(&TDriveConfig::Page30)},
        {"buf", Flag(&TDriveConfig::BufferUnderrunFree)},
        {"testwrite", Flag(&TDriveConfig::TestWrite)},
        {"dvd", Flag(&TDriveConfig::DVD)},
        {"dvdram", Flag(&TDriveConfig::DVDRAM)},
        {"maxread", Number([](TDriveConfig& d, int64_t v) { d.MaxReadKBs = uint16_t(v); }, 0, 0xFFFF)},
        {"maxwrite", Number([](TDriveConfig& d, int64_t v) { d.MaxWriteKBs = uint16_t(v); }, 0, 0xFFFF)},
        {"buffer", Number([](TDriveConfig& d, int64_t v) { d.BufferKB = uint16_t(v); }, 0, 0xFFFF)},
        {"notready", Number([](TDriveConfig& d, int64_t v) { d.NotReady = uint32_t(v); }, 0, UINT32_MAX)},
        {"busy", Number([](TDriveConfig& d, int64_t v) { d.BusyWrites = uint32_t(v); }, 0, UINT32_MAX)},
        {"busyat", Number([](TDriveConfig& d, int64_t v) { d.BusyAtLba = v; }, 0, UINT32_MAX)},
        {"longwrite", Number([](TDriveConfig& d, int64_t v) { d.LongWrites = uint32_t(v); }, 0, UINT32_MAX)},
        {"mediumerror", Number([](TDriveConfig& d, int64_t v) { d.MediumErrorLba = v; }, 0, UINT32_MAX)},
        {"readerror", Number([](TDriveConfig& d, int64_t v) { d.ReadErrorLba = v; }, 0, UINT32_MAX)},
        {"alterread", Number([](TDriveConfig& d, int64_t v) { d.AlteredLba = v; }, 0, UINT32_MAX)},
        {"readcache", Number([](TDriveConfig& d, int64_t v) { d.ReadCacheBlocks = uint32_t(v); }, 0, UINT32_MAX)},
        {"nofua", Flag(&TDriveConfig::RefusesFua)},
        {"readbusy", Number([](TDriveConfig& d, int64_t v) { d.BusyReads = uint32_t(v); }, 0, UINT32_MAX)},
        {"failpage2a", [](TDriveConfig& d, const std::string& v) {
             if (v != "0" && v != "1" && v != "defaults")
                 return false;
             d.FailPage2A = v == "1" ? TPageFault::All : v == "defaults" ? TPageFault::Defaults : TPageFault::None;
             return true;
         }},
        {"hang", Number([](TDriveConfig& d, int64_t v) { d.HangOpcode = int(v); }, 0, 0xFF, 16)},
        {"attention", Flag(&TDriveConfig::UnitAttention)},
        {"finalizebusy", Number([](TDriveConfig& d, int64_t v) { d.FinalizeBusy = uint32_t(v); }, 0, UINT32_MAX)},
        {"formatbusy", Number([](TDriveConfig& d, int64_t v) { d.FormatBusy = uint32_t(v); }, 0, UINT32_MAX)},
    };
    return setters;
}

}  // namespace

TBusConfig ParseDrives(const std::string& Text)
{
    TBusConfig bus;
    std::vector<std::string> drives = Split(Text, ';');
    for (size_t index = 0; index < drives.size(); ++index) {
        TDriveConfig drive;
        drive.Target = uint8_t(index % 8);
        for (const std::string& setting : Split(drives[index], ',')) {
            size_t equals = setting.find('=');
            std::string key = setting.substr(0, equals);
            std::string value = equals == std::string::npos ? "" : setting.substr(equals + 1);
            auto setter = Setters().find(key);
            if (setter == Setters().end() || !setter->second(drive, value))
                bus.Errors.push_back(setting);
        }
        bus.Drives.push_back(drive);
    }
    return bus;
}

TBusConfig ReadBusConfig()
{
    const char* drives = std::getenv("VREC_DRIVES");
    TBusConfig bus = ParseDrives(drives ? drives : "medium=cdr");
    if (const char* image = std::getenv("VREC_IMAGE"); image && !bus.Drives.empty() && bus.Drives[0].ImageFile.empty())
        bus.Drives[0].ImageFile = image;
    if (const char* log = std::getenv("VREC_LOG"))
        bus.LogFile = log;
    if (const char* async = std::getenv("VREC_ASYNC"))
        bus.Async = std::string(async) == "1";
    if (const char* limit = std::getenv("VREC_MAXTRANSFER")) {
        int64_t bytes;
        if (ToNumber(limit, 10, bytes) && bytes >= 2048 && bytes <= UINT32_MAX)
            bus.MaxTransfer = uint32_t(bytes);
        else
            bus.Errors.push_back(std::string("VREC_MAXTRANSFER=") + limit);
    }
    return bus;
}

}  // namespace vrec
