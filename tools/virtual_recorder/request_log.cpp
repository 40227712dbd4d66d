#include "request_log.h"

#include <algorithm>

namespace vrec {

namespace {

constexpr uint32_t DataShown = 64;

std::string Hex(const uint8_t* Bytes, size_t Count)
{
    std::string text;
    char byte[4];
    for (size_t i = 0; i < Count; ++i) {
        std::snprintf(byte, sizeof byte, " %02X", Bytes[i]);
        text += byte;
    }
    return text;
}

}  // namespace

TRequestLog::TRequestLog(const std::string& Path)
{
    if (!Path.empty())
        FFile = std::fopen(Path.c_str(), "a");
}

TRequestLog::~TRequestLog()
{
    if (FFile)
        std::fclose(FFile);
}

void TRequestLog::Request(const SRB_ExecSCSICmd& Srb, uint8_t Status, const std::string& Remark)
{
    if (!FFile)
        return;
    std::fprintf(FFile, "%u:%u:%u CDB%s STATUS %02X", Srb.SRB_HaId, Srb.SRB_Target, Srb.SRB_Lun,
                 Hex(Srb.CDBByte, std::min<uint8_t>(Srb.SRB_CDBLen, 16)).c_str(), Status);
    if (Status == 0x04)
        std::fprintf(FFile, " TARG %02X HA %02X SENSE %02X/%02X/%02X", Srb.SRB_TargStat, Srb.SRB_HaStat,
                     Srb.SenseArea[2] & 0x0F, Srb.SenseArea[12], Srb.SenseArea[13]);
    if ((Srb.SRB_Flags & SRB_DIR_OUT) && Srb.SRB_BufPointer)
        std::fprintf(FFile, " OUT%s", Hex(Srb.SRB_BufPointer, std::min(Srb.SRB_BufLen, DataShown)).c_str());
    if (!Remark.empty())
        std::fprintf(FFile, " (%s)", Remark.c_str());
    std::fputc('\n', FFile);
    std::fflush(FFile);
}

void TRequestLog::Note(const std::string& Text)
{
    if (FFile) {
        std::fprintf(FFile, "# %s\n", Text.c_str());
        std::fflush(FFile);
    }
}

}  // namespace vrec
