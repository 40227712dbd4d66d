// The virtual recorder as the drive behind stand-in device nodes: every SG_IO command goes to
// the library's first drive (0:0:0) as an execute request, and its outcome comes back the way
// the kernel reports it. So the pass-through layer can be run against a drive that follows MMC.
#pragma once

#include "aspi.h"

#include <scsi/sg.h>

#include <algorithm>
#include <cstring>
#include <dlfcn.h>
#include <stdexcept>
#include <string>

class TRecorderBehindNodes {
public:
    // Loads the library (its drives come from VREC_DRIVES, read now) from LibraryPath.
    explicit TRecorderBehindNodes(const std::string& LibraryPath)
        : FLibrary(dlopen(LibraryPath.c_str(), RTLD_NOW | RTLD_LOCAL))
    {
        if (!FLibrary)
            throw std::runtime_error("cannot load " + LibraryPath);
        auto supportInfo = reinterpret_cast<GetASPI32SupportInfoProc>(dlsym(FLibrary, "GetASPI32SupportInfo"));
        FSend = reinterpret_cast<SendASPI32CommandProc>(dlsym(FLibrary, "SendASPI32Command"));
        supportInfo();  // builds the bus
    }
    ~TRecorderBehindNodes() { dlclose(FLibrary); }
    TRecorderBehindNodes(const TRecorderBehindNodes&) = delete;
    TRecorderBehindNodes& operator=(const TRecorderBehindNodes&) = delete;

    // The system call's part: false when the call itself would fail.
    bool operator()(sg_io_hdr_t& Io) const
    {
        SRB_ExecSCSICmd srb{};
        srb.SRB_Cmd = SC_EXEC_SCSI_CMD;
        srb.SRB_Flags = Io.dxfer_direction == SG_DXFER_FROM_DEV ? SRB_DIR_IN
                        : Io.dxfer_direction == SG_DXFER_TO_DEV ? SRB_DIR_OUT
                                                                : 0;
        srb.SRB_BufLen = Io.dxfer_len;
        srb.SRB_BufPointer = static_cast<uint8_t*>(Io.dxferp);
        srb.SRB_SenseLen = SENSE_LEN;
        srb.SRB_CDBLen = Io.cmd_len;
        std::memcpy(srb.CDBByte, Io.cmdp, Io.cmd_len);
        FSend(&srb);
        if (srb.SRB_Status != SS_COMP && srb.SRB_Status != SS_ERR)
            return false;
        Io.status = srb.SRB_TargStat;
        Io.host_status = srb.SRB_HaStat == HASTAT_TIMEOUT ? 0x03 : 0;  // DID_TIME_OUT
        if (srb.SRB_Status == SS_ERR && srb.SRB_TargStat == STATUS_CHKCOND) {
            Io.sb_len_wr = std::min<uint8_t>(Io.mx_sb_len, 18);
            std::memcpy(Io.sbp, srb.SenseArea, Io.sb_len_wr);
        }
        return true;
    }

private:
    void* FLibrary;
    SendASPI32CommandProc FSend = nullptr;
};
